// Message boxes whose text holds a name or a number between a head and a tail.
#pragma once
#include <windows.h>

#include "shell/ui.h"

int ShowComposed(HWND owner, const Text& head, const char* middle, const Text& tail,
                 const Text& caption, UINT flags);
int ShowNumbered(HWND owner, const Text& head, long number, const Text& tail,
                 const Text& caption, UINT flags);
