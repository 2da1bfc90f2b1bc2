// The File Size command.
#pragma once
#include "browser/selection.h"

void CmdFileSize(const CommandInput& in);
