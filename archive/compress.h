// The Compress command.
#pragma once
#include "browser/selection.h"

void CmdCompress(const CommandInput& in);
