// Entry-name safety, wildcards, extension case and DOS times.
#include <gtest/gtest.h>

#include "dostime.h"
#include "names.h"

namespace {

using arc::NameCheck;

NameCheck Split(const std::string& name, std::vector<std::string>* parts, bool lha = true,
                arc::LeadByteFn lead = arc::ShiftJisLead) {
  arc::Vec<arc::Str> got;
  NameCheck r = arc::SplitSafeName(name, lead, lha, &got);
  parts->clear();
  for (const arc::Str& s : got) parts->emplace_back(s.data(), s.size());
  return r;
}

TEST(SafeNames, PlainPartsPass) {
  std::vector<std::string> p;
  EXPECT_EQ(NameCheck::kOk, Split("dir/sub\\file.txt", &p));
  EXPECT_EQ((std::vector<std::string>{"dir", "sub", "file.txt"}), p);
  EXPECT_EQ(NameCheck::kOk, Split("a/./b//c", &p));
  EXPECT_EQ((std::vector<std::string>{"a", "b", "c"}), p);
  EXPECT_EQ(NameCheck::kOk, Split("dir\xFF" "f", &p));
  EXPECT_EQ(2u, p.size());
  EXPECT_EQ(NameCheck::kOk, Split("dir\xFF" "f", &p, false));  // 0xFF separates only in LHA
  EXPECT_EQ(1u, p.size());
  EXPECT_EQ(NameCheck::kOk, Split("..hidden.txt", &p));
  EXPECT_EQ(NameCheck::kOk, Split("console.txt", &p));
}

TEST(SafeNames, AbsoluteAndDriveNamesAreStripped) {
  std::vector<std::string> p;
  for (const char* n : {"/etc/x", "\\etc\\x", "C:\\etc\\x", "c:etc/x", "//server/etc/x"}) {
    EXPECT_EQ(NameCheck::kStripped, Split(n, &p)) << n;
    EXPECT_EQ("x", p.back()) << n;
    EXPECT_NE("C:", p.front());
  }
}

TEST(SafeNames, ClimbingAndSpecialNamesAreRefused) {
  std::vector<std::string> p;
  for (const char* n : {"..", "../x", "a/../../x", "a\\..\\x", "...", ". .", "a/ ../x", "a/x:y", "aux", "NUL.txt",
                        "com1.log", "bad\x01name", "", "/", "./."})
    EXPECT_EQ(NameCheck::kRefused, Split(n, &p)) << n;
}

TEST(SafeNames, SecondBytesOfShiftJisAreNotSeparators) {
  std::vector<std::string> p;
  // 0x83 0x5C is one character; read byte by byte, the 0x5C would climb with "..".
  const std::string tricky = "\x83\\..\\x";
  EXPECT_EQ(NameCheck::kOk, Split(tricky, &p, false));
  EXPECT_EQ(2u, p.size());
  EXPECT_EQ(NameCheck::kRefused, Split(tricky, &p, false, nullptr));
  EXPECT_EQ("\x95\\.txt", std::string(arc::BaseName("dir\\\x95\\.txt", arc::ShiftJisLead)));
  EXPECT_EQ(".txt", std::string(arc::BaseName("dir\\\x95\\.txt", nullptr)));
}

TEST(Wildcards, DosStyleMatching) {
  EXPECT_TRUE(arc::WildcardMatch("*.*", "noext"));
  EXPECT_TRUE(arc::WildcardMatch("*", "a.b.c"));
  EXPECT_TRUE(arc::WildcardMatch("*.TXT", "readme.txt"));
  EXPECT_TRUE(arc::WildcardMatch("r?ad*", "READ"));
  EXPECT_TRUE(arc::WildcardMatch("a*b*c", "aXXbYYbc"));
  EXPECT_FALSE(arc::WildcardMatch("*.txt", "readme.doc"));
  EXPECT_FALSE(arc::WildcardMatch("a?", "a"));
  EXPECT_FALSE(arc::WildcardMatch("abc", "abcd"));
}

TEST(ExtensionCase, FollowsTheLastLetter) {
  EXPECT_FALSE(arc::PreferLowerExtension("DATA.TXT"));
  EXPECT_TRUE(arc::PreferLowerExtension("data.txt"));
  EXPECT_TRUE(arc::PreferLowerExtension("REPORT.doc"));
  EXPECT_FALSE(arc::PreferLowerExtension("report.DOC1"));
  EXPECT_FALSE(arc::PreferLowerExtension("1234.567"));
  EXPECT_TRUE(arc::HasExtension("dir.d/name.x", nullptr));
  EXPECT_FALSE(arc::HasExtension("dir.d/name", nullptr));
}

TEST(DosTime, PackingAndLocalConversions) {
  arc::CivilTime t{2001, 2, 3, 4, 5, 6};
  uint32_t d = arc::PackDos(t);
  EXPECT_EQ((21u << 25) | (2u << 21) | (3u << 16) | (4u << 11) | (5u << 5) | 3u, d);
  arc::CivilTime back = arc::UnpackDos(d);
  EXPECT_EQ(2001, back.year);
  EXPECT_EQ(6, back.second);
  EXPECT_EQ(arc::PackDos({1980, 1, 1, 0, 0, 0}), arc::PackDos({1975, 6, 6, 6, 6, 6}));
  // Even seconds survive local time and back, in whatever zone the machine is.
  for (int64_t s : {int64_t(631152000), int64_t(1000000000), int64_t(1700000002), int64_t(2000000000)})
    EXPECT_EQ(s, arc::DosToUnix(arc::UnixToDos(s))) << s;
  EXPECT_EQ(1000000000, arc::DosToUnix(arc::UnixToDos(1000000001)));
}

}  // namespace
