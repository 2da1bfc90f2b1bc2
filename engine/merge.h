// The Merge command: rebuilds the recorded file from the selected FILE-0 and its pieces.
#pragma once
#include "browser/selection.h"

void CmdMerge(const CommandInput& in);

// The decompress command in its after-merge mode (zip: ZIP, else LHA), set at start-up when the
// program has it; while it is not set, a merged archive is not offered for extraction.
extern void (*g_extractAfterMerge)(const CommandInput& in, bool zip, const char* mergedName);
