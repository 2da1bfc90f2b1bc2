#include "texts.h"

const Text kCapError = {"Error", "エラー"};
const Text kCapWarning = {"Warning", "警告"};
const Text kCapQuestion = {"Question", "質問"};
const Text kCapInquiry = {"Question", "問合せ"};
const Text kCapCongratulations = {"Congratulations", "オメデトウ"};
const Text kCapCaution = {"Caution", "注意"};
const Text kCapConfirmation = {"Confirmation", "確認"};
const Text kCapRequest = {"Request", "要求"};
const Text kCapInformation = {"Information", "お知らせ"};

const Text kDivNotHardDisk = {"Unable to divide the file other than in the hard disk.",
                              "ハードディスク以外ではファイルの分割はできません."};
const Text kDivSemicolonHead = {"Unable to divide a file whose name contains a semicolon (;), ",
                                "名前にセミコロン(;)を含むファイル、"};
const Text kDivSemicolonTail = {".\nPlease rename it first.",
                                " は分割できません.\n先に名前を変更してください."};
const Text kDivPiecesExist = {
    "Destination files (FILE-0, ... ,FILE-i)\nexist in the directory.\n"
    "Do you continue the file division by deleting them ?",
    "分割されたファイル (FILE-0, ... ,FILE-i)\nがフォルダーに存在しています.\n"
    "これらを削除して、ファイル分割を続けますか？"};
const Text kDivUnderSize = {"Source filesize is under the division size.",
                            "分割するファイルのサイズが指定分割サイズ以下です."};
const Text kDivOver999 = {"Number of divided files is over 999.",
                          "分割されるファイルの数が９９９個以上です."};
const Text kDivNamedLikePieceHead = {"Unable to divide a file named like one of its pieces, ",
                                     "分割先ファイルと同じ名前のファイル、"};
const Text kDivNamedLikePieceTail = {".\nPlease rename it first.",
                                     " は分割できません.\n先に名前を変更してください."};
const Text kDivNoSpace = {"Free diskspace is not enough.", "ディスクの空容量が不足です."};
const Text kDivCreateInfo = {"Unable to create a destination file, FILE-0.",
                             "コピー先ファイル FILE-0 を作成できません."};
const Text kDivWriteInfo = {"Unable to write to FILE-0.", "FILE-0 へ書き込みができません."};
const Text kDivOpenSourceHead = {"Unable to open a source file, ", "ソースファイル、"};
const Text kDivOpenSourceTail = {".", "を開けません."};
const Text kDivCreatePieceHead = {"Unable to create a destination file, FILE-",
                                  "分割先ファイル FILE-"};
const Text kDivCreatePieceTail = {".", " を作成できません."};
const Text kDivWritePieceHead = {"Unable to write to the destination file, FILE-",
                                 "分割先ファイル FILE-"};
const Text kDivWritePieceTail = {".", " への書き込みができません."};
const Text kDivReadSourceHead = {"Unable to read the source file, ", "ソースファイル、"};
const Text kDivReadSourceTail = {".", " を読めません."};
const Text kDivSuccessHead = {"Success!\nFILE-0,...,FILE-", "成功！\nFILE-0,...,FILE-"};
const Text kDivSuccessTail = {" have been created.", " が作成されました."};
const Text kDivNextToFloppy = {"Next do you copy the divided files to FDs ?",
                               "次に、ファイルを FD にコピーしますか？"};
