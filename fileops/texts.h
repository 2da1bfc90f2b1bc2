// Texts that more than one file command shows.
#pragma once
#include "base/text.h"

constexpr Text kNoTarget = {"Unknown and unexpected error happened.", "原因不明の予期せぬエラーです."};
