#include "shell/rules/startup_rules.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

TEST(StartupRules, OnlyCodePage932IsJapanese) {
  EXPECT_EQ(UiLanguageFromCodePage(932), 1);
  for (unsigned cp : {1252u, 1251u, 936u, 949u, 950u, 437u, 65001u, 0u})
    EXPECT_EQ(UiLanguageFromCodePage(cp), 0) << cp;
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
