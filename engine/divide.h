// The Divide command: cuts the selected file into FILE-0 and pieces next to it.
#pragma once
#include "browser/selection.h"

void CmdDivide(const CommandInput& in);
