// The Rename command.
#pragma once
#include <windows.h>

void CmdRename(HWND owner);
