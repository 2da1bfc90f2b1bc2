// Replacing a file where the one-step move fails, as on the 9x family: the old file is removed
// and the new one moved in, and no failure may lose the new content.
#include <gtest/gtest.h>

#include <cstdio>

#include "fsio.h"
#include "testutil.h"

namespace {

using arc::Replaced;
using arctest::ReadAll;
using arctest::WriteAll;

bool Fails(const char*, const char*) { return false; }
bool FailsToRemove(const char*) { return false; }
bool Removes(const char* path) { return std::remove(path) == 0; }
bool Moves(const char* from, const char* to) { return std::rename(from, to) == 0; }

class Replace : public arctest::TempDirTest {
 protected:
  void SetUp() override {
    TempDirTest::SetUp();
    WriteAll("target.bin", oldData);
    WriteAll("new.tmp", newData);
  }
  const std::vector<uint8_t> oldData = arctest::RandomData(3000, 1);
  const std::vector<uint8_t> newData = arctest::RandomData(5000, 2);
};

TEST_F(Replace, RemovesAndMovesWhenTheOneStepMoveFails) {
  EXPECT_EQ(arc::ReplaceVia({Fails, Removes, Moves}, "new.tmp", "target.bin"), Replaced::kYes);
  EXPECT_EQ(ReadAll("target.bin"), newData);
  EXPECT_FALSE(arctest::fs::exists("new.tmp"));
}

TEST_F(Replace, FailedFinalMoveLeavesTheNewContentInTheTemporaryFile) {
  EXPECT_EQ(arc::ReplaceVia({Fails, Removes, Fails}, "new.tmp", "target.bin"), Replaced::kOnlyInTemp);
  EXPECT_FALSE(arctest::fs::exists("target.bin"));
  EXPECT_EQ(ReadAll("new.tmp"), newData);
}

TEST_F(Replace, TargetThatCannotBeRemovedStaysWhole) {
  EXPECT_EQ(arc::ReplaceVia({Fails, FailsToRemove, Moves}, "new.tmp", "target.bin"), Replaced::kNo);
  EXPECT_EQ(ReadAll("target.bin"), oldData);
  EXPECT_EQ(ReadAll("new.tmp"), newData);
}

TEST_F(Replace, NewNameNeedsNoRemoval) {
  EXPECT_EQ(arc::ReplaceVia({Fails, FailsToRemove, Moves}, "new.tmp", "fresh.bin"), Replaced::kYes);
  EXPECT_EQ(ReadAll("fresh.bin"), newData);
}

// The system's own calls, whichever of the two ways they take here.
TEST_F(Replace, SystemCallsReplaceTheFile) {
  EXPECT_EQ(arc::ReplaceWith("new.tmp", "target.bin"), Replaced::kYes);
  EXPECT_EQ(ReadAll("target.bin"), newData);
  EXPECT_FALSE(arctest::fs::exists("new.tmp"));
}

}  // namespace
