// The Help command: the help file of the current language in the system help viewer.
#pragma once
#include <windows.h>

void CmdHelp(HWND owner);
// Closes the viewer the Help command opened, if any; called when Tovra ends.
void CloseHelp();
