// The Make directory command.
#pragma once
#include "browser/selection.h"

void CmdMakeDirectory(const CommandInput& in);
