// The operating-system kind, read once from the registry at start-up. It decides the button
// pictures, fonts, icons, the free-space path and the timestamp method.
#pragma once
#include <cstdint>

enum OsKind { Win95, Win98, WinMe, WinNt4, Win2000, WinNtLater };

// NT kinds use larger English fonts and never take the legacy free-space path.
inline bool IsNtKind(OsKind k) { return k == WinNt4 || k == Win2000 || k == WinNtLater; }

// NT-family "CurrentVersion" text: "4.0" is tried before "5.0"; substring, case-sensitive.
OsKind OsKindFromNtVersion(const char* version);
// 9x-family "ProductName" text: "Windows ME" before "Windows 98"; anything else is Win95.
OsKind OsKindFromProductName(const char* product);
// The whole registry rule. ntRead: the NT key opened and its value was read. nineXOpened: the
// 9x key opened (its value may still be empty). Neither: the previous kind stays.
OsKind DecideOsKind(bool ntRead, const char* ntVersion, bool nineXOpened, const char* product,
                    OsKind previous);

// Whether the extended (64-bit) free-space query is used: always except on Win95, where only a
// 9x-family platform (1) with a build number above 1000 in its low 16 bits takes it.
bool UseExtendedFreeSpace(OsKind kind, uint32_t platformId, uint32_t buildNumber);

// Reads the two version keys of HKEY_LOCAL_MACHINE (Windows only).
OsKind ReadOsKind(OsKind previous);

// This machine's kind, as each program read it at its start.
extern OsKind g_osKind;
