// The Delete command.
#pragma once
#include <windows.h>

void CmdDelete(HWND owner);
