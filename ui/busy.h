// The busy banner that commands show around their long work; no messages are pumped meanwhile,
// so the banner and the wait cursor are all the user sees until the work ends.
#pragma once
#include <windows.h>

void ShowBusyBanner(HWND mainWnd);
void HideBusyBanner(HWND mainWnd);
