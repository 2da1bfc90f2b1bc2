#include "texts.h"

const Text kMrgOpenInfo = {"Unable to open the information file, FILE-0.",
                           "情報ファイル FILE-0 を開けません."};
const Text kMrgMissedRead = {"Missed to read FILE-0.", "FILE-0 の誤読です."};
const Text kMrgDamaged = {"Found the damaged file, FILE-0.", "FILE-0 が破壊されています."};
const Text kMrgNotInfoFile = {"Please assign a file, FILE-0 (or, file-0).",
                              "FILE-0 (または file-0 )を指定してください."};
const Text kMrgNotHardDisk = {"Unable to merge the files other than in the hard disk.",
                              "ハードディスク以外ではファイルの結合はできません."};
const Text kMrgExistsHead = {"Destination file already exists.\nPlease delete ",
                             "結合されたファイルが存在しています.\nファイル、"};
const Text kMrgExistsTail = {".", " を削除してください."};
const Text kMrgNoFirstPiece = {"Unable to find a file, FILE-1.", "FILE-1 を見つけられません."};
const Text kMrgNoSpace = {"Free diskspace is not enough.", "ディスクの空容量が不足です."};
const Text kMrgMissingHead = {"A file, FILE-", "ファイル(FILE-"};
const Text kMrgMissingTail = {", is missing.", ")が不足しています."};
const Text kMrgCreateHead = {"Unable to create a destination file, ", "結合するファイル、"};
const Text kMrgCreateTail = {".", " を作成できません."};
const Text kMrgOpenPieceHead = {"Unable to open the source file, FILE-", "ソースファイル FILE-"};
const Text kMrgOpenPieceTail = {".", " を開けません."};
const Text kMrgWriteHead = {"Unable to write to the destination file, ", "結合先ファイルファイル、"};
const Text kMrgWriteTail = {".", " への書き込みができません."};
const Text kMrgReadPieceHead = {"Unable to read the source file, FILE-", "ソースファイル FILE-"};
const Text kMrgReadPieceTail = {".", " を読めません."};
const Text kMrgReopenHead = {"Unable to open the merged file, ", "結合されたファイル、"};
const Text kMrgReopenTail = {".", " を開けません."};
const Text kMrgSizeDiffers = {"Unsuccess!\nFilesize is not equal to the original filesize.",
                              "不成功！\n作成されたファイルのサイズが元と異なります."};
const Text kMrgSuccessHead = {"Success!\nFile, ", "成功！\nファイル、"};
const Text kMrgSuccessTail = {", has been created.", " が作成されました."};
const Text kMrgDeleteHead = {"Do you delete FILE-0, ... , FILE-", "FILE-0, ... , FILE-"};
const Text kMrgDeleteTail = {" ?", " を削除しますか？"};
const Text kMrgDecompressNext = {"Next do you decompress the compressed file ?",
                                 "次に、圧縮ファイルを解凍しますか？"};
