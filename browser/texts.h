// Texts of the file list and the drive selector, English and Japanese.
#pragma once
#include "base/text.h"

constexpr Text kHeadName = {"Name", "名前"};
constexpr Text kHeadSize = {"Size (B)", "ｻｲｽﾞ (B)"};
constexpr Text kHeadType = {"Type", "種類"};
constexpr Text kHeadModified = {"Modified", "更新日時"};
constexpr Text kHeadAttributes = {"Attributes", "属性"};

constexpr Text kTypeRecycler = {"<Recycler>", "<ごみ箱>"};
constexpr Text kTypeFolder = {"<Folder>", "<ﾌｫﾙﾀﾞｰ>"};
