#include "base/memdisk.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <vector>

namespace memdisk {
namespace {

struct Open {
  std::string key;
  uint64_t pos;
  bool write;
};

std::map<std::string, Entry> g_files;  // by upper-cased path, folders without a backslash
std::map<FileHandle, Open> g_open;
FileHandle g_next = 3;
uint64_t g_capacity = UINT64_MAX;
std::set<std::string> g_failCreate, g_failOpen;
std::map<std::string, uint64_t> g_failReadAt;
std::multimap<std::string, std::pair<uint64_t, uint64_t>> g_failReadRange;
std::map<std::string, std::string> g_aliases;  // upper-cased, to the path they spell otherwise
uint64_t g_lastId = 0;
std::set<uint64_t> g_linked;  // files with more than one name

std::string Upper(const std::string& path) {
  std::string k = path;
  for (char& c : k) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return k;
}

// The entry's key: its path upper-cased, an alias at its start spelled as the path it stands for.
std::string Key(const std::string& path) {
  const std::string k = Upper(path);
  for (const auto& a : g_aliases) {
    if (k.compare(0, a.first.size(), a.first) == 0 &&
        (k.size() == a.first.size() || k[a.first.size()] == '\\'))
      return a.second + k.substr(a.first.size());
  }
  return k;
}

// What is written or set through one name of a file shows through its other names.
void Share(const std::string& key) {
  const Entry& e = g_files.at(key);
  if (!g_linked.count(e.id)) return;
  for (auto& f : g_files) {
    if (f.first == key || f.second.id != e.id) continue;
    f.second.data = e.data;
    f.second.attributes = e.attributes;
    f.second.hasTime = e.hasTime;
    f.second.time = e.time;
  }
}

bool IsRoot(const std::string& key) { return key.size() == 3 && key[1] == ':' && key[2] == '\\'; }

std::string Parent(const std::string& key) {
  if (IsRoot(key)) return "";
  size_t at = key.find_last_of('\\');
  if (at == std::string::npos) return "";
  return at == 2 ? key.substr(0, 3) : key.substr(0, at);
}

bool IsDir(const std::string& key) {
  if (IsRoot(key)) return true;
  auto it = g_files.find(key);
  return it != g_files.end() && (it->second.attributes & kAttrDirectory);
}

bool IsOpen(const std::string& key) {
  for (const auto& o : g_open)
    if (o.second.key == key) return true;
  return false;
}

uint64_t Used() {
  uint64_t used = 0;
  for (const auto& f : g_files) used += f.second.data.size();
  return used;
}

FileHandle OpenAs(const std::string& k, bool write) {
  g_open[g_next] = Open{k, 0, write};
  return g_next++;
}

FileHandle Create(const char* path) {
  std::string k = Key(path);
  if (g_failCreate.count(k) || !IsDir(Parent(k)) || IsDir(k)) return kNoFile;
  auto it = g_files.find(k);
  if (it != g_files.end()) {
    if (it->second.attributes & kAttrReadOnly) return kNoFile;
    it->second.data.clear();
    it->second.attributes = kAttrArchive;
    Share(k);
  } else {
    Entry e;
    e.name = path;
    e.id = ++g_lastId;
    g_files[k] = e;
  }
  return OpenAs(k, true);
}

FileHandle CreateNew(const char* path) {
  return g_files.count(Key(path)) ? kNoFile : Create(path);
}

FileHandle OpenRead(const char* path) {
  std::string k = Key(path);
  if (g_failOpen.count(k) || !g_files.count(k) || IsDir(k)) return kNoFile;
  return OpenAs(k, false);
}

FileHandle OpenWrite(const char* path) {
  std::string k = Key(path);
  auto it = g_files.find(k);
  if (g_failOpen.count(k) || it == g_files.end() || IsDir(k) ||
      (it->second.attributes & kAttrReadOnly))
    return kNoFile;
  return OpenAs(k, true);
}

long Read(FileHandle f, void* buf, long n) {
  Open& o = g_open.at(f);
  const Entry& e = g_files.at(o.key);
  auto fail = g_failReadAt.find(o.key);
  if (fail != g_failReadAt.end() && o.pos + static_cast<uint64_t>(n) > fail->second) return -1;
  const auto ranges = g_failReadRange.equal_range(o.key);
  for (auto r = ranges.first; r != ranges.second; ++r) {
    if (o.pos < r->second.second && o.pos + static_cast<uint64_t>(n) > r->second.first) return -1;
  }
  uint64_t left = e.data.size() > o.pos ? e.data.size() - o.pos : 0;
  long got = static_cast<long>(std::min<uint64_t>(left, static_cast<uint64_t>(n)));
  std::memcpy(buf, e.data.data() + o.pos, static_cast<size_t>(got));
  o.pos += static_cast<uint64_t>(got);
  return got;
}

long Write(FileHandle f, const void* buf, long n) {
  Open& o = g_open.at(f);
  if (!o.write) return -1;
  Entry& e = g_files.at(o.key);
  uint64_t end = o.pos + static_cast<uint64_t>(n);
  uint64_t growth = end > e.data.size() ? end - e.data.size() : 0;
  if (Used() + growth > g_capacity) return -1;
  if (growth) e.data.resize(static_cast<size_t>(end));
  std::memcpy(&e.data[static_cast<size_t>(o.pos)], buf, static_cast<size_t>(n));
  o.pos = end;
  Share(o.key);
  return n;
}

bool Seek(FileHandle f, uint64_t offset) {
  g_open.at(f).pos = offset;
  return true;
}

bool Flush(FileHandle f) {
  const Open& o = g_open.at(f);
  if (!o.write) return false;
  ++g_files.at(o.key).flushes;
  return true;
}

void Close(FileHandle f) { g_open.erase(f); }

void ToDirEntry(const std::string& name, const Entry* e, DirEntry* out) {
  std::memset(out, 0, sizeof(*out));
  std::strncpy(out->name, name.c_str(), sizeof(out->name) - 1);
  out->attributes = e ? e->attributes : kAttrDirectory;
  out->length = e ? std::max<uint64_t>(e->data.size(), e->shownLength) : 0;
  out->lastWrite = e && e->hasTime ? e->time : CalTime{2000, 1, 1, 0, 0, 0};
}

bool Lookup(const char* path, DirEntry* out) {
  auto it = g_files.find(Key(path));
  if (it == g_files.end()) return false;
  const std::string& name = it->second.name;
  ToDirEntry(name.substr(name.find_last_of('\\') + 1), &it->second, out);
  return true;
}

bool List(const char* dir, bool (*visit)(void*, const DirEntry&), void* ctx) {
  std::string d = Key(dir);
  if (d.size() > 3 && d.back() == '\\') d.pop_back();
  if (!IsDir(d)) return false;
  std::vector<DirEntry> entries;
  DirEntry e;
  if (!IsRoot(d)) {
    for (const char* dot : {".", ".."}) {
      ToDirEntry(dot, &g_files.at(d), &e);
      entries.push_back(e);
    }
  }
  for (const auto& f : g_files) {
    if (Parent(f.first) != d) continue;
    const std::string& name = f.second.name;
    ToDirEntry(name.substr(name.find_last_of('\\') + 1), &f.second, &e);
    entries.push_back(e);
  }
  for (const auto& entry : entries)
    if (visit(ctx, entry)) return true;
  return false;
}

uint32_t GetAttributes(const char* path) {
  auto it = g_files.find(Key(path));
  return it == g_files.end() ? kNoAttributes : it->second.attributes;
}

bool SetAttributes(const char* path, uint32_t attributes) {
  auto it = g_files.find(Key(path));
  if (it == g_files.end()) return false;
  // The folder bit is the entry's own: the system ignores it.
  uint32_t folder = it->second.attributes & kAttrDirectory;
  uint32_t kept = attributes & ~(kAttrDirectory | kAttrNormal);
  it->second.attributes = folder | (kept ? kept : (folder ? 0 : kAttrNormal));
  Share(it->first);
  return true;
}

bool Remove(const char* path) {
  auto it = g_files.find(Key(path));
  if (it == g_files.end() || IsDir(it->first) || (it->second.attributes & kAttrReadOnly) ||
      IsOpen(it->first))
    return false;
  g_files.erase(it);
  return true;
}

bool Rename(const char* from, const char* to) {
  std::string kf = Key(from), kt = Key(to);
  auto it = g_files.find(kf);
  if (it == g_files.end() || IsOpen(kf) || !IsDir(Parent(kt))) return false;
  if (kt != kf && g_files.count(kt)) return false;
  std::map<std::string, Entry> moved;
  for (auto f = g_files.begin(); f != g_files.end();) {
    if (f->first == kf || f->first.compare(0, kf.size() + 1, kf + "\\") == 0) {
      if (IsOpen(f->first)) return false;
      Entry e = f->second;
      e.name = std::string(to) + e.name.substr(kf.size());
      moved[kt + f->first.substr(kf.size())] = e;
      f = g_files.erase(f);
    } else {
      ++f;
    }
  }
  g_files.insert(moved.begin(), moved.end());
  return true;
}

// As the system's copy: a file there is replaced, unless it is read-only or hidden.
bool Copy(const char* from, const char* to) {
  std::string kf = Key(from), kt = Key(to);
  auto it = g_files.find(kf);
  auto there = g_files.find(kt);
  if (it == g_files.end() || IsDir(kf) || g_failOpen.count(kf) || g_failCreate.count(kt) ||
      !IsDir(Parent(kt)) || kt == kf ||
      (there != g_files.end() &&
       (IsDir(kt) || IsOpen(kt) || (there->second.attributes & (kAttrReadOnly | kAttrHidden)))))
    return false;
  // A file there is written over: it stays the file it is, under its own name.
  Entry e = it->second;
  e.name = to;
  e.flushes = 0;
  e.id = ++g_lastId;
  if (there != g_files.end()) {
    e.name = there->second.name;
    e.id = there->second.id;
    there->second.data.clear();
  }
  // As the system does out of room: the part that fitted stays behind.
  uint64_t room = g_capacity - std::min(g_capacity, Used());
  bool whole = e.data.size() <= room;
  if (!whole) e.data.resize(static_cast<size_t>(room));
  g_files[kt] = e;
  Share(kt);
  return whole;
}

bool MakeDir(const char* path) {
  std::string k = Key(path);
  if (g_files.count(k) || IsRoot(k) || !IsDir(Parent(k))) return false;
  PutDir(path);
  return true;
}

bool RemoveDir(const char* path) {
  std::string k = Key(path);
  if (!IsDir(k) || IsRoot(k) || (g_files.at(k).attributes & kAttrReadOnly)) return false;
  for (const auto& f : g_files)
    if (Parent(f.first) == k) return false;
  g_files.erase(k);
  return true;
}

// A link goes by itself: what is listed below it lies elsewhere and stays.
bool RemoveLink(const char* path, bool folder) {
  auto it = g_files.find(Key(path));
  if (it == g_files.end() || !(it->second.attributes & kAttrReparsePoint) ||
      folder != IsDir(it->first))
    return false;
  g_files.erase(it);
  return true;
}

TimeResult SetTimes(const char* path, const CalTime& t) {
  auto it = g_files.find(Key(path));
  if (it == g_files.end() || g_failOpen.count(it->first)) return TimeResult::CannotOpen;
  it->second.hasTime = true;
  it->second.time = t;
  Share(it->first);
  return TimeResult::Ok;
}

// Names compared as the system compares them: an alias is another name.
bool SameName(const char* a, const char* b) { return Upper(a) == Upper(b); }

// A drive is a volume; its root is file 0 on it.
bool Identify(const char* path, FileId* id) {
  const std::string k = Key(path);
  auto it = g_files.find(k);
  if (!IsRoot(k) && it == g_files.end()) return false;
  *id = FileId{0, k[0], IsRoot(k) ? 0 : it->second.id};
  return true;
}

const DiskFiles kFiles = {
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

void MakeParents(const std::string& path) {
  std::string parent = path.substr(0, path.find_last_of('\\'));
  if (parent.size() > 2 && !g_files.count(Key(parent))) PutDir(parent);
}

}  // namespace

void Reset(uint64_t capacity) {
  g_files.clear();
  g_open.clear();
  g_capacity = capacity;
  g_failCreate.clear();
  g_failOpen.clear();
  g_failReadAt.clear();
  g_failReadRange.clear();
  g_aliases.clear();
  g_linked.clear();
}

const DiskFiles& Files() { return kFiles; }

void Put(const std::string& path, const std::string& data, uint32_t attributes) {
  MakeParents(path);
  Entry e;
  e.name = path;
  e.data = data;
  e.attributes = attributes;
  e.id = ++g_lastId;
  g_files[Key(path)] = e;
}

void PutDir(const std::string& path, uint32_t attributes) {
  if (IsRoot(Key(path))) return;  // roots always exist
  std::string p = path;
  if (p.size() > 3 && p.back() == '\\') p.pop_back();
  MakeParents(p);
  Entry e;
  e.name = p;
  e.attributes = attributes | kAttrDirectory;
  e.id = ++g_lastId;
  g_files[Key(p)] = e;
}

void Link(const std::string& path, const std::string& other) {
  MakeParents(other);
  Entry e = g_files.at(Key(path));
  e.name = other;
  e.flushes = 0;
  g_files[Key(other)] = e;
  g_linked.insert(e.id);
}

void Alias(const std::string& alias, const std::string& path) {
  std::string a = Key(alias), p = Key(path);
  if (a.size() > 3 && a.back() == '\\') a.pop_back();
  if (p.size() > 3 && p.back() == '\\') p.pop_back();
  g_aliases[a] = p;
}

bool Has(const std::string& path) { return g_files.count(Key(path)) != 0; }
const Entry& Get(const std::string& path) { return g_files.at(Key(path)); }

std::set<std::string> NamesIn(const std::string& dir) {
  std::set<std::string> names;
  std::string d = Key(dir);
  if (d.size() > 3 && d.back() == '\\') d.pop_back();
  for (const auto& f : g_files)
    if (Parent(f.first) == d) names.insert(f.second.name.substr(f.second.name.find_last_of('\\') + 1));
  return names;
}

int OpenHandles() { return static_cast<int>(g_open.size()); }

void ShowLength(const std::string& path, uint64_t length) { g_files.at(Key(path)).shownLength = length; }

void FailCreate(const std::string& path) { g_failCreate.insert(Key(path)); }
void FailOpen(const std::string& path) { g_failOpen.insert(Key(path)); }
void FailReadAt(const std::string& path, uint64_t offset) { g_failReadAt[Key(path)] = offset; }
void FailReadRange(const std::string& path, uint64_t from, uint64_t to) {
  g_failReadRange.emplace(Key(path), std::make_pair(from, to));
}

}  // namespace memdisk
