// The Copy command.
#pragma once
#include <windows.h>

void CmdCopy(HWND owner);
