// Rundelo's texts in both languages; the language is chosen once from the code page.
#pragma once
#include "base/text.h"

namespace rundelo {

constexpr Text kTitle = {"Rundelo", "Rundelo"};
constexpr Text kWaiting = {"Please wait a moment...", "ちょっとお待ちください..."};
constexpr Text kCaptionError = {"Error", "エラー"};
constexpr Text kCaptionWarning = {"Warning", "警告"};

constexpr Text kNotHardDisk = {"Unable to merge the files other than in the hard disk.",
                               "ハードディスク以外ではファイルの結合はできません."};
constexpr Text kNoInfoFile = {"NO information file, FILE-0, exists.",
                              "情報ファイル(FILE-0)がありません."};
constexpr Text kCannotOpenInfo = {"Unable to open the information file, FILE-0.",
                                  "情報ファイル FILE-0 を開けません."};
constexpr Text kIncorrectInfo = {"Incorrect file, FILE-0.", "FILE-0 は不正です."};
constexpr Text kDestinationExists = {
    "Destination file already exists in the directory.\nPlease delete the following file;\n%s",
    "結合されたファイルが存在しています.\n下記のファイルを削除してください;%s"};
constexpr Text kPieceMissing = {"Divided file, FILE-%d, is missing.",
                                "分割されたファイル(FILE-%d)が不足しています."};
constexpr Text kNoFreeSpace = {"Free diskspace is not enough.", "ディスクの空容量が不足です."};
constexpr Text kCannotCreate = {"Unable to create a destination file;\n%s",
                                "下記の結合ファイルを作成できません;\n%s"};
constexpr Text kCannotOpenPiece = {"Unable to open a divided file.", "分割されたファイルを開けません."};
constexpr Text kSizeDiffers = {"Merged file size is not equal to original one.",
                               "結合されたファイルのサイズが元と異なります."};
constexpr Text kCannotSetTime = {"Unable to change the timestamp of the merged file.",
                                 "結合されたファイルのタイム・スタンプを変更できません."};
constexpr Text kPieceDamaged = {"Divided file, FILE-%d, is damaged.",
                                "分割されたファイル(FILE-%d)が破壊されています."};
constexpr Text kPieceShort = {"Divided file, FILE-%d, is shorter than the original one.",
                              "分割されたファイル(FILE-%d)が元より短くなっています."};
constexpr Text kNoParity = {"%s\nUnable to rebuild it without the sound parity file, FILE-%d.",
                            "%s\n正常なパリティファイル FILE-%d がないため、復元できません."};
// Damage the parity piece cannot mend: the pieces, then why (the texts below).
constexpr Text kPiecesBad = {"Divided files, %s, are damaged or missing.\n",
                             "分割されたファイル(%s)が破壊されているか不足しています.\n"};
constexpr Text kTooManyBad = {"Unable to rebuild more than one file.",
                              "２個以上のファイルは復元できません."};
constexpr Text kRebuildFailed = {"Rebuilt file, FILE-%d, is not equal to original one.",
                                 "復元されたファイル(FILE-%d)が元と異なります."};
constexpr Text kBadPiece[3] = {kPieceMissing, kPieceShort, kPieceDamaged};
// Shown in the waiting line while damaged pieces are rebuilt, and afterwards.
constexpr Text kRebuilding = {"Rebuilding %s from the parity file...",
                              "パリティファイルから %s を復元しています..."};
constexpr Text kRebuilt = {"Rebuilt %s from the parity file.",
                           "%s をパリティファイルから復元しました."};
constexpr Text kSameStripe = {
    "Unable to rebuild the blocks damaged at the same place in more than one file.",
    "２個以上のファイルの同じ位置で破壊されたブロックは復元できません."};
constexpr Text kNoParityMany = {"Unable to rebuild them without the sound parity file, FILE-%d.",
                                "正常なパリティファイル FILE-%d がないため、復元できません."};
constexpr Text kRebuildFailedMany = {"Rebuilt files, %s, are not equal to original ones.",
                                     "復元されたファイル(%s)が元と異なります."};

}  // namespace rundelo
