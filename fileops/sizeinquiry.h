// The File Size command.
#pragma once
#include <windows.h>

void CmdFileSize(HWND owner);
