// Rundelo's texts in both languages; the language is chosen once from the code page.
#pragma once

namespace rundelo {

struct Text {
  const char* en;
  const char* ja;
};

// 0 = English, 1 = Japanese.
extern int g_uiLanguage;
inline const char* Tx(const Text& t) { return g_uiLanguage ? t.ja : t.en; }

extern const Text kTitle;
extern const Text kWaiting;
extern const Text kCaptionError;
extern const Text kCaptionWarning;

extern const Text kNotHardDisk;
extern const Text kNoInfoFile;
extern const Text kCannotOpenInfo;
extern const Text kIncorrectInfo;
extern const Text kDestinationExists;  // followed by the full path
extern const Text kPieceMissingHead;   // followed by the piece number
extern const Text kPieceMissingTail;
extern const Text kNoFreeSpace;
extern const Text kCannotCreate;       // followed by the recorded name
extern const Text kCannotOpenPiece;
extern const Text kSizeDiffers;
extern const Text kCannotSetTime;

}  // namespace rundelo
