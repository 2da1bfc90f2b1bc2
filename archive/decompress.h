// The Decompress command, and its after-merge mode that the Merge command's closing offer runs.
#pragma once
#include "browser/selection.h"

void CmdDecompress(const CommandInput& in);
// The merged file mergedName, beside the selected FILE-0, extracted with ZIP (zip) or LHA: no
// drive test and no dialog.
void DecompressAfterMerge(const CommandInput& in, bool zip, const char* mergedName);
