// Geometry and choices of the hover labels and the location caption.
#pragma once
#include "shell/rules/button_rules.h"
#include "base/oskind.h"

enum { kUpOneLevelLabel = 15 };
// The saved-pixel buffer: a label never covers more than this.
enum { kSavedCols = 130, kSavedRows = 30 };

struct LabelSpot { int firstX, lastX, anchorX, anchorY; };
const LabelSpot& LabelSpotOf(int label);  // label 1 to 15

// The label the cursor (client coordinates of the main window) asks for: 1 to 15, or 0 none.
int LabelUnderCursor(int x, int y, int cyBorder);

// What an update does, given the label shown now and the one asked for.
struct HoverStep {
  bool restore;  // put the saved pixels back (also done before showing another label)
  int show;      // label to draw, 0 for none
};
HoverStep NextHoverStep(int shown, int wanted);

// Label rectangle in screen coordinates, edges included, cut to the saved-pixel buffer.
Rect4 LabelRect(const Rect4& window, const Rect4& client, int cxBorder, int cyBorder,
                int anchorX, int anchorY, int textWidth, int extraWidth, int externalLeading,
                int textHeight);

struct LabelStyle {
  int fontHeight;
  int extraWidth;
  int textX, textY;  // offsets added to left + 3, top + 3
};
LabelStyle HoverLabelStyle(int uiLanguage, OsKind kind);
int CaptionFontHeight(int uiLanguage, OsKind kind);
