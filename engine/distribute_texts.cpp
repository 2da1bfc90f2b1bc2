#include "texts.h"

const Text kFdNotFloppy = {"The selected drive is not an FDD.",
                           "選択されたドライブは FDD ではありません."};
const Text kFdConfirm = {"Please confirm an FD inserted in the FDD and then press <OK> button.",
                         "FDD に FD が挿入されていることを確認し、<OK>ボタンを押してください."};
const Text kFdInsert = {"Insert an FD in the FDD and then press <OK> button.",
                        "FD を FDD に入れて、<OK>ボタンを押してください."};
const Text kFdNotEnough = {
    "Free diskspace of FD is not enough.\nDo you continue to copy with an another FD ?",
    "FDの空容量が不足です.\n別のFDに入れ換えて続けますか ?"};
const Text kFdChangeDisk = {"Insert an another FD and then press <OK> button.",
                            "別のFD を入れて、<OK>ボタンを押してください."};
const Text kFdNextDisk = {"Please insert a next FD in the FDD and then press <OK> button.",
                          "次の FD を FDD に入れて、<OK>ボタンを押してください."};
const Text kFdInterrupted = {"Coping to FD was interrupted.", "FD へのコピーは中断されました."};
const Text kFdCompletedHead = {
    "File copy to FD has been completed.\nDo you delete FILE-0, ... , FILE-",
    "FD へのファイルコピーが終了しました.\nディスク上の FILE-0, ... , FILE-"};
const Text kFdCompletedTail = {" on the disk ?", " を削除しますか？"};
const Text kFdCopyFailedHead = {"Unable to copy FILE-", "FILE-"};
const Text kFdCopyFailedTail = {
    " to the FD correctly.\nDo you retry it with an another FD ?",
    " を FD に正しくコピーできませんでした.\n別のFDで、もう一度コピーしますか ?"};
