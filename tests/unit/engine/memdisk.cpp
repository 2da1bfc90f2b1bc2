#include "memdisk.h"

#include <algorithm>
#include <cctype>
#include <cstring>

namespace memdisk {
namespace {

struct Open {
  std::string key;
  uint64_t pos;
  bool write;
};

std::map<std::string, Entry> g_files;  // by upper-cased path
std::map<engine::FileHandle, Open> g_open;
engine::FileHandle g_next = 3;
uint64_t g_capacity = UINT64_MAX;
std::set<std::string> g_failCreate, g_failOpen;
std::map<std::string, uint64_t> g_failReadAt;

std::string Key(const std::string& path) {
  std::string k = path;
  for (char& c : k) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return k;
}

uint64_t Used() {
  uint64_t used = 0;
  for (const auto& f : g_files) used += f.second.data.size();
  return used;
}

engine::FileHandle Create(const char* path) {
  std::string k = Key(path);
  if (g_failCreate.count(k)) return engine::kNoFile;
  auto it = g_files.find(k);
  if (it != g_files.end()) {
    if (it->second.attributes & engine::kAttrReadOnly) return engine::kNoFile;
    it->second.data.clear();
    it->second.attributes = engine::kAttrArchive;
  } else {
    Entry e;
    e.name = path;
    g_files[k] = e;
  }
  g_open[g_next] = Open{k, 0, true};
  return g_next++;
}

engine::FileHandle OpenRead(const char* path) {
  std::string k = Key(path);
  if (g_failOpen.count(k) || !g_files.count(k)) return engine::kNoFile;
  g_open[g_next] = Open{k, 0, false};
  return g_next++;
}

long Read(engine::FileHandle f, void* buf, long n) {
  Open& o = g_open.at(f);
  const Entry& e = g_files.at(o.key);
  auto fail = g_failReadAt.find(o.key);
  if (fail != g_failReadAt.end() && o.pos + static_cast<uint64_t>(n) > fail->second) return -1;
  uint64_t left = e.data.size() > o.pos ? e.data.size() - o.pos : 0;
  long got = static_cast<long>(std::min<uint64_t>(left, static_cast<uint64_t>(n)));
  std::memcpy(buf, e.data.data() + o.pos, static_cast<size_t>(got));
  o.pos += static_cast<uint64_t>(got);
  return got;
}

long Write(engine::FileHandle f, const void* buf, long n) {
  Open& o = g_open.at(f);
  if (!o.write) return -1;
  if (Used() + static_cast<uint64_t>(n) > g_capacity) return -1;
  Entry& e = g_files.at(o.key);
  e.data.append(static_cast<const char*>(buf), static_cast<size_t>(n));
  o.pos += static_cast<uint64_t>(n);
  return n;
}

void Close(engine::FileHandle f) { g_open.erase(f); }

bool Find(const char* path, uint64_t* length) {
  auto it = g_files.find(Key(path));
  if (it == g_files.end()) return false;
  *length = it->second.data.size();
  return true;
}

uint32_t GetAttributes(const char* path) {
  auto it = g_files.find(Key(path));
  return it == g_files.end() ? engine::kNoAttributes : it->second.attributes;
}

bool SetAttributes(const char* path, uint32_t attributes) {
  auto it = g_files.find(Key(path));
  if (it == g_files.end()) return false;
  it->second.attributes = attributes;
  return true;
}

bool Remove(const char* path) {
  auto it = g_files.find(Key(path));
  if (it == g_files.end() || (it->second.attributes & engine::kAttrReadOnly)) return false;
  for (const auto& o : g_open) {
    if (o.second.key == it->first) return false;  // open files cannot be deleted
  }
  g_files.erase(it);
  return true;
}

bool AnyEntry(const char* dir, bool (*visit)(void*, const char*), void* ctx) {
  for (const std::string& name : NamesIn(dir)) {
    if (visit(ctx, name.c_str())) return true;
  }
  return false;
}

bool SetTimes(const char* path, const pieceset::CalTime& t) {
  auto it = g_files.find(Key(path));
  if (it == g_files.end() || g_failOpen.count(it->first)) return false;
  it->second.hasTime = true;
  it->second.time = t;
  return true;
}

bool SameName(const char* a, const char* b) { return Key(a) == Key(b); }

const engine::DiskFiles kFiles = {Create, OpenRead, Read,   Write,   Close,   Find,
                                  GetAttributes, SetAttributes, Remove, AnyEntry, SetTimes,
                                  SameName};

}  // namespace

void Reset(uint64_t capacity) {
  g_files.clear();
  g_open.clear();
  g_capacity = capacity;
  g_failCreate.clear();
  g_failOpen.clear();
  g_failReadAt.clear();
}

const engine::DiskFiles& Files() { return kFiles; }

void Put(const std::string& path, const std::string& data, uint32_t attributes) {
  Entry e;
  e.name = path;
  e.data = data;
  e.attributes = attributes;
  g_files[Key(path)] = e;
}

bool Has(const std::string& path) { return g_files.count(Key(path)) != 0; }
const Entry& Get(const std::string& path) { return g_files.at(Key(path)); }

std::set<std::string> NamesIn(const std::string& dir) {
  std::set<std::string> names;
  std::string kd = Key(dir);
  for (const auto& f : g_files) {
    if (f.first.compare(0, kd.size(), kd) == 0 && f.first.find('\\', kd.size()) == std::string::npos) {
      names.insert(f.second.name.substr(dir.size()));
    }
  }
  return names;
}

int OpenHandles() { return static_cast<int>(g_open.size()); }

void FailCreate(const std::string& path) { g_failCreate.insert(Key(path)); }
void FailOpen(const std::string& path) { g_failOpen.insert(Key(path)); }
void FailReadAt(const std::string& path, uint64_t offset) { g_failReadAt[Key(path)] = offset; }

}  // namespace memdisk
