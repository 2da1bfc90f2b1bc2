// Where the busy banner stands in the main window and where its text starts.
#pragma once

// The rounded box (444, 25)-(562, 53).
enum { kBannerLeft = 444, kBannerTop = 25, kBannerWidth = 118, kBannerHeight = 28 };
// The text is centred in the box, never left of it nor above it.
int BannerTextX(int textWidth);
int BannerTextY(int textHeight);
