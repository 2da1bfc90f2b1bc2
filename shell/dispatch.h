// Turns command identifiers 101 to 116 into calls of the commands.
#pragma once
#include <windows.h>

void DispatchCommand(HWND mainWnd, WPARAM wParam);
