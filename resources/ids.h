// Every command and control identifier of Tovra. Read by the C++ sources, the resource
// scripts (so plain #defines) and the Python tests, which parse the "#define NAME value" lines.
#pragma once

// Commands that reach the main window (an icon-bar click, or the drive selector).
#define IDM_DIVISION 101
#define IDM_MERGER 102
#define IDM_DIRECTORY 103
#define IDM_COPY 104
#define IDM_RENAME 105
#define IDM_DELETE 106
#define IDM_COMPRESS 107
#define IDM_DECOMPRESS 108
#define IDM_FILESIZE 109
#define IDM_TIMESTAMP 110
#define IDM_ATTRIBUTES 111
#define IDM_ABOUT 112
#define IDM_HELP 113
#define IDM_EXIT 114
#define IDM_UPONELEVEL 115
// The drive selector's own control identifier; its selection change is command 116.
#define IDC_DRIVESELECTOR 116

// Main window controls.
#define IDC_LISTFRAME 117
// The fifteen icon-bar buttons, in bar order; a click on 118 + k forwards command 101 + k.
#define IDC_BTN_DIVISION 118
#define IDC_BTN_MERGER 119
#define IDC_BTN_DIRECTORY 120
#define IDC_BTN_COPY 121
#define IDC_BTN_RENAME 122
#define IDC_BTN_DELETE 123
#define IDC_BTN_COMPRESS 124
#define IDC_BTN_DECOMPRESS 125
#define IDC_BTN_FILESIZE 126
#define IDC_BTN_TIMESTAMP 127
#define IDC_BTN_ATTRIBUTES 128
#define IDC_BTN_ABOUT 129
#define IDC_BTN_HELP 130
#define IDC_BTN_EXIT 131
#define IDC_BTN_UPONELEVEL 132

// The About box's icon resource.
#define IDI_ABOUT 133

// Divide File.
#define IDC_DIV_SOURCE 134
#define IDC_DIV_144 135
#define IDC_DIV_120 136
#define IDC_DIV_72 137
#define IDC_DIV_64 138
#define IDC_DIV_USER 139
#define IDC_DIV_SIZELIST 140
// Copy Divided Files to FDs.
#define IDC_FD_DRIVE 141
// Merge File.
#define IDC_MRG_DEST 142
// Decompress.
#define IDC_DEC_SOURCE 143
#define IDC_DEC_LHA 144
#define IDC_DEC_ZIP 145
// Compress.
#define IDC_CMP_SOURCE 146
#define IDC_CMP_LHA 147
#define IDC_CMP_ZIP 148
// Make Directory.
#define IDC_MKD_PATH 149
// Copy File.
#define IDC_CPY_SOURCE 150
#define IDC_CPY_DEST 151
// Rename.
#define IDC_REN_FROM 152
#define IDC_REN_TO 153
// Delete.
#define IDC_DEL_TARGET 154
#define IDC_DEL_RECYCLE 155
#define IDC_DEL_COMPLETE 156
// Inquire File Size and its result.
#define IDC_CNT_PARENT 157
#define IDC_RES_SIZE 158
#define IDC_RES_FILES 159
#define IDC_RES_DIRS 160
// Change Attributes.
#define IDC_ATR_READONLY 161
#define IDC_ATR_HIDDEN 162
#define IDC_ATR_SYSTEM 163
#define IDC_ATR_ARCHIVE 164
#define IDC_ATR_SUBFOLDERS 165
#define IDC_ATR_FILESONLY 166
// Change Timestamp.
#define IDC_TS_YEAR 167
#define IDC_TS_MONTH 168
#define IDC_TS_DAY 169
#define IDC_TS_HOUR 170
#define IDC_TS_MINUTE 171
#define IDC_TS_SECOND 172
#define IDC_TS_SUBFOLDERS 173
