#include <windows.h>

#include <cstdio>
#include <cstring>

#include "diskfiles.h"

namespace engine {
namespace {

// Created, closed while still empty and opened again for writing: a handle that truncated the
// file at creation makes ext4 (under Wine) flush all the file's data at its close.
FileHandle Create(const char* path) {
  HFILE f = _lcreat(path, 0);
  if (f == HFILE_ERROR) return kNoFile;
  _lclose(f);
  f = _lopen(path, OF_WRITE);
  if (f == HFILE_ERROR) {
    DeleteFileA(path);
    return kNoFile;
  }
  return static_cast<FileHandle>(f);
}

FileHandle OpenRead(const char* path) {
  HFILE f = _lopen(path, OF_READ);
  return f == HFILE_ERROR ? kNoFile : static_cast<FileHandle>(f);
}

long Read(FileHandle f, void* buf, long n) {
  UINT got = _lread(static_cast<HFILE>(f), buf, static_cast<UINT>(n));
  return got == static_cast<UINT>(HFILE_ERROR) ? -1 : static_cast<long>(got);
}

long Write(FileHandle f, const void* buf, long n) {
  UINT put = _lwrite(static_cast<HFILE>(f), static_cast<LPCCH>(buf), static_cast<UINT>(n));
  return put == static_cast<UINT>(HFILE_ERROR) ? -1 : static_cast<long>(put);
}

void Close(FileHandle f) { _lclose(static_cast<HFILE>(f)); }

bool Find(const char* path, uint64_t* length) {
  WIN32_FIND_DATAA fd;
  std::memset(&fd, 0, sizeof(fd));
  HANDLE h = FindFirstFileA(path, &fd);
  if (h == INVALID_HANDLE_VALUE) return false;
  FindClose(h);
  *length = (static_cast<uint64_t>(fd.nFileSizeHigh) << 32) | fd.nFileSizeLow;
  return true;
}

uint32_t GetAttributes(const char* path) { return GetFileAttributesA(path); }

bool SetAttributes(const char* path, uint32_t attributes) {
  return SetFileAttributesA(path, attributes) != 0;
}

bool Remove(const char* path) { return DeleteFileA(path) != 0; }

bool AnyEntry(const char* dir, bool (*visit)(void* ctx, const char* name), void* ctx) {
  char pattern[MAX_PATH + 4] = {0};
  std::snprintf(pattern, sizeof(pattern), "%s*.*", dir);
  WIN32_FIND_DATAA fd;
  std::memset(&fd, 0, sizeof(fd));
  HANDLE h = FindFirstFileA(pattern, &fd);
  if (h == INVALID_HANDLE_VALUE) return false;
  bool hit = false;
  do {
    if (visit(ctx, fd.cFileName)) {
      hit = true;
      break;
    }
  } while (FindNextFileA(h, &fd));
  FindClose(h);
  return hit;
}

bool SetTimes(const char* path, const pieceset::CalTime& t) {
  HANDLE h = CreateFileA(path, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_WRITE, nullptr,
                         OPEN_EXISTING, FILE_ATTRIBUTE_ARCHIVE, nullptr);
  if (h == INVALID_HANDLE_VALUE) return false;
  SYSTEMTIME st;
  std::memset(&st, 0, sizeof(st));
  st.wYear = static_cast<WORD>(t.year);
  st.wMonth = static_cast<WORD>(t.month);
  st.wDay = static_cast<WORD>(t.day);
  st.wHour = static_cast<WORD>(t.hour);
  st.wMinute = static_cast<WORD>(t.minute);
  st.wSecond = static_cast<WORD>(t.second);
  FILETIME local, utc;
  if (SystemTimeToFileTime(&st, &local) && LocalFileTimeToFileTime(&local, &utc)) {
    SetFileTime(h, &utc, &utc, &utc);
  }
  CloseHandle(h);
  return true;
}

bool SameName(const char* a, const char* b) { return lstrcmpiA(a, b) == 0; }

const DiskFiles kSystemFiles = {Create, OpenRead, Read,   Write,   Close,   Find,
                                GetAttributes, SetAttributes, Remove, AnyEntry, SetTimes,
                                SameName};

}  // namespace

const DiskFiles& SystemFiles() { return kSystemFiles; }

}  // namespace engine
