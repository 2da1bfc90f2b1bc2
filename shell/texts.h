// Texts the shell shows, English and Japanese side by side.
#pragma once
#include "shell/ui.h"

// Hover labels of the fifteen buttons, by position (index 0 unused).
inline const Text kLabelTexts[16] = {
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

inline const Text kLocationCaption = {"File Location:", "ファイルの場所:"};
inline const Text kBusyBanner = {"In Process", "現在処理中"};
inline const Text kDialogFailed = {"Unable to display dialog.", "ダイアログを表示できません."};
inline const Text kSystemErrorCaption = {"System Error", "システム・エラー"};

// Font faces of the drawn texts.
inline const Text kLabelFace = {"Helv", "ＭＳゴシック"};
inline const Text kCaptionFace = {"Helv", "ＭＳ Ｐゴシック"};
