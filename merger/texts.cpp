#include "texts.h"

namespace rundelo {

int g_uiLanguage = 0;

const Text kTitle = {"Rundelo", "Rundelo"};
const Text kWaiting = {"Please wait a moment...", "ちょっとお待ちください..."};
const Text kCaptionError = {"Error", "エラー"};
const Text kCaptionWarning = {"Warning", "警告"};

const Text kNotHardDisk = {"Unable to merge the files other than in the hard disk.",
                           "ハードディスク以外ではファイルの結合はできません."};
const Text kNoInfoFile = {"NO information file, FILE-0, exists.",
                          "情報ファイル(FILE-0)がありません."};
const Text kCannotOpenInfo = {"Unable to open the information file, FILE-0.",
                              "情報ファイル FILE-0 を開けません."};
const Text kIncorrectInfo = {"Incorrect file, FILE-0.", "FILE-0 は不正です."};
const Text kDestinationExists = {
    "Destination file already exists in the directory.\nPlease delete the following file;\n",
    "結合されたファイルが存在しています.\n下記のファイルを削除してください;"};
const Text kPieceMissingHead = {"Divided file, FILE-", "分割されたファイル(FILE-"};
const Text kPieceMissingTail = {", is missing.", ")が不足しています."};
const Text kNoFreeSpace = {"Free diskspace is not enough.", "ディスクの空容量が不足です."};
const Text kCannotCreate = {"Unable to create a destination file;\n",
                            "下記の結合ファイルを作成できません;\n"};
const Text kCannotOpenPiece = {"Unable to open a divided file.", "分割されたファイルを開けません."};
const Text kSizeDiffers = {"Merged file size is not equal to original one.",
                           "結合されたファイルのサイズが元と異なります."};
const Text kCannotSetTime = {"Unable to change the timestamp of the merged file.",
                             "結合されたファイルのタイム・スタンプを変更できません."};

}  // namespace rundelo
