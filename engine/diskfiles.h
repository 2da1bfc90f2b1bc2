// The few file calls that division, merger and distribution make, gathered in one table so
// the file work runs on the system's files in the program and on a model disk in the tests.
#pragma once
#include <cstdint>

#include "pieceset.h"

namespace engine {

using FileHandle = intptr_t;
constexpr FileHandle kNoFile = -1;
constexpr uint32_t kNoAttributes = 0xFFFFFFFFu;  // as GetFileAttributesA fails
constexpr uint32_t kAttrReadOnly = 0x01, kAttrHidden = 0x02, kAttrSystem = 0x04,
                   kAttrArchive = 0x20, kAttrNormal = 0x80;

struct DiskFiles {
  FileHandle (*create)(const char* path);     // new or truncated, normal attributes
  FileHandle (*openRead)(const char* path);
  long (*read)(FileHandle f, void* buf, long n);         // 0 at the end, -1 on error
  long (*write)(FileHandle f, const void* buf, long n);  // bytes written, -1 on error
  void (*close)(FileHandle f);
  bool (*find)(const char* path, uint64_t* length);      // an entry exists; its length
  uint32_t (*getAttributes)(const char* path);
  bool (*setAttributes)(const char* path, uint32_t attributes);
  bool (*remove)(const char* path);                      // as it is: read-only stays
  // Calls visit with each entry name of dir (ending in a backslash) until it returns true.
  bool (*anyEntry)(const char* dir, bool (*visit)(void* ctx, const char* name), void* ctx);
  // Sets creation, access and write time from a local calendar time; false if it cannot open.
  bool (*setTimes)(const char* path, const pieceset::CalTime& local);
  // Whether two names denote the same file on this file system (letter case aside).
  bool (*sameName)(const char* a, const char* b);
};

#ifdef _WIN32
const DiskFiles& SystemFiles();
#endif

// Sets normal attributes, then deletes.
bool RemoveForced(const DiskFiles& fs, const char* path);
// Removes prefix + 0 ... prefix + pieces of dir, read-only ones too.
void RemovePieceSet(const DiskFiles& fs, const char* dir, const char* prefix, int pieces);

}  // namespace engine
