#include <windows.h>

#include <cstdio>
#include <cstring>

#include "base/diskfiles.h"
#include "base/writeslices.h"

namespace {

FileHandle CreateNew(const char* path) {
  HANDLE h = CreateFileA(path, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                         CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
  return h == INVALID_HANDLE_VALUE ? kNoFile : reinterpret_cast<FileHandle>(h);
}

// A new file is made by one call. One that is there already is cut, closed while still empty
// and opened again for writing: a handle that truncated the file makes ext4 (under Wine) flush
// all the file's data at its close.
FileHandle Create(const char* path) {
  const FileHandle made = CreateNew(path);
  if (made != kNoFile) return made;
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

// Write sharing and backup semantics, so that a directory opens too.
HANDLE OpenExisting(const char* path) {
  return CreateFileA(path, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                     FILE_FLAG_BACKUP_SEMANTICS | FILE_ATTRIBUTE_ARCHIVE, nullptr);
}

FileHandle OpenWrite(const char* path) {
  HANDLE h = OpenExisting(path);
  return h == INVALID_HANDLE_VALUE ? kNoFile : reinterpret_cast<FileHandle>(h);
}

long Read(FileHandle f, void* buf, long n) {
  UINT got = _lread(static_cast<HFILE>(f), buf, static_cast<UINT>(n));
  return got == static_cast<UINT>(HFILE_ERROR) ? -1 : static_cast<long>(got);
}

// Never a write of nothing: _lwrite of nothing would cut the file at its position.
long Write(FileHandle f, const void* buf, long n) {
  return WriteInSlices(buf, n, [f](const char* p, long k) {
    const UINT put = _lwrite(static_cast<HFILE>(f), p, static_cast<UINT>(k));
    return put == static_cast<UINT>(HFILE_ERROR) ? -1L : static_cast<long>(put);
  });
}

bool Seek(FileHandle f, uint64_t offset) {
  LONG high = static_cast<LONG>(offset >> 32);
  SetLastError(NO_ERROR);
  DWORD low = SetFilePointer(reinterpret_cast<HANDLE>(f), static_cast<LONG>(offset), &high,
                             FILE_BEGIN);
  return !(low == INVALID_SET_FILE_POINTER && GetLastError() != NO_ERROR);
}

bool Flush(FileHandle f) { return FlushFileBuffers(reinterpret_cast<HANDLE>(f)) != 0; }

void Close(FileHandle f) { _lclose(static_cast<HFILE>(f)); }

void ToEntry(const WIN32_FIND_DATAA& fd, DirEntry* e) {
  std::memset(e, 0, sizeof(*e));
  lstrcpynA(e->name, fd.cFileName, sizeof(e->name));
  e->attributes = fd.dwFileAttributes;
  e->length = (static_cast<uint64_t>(fd.nFileSizeHigh) << 32) | fd.nFileSizeLow;
  LocalTimeOfFileTime(
      (static_cast<uint64_t>(fd.ftLastWriteTime.dwHighDateTime) << 32) |
          fd.ftLastWriteTime.dwLowDateTime,
      &e->lastWrite);
}

bool Lookup(const char* path, DirEntry* e) {
  WIN32_FIND_DATAA fd;
  std::memset(&fd, 0, sizeof(fd));
  HANDLE h = FindFirstFileA(path, &fd);
  if (h == INVALID_HANDLE_VALUE) return false;
  FindClose(h);
  ToEntry(fd, e);
  return true;
}

bool List(const char* dir, bool (*visit)(void* ctx, const DirEntry& e), void* ctx) {
  char pattern[MAX_PATH + 4] = {0};
  std::snprintf(pattern, sizeof(pattern), "%s*.*", dir);
  WIN32_FIND_DATAA fd;
  std::memset(&fd, 0, sizeof(fd));
  HANDLE h = FindFirstFileA(pattern, &fd);
  if (h == INVALID_HANDLE_VALUE) return false;
  bool hit = false;
  do {
    DirEntry e;
    ToEntry(fd, &e);
    if (visit(ctx, e)) {
      hit = true;
      break;
    }
  } while (FindNextFileA(h, &fd));
  FindClose(h);
  return hit;
}

uint32_t GetAttributes(const char* path) { return GetFileAttributesA(path); }

bool SetAttributes(const char* path, uint32_t attributes) {
  return SetFileAttributesA(path, attributes) != 0;
}

bool Remove(const char* path) { return DeleteFileA(path) != 0; }
bool Rename(const char* from, const char* to) { return MoveFileA(from, to) != 0; }
bool Copy(const char* from, const char* to) { return CopyFileA(from, to, FALSE) != 0; }
bool MakeDir(const char* path) { return CreateDirectoryA(path, nullptr) != 0; }
bool RemoveDir(const char* path) { return RemoveDirectoryA(path) != 0; }

// Windows removes a junction or a symbolic link itself with these calls. Wine's stand for a
// Unix symbolic link to a folder delete the folder it leads to when that is empty, and nothing
// else removes the link: there it stays.
bool RemoveLink(const char* path, bool folder) {
  static const bool wine =
      GetProcAddress(GetModuleHandleA("ntdll.dll"), "wine_get_version") != nullptr;
  if (wine) return false;
  return (folder ? RemoveDirectoryA(path) : DeleteFileA(path)) != 0;
}

TimeResult SetTimes(const char* path, const CalTime& t) {
  HANDLE h = OpenExisting(path);
  if (h == INVALID_HANDLE_VALUE) return TimeResult::CannotOpen;
  uint64_t when = 0;
  TimeResult result = TimeResult::NotSet;
  if (FileTimeOfLocalTime(t, &when)) {
    FILETIME ft;
    ft.dwLowDateTime = static_cast<DWORD>(when);
    ft.dwHighDateTime = static_cast<DWORD>(when >> 32);
    if (SetFileTime(h, &ft, &ft, &ft)) result = TimeResult::Ok;
  }
  CloseHandle(h);
  return result;
}

bool SameName(const char* a, const char* b) { return lstrcmpiA(a, b) == 0; }

// Opened for no access, so that a file that another program (or the system's loader) holds
// opens too; with backup semantics, so that a folder does; a drive without its disk answers no
// without the system's own box, as a question must. Wine gives a folder it maps as a drive the
// volume number 0 until its mount manager runs, and a file's inode as its index, which repeats
// on another file system: there the drive letter tells the volumes apart. An index of 0 tells
// nothing.
bool Identify(const char* path, FileId* id) {
  const UINT previous = SetErrorMode(SEM_FAILCRITICALERRORS);
  HANDLE h = CreateFileA(path, 0, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                         FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  SetErrorMode(previous);
  if (h == INVALID_HANDLE_VALUE) return false;
  BY_HANDLE_FILE_INFORMATION info;
  const bool got = GetFileInformationByHandle(h, &info) != 0;
  CloseHandle(h);
  if (!got || (info.nFileIndexHigh == 0 && info.nFileIndexLow == 0)) return false;
  id->volume = info.dwVolumeSerialNumber;
  id->drive = 0;
  if (id->volume == 0) {
    const char letter = static_cast<char>(path[0] & ~0x20);
    if (letter < 'A' || letter > 'Z' || path[1] != ':') return false;
    id->drive = letter;
  }
  id->index = (static_cast<uint64_t>(info.nFileIndexHigh) << 32) | info.nFileIndexLow;
  return true;
}

const DiskFiles kSystemFiles = {
    .create = Create,
    .createNew = CreateNew,
    .openRead = OpenRead,
    .openWrite = OpenWrite,
    .read = Read,
    .write = Write,
    .seek = Seek,
    .flush = Flush,
    .close = Close,
    .lookup = Lookup,
    .list = List,
    .getAttributes = GetAttributes,
    .setAttributes = SetAttributes,
    .remove = Remove,
    .rename = Rename,
    .copy = Copy,
    .makeDir = MakeDir,
    .removeDir = RemoveDir,
    .removeLink = RemoveLink,
    .setTimes = SetTimes,
    .sameName = SameName,
    .identify = Identify,
};

}  // namespace

const DiskFiles& SystemFiles() { return kSystemFiles; }
