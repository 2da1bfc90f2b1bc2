// The Help command: the help file of the current language in the system help viewer.
#pragma once
#include "browser/selection.h"

void CmdHelp(const CommandInput& in);
