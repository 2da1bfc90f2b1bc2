// Start-up decisions that need no window: language, window origin, derived paths.
#pragma once
#include <cstddef>

// 1 (Japanese) exactly for code page 932, else 0 (English).
int UiLanguageFromCodePage(unsigned codePage);

// Origin of a window of size centred on a screen; truncates toward zero, negative when the
// screen is smaller than the window.
int CentredOrigin(int screen, int size);

// Paths are scanned as Shift-JIS when shiftJis is set (code page 932), so that the second byte of
// a double-byte character is never taken for a backslash or a letter.

// The root of the program's drive, upper-cased ("c:\x\TOVRA.EXE" gives "C:\"). A path without
// a drive letter (a network path) gives the program's own directory with its backslash.
void StartDirFromProgramPath(const char* programPath, bool shiftJis, char* out, size_t size);

// Help files in the program's directory, upper-cased: "RUZIVA.ROR" (English), "RORORA.RAV".
void HelpPathsFromProgramPath(const char* programPath, bool shiftJis, char* en, char* ja,
                              size_t size);

// First three characters of the Windows directory followed by "My Documents".
void DocumentsPathFromWindowsDir(const char* windowsDir, char* out, size_t size);
