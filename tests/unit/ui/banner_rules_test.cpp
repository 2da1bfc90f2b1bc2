#include "ui/rules/banner_rules.h"

#include <gtest/gtest.h>

TEST(BannerRules, TextIsCentredButNeverLeftOfTheBox) {
  EXPECT_EQ(BannerTextX(60), 444 + 29);
  EXPECT_EQ(BannerTextX(59), 444 + 29);  // 59 / 2 truncates
  EXPECT_EQ(BannerTextX(118), 444);
  EXPECT_EQ(BannerTextX(119), 444);  // -1 / 2 is 0
  EXPECT_EQ(BannerTextX(300), 444);
  EXPECT_EQ(BannerTextY(13), 25 + 7);
  EXPECT_EQ(BannerTextY(28), 25);
  EXPECT_EQ(BannerTextY(40), 25);
}
