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

}  // namespace rundelo
