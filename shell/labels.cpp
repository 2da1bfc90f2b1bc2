// Hover labels drawn straight on the screen, and the location caption.
#include "shell/labels.h"

#include "shell/mainwnd.h"
#include "shell/rules/hover_rules.h"
#include "shell/texts.h"
#include "ui/state.h"

static int s_shown;  // 0 = none, else the label's position
static Rect4 s_rect;
static COLORREF s_saved[kSavedRows][kSavedCols];
static char s_text[18];

static const COLORREF kLabelFill = 0x0080FFFF;

static HFONT CreateTextFont(int height, const Text& face) {
  return CreateFontA(height, 0, 0, 0, FW_NORMAL, 0, 0, 0,
                     g_uiLanguage ? SHIFTJIS_CHARSET : OEM_CHARSET, 0, 0, 0, 0, Tx(face));
}

static void RestoreSaved(HDC screen) {
  for (int r = 0; r <= s_rect.bottom - s_rect.top; ++r)
    for (int c = 0; c <= s_rect.right - s_rect.left; ++c)
      SetPixelV(screen, s_rect.left + c, s_rect.top + r, s_saved[r][c]);
}

static void Forget() {
  s_rect = Rect4{0, 0, 0, 0};
  s_shown = 0;
}

static void ShowLabel(HDC screen, HWND mainWnd, int label) {
  if (s_shown) RestoreSaved(screen);
  lstrcpynA(s_text, Tx(kLabelTexts[label]), sizeof s_text);
  int len = lstrlenA(s_text);
  SIZE size = {};
  GetTextExtentPoint32A(screen, s_text, len, &size);
  TEXTMETRICA tm = {};
  GetTextMetricsA(screen, &tm);

  RECT w, c;
  GetWindowRect(mainWnd, &w);
  GetClientRect(mainWnd, &c);
  const LabelSpot& spot = LabelSpotOf(label);
  LabelStyle style = HoverLabelStyle(g_uiLanguage, g_osKind);
  s_rect = LabelRect(Rect4{w.left, w.top, w.right, w.bottom}, Rect4{c.left, c.top, c.right, c.bottom},
                     GetSystemMetrics(SM_CXBORDER), GetSystemMetrics(SM_CYBORDER), spot.anchorX,
                     spot.anchorY, size.cx, style.extraWidth, tm.tmExternalLeading, tm.tmHeight);

  for (int r = 0; r <= s_rect.bottom - s_rect.top; ++r)
    for (int col = 0; col <= s_rect.right - s_rect.left; ++col)
      s_saved[r][col] = GetPixel(screen, s_rect.left + col, s_rect.top + r);

  Rectangle(screen, s_rect.left, s_rect.top, s_rect.right, s_rect.bottom);
  RECT inside = {s_rect.left + 1, s_rect.top + 1, s_rect.right - 1, s_rect.bottom - 1};
  HBRUSH fill = CreateSolidBrush(kLabelFill);
  FillRect(screen, &inside, fill);
  DeleteObject(fill);
  SetBkMode(screen, OPAQUE);
  SetBkColor(screen, kLabelFill);
  // Clipped to the box, so that nothing is drawn outside the saved pixels.
  ExtTextOutA(screen, s_rect.left + style.textX + 3, s_rect.top + style.textY + 3, ETO_CLIPPED,
              &inside, s_text, len, NULL);
  s_shown = label;
}

void UpdateHoverLabel(HWND mainWnd) {
  POINT pt;
  GetCursorPos(&pt);
  ScreenToClient(mainWnd, &pt);
  if (!GetActiveWindow() || !IsWindowEnabled(mainWnd)) return;

  HDC screen = CreateDCA("DISPLAY", NULL, NULL, NULL);
  HFONT font = CreateTextFont(HoverLabelStyle(g_uiLanguage, g_osKind).fontHeight, kLabelFace);
  HGDIOBJ oldFont = SelectObject(screen, font);
  HoverStep step = NextHoverStep(s_shown, LabelUnderCursor(pt.x, pt.y, GetSystemMetrics(SM_CYBORDER)));
  if (step.show) {
    ShowLabel(screen, mainWnd, step.show);
  } else if (step.restore) {
    RestoreSaved(screen);
    Forget();
  }
  SelectObject(screen, oldFont);
  DeleteObject(font);
  DeleteDC(screen);
}

void HideHoverLabel() {
  if (!s_shown) return;
  HDC screen = CreateDCA("DISPLAY", NULL, NULL, NULL);
  RestoreSaved(screen);
  DeleteDC(screen);
  Forget();
}

void DrawLocationLabel(HWND mainWnd) {
  HDC dc = GetDC(mainWnd);
  HFONT font = CreateTextFont(CaptionFontHeight(g_uiLanguage, g_osKind), kCaptionFace);
  HGDIOBJ oldFont = SelectObject(dc, font);
  SetBkMode(dc, OPAQUE);
  SetBkColor(dc, g_btnFaceColor);
  const char* text = Tx(kLocationCaption);
  TextOutA(dc, 20, g_uiLanguage ? 35 : 34, text, lstrlenA(text));
  SelectObject(dc, oldFont);
  DeleteObject(font);
  ReleaseDC(mainWnd, dc);
}
