// The Delete command.
#pragma once
#include "browser/selection.h"

void CmdDelete(const CommandInput& in);
