// The Help command: the help file of the current language in the system help viewer.
#pragma once
#include <windows.h>

void CmdHelp(HWND owner);
