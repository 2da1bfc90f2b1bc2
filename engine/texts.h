// Texts that division, merger and floppy copy share, in Tovra and on the command line.
#pragma once
#include "base/text.h"

constexpr Text kPieceMissing = {"A file, FILE-%d, is missing.", "ファイル(FILE-%d)が不足しています."};

// Division.
constexpr Text kSemicolon = {
    "Unable to divide a file whose name contains a semicolon (;), %s.\nPlease rename it first.",
    "名前にセミコロン(;)を含むファイル、%s は分割できません.\n先に名前を変更してください."};
constexpr Text kPiecesExist = {
    "Destination files (FILE-0, ... ,FILE-i)\nexist in the directory.\n"
    "Do you continue the file division by deleting them ?",
    "分割されたファイル (FILE-0, ... ,FILE-i)\nがフォルダーに存在しています.\n"
    "これらを削除して、ファイル分割を続けますか？"};
constexpr Text kUnderSize = {"Source filesize is under the division size.",
                             "分割するファイルのサイズが指定分割サイズ以下です."};
constexpr Text kOver999 = {"Number of divided files is over 999.",
                           "分割されるファイルの数が９９９個以上です."};
constexpr Text kNamedLikePiece = {
    "Unable to divide a file named like one of its pieces, %s.\nPlease rename it first.",
    "分割先ファイルと同じ名前のファイル、%s は分割できません.\n先に名前を変更してください."};
constexpr Text kNoSpace = {"Free diskspace is not enough.", "ディスクの空容量が不足です."};
constexpr Text kCreateInfo = {"Unable to create a destination file, FILE-0.",
                              "コピー先ファイル FILE-0 を作成できません."};
constexpr Text kWriteInfo = {"Unable to write to FILE-0.", "FILE-0 へ書き込みができません."};
constexpr Text kOpenSource = {"Unable to open a source file, %s.", "ソースファイル、%sを開けません."};
constexpr Text kCreatePiece = {"Unable to create a destination file, FILE-%d.",
                               "分割先ファイル FILE-%d を作成できません."};
constexpr Text kWritePiece = {"Unable to write to the destination file, FILE-%d.",
                              "分割先ファイル FILE-%d への書き込みができません."};
constexpr Text kReadSource = {"Unable to read the source file, %s.", "ソースファイル、%s を読めません."};

// Merger.
constexpr Text kOpenInfo = {"Unable to open the information file, FILE-0.",
                            "情報ファイル FILE-0 を開けません."};
constexpr Text kMissedRead = {"Missed to read FILE-0.", "FILE-0 の誤読です."};
constexpr Text kDamaged = {"Found the damaged file, FILE-0.", "FILE-0 が破壊されています."};
constexpr Text kExists = {"Destination file already exists.\nPlease delete %s.",
                          "結合されたファイルが存在しています.\nファイル、%s を削除してください."};
constexpr Text kNoFirstPiece = {"Unable to find a file, FILE-1.", "FILE-1 を見つけられません."};
constexpr Text kCreate = {"Unable to create a destination file, %s.", "結合するファイル、%s を作成できません."};
constexpr Text kOpenPiece = {"Unable to open the source file, FILE-%d.",
                             "ソースファイル FILE-%d を開けません."};
constexpr Text kWrite = {"Unable to write to the destination file, %s.",
                         "結合先ファイルファイル、%s への書き込みができません."};
constexpr Text kReadPiece = {"Unable to read the source file, FILE-%d.", "ソースファイル FILE-%d を読めません."};
constexpr Text kReopen = {"Unable to open the merged file, %s.", "結合されたファイル、%s を開けません."};
constexpr Text kSizeDiffers = {"Unsuccess!\nFilesize is not equal to the original filesize.",
                               "不成功！\n作成されたファイルのサイズが元と異なります."};
constexpr Text kDelete = {"Do you delete FILE-0, ... , FILE-%d ?", "FILE-0, ... , FILE-%d を削除しますか？"};
constexpr Text kPieceDamaged = {"A file, FILE-%d, is damaged.", "ファイル(FILE-%d)が破壊されています."};
constexpr Text kPieceShort = {"A file, FILE-%d, is shorter than the original one.",
                              "ファイル(FILE-%d)が元より短くなっています."};
constexpr Text kAskRebuild = {"%s\nDo you rebuild it from the parity file, FILE-%d ?",
                              "%s\nパリティファイル FILE-%d から復元しますか？"};
constexpr Text kNoParity = {"%s\nUnable to rebuild it without the sound parity file, FILE-%d.",
                            "%s\n正常なパリティファイル FILE-%d がないため、復元できません."};
constexpr Text kTooManyBad = {"Files, %s, are damaged or missing.\nUnable to rebuild more than one file.",
                              "ファイル(%s)が破壊されているか不足しています.\n２個以上のファイルは復元できません."};
constexpr Text kRebuildFailed = {"Unsuccess!\nThe rebuilt file, FILE-%d, is not equal to the original one.",
                                 "不成功！\n復元されたファイル(FILE-%d)が元と異なります."};
constexpr Text kAskRebuildBlocks = {"%s\nDo you rebuild %d block(s) of it from the parity file ?",
                                   "%s\n%d 個のブロックをパリティファイルから復元しますか？"};
constexpr Text kAskRebuildMany = {
    "Files, %s, are damaged or missing.\nDo you rebuild %d block(s) of them from the parity file ?",
    "ファイル(%s)が破壊されているか不足しています.\n%d 個のブロックをパリティファイルから復元しますか？"};
constexpr Text kSameStripe = {
    "Files, %s, are damaged or missing.\nUnable to rebuild the blocks damaged at the same place in more "
    "than one file.",
    "ファイル(%s)が破壊されているか不足しています.\n２個以上のファイルの同じ位置で破壊されたブロックは復元できません."};
constexpr Text kNoParityMany = {
    "Files, %s, are damaged or missing.\nUnable to rebuild them without the sound parity file, FILE-%d.",
    "ファイル(%s)が破壊されているか不足しています.\n正常なパリティファイル FILE-%d がないため、復元できません."};
constexpr Text kRebuildFailedMany = {"Unsuccess!\nThe rebuilt files, %s, are not equal to the original ones.",
                                     "不成功！\n復元されたファイル(%s)が元と異なります."};
constexpr Text kReadMerged = {"Unable to read the merged file, %s.", "結合されたファイル、%s を読めません."};
constexpr Text kLeftAs = {"The merged file is left as %s.", "結合されたファイルは %s として残っています."};
// With more than one parity piece.
constexpr Text kAskRebuildBlocksRows = {"%s\nDo you rebuild %d block(s) of it from the parity files ?",
                                        "%s\n%d 個のブロックをパリティファイルから復元しますか？"};
constexpr Text kAskRebuildManyRows = {
    "Files, %s, are damaged or missing.\nDo you rebuild %d block(s) of them from the parity files ?",
    "ファイル(%s)が破壊されているか不足しています.\n%d 個のブロックをパリティファイルから復元しますか？"};
constexpr Text kBeyondParity = {
    "Files, %s, are damaged or missing.\nUnable to rebuild the blocks damaged at the same place in more "
    "than %d files, the parity files included.",
    "ファイル(%s)が破壊されているか不足しています.\nパリティファイルを含めて %d "
    "個を超えるファイルの同じ位置で破壊されたブロックは復元できません."};
constexpr Text kBadPiece[3] = {kPieceMissing, kPieceShort, kPieceDamaged};
