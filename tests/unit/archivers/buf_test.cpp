// The libraries' own string and array: growth that reads from itself, and memory that runs out.
#include <gtest/gtest.h>

#include <cstdint>

#include "buf.h"

namespace {

TEST(OwnBuffers, GrowingFromItsOwnBytesKeepsThem) {
  arc::Str s = "floppy";
  for (int i = 0; i < 6; ++i) s.append(s.data(), s.size());  // each round reallocates
  ASSERT_EQ(6u << 6, s.size());
  EXPECT_EQ(0, memcmp(s.data() + s.size() - 6, "floppy", 7));  // the terminating zero too
  arc::Vec<arc::Str> v;
  v.push_back(arc::Str("piece"));
  for (int i = 0; i < 40; ++i) v.push_back(v[0]);
  EXPECT_EQ(41u, v.size());
  EXPECT_TRUE(v.back() == "piece");
}

TEST(OwnBuffers, MemoryThatRunsOutLeavesTheContentAndIsCounted) {
  arc::Vec<uint64_t> v;
  v.push_back(7);
  unsigned before = arc::AllocFailures();
  EXPECT_FALSE(v.reserve(SIZE_MAX / 4));
  EXPECT_FALSE(v.resize(SIZE_MAX / 2));  // sizes no malloc could give: refused before asking
  EXPECT_EQ(before + 2, arc::AllocFailures());
  ASSERT_EQ(1u, v.size());
  EXPECT_EQ(7u, v[0]);
}

}  // namespace
