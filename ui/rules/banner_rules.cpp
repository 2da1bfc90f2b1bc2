#include "ui/rules/banner_rules.h"

static int HalfGap(int room, int used) {
  int gap = (room - used) / 2;
  return gap > 0 ? gap : 0;
}

int BannerTextX(int textWidth) { return kBannerLeft + HalfGap(kBannerWidth, textWidth); }
int BannerTextY(int textHeight) { return kBannerTop + HalfGap(kBannerHeight, textHeight); }
