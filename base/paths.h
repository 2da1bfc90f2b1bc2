// Names and paths as ANSI bytes. With dbcs932 (code page 932) the trail byte of a Shift-JIS
// character, which may be 0x5C or a letter, is never taken for a backslash or folded in case.
#pragma once
#include <cstddef>

// Path and name buffers are 258 bytes; system calls that fill them are given 256.
constexpr int kPathBytes = 258;
constexpr int kPathCall = 256;

bool IsLeadByte932(unsigned char c);

// Position of the last real backslash, or -1.
int LastBackslash(const char* path, bool dbcs932);
int CountBackslashes(const char* path, bool dbcs932);
// Directory of path up to and including its last backslash into out (cap bytes, cleared);
// false if there is none or it does not fit.
bool DirectoryOf(const char* path, char* out, std::size_t cap, bool dbcs932);
// path with a backslash appended unless it already ends in one, into out (cap bytes).
bool MakeDirectoryPrefix(char* out, std::size_t cap, const char* path, bool dbcs932);

// Equality that folds ASCII letters only, both bytes of a double-byte character compared as
// they are.
bool EqualNoCase(const char* a, const char* b, bool dbcs932);
// Substring search that matches only at character boundaries.
bool ContainsText(const char* text, const char* part, bool dbcs932);
// Upper-cases the ASCII letters of s in place.
void UpperAscii(char* s, bool dbcs932);
// Copy of path whose first character, if an ASCII letter, is upper case (out may be path).
void UpperDriveLetter(char* out, std::size_t cap, const char* path);

// "." or "..".
bool IsDotEntry(const char* name);
