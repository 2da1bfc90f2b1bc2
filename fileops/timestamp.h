// The Timestamp command.
#pragma once
#include <windows.h>

void CmdTimestamp(HWND owner);
