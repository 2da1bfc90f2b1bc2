#include "shell/rules/hover_rules.h"

#include <gtest/gtest.h>

TEST(HoverRules, RangesAreTheButtonColumnsShiftedOnePixel) {
  for (int cyb : {1, 2}) {
    for (int p = 1; p <= kButtonCount; ++p) {
      Rect4 r = ButtonRect(p, cyb);
      const LabelSpot& s = LabelSpotOf(p);
      EXPECT_EQ(s.firstX, r.left + 1) << p;
      EXPECT_EQ(s.lastX, r.right) << p;
      EXPECT_EQ(s.anchorX, r.left - 3) << p;
      EXPECT_EQ(s.anchorY, p == kUpOneLevelLabel ? 58 : 28) << p;
    }
  }
}

TEST(HoverRules, CursorPositionsInTheButtonRow) {
  const int cyb = 1;  // row band 0 < y < 20
  EXPECT_EQ(LabelUnderCursor(20, 10, cyb), 0);
  EXPECT_EQ(LabelUnderCursor(21, 10, cyb), 1);
  EXPECT_EQ(LabelUnderCursor(52, 10, cyb), 1);
  EXPECT_EQ(LabelUnderCursor(53, 10, cyb), 2);
  EXPECT_EQ(LabelUnderCursor(372, 10, cyb), 11);
  EXPECT_EQ(LabelUnderCursor(373, 10, cyb), 12);
  EXPECT_EQ(LabelUnderCursor(468, 10, cyb), 14);
  EXPECT_EQ(LabelUnderCursor(469, 10, cyb), 0);
  EXPECT_EQ(LabelUnderCursor(-5, 10, cyb), 0);
  EXPECT_EQ(LabelUnderCursor(30, 0, cyb), 0);
  EXPECT_EQ(LabelUnderCursor(30, 1, cyb), 1);
  EXPECT_EQ(LabelUnderCursor(30, 19, cyb), 1);
  EXPECT_EQ(LabelUnderCursor(30, 20, cyb), 0);
  // A thicker border moves the band down.
  EXPECT_EQ(LabelUnderCursor(30, 1, 2), 0);
  EXPECT_EQ(LabelUnderCursor(30, 20, 2), 1);
}

TEST(HoverRules, CursorPositionsInTheSecondRow) {
  const int cyb = 1;  // second band 30 < y < 50
  EXPECT_EQ(LabelUnderCursor(347, 40, cyb), 0);
  EXPECT_EQ(LabelUnderCursor(348, 40, cyb), 15);
  EXPECT_EQ(LabelUnderCursor(379, 40, cyb), 15);
  EXPECT_EQ(LabelUnderCursor(380, 40, cyb), 0);
  EXPECT_EQ(LabelUnderCursor(360, 30, cyb), 0);
  EXPECT_EQ(LabelUnderCursor(360, 31, cyb), 15);
  EXPECT_EQ(LabelUnderCursor(360, 49, cyb), 15);
  EXPECT_EQ(LabelUnderCursor(360, 50, cyb), 0);
  EXPECT_EQ(LabelUnderCursor(360, 25, cyb), 0);  // between the rows
  EXPECT_EQ(LabelUnderCursor(100, 40, cyb), 0);  // beside the drive selector
}

TEST(HoverRules, StepsBetweenLabels) {
  HoverStep same = NextHoverStep(3, 3);
  EXPECT_FALSE(same.restore);
  EXPECT_EQ(same.show, 0);
  HoverStep move = NextHoverStep(1, 2);  // Division to Merger in one update
  EXPECT_TRUE(move.restore);
  EXPECT_EQ(move.show, 2);
  HoverStep away = NextHoverStep(2, 0);
  EXPECT_TRUE(away.restore);
  EXPECT_EQ(away.show, 0);
  HoverStep first = NextHoverStep(0, 15);
  EXPECT_FALSE(first.restore);
  EXPECT_EQ(first.show, 15);
  HoverStep idle = NextHoverStep(0, 0);
  EXPECT_FALSE(idle.restore);
  EXPECT_EQ(idle.show, 0);
}

TEST(HoverRules, LabelRectangleSums) {
  // Window at (100, 50) with 3-pixel borders and a 19-pixel caption: client 570 x 405.
  Rect4 w{100, 50, 676, 482}, c{0, 0, 570, 405};
  const LabelSpot& s = LabelSpotOf(1);
  Rect4 r = LabelRect(w, c, 1, 1, s.anchorX, s.anchorY, 40, 2, 0, 13);
  EXPECT_EQ(r.left, 676 - 570 - 1 + 17);
  EXPECT_EQ(r.top, 482 - 405 - 1 + 28);
  EXPECT_EQ(r.right, r.left + 40 + 2 + 5);
  EXPECT_EQ(r.bottom, r.top + 0 + 13 + 6);
  // A client rectangle that does not start at 0 shifts the label by its origin.
  Rect4 shifted = LabelRect(w, Rect4{2, 3, 572, 408}, 1, 1, 17, 28, 40, 2, 0, 13);
  EXPECT_EQ(shifted.left, r.left);
  EXPECT_EQ(shifted.top, r.top);
  // External leading adds to the height; the border metric moves it back.
  Rect4 lead = LabelRect(w, c, 2, 2, 17, 28, 40, 2, 3, 13);
  EXPECT_EQ(lead.left, r.left - 1);
  EXPECT_EQ(lead.top, r.top - 1);
  EXPECT_EQ(lead.bottom - lead.top, 3 + 13 + 6);
}

TEST(HoverRules, LabelNeverOutgrowsTheSavedPixels) {
  Rect4 w{0, 0, 576, 432}, c{0, 0, 570, 405};
  Rect4 fits = LabelRect(w, c, 1, 1, 17, 28, 124, 0, 0, 23);  // 129 and 29 apart: 130 x 30
  EXPECT_EQ(fits.right - fits.left + 1, kSavedCols);
  EXPECT_EQ(fits.bottom - fits.top + 1, kSavedRows);
  Rect4 big = LabelRect(w, c, 1, 1, 17, 28, 400, 2, 4, 60);
  EXPECT_EQ(big.right - big.left + 1, kSavedCols);
  EXPECT_EQ(big.bottom - big.top + 1, kSavedRows);
  EXPECT_EQ(big.left, fits.left);
}
