// The Divide command: cuts the selected file into FILE-0 and pieces next to it.
#pragma once
#include <windows.h>

// Division size in blocks of 10000 bytes, kept for the run of the program.
extern int g_divisionBlocks;
// Piece count of the last division that succeeded; the floppy copy works on it.
extern int g_dividedPieces;

void CmdDivide(HWND owner);
