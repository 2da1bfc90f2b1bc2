// Replays the fuzzers' seed and crash inputs through the readers.
#include <gtest/gtest.h>

#include <filesystem>

#include "fuzz_readers.h"
#include "testutil.h"

namespace {

TEST(FuzzInputs, ReplayWithoutCrashing) {
  namespace fs = std::filesystem;
  int count = 0;
  for (const char* sub : {"regressions", "seeds"}) {
    fs::path dir = fs::path(ARC_FUZZ_DIR) / sub;
    ASSERT_TRUE(fs::is_directory(dir)) << dir;
    for (auto& e : fs::directory_iterator(dir)) {
      auto bytes = arctest::ReadAll(e.path().string());
      arcfuzz::ReadLhaArchive(bytes.data(), bytes.size());
      arcfuzz::ReadZipArchive(bytes.data(), bytes.size());
      ++count;
    }
  }
  EXPECT_GT(count, 3);
}

}  // namespace
