#include "shell/rules/startup_rules.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

TEST(StartupRules, OnlyCodePage932IsJapanese) {
  EXPECT_EQ(UiLanguageFromCodePage(932), 1);
  for (unsigned cp : {1252u, 1251u, 936u, 949u, 950u, 437u, 65001u, 0u})
    EXPECT_EQ(UiLanguageFromCodePage(cp), 0) << cp;
}

TEST(StartupRules, NtVersionTexts) {
  EXPECT_EQ(OsKindFromNtVersion("4.0"), WinNt4);
  EXPECT_EQ(OsKindFromNtVersion("5.0"), Win2000);
  EXPECT_EQ(OsKindFromNtVersion("5.1"), WinNtLater);
  EXPECT_EQ(OsKindFromNtVersion("6.0"), WinNtLater);
  EXPECT_EQ(OsKindFromNtVersion("6.3"), WinNtLater);
  EXPECT_EQ(OsKindFromNtVersion(""), WinNtLater);
  // Substring search, "4.0" before "5.0".
  EXPECT_EQ(OsKindFromNtVersion("5.04.0"), WinNt4);
  EXPECT_EQ(OsKindFromNtVersion("v5.0 SP4"), Win2000);
}

TEST(StartupRules, ProductNamesAreCaseSensitive) {
  EXPECT_EQ(OsKindFromProductName("Microsoft Windows 98"), Win98);
  EXPECT_EQ(OsKindFromProductName("Microsoft Windows ME"), WinMe);
  EXPECT_EQ(OsKindFromProductName("Microsoft Windows 95"), Win95);
  EXPECT_EQ(OsKindFromProductName("Microsoft Windows Me"), Win95);
  EXPECT_EQ(OsKindFromProductName("windows 98"), Win95);
  EXPECT_EQ(OsKindFromProductName(""), Win95);
  EXPECT_EQ(OsKindFromProductName("Windows 98 / Windows ME"), WinMe);
}

TEST(StartupRules, RegistryFallThrough) {
  // A readable NT value decides alone, whatever the 9x key says.
  EXPECT_EQ(DecideOsKind(true, "5.0", true, "Microsoft Windows ME", Win95), Win2000);
  // NT value unread: the 9x key decides, an empty product name gives Win95.
  EXPECT_EQ(DecideOsKind(false, "", true, "Microsoft Windows ME", Win95), WinMe);
  EXPECT_EQ(DecideOsKind(false, "", true, "", WinMe), Win95);
  // Neither key: the previous kind stays.
  EXPECT_EQ(DecideOsKind(false, "", false, "", Win95), Win95);
  EXPECT_EQ(DecideOsKind(false, "", false, "", Win98), Win98);
}

TEST(StartupRules, CentredOriginTruncatesTowardZero) {
  EXPECT_EQ(CentredOrigin(1024, 576), 224);
  EXPECT_EQ(CentredOrigin(768, 432), 168);
  EXPECT_EQ(CentredOrigin(640, 576), 32);
  EXPECT_EQ(CentredOrigin(480, 432), 24);
  EXPECT_EQ(CentredOrigin(577, 576), 0);
  EXPECT_EQ(CentredOrigin(575, 576), 0);  // -1 / 2 is 0, not -1
  EXPECT_EQ(CentredOrigin(500, 576), -38);
  EXPECT_EQ(CentredOrigin(401, 432), -15);
}

TEST(StartupRules, CopyBoundedNeverOverruns) {
  char buf[6];
  std::memset(buf, 'x', sizeof buf);
  EXPECT_TRUE(CopyBounded(buf, sizeof buf, "abcde"));
  EXPECT_STREQ(buf, "abcde");
  EXPECT_FALSE(CopyBounded(buf, sizeof buf, "abcdef"));
  EXPECT_STREQ(buf, "abcde");
  char guard[4] = {'a', 'b', 'c', 'd'};
  EXPECT_FALSE(CopyBounded(guard, 0, "z"));
  EXPECT_EQ(guard[0], 'a');
}

TEST(StartupRules, StartDirectoryIsTheUpperCasedRoot) {
  char out[258];
  StartDirFromProgramPath("c:\\tools\\TOVRA.EXE", false, out, sizeof out);
  EXPECT_STREQ(out, "C:\\");
  StartDirFromProgramPath("D:\\TOVRA.EXE", false, out, sizeof out);
  EXPECT_STREQ(out, "D:\\");
  // Without a drive letter the program's directory is used.
  StartDirFromProgramPath("\\\\server\\share\\bin\\TOVRA.EXE", false, out, sizeof out);
  EXPECT_STREQ(out, "\\\\SERVER\\SHARE\\BIN\\");
  char small[3];
  StartDirFromProgramPath("e:\\x\\TOVRA.EXE", false, small, sizeof small);
  EXPECT_STREQ(small, "E:");
}

TEST(StartupRules, ShiftJisTrailBytesAreNotSeparatorsOrLetters) {
  // "\x83\x5c" is one character whose second byte equals a backslash; "\x83\x61" one whose
  // second byte equals 'a'.
  const char* path = "\\\\s\\d\\\x83\x5c" "T.EXE";
  char out[258];
  StartDirFromProgramPath(path, true, out, sizeof out);
  EXPECT_EQ(std::string(out), "\\\\S\\D\\");
  StartDirFromProgramPath(path, false, out, sizeof out);
  EXPECT_EQ(std::string(out), "\\\\S\\D\\\x83\x5c");

  char en[258], ja[258];
  HelpPathsFromProgramPath("c:\\\x83\x61x\\TOVRA.EXE", true, en, ja, sizeof en);
  EXPECT_EQ(std::string(en), "C:\\\x83\x61X\\RUZIVA.ROR");
  HelpPathsFromProgramPath("c:\\\x83\x61x\\TOVRA.EXE", false, en, ja, sizeof en);
  EXPECT_EQ(std::string(en), "C:\\\x83\x41X\\RUZIVA.ROR");
}

TEST(StartupRules, HelpPathsLieBesideTheProgram) {
  char en[258], ja[258];
  HelpPathsFromProgramPath("c:\\tools\\tovra.exe", false, en, ja, sizeof en);
  EXPECT_STREQ(en, "C:\\TOOLS\\RUZIVA.ROR");
  EXPECT_STREQ(ja, "C:\\TOOLS\\RORORA.RAV");
  char sen[8], sja[8];
  HelpPathsFromProgramPath("c:\\tools\\tovra.exe", false, sen, sja, sizeof sen);
  EXPECT_STREQ(sen, "C:\\TOOL");
  EXPECT_STREQ(sja, "C:\\TOOL");
}

TEST(StartupRules, DocumentsFolderOnTheWindowsDrive) {
  char out[258];
  DocumentsPathFromWindowsDir("C:\\WINDOWS", out, sizeof out);
  EXPECT_STREQ(out, "C:\\My Documents");
  DocumentsPathFromWindowsDir("E:\\WINNT\\", out, sizeof out);
  EXPECT_STREQ(out, "E:\\My Documents");
}
