// The Compress command.
#pragma once
#include <windows.h>

void CmdCompress(HWND owner);
