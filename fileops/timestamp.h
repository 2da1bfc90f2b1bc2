// The Timestamp command.
#pragma once
#include "browser/selection.h"

void CmdTimestamp(const CommandInput& in);
