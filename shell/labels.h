// Texts the shell draws itself: hover labels of the icon bar, the location caption, the busy
// banner. Commands call ShowBusyBanner / HideBusyBanner around their long work.
#pragma once
#include <windows.h>

void ShowBusyBanner(HWND mainWnd);
void HideBusyBanner(HWND mainWnd);
// Restores the screen under a shown hover label and forgets it.
void HideHoverLabel();
// Follows the cursor over the icon bar; called on every WM_SETCURSOR of the main window.
void UpdateHoverLabel(HWND mainWnd);
// Draws the "File Location:" caption; called on every repaint of the main window.
void DrawLocationLabel(HWND mainWnd);
