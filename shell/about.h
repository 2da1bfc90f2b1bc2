// The About command: the box with the program's name, version and contact lines.
#pragma once
#include <windows.h>

void CmdAbout(HWND owner);
