// A model disk behind the file table of the commands: case-insensitive names, folders, attributes
// that behave as the system's do, files known by their identity under other names, a size limit
// and failures on demand.
#pragma once
#include <cstdint>
#include <map>
#include <set>
#include <string>

#include "base/diskfiles.h"

namespace memdisk {

struct Entry {
  std::string name;  // as created, full path
  std::string data;
  uint32_t attributes = kAttrArchive;
  bool hasTime = false;
  CalTime time{};
  int flushes = 0;   // times its written bytes were sent to the disk
  uint64_t id = 0;   // the file it is: hard links share it
  uint64_t shownLength = 0;  // what listings and look-ups give as its length, when above data's
};

// Starts an empty disk with room for capacity bytes of file data. Drive roots ("C:\") always exist.
void Reset(uint64_t capacity = UINT64_MAX);
const DiskFiles& Files();

// A file, its missing parent folders made too.
void Put(const std::string& path, const std::string& data, uint32_t attributes = kAttrArchive);
// A link to a folder is a folder with kAttrReparsePoint: what is put below it stands for what it
// leads to, which removing the link (removeLink) leaves in place.
void PutDir(const std::string& path, uint32_t attributes = kAttrDirectory);
// A second name of the file at path, as a hard link is: listed as any entry, and what is written
// or set through either name shows through the other.
void Link(const std::string& path, const std::string& other);
// Another spelling of the entry at path, as its short name is: not listed, but a path that begins
// with it reaches that entry and what lies below it.
void Alias(const std::string& alias, const std::string& path);
bool Has(const std::string& path);
const Entry& Get(const std::string& path);
std::set<std::string> NamesIn(const std::string& dir);  // entry names as created, no "." or ".."
int OpenHandles();

// Listings and look-ups give the file at path as length bytes long while it holds only its
// data: a file larger than the model can hold, such as one of 4 GiB and more.
void ShowLength(const std::string& path, uint64_t length);

// Failures: creating or opening this path fails; reading this path fails at byte offset.
void FailCreate(const std::string& path);
void FailOpen(const std::string& path);
void FailReadAt(const std::string& path, uint64_t offset);
// A read that takes in any byte from offset from up to to fails, as on a bad sector.
void FailReadRange(const std::string& path, uint64_t from, uint64_t to);

}  // namespace memdisk
