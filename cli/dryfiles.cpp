#include "dryfiles.h"

#include <map>
#include <string>

namespace cli {
namespace {

const DiskFiles* g_real = nullptr;

// Handles of files that are not there: below any the system gives, never kNoFile.
constexpr FileHandle kFirstMade = -1000;
struct Open {
  std::string path;
  uint64_t at;
};
std::map<FileHandle, Open> g_open;               // made file -> its path and place
std::map<std::string, uint64_t> g_made;          // path -> its length
FileHandle g_next = kFirstMade;

FileHandle Make(const char* path) {
  DirEntry e;
  if (g_made.count(path) == 0 && g_real->lookup(path, &e)) return kNoFile;
  g_made[path] = 0;
  g_open[g_next] = Open{path, 0};
  return g_next--;
}

FileHandle Create(const char* path) {
  g_made.erase(path);
  return Make(path);
}
FileHandle CreateNew(const char* path) { return g_made.count(path) ? kNoFile : Make(path); }
FileHandle OpenRead(const char* path) { return g_made.count(path) ? kNoFile : g_real->openRead(path); }
FileHandle OpenWrite(const char*) { return kNoFile; }

bool Made(FileHandle f) { return f <= kFirstMade; }

long Read(FileHandle f, void* buf, long n) { return Made(f) ? -1 : g_real->read(f, buf, n); }

long Write(FileHandle f, const void*, long n) {
  auto it = g_open.find(f);
  if (it == g_open.end()) return -1;
  it->second.at += static_cast<uint64_t>(n);
  uint64_t& length = g_made[it->second.path];
  if (length < it->second.at) length = it->second.at;
  return n;
}

bool Seek(FileHandle f, uint64_t offset) {
  if (!Made(f)) return g_real->seek(f, offset);
  auto it = g_open.find(f);
  if (it == g_open.end()) return false;
  it->second.at = offset;
  return true;
}
bool Flush(FileHandle f) { return Made(f) || g_real->flush(f); }

void Close(FileHandle f) {
  if (Made(f)) g_open.erase(f);
  else g_real->close(f);
}

bool Lookup(const char* path, DirEntry* e) {
  auto it = g_made.find(path);
  if (it == g_made.end()) return g_real->lookup(path, e);
  *e = DirEntry{};
  e->attributes = kAttrArchive;
  e->length = it->second;
  return true;
}

bool List(const char* dir, bool (*visit)(void*, const DirEntry&), void* ctx) { return g_real->list(dir, visit, ctx); }
uint32_t GetAttributes(const char* path) { return g_made.count(path) ? kAttrArchive : g_real->getAttributes(path); }
bool SetAttributes(const char* path, uint32_t) { return GetAttributes(path) != kNoAttributes; }
bool Remove(const char* path) { return g_made.erase(path) > 0; }

bool Rename(const char* from, const char* to) {
  auto it = g_made.find(from);
  if (it == g_made.end() || g_made.count(to)) return false;
  g_made[to] = it->second;
  g_made.erase(it);
  return true;
}

bool Copy(const char*, const char*) { return false; }
bool MakeDir(const char*) { return false; }
bool RemoveDir(const char*) { return false; }
bool RemoveLink(const char*, bool) { return false; }
TimeResult SetTimes(const char* path, const CalTime&) {
  DirEntry e;
  return Lookup(path, &e) ? TimeResult::Ok : TimeResult::CannotOpen;
}
bool SameName(const char* a, const char* b) { return g_real->sameName(a, b); }

bool Identify(const char* path, FileId* id) { return g_real->identify(path, id); }

const DiskFiles kDryFiles = {
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

const DiskFiles& DryFiles(const DiskFiles& real) {
  g_real = &real;
  g_open.clear();
  g_made.clear();
  return kDryFiles;
}

}  // namespace cli
