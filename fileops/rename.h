// The Rename command.
#pragma once
#include "browser/selection.h"

void CmdRename(const CommandInput& in);
