// Texts the shell draws itself: hover labels of the icon bar and the location caption.
#pragma once
#include <windows.h>

// Restores the screen under a shown hover label and forgets it.
void HideHoverLabel();
// Follows the cursor over the icon bar; called on every WM_SETCURSOR of the main window.
void UpdateHoverLabel(HWND mainWnd);
// Draws the "File Location:" caption; called on every repaint of the main window.
void DrawLocationLabel(HWND mainWnd);
