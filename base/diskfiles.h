// The file calls that the commands make, gathered in one table so that their file work runs on
// the system's files in the program and on a model disk in the tests.
#pragma once
#include <cstddef>
#include <cstdint>

#include "base/caltime.h"
#include "base/paths.h"

using FileHandle = intptr_t;
constexpr FileHandle kNoFile = -1;
constexpr uint32_t kNoAttributes = 0xFFFFFFFFu;  // as GetFileAttributesA fails
constexpr uint32_t kAttrReadOnly = 0x01, kAttrHidden = 0x02, kAttrSystem = 0x04,
                   kAttrDirectory = 0x10, kAttrArchive = 0x20, kAttrNormal = 0x80,
                   kAttrReparsePoint = 0x400;  // a link (junction, symbolic link) to elsewhere

// One directory entry as a listing or a look-up gives it.
struct DirEntry {
  char name[kPathBytes];
  uint32_t attributes;
  uint64_t length;
  CalTime lastWrite;  // local
};

enum class TimeResult { Ok, CannotOpen, NotSet };

// What tells one file from another whatever name it goes by (a letter case, a short name, a hard
// link, "." and ".." in its path): the volume and the file's number on it.
struct FileId {
  uint32_t volume;
  char drive;  // the drive letter, where the volume has no number to tell it by
  uint64_t index;
};
inline bool operator==(const FileId& a, const FileId& b) {
  return a.volume == b.volume && a.drive == b.drive && a.index == b.index;
}

struct DiskFiles {
  FileHandle (*create)(const char* path);     // new or truncated, normal attributes
  FileHandle (*createNew)(const char* path);  // a new file only: fails when the name is taken
  FileHandle (*openRead)(const char* path);
  // An existing file, read and write, nothing cut: its bytes are overwritten in place.
  FileHandle (*openWrite)(const char* path);
  long (*read)(FileHandle f, void* buf, long n);         // 0 at the end, -1 on error
  long (*write)(FileHandle f, const void* buf, long n);  // bytes written, -1 on error
  bool (*seek)(FileHandle f, uint64_t offset);           // from the start
  bool (*flush)(FileHandle f);                           // written bytes reach the disk
  void (*close)(FileHandle f);
  // An entry (file or directory) exists; its data. Wildcards are not expanded.
  bool (*lookup)(const char* path, DirEntry* entry);
  // Calls visit with each entry of dir (ending in a backslash), "." and ".." as the system
  // gives them, until it returns true; false when nothing visited returned true.
  bool (*list)(const char* dir, bool (*visit)(void* ctx, const DirEntry& e), void* ctx);
  uint32_t (*getAttributes)(const char* path);
  bool (*setAttributes)(const char* path, uint32_t attributes);
  bool (*remove)(const char* path);                      // as it is: read-only stays
  // Files and directories; fails when to names an entry already (another letter case too).
  bool (*rename)(const char* from, const char* to);
  // Copies a file with its attributes to to, replacing a file there: a caller gives it a name it
  // took by creating the file, never one that another program may hold. Out of room it may
  // leave a part of to.
  bool (*copy)(const char* from, const char* to);
  bool (*makeDir)(const char* path);
  bool (*removeDir)(const char* path);                   // only an empty one
  // A link (kAttrReparsePoint) itself, never what it leads to; false where the system has no
  // call that is sure to do just that.
  bool (*removeLink)(const char* path, bool folder);
  // Sets creation, access and write time of a file or directory from a local calendar time.
  TimeResult (*setTimes)(const char* path, const CalTime& local);
  // Whether two names denote the same file on this file system (letter case aside).
  bool (*sameName)(const char* a, const char* b);
  // The identity of the file or folder at path; false where the system gives none.
  bool (*identify)(const char* path, FileId* id);
};

// The system's own files (diskfiles_win32.cpp, diskfiles_posix.cpp).
const DiskFiles& SystemFiles();

// The length of an existing entry; false when there is none.
bool FindLength(const DiskFiles& fs, const char* path, uint64_t* length);
// Sets normal attributes, then deletes.
bool RemoveForced(const DiskFiles& fs, const char* path);
// Whether a and b name one file: by name, or by identity where the system gives both theirs.
bool SameFile(const DiskFiles& fs, const char* a, const char* b);

// A file to be known under any of its names among the entries a walk lists: an entry is asked
// for its identity only when it has the file's length, so that a walk opens next to nothing.
struct KnownFile {
  const char* path;
  uint64_t length;
  bool identified;  // id is the file's
  FileId id;
};
KnownFile KnowFile(const DiskFiles& fs, const char* path);
// Whether the entry e, listed at path, is that file.
bool IsKnownFile(const DiskFiles& fs, const KnownFile& file, const char* path, const DirEntry& e);

// Byte-for-byte comparison of two files.
bool FilesEqual(const DiskFiles& fs, const char* a, const char* b);

// Temporary names ~TVR000.TMP ... ~TVR999.TMP in dir (ending in a backslash): short names that
// floppies and old file systems take, beside the file they stand for so that it can be renamed
// into place on the same volume.
// The path of one that nothing has now, into path (cap bytes); a caller's creation or rename
// fails rather than replace an entry that appeared meanwhile.
bool FreeNameIn(const DiskFiles& fs, const char* dir, char* path, std::size_t cap);
// A new file of such a name, its path into path; kNoFile when none can be made.
FileHandle CreateTemporaryIn(const DiskFiles& fs, const char* dir, char* path, std::size_t cap);
