// The copy of a fresh piece set onto floppy disks, offered at the end of a division.
#pragma once
#include <windows.h>

void CmdDistribute(HWND owner);
