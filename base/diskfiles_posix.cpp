// The file seam on POSIX systems. Paths are the caller's, '/' separated. Names are found as the
// Windows programs find them: a name missing in the letter case asked for is looked for in any
// letter case (ASCII), so that a set whose FILE-0 and pieces differ in case reads here as it
// does there; names are created as given. Permissions are the user's: no attribute stops a
// read, a rename or a removal here, so none is changed. A file is identified by its device and
// inode numbers.
#include "base/diskfiles_posix.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>

#include "base/diskfiles.h"

#ifdef __APPLE__
#define st_mtim st_mtimespec
#endif

namespace {

volatile std::sig_atomic_t g_stopped = 0;
void (*g_readHook)(void*, uint64_t) = nullptr;
void* g_readHookCtx = nullptr;

constexpr int64_t kTicksPerSecond = 10000000;
constexpr int64_t kSecondsFrom1601To1970 = 11644473600;

FileHandle Handle(int fd) { return fd < 0 ? kNoFile : static_cast<FileHandle>(fd); }

bool FoldedEqual(const char* a, const char* b) {
  for (;; ++a, ++b) {
    char x = *a, y = *b;
    if (x >= 'A' && x <= 'Z') x = static_cast<char>(x - 'A' + 'a');
    if (y >= 'A' && y <= 'Z') y = static_cast<char>(y - 'A' + 'a');
    if (x != y) return false;
    if (!x) return true;
  }
}

// path as it is when an entry has that name, else the first entry of its folder that has it
// in another letter case; path itself when there is none (the call then fails as it should).
const char* Resolve(const char* path, char (&out)[kPathBytes]) {
  struct stat st;
  if (lstat(path, &st) == 0 || errno != ENOENT) return path;
  const char* slash = std::strrchr(path, '/');
  const char* name = slash ? slash + 1 : path;
  if (!*name) return path;
  char dir[kPathBytes];
  const std::size_t dirLen = slash ? static_cast<std::size_t>(slash - path) + 1 : 0;
  if (dirLen >= sizeof(dir)) return path;
  std::memcpy(dir, path, dirLen);
  dir[dirLen] = 0;
  DIR* d = opendir(dirLen ? dir : ".");
  if (!d) return path;
  const char* found = path;
  while (dirent* e = readdir(d)) {
    if (FoldedEqual(e->d_name, name) &&
        std::snprintf(out, sizeof(out), "%s%s", dir, e->d_name) < static_cast<int>(sizeof(out))) {
      found = out;
      break;
    }
  }
  closedir(d);
  return found;
}

uint64_t FileTimeOf(const struct timespec& t) {
  return static_cast<uint64_t>((static_cast<int64_t>(t.tv_sec) + kSecondsFrom1601To1970) * kTicksPerSecond +
                               t.tv_nsec / 100);
}

void ToEntry(const char* name, const struct stat& st, DirEntry* e) {
  std::memset(e, 0, sizeof(*e));
  std::snprintf(e->name, sizeof(e->name), "%s", name);
  e->attributes = S_ISDIR(st.st_mode) ? kAttrDirectory : kAttrArchive;
  if (!(st.st_mode & S_IWUSR)) e->attributes |= kAttrReadOnly;
  e->length = S_ISREG(st.st_mode) ? static_cast<uint64_t>(st.st_size) : 0;
  LocalTimeOfFileTime(FileTimeOf(st.st_mtim), &e->lastWrite);
}

// A new file only, or one cut to nothing; regular files only, so that a folder, a pipe or a
// device standing under a piece's name is never taken for one (nor waited on).
FileHandle OpenFile(const char* path, int flags) {
  if (g_stopped) return kNoFile;
  int fd;
  do {
    fd = open(path, flags | O_CLOEXEC | O_NONBLOCK | O_NOCTTY, 0666);
  } while (fd < 0 && errno == EINTR && !g_stopped);
  if (fd < 0) return kNoFile;
  struct stat st;
  if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    close(fd);
    return kNoFile;
  }
  fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) & ~O_NONBLOCK);
  return Handle(fd);
}

FileHandle Create(const char* path) { return OpenFile(path, O_WRONLY | O_CREAT | O_TRUNC); }
FileHandle CreateNew(const char* path) { return OpenFile(path, O_WRONLY | O_CREAT | O_EXCL); }

FileHandle OpenRead(const char* path) {
  char found[kPathBytes];
  return OpenFile(Resolve(path, found), O_RDONLY);
}

FileHandle OpenWrite(const char* path) {
  char found[kPathBytes];
  return OpenFile(Resolve(path, found), O_RDWR);
}

long Read(FileHandle f, void* buf, long n) {
  long done = 0;
  while (done < n) {
    if (g_stopped) return -1;
    const ssize_t got = read(static_cast<int>(f), static_cast<char*>(buf) + done, static_cast<size_t>(n - done));
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) return -1;
    if (got == 0) break;
    done += got;
  }
  if (g_readHook && done > 0) g_readHook(g_readHookCtx, static_cast<uint64_t>(done));
  return done;
}

long Write(FileHandle f, const void* buf, long n) {
  long done = 0;
  while (done < n) {
    if (g_stopped) return -1;
    const ssize_t put = write(static_cast<int>(f), static_cast<const char*>(buf) + done,
                              static_cast<size_t>(n - done));
    if (put < 0 && errno == EINTR) continue;
    if (put <= 0) return -1;
    done += put;
  }
  return done;
}

bool Seek(FileHandle f, uint64_t offset) {
  return lseek(static_cast<int>(f), static_cast<off_t>(offset), SEEK_SET) == static_cast<off_t>(offset);
}

bool Flush(FileHandle f) { return fsync(static_cast<int>(f)) == 0; }

void Close(FileHandle f) { close(static_cast<int>(f)); }

bool Lookup(const char* path, DirEntry* e) {
  char found[kPathBytes];
  const char* p = Resolve(path, found);
  struct stat st;
  if (stat(p, &st) != 0 && lstat(p, &st) != 0) return false;
  const char* slash = std::strrchr(p, '/');
  ToEntry(slash && slash[1] ? slash + 1 : p, st, e);
  return true;
}

bool List(const char* dir, bool (*visit)(void* ctx, const DirEntry& e), void* ctx) {
  DIR* d = opendir(*dir ? dir : ".");
  if (!d) return false;
  bool hit = false;
  while (dirent* de = readdir(d)) {
    struct stat st;
    if (fstatat(dirfd(d), de->d_name, &st, 0) != 0 &&
        fstatat(dirfd(d), de->d_name, &st, AT_SYMLINK_NOFOLLOW) != 0) {
      continue;
    }
    DirEntry e;
    ToEntry(de->d_name, st, &e);
    if (visit(ctx, e)) {
      hit = true;
      break;
    }
  }
  closedir(d);
  return hit;
}

uint32_t GetAttributes(const char* path) {
  DirEntry e;
  return Lookup(path, &e) ? e.attributes : kNoAttributes;
}

bool SetAttributes(const char* path, uint32_t) { return GetAttributes(path) != kNoAttributes; }

bool Remove(const char* path) {
  char found[kPathBytes];
  const char* p = Resolve(path, found);
  struct stat st;
  return lstat(p, &st) == 0 && !S_ISDIR(st.st_mode) && unlink(p) == 0;
}

// A rename that never replaces: the system's own where it has one, else a link under the new
// name (which fails when it is taken) and the old name removed.
bool Rename(const char* from, const char* to) {
  char found[kPathBytes];
  const char* p = Resolve(from, found);
#if defined(__linux__) && defined(SYS_renameat2)
  if (syscall(SYS_renameat2, AT_FDCWD, p, AT_FDCWD, to, 1 /* RENAME_NOREPLACE */) == 0) return true;
  if (errno != EINVAL && errno != ENOSYS) return false;
#endif
  if (link(p, to) == 0) {
    unlink(p);
    return true;
  }
  if (errno == EEXIST) return false;
  // Folders and file systems without links.
  struct stat st;
  if (lstat(to, &st) == 0) return false;
  return rename(p, to) == 0;
}

bool Copy(const char* from, const char* to) {
  const FileHandle in = OpenRead(from);
  if (in == kNoFile) return false;
  struct stat st;
  fstat(static_cast<int>(in), &st);
  const FileHandle out = CreateNew(to);
  if (out == kNoFile) {
    Close(in);
    return false;
  }
  fchmod(static_cast<int>(out), st.st_mode & 07777);
  static char buf[1 << 16];
  bool ok = true;
  for (;;) {
    const long got = read(static_cast<int>(in), buf, sizeof(buf));
    if (got < 0 && errno == EINTR && !g_stopped) continue;
    if (got <= 0) {
      ok = got == 0;
      break;
    }
    if (Write(out, buf, got) != got) {
      ok = false;
      break;
    }
  }
  Close(in);
  Close(out);
  return ok;
}

bool MakeDir(const char* path) { return mkdir(path, 0777) == 0; }
bool RemoveDir(const char* path) { return rmdir(path) == 0; }

bool RemoveLink(const char* path, bool) {
  struct stat st;
  return lstat(path, &st) == 0 && S_ISLNK(st.st_mode) && unlink(path) == 0;
}

TimeResult SetTimes(const char* path, const CalTime& local) {
  char found[kPathBytes];
  const char* p = Resolve(path, found);
  struct stat st;
  if (stat(p, &st) != 0) return TimeResult::CannotOpen;
  uint64_t when = 0;
  if (!FileTimeOfLocalTime(local, &when)) return TimeResult::NotSet;
  struct timespec times[2];
  times[0].tv_sec = static_cast<time_t>(static_cast<int64_t>(when / kTicksPerSecond) - kSecondsFrom1601To1970);
  times[0].tv_nsec = 0;
  times[1] = times[0];
  return utimensat(AT_FDCWD, p, times, 0) == 0 ? TimeResult::Ok : TimeResult::NotSet;
}

bool SameName(const char* a, const char* b) { return std::strcmp(a, b) == 0; }

// The file's identity: its device and inode, as the system gives them for any of its names.
bool Identify(const char* path, FileId* id) {
  char found[kPathBytes];
  struct stat st;
  if (stat(Resolve(path, found), &st) != 0) return false;
  const uint64_t dev = static_cast<uint64_t>(st.st_dev);
  id->volume = static_cast<uint32_t>(dev ^ (dev >> 32));
  id->drive = 0;
  id->index = static_cast<uint64_t>(st.st_ino);
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

void SetReadHook(void (*hook)(void*, uint64_t), void* ctx) {
  g_readHook = hook;
  g_readHookCtx = ctx;
}

void StopFileWork() { g_stopped = 1; }
bool FileWorkStopped() { return g_stopped != 0; }
