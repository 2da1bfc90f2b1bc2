// The strip of fifteen picture buttons at the top of the main window.
#pragma once
#include <windows.h>

#include "browser/selection.h"

// Registers the "IconBarWindow" class; false when that fails (the program then runs without bar).
bool RegisterIconBarClass(HINSTANCE instance);
// Creates the bar in the main window and gives it its size.
HWND CreateIconBar(HWND mainWnd);
// Enables and disables the file buttons from the selection.
void UpdateButtonStates(const Selection& selected);
