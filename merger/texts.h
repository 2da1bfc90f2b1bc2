// Rundelo's texts in both languages; the language is chosen once from the code page. Every
// text but the title is kept packed (texts.cpp): phrases that several share are stored once,
// which leaves room in the program for what it does.
#pragma once
#include "base/text.h"

namespace rundelo {

// The title, and the window class of the same name.
constexpr Text kTitle = {"Rundelo", "Rundelo"};

// X(id, English, Japanese) for each text.
#define RUNDELO_TEXTS(X)                                                                                  \
  X(kWaiting, "Please wait a moment...", "ちょっとお待ちください...")                                    \
  X(kCaptionError, "Error", "エラー")                                                                    \
  X(kCaptionWarning, "Warning", "警告")                                                                  \
  X(kNotHardDisk, "Unable to merge the files other than in the hard disk.",                               \
    "ハードディスク以外ではファイルの結合はできません.")                                                 \
  X(kPathTooLong, "The folder's path is too long.", "フォルダのパスが長すぎます.")                          \
  X(kNoInfoFile, "NO information file, FILE-0, exists.", "情報ファイル(FILE-0)がありません.")             \
  X(kCannotOpenInfo, "Unable to open the information file, FILE-0.", "情報ファイル FILE-0 を開けません.") \
  X(kIncorrectInfo, "Incorrect file, FILE-0.", "FILE-0 は不正です.")                                     \
  X(kDestinationExists,                                                                                   \
    "Destination file already exists in the directory.\nPlease delete the following file;\n%s",          \
    "結合されたファイルが存在しています.\n下記のファイルを削除してください;%s")                          \
  X(kPieceMissing, "Divided file, FILE-%d, is missing.", "分割されたファイル(FILE-%d)が不足しています.")  \
  X(kNoFreeSpace, "Free diskspace is not enough.", "ディスクの空容量が不足です.")                         \
  X(kCannotCreate, "Unable to create a destination file;\n%s", "下記の結合ファイルを作成できません;\n%s") \
  X(kCannotOpenPiece, "Unable to open a divided file.", "分割されたファイルを開けません.")                \
  X(kSizeDiffers, "Merged file size is not equal to original one.",                                       \
    "結合されたファイルのサイズが元と異なります.")                                                       \
  X(kCannotWrite, "Unable to write to the merged file.", "結合されたファイルに書き込めません.")             \
  /* The merged file could not be opened again, or read back, for a rebuild. */                           \
  X(kCannotReadMerged, "Unable to read the merged file.", "結合されたファイルを読めません.")                \
  /* After a failure's message, when the merged file could not be deleted. */                             \
  X(kLeftAs, "The merged file is left as %s.", "結合されたファイルは %s として残っています.")               \
  X(kCannotSetTime, "Unable to change the timestamp of the merged file.",                                 \
    "結合されたファイルのタイム・スタンプを変更できません.")                                             \
  X(kPieceDamaged, "Divided file, FILE-%d, is damaged.", "分割されたファイル(FILE-%d)が破壊されています.") \
  X(kPieceShort, "Divided file, FILE-%d, is shorter than the original one.",                              \
    "分割されたファイル(FILE-%d)が元より短くなっています.")                                               \
  X(kNoParity, "%s\nUnable to rebuild it without the sound parity file, FILE-%d.",                        \
    "%s\n正常なパリティファイル FILE-%d がないため、復元できません.")                                     \
  /* Damage the parity pieces cannot mend: the pieces, then why (the texts after it). */                  \
  X(kPiecesBad, "Divided files, %s, are damaged or missing.\n",                                           \
    "分割されたファイル(%s)が破壊されているか不足しています.\n")                                          \
  X(kTooManyBad, "Unable to rebuild more than one file.", "２個以上のファイルは復元できません.")           \
  X(kSameStripe, "Unable to rebuild the blocks damaged at the same place in more than one file.",         \
    "２個以上のファイルの同じ位置で破壊されたブロックは復元できません.")                                 \
  X(kNoParityMany, "Unable to rebuild them without the sound parity file, FILE-%d.",                      \
    "正常なパリティファイル FILE-%d がないため、復元できません.")                                         \
  /* With r parity pieces, r > 1 (the pieces named before it include the parity pieces). */               \
  X(kBeyondParity,                                                                                        \
    "Unable to rebuild the blocks damaged at the same place in more than %d files, the parity files "     \
    "included.",                                                                                          \
    "パリティファイルを含めて %d 個を超えるファイルの同じ位置で破壊されたブロックは復元できません.")     \
  X(kRebuildFailed, "Rebuilt file, FILE-%d, is not equal to original one.",                               \
    "復元されたファイル(FILE-%d)が元と異なります.")                                                       \
  X(kRebuildFailedMany, "Rebuilt files, %s, are not equal to original ones.",                             \
    "復元されたファイル(%s)が元と異なります.")                                                            \
  /* Shown in the waiting line while damaged pieces are rebuilt, and afterwards, with one parity */       \
  /* piece and with more. */                                                                              \
  X(kRebuilding, "Rebuilding %s from the parity file...", "パリティファイルから %s を復元しています...")   \
  X(kRebuildingRows, "Rebuilding %s from the parity files...", "パリティファイルから %s を復元しています...") \
  X(kRebuilt, "Rebuilt %s from the parity file.", "%s をパリティファイルから復元しました.")                \
  X(kRebuiltRows, "Rebuilt %s from the parity files.", "%s をパリティファイルから復元しました.")

enum TextId : int {
#define RUNDELO_TEXT_ID(id, en, ja) id,
  RUNDELO_TEXTS(RUNDELO_TEXT_ID)
#undef RUNDELO_TEXT_ID
  kTextCount
};

// A missing, shorter and damaged piece, in that order.
constexpr TextId kBadPiece[3] = {kPieceMissing, kPieceShort, kPieceDamaged};

// Text id in the UI language, unpacked into one of two buffers in turn: a message and its
// caption can be used together.
const char* Tx(TextId id);
// The same into out (kTextBytes), which it keeps.
constexpr int kTextBytes = 256;
void Unpack(char* out, TextId id, int language);

}  // namespace rundelo
