// Texts of division, merger and floppy copy, English and Japanese. A text that holds a name or
// a number is split around it into a head and a tail.
#pragma once
#include "shell/ui.h"

// Captions.
extern const Text kCapError, kCapWarning, kCapQuestion, kCapInquiry, kCapCongratulations,
    kCapCaution, kCapConfirmation, kCapRequest, kCapInformation;

// Division.
extern const Text kDivNotHardDisk, kDivSemicolonHead, kDivSemicolonTail, kDivPiecesExist,
    kDivUnderSize, kDivOver999, kDivNamedLikePieceHead, kDivNamedLikePieceTail, kDivNoSpace,
    kDivCreateInfo, kDivWriteInfo, kDivOpenSourceHead, kDivOpenSourceTail, kDivCreatePieceHead,
    kDivCreatePieceTail, kDivWritePieceHead, kDivWritePieceTail, kDivReadSourceHead,
    kDivReadSourceTail, kDivSuccessHead, kDivSuccessTail, kDivNextToFloppy;

// Merger, with the messages of FILE-0's reader.
extern const Text kMrgOpenInfo, kMrgMissedRead, kMrgDamaged, kMrgNotInfoFile, kMrgNotHardDisk,
    kMrgExistsHead, kMrgExistsTail, kMrgNoFirstPiece, kMrgNoSpace, kMrgMissingHead,
    kMrgMissingTail, kMrgCreateHead, kMrgCreateTail, kMrgOpenPieceHead, kMrgOpenPieceTail,
    kMrgWriteHead, kMrgWriteTail, kMrgReadPieceHead, kMrgReadPieceTail, kMrgReopenHead,
    kMrgReopenTail, kMrgSizeDiffers, kMrgSuccessHead, kMrgSuccessTail, kMrgDeleteHead,
    kMrgDeleteTail, kMrgDecompressNext;

// Floppy copy.
extern const Text kFdNotFloppy, kFdConfirm, kFdInsert, kFdNotEnough, kFdChangeDisk, kFdNextDisk,
    kFdInterrupted, kFdCompletedHead, kFdCompletedTail, kFdCopyFailedHead, kFdCopyFailedTail;
