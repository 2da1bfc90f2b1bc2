#include "fsio.h"

#include <cerrno>
#include <cstdio>
#include <ctime>
#include <fcntl.h>

#ifdef _WIN32
#include <io.h>
#include <windows.h>
#else
#include <sys/stat.h>
#include <sys/time.h>
#include <unistd.h>
#endif

namespace arc {
namespace {

unsigned g_tempCounter = 0;

#ifdef _WIN32
constexpr int64_t kEpochDiff = 116444736000000000LL;  // 1601 to 1970 in 100 ns

int64_t FileTimeToUnix(const FILETIME& ft) {
  int64_t v = (static_cast<int64_t>(ft.dwHighDateTime) << 32) | ft.dwLowDateTime;
  return (v - kEpochDiff) / 10000000;
}
#endif

}  // namespace

PathInfo StatPath(const char* path) {
  PathInfo info;
#ifdef _WIN32
  WIN32_FILE_ATTRIBUTE_DATA d;
  if (!GetFileAttributesExA(path, GetFileExInfoStandard, &d)) return info;
  info.exists = true;
  info.isDir = (d.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
  info.readOnly = (d.dwFileAttributes & FILE_ATTRIBUTE_READONLY) != 0;
  info.size = (static_cast<uint64_t>(d.nFileSizeHigh) << 32) | d.nFileSizeLow;
  info.mtime = FileTimeToUnix(d.ftLastWriteTime);
#else
  struct stat st;
  if (stat(path, &st) != 0) return info;
  info.exists = true;
  info.isDir = S_ISDIR(st.st_mode);
  info.readOnly = (st.st_mode & S_IWUSR) == 0;
  info.size = static_cast<uint64_t>(st.st_size);
  info.mtime = st.st_mtime;
#endif
  return info;
}

FILE* OpenForRead(const Str& path) {
  if (StatPath(path).isDir) return nullptr;
  return fopen(path.c_str(), "rb");
}

FILE* CreateTempBeside(const Str& target, Str* name) {
  // The folder part, cut at the platform's separators and never inside a two-byte character.
  size_t cut = 0;
  for (size_t i = 0; i < target.size(); ++i) {
    const unsigned char c = static_cast<unsigned char>(target[i]);
    if (SystemLeadByte(c)) {
      ++i;
      continue;
    }
    if (c == '/' || c == static_cast<unsigned char>(PathSeparator())) cut = i;
  }
  unsigned seed;
#ifdef _WIN32
  seed = GetCurrentProcessId() * 7919u + GetTickCount();
#else
  seed = static_cast<unsigned>(getpid()) * 7919u + static_cast<unsigned>(time(nullptr));
#endif
  for (int tries = 0; tries < 1000; ++tries) {
    // "~arcXXXX.tmp", written by hand: the C library's formatting would cost the libraries more
    // than all their own name handling.
    char leaf[] = "~arc0000.tmp";
    unsigned x = seed + __atomic_fetch_add(&g_tempCounter, 1u, __ATOMIC_RELAXED) * 40503u;
    for (int i = 7; i >= 4; --i, x >>= 4) leaf[i] = "0123456789ABCDEF"[x & 0xF];
    AllocWatch watch;
    name->assign(target.data(), cut);
    if (cut) *name += PathSeparator();
    *name += leaf;
    if (watch.Lost()) return nullptr;
    const char* path = name->c_str();
#ifdef _WIN32
    int fd = _open(path, _O_CREAT | _O_EXCL | _O_RDWR | _O_BINARY, 0666);
    if (fd < 0) {
      if (errno == EEXIST) continue;
      return nullptr;
    }
    FILE* f = _fdopen(fd, "w+b");
    if (!f) _close(fd);
#else
    int fd = open(path, O_CREAT | O_EXCL | O_RDWR, 0666);
    if (fd < 0) {
      if (errno == EEXIST) continue;
      return nullptr;
    }
    FILE* f = fdopen(fd, "w+b");
    if (!f) close(fd);
#endif
    return f;
  }
  return nullptr;
}

Replaced ReplaceVia(const ReplaceCalls& calls, const Str& temp, const Str& target) {
  if (calls.moveOver(temp.c_str(), target.c_str())) return Replaced::kYes;
  bool had = StatPath(target).exists;
  if (had && !calls.remove(target.c_str())) return Replaced::kNo;
  if (calls.move(temp.c_str(), target.c_str())) return Replaced::kYes;
  return had ? Replaced::kOnlyInTemp : Replaced::kNo;
}

namespace {
#ifdef _WIN32
using MoveFileExFn = BOOL(WINAPI*)(LPCSTR, LPCSTR, DWORD);

// Looked up at run time, so the libraries load where it is missing; on the 9x family it fails.
bool SystemMoveOver(const char* from, const char* to) {
  const MoveFileExFn moveEx = reinterpret_cast<MoveFileExFn>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("KERNEL32.DLL"), "MoveFileExA")));
  return moveEx && moveEx(from, to, MOVEFILE_REPLACE_EXISTING);
}
bool SystemRemove(const char* path) { return DeleteFileA(path) != 0; }
bool SystemMove(const char* from, const char* to) { return MoveFileA(from, to) != 0; }
#else
bool SystemMoveOver(const char* from, const char* to) { return rename(from, to) == 0; }
bool SystemRemove(const char* path) { return remove(path) == 0; }
bool SystemMove(const char* from, const char* to) { return rename(from, to) == 0; }
#endif
}  // namespace

Replaced ReplaceWith(const Str& temp, const Str& target) {
  static const ReplaceCalls kSystem = {SystemMoveOver, SystemRemove, SystemMove};
  return ReplaceVia(kSystem, temp, target);
}

bool RemoveFile(const Str& path) { return remove(path.c_str()) == 0; }

bool MakeDir(const char* path) {
#ifdef _WIN32
  if (CreateDirectoryA(path, nullptr)) return true;
#else
  if (mkdir(path, 0777) == 0) return true;
#endif
  return StatPath(path).isDir;
}

bool SetMTime(const Str& path, int64_t mtime) {
#ifdef _WIN32
  HANDLE h = CreateFileA(path.c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                         OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) return false;
  int64_t v = mtime * 10000000 + kEpochDiff;
  FILETIME ft;
  ft.dwLowDateTime = static_cast<DWORD>(v);
  ft.dwHighDateTime = static_cast<DWORD>(v >> 32);
  BOOL ok = SetFileTime(h, nullptr, &ft, &ft);
  CloseHandle(h);
  return ok != 0;
#else
  struct timeval tv[2];
  tv[0].tv_sec = tv[1].tv_sec = static_cast<time_t>(mtime);
  tv[0].tv_usec = tv[1].tv_usec = 0;
  return utimes(path.c_str(), tv) == 0;
#endif
}

char PathSeparator() {
#ifdef _WIN32
  return '\\';
#else
  return '/';
#endif
}

bool SystemLeadByte(unsigned char c) {
#ifdef _WIN32
  return IsDBCSLeadByte(c) != 0;
#else
  (void)c;
  return false;
#endif
}

}  // namespace arc
