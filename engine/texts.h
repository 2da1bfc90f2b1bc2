// Texts that division, merger and floppy copy share.
#pragma once
#include "base/text.h"

constexpr Text kPieceMissing = {"A file, FILE-%d, is missing.", "ファイル(FILE-%d)が不足しています."};
