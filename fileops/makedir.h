// The Make directory command.
#pragma once
#include <windows.h>

void CmdMakeDirectory(HWND owner);
