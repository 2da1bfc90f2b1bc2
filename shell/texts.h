// Texts the shell shows, English and Japanese side by side.
#pragma once
#include "base/text.h"

// Hover labels of the fifteen buttons, by position (index 0 unused).
constexpr Text kLabelTexts[16] = {
    {"", ""},
    {"Division", "ﾌｧｲﾙ分割"},
    {"Merger", "ﾌｧｲﾙ結合"},
    {"Directory", "ﾃﾞｨﾚｸﾄﾘ作成"},
    {"Copy", "ﾌｧｲﾙｺﾋﾟｰ"},
    {"Rename", "名前変更"},
    {"Delete", "削除"},
    {"Compress", "ﾌｧｲﾙ圧縮"},
    {"Decompress", "ﾌｧｲﾙ解凍"},
    {"File Size", "ﾌｧｲﾙ･ｻｲｽﾞ"},
    {"Timestamp", "ﾀｲﾑｽﾀﾝﾌﾟ変更"},
    {"Attributes", "属性変更"},
    {"About", "御案内"},
    {"Help", "ヘルプ"},
    {"Exit", "終了"},
    {"Up One Level", "上のﾌｫﾙﾀﾞｰへ"},
};

constexpr Text kLocationCaption = {"File Location:", "ファイルの場所:"};

// Font faces of the drawn texts.
constexpr Text kLabelFace = {"Helv", "ＭＳゴシック"};
constexpr Text kCaptionFace = {"Helv", "ＭＳ Ｐゴシック"};
