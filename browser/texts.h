// Texts of the file list and the drive selector, English and Japanese.
#pragma once
#include "shell/ui.h"

constexpr Text kHeadName = {"Name", "名前"};
constexpr Text kHeadSize = {"Size (B)", "ｻｲｽﾞ (B)"};
constexpr Text kHeadType = {"Type", "種類"};
constexpr Text kHeadModified = {"Modified", "更新日時"};
constexpr Text kHeadAttributes = {"Attributes", "属性"};

constexpr Text kTypeRecycler = {"<Recycler>", "<ごみ箱>"};
constexpr Text kTypeFolder = {"<Folder>", "<ﾌｫﾙﾀﾞｰ>"};

// The media question: first part, the drive's root, second part.
constexpr Text kMediaAsk1 = {"Does the drive ", "ドライブ "};
constexpr Text kMediaAsk2 = {" have a media ready to use?\nConfirm a media and press <YES> button.",
                             " にはメディアが準備できていますか？\n準備後に、<YES>ボタンを押してください."};
constexpr Text kCaptionCaution = {"CAUTION", "注意"};
