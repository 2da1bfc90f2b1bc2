// Texts that more than one file command shows.
#pragma once
#include "base/text.h"

constexpr Text kNoTarget = {"Unknown and unexpected error happened.", "原因不明の予期せぬエラーです."};
constexpr Text kProgramFile = {
    "Unable to replace, change or delete %s,\nbecause it is TOVRA.EXE now running.",
    "%s は実行中の TOVRA.EXE であるため、\n置き換え、変更、削除はできません."};
