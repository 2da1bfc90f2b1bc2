// The Attributes command.
#pragma once
#include <windows.h>

void CmdAttributes(HWND owner);
