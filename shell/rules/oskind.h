// The operating-system kind decides the button pictures, fonts, icons and free-space path.
#pragma once

enum OsKind { Win95, Win98, WinMe, WinNt4, Win2000, WinNtLater };

// NT kinds use larger English fonts and never take the legacy free-space path.
inline bool IsNtKind(OsKind k) { return k == WinNt4 || k == Win2000 || k == WinNtLater; }
