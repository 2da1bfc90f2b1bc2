#include "shell/rules/hover_rules.h"

static const LabelSpot kSpots[kButtonCount] = {
    {21, 52, 17, 28},    {53, 84, 49, 28},    {85, 116, 81, 28},   {117, 148, 113, 28},
    {149, 180, 145, 28}, {181, 212, 177, 28}, {213, 244, 209, 28}, {245, 276, 241, 28},
    {277, 308, 273, 28}, {309, 340, 305, 28}, {341, 372, 337, 28}, {373, 404, 369, 28},
    {405, 436, 401, 28}, {437, 468, 433, 28}, {348, 379, 344, 58},
};

const LabelSpot& LabelSpotOf(int label) {
  if (label < 1 || label > kButtonCount) label = 1;
  return kSpots[label - 1];
}

int LabelUnderCursor(int x, int y, int cyBorder) {
  int b = cyBorder - 1;
  if (y > b && y < b + 20) {
    for (int p = 1; p < kUpOneLevelLabel; ++p)
      if (x >= kSpots[p - 1].firstX && x <= kSpots[p - 1].lastX) return p;
    return 0;
  }
  if (y > b + 30 && y < b + 50 && x > 347 && x <= 379) return kUpOneLevelLabel;
  return 0;
}

HoverStep NextHoverStep(int shown, int wanted) {
  if (wanted == shown) return {false, 0};
  return {shown != 0, wanted};
}

Rect4 LabelRect(const Rect4& window, const Rect4& client, int cxBorder, int cyBorder,
                int anchorX, int anchorY, int textWidth, int extraWidth, int externalLeading,
                int textHeight) {
  Rect4 r;
  r.left = window.right - client.right + client.left - cxBorder + anchorX;
  r.top = window.bottom - client.bottom + client.top - cyBorder + anchorY;
  r.right = r.left + textWidth + extraWidth + 5;
  r.bottom = r.top + externalLeading + textHeight + 6;
  if (r.right - r.left + 1 > kSavedCols) r.right = r.left + kSavedCols - 1;
  if (r.bottom - r.top + 1 > kSavedRows) r.bottom = r.top + kSavedRows - 1;
  return r;
}

LabelStyle HoverLabelStyle(int uiLanguage, OsKind kind) {
  if (uiLanguage) return {12, 1, 0, 0};
  bool nt = IsNtKind(kind);
  return {nt ? 14 : 12, 2, nt ? 1 : 0, -1};
}

int CaptionFontHeight(int uiLanguage, OsKind kind) {
  if (uiLanguage) return 12;
  return IsNtKind(kind) ? 15 : 12;
}
