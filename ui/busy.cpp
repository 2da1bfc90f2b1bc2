// The busy banner: a red rounded box that says the program is working.
#include "ui/busy.h"

#include "base/text.h"
#include "ui/rules/banner_rules.h"
#include "ui/state.h"

constexpr Text kBusyBanner = {"In Process", "現在処理中"};
static const COLORREF kBannerFill = 0x000000FF;
static const COLORREF kBannerText = 0x00FFFFFF;

static void PaintBanner(HWND wnd, bool show) {
  HDC dc = GetDC(wnd);
  const char* text = Tx(kBusyBanner);
  int len = lstrlenA(text);
  SIZE size = {};
  GetTextExtentPoint32A(dc, text, len, &size);
  HRGN region = CreateRoundRectRgn(kBannerLeft, kBannerTop, kBannerLeft + kBannerWidth,
                                   kBannerTop + kBannerHeight, 10, 10);
  SelectClipRgn(dc, region);
  HBRUSH brush = CreateSolidBrush(show ? kBannerFill : g_btnFaceColor);
  HGDIOBJ oldBrush = SelectObject(dc, brush);
  Rectangle(dc, kBannerLeft - 1, kBannerTop - 1, kBannerLeft + kBannerWidth + 1,
            kBannerTop + kBannerHeight + 1);
  SelectObject(dc, oldBrush);
  DeleteObject(brush);
  DeleteObject(region);
  SetBkMode(dc, OPAQUE);
  SetBkColor(dc, show ? kBannerFill : g_btnFaceColor);
  SetTextColor(dc, show ? kBannerText : g_btnFaceColor);
  TextOutA(dc, BannerTextX(size.cx), BannerTextY(size.cy), text, len);
  SelectClipRgn(dc, NULL);
  ReleaseDC(wnd, dc);
}

void ShowBusyBanner(HWND mainWnd) { PaintBanner(mainWnd, true); }
void HideBusyBanner(HWND mainWnd) { PaintBanner(mainWnd, false); }
