// The Merge command: rebuilds the recorded file from the selected FILE-0 and its pieces.
#pragma once
#include <windows.h>

void CmdMerge(HWND owner);

// The decompress command in its after-merge mode (zip: ZIP, else LHA), set by the dispatcher
// when the program has it; while it is not set, a merged archive is not offered for extraction.
extern void (*g_extractAfterMerge)(HWND owner, bool zip, const char* mergedName);
