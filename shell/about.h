// The About command: the box with the program's name, version and contact lines.
#pragma once
#include "browser/selection.h"

void CmdAbout(const CommandInput& in);
