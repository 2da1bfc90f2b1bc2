// The Copy command.
#pragma once
#include "browser/selection.h"

void CmdCopy(const CommandInput& in);
