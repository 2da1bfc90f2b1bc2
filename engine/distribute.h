// The copy of a fresh piece set onto floppy disks, offered at the end of a division.
#pragma once
#include "browser/selection.h"

// Copies the set of pieces data pieces that the division of the selected file wrote beside it.
void CmdDistribute(const CommandInput& in, int pieces);
