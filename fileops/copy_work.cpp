#include "fileops/copy_work.h"

#include <algorithm>
#include <cstring>

#include "base/paths.h"
#include "base/text.h"

namespace fileops {
namespace {

constexpr long kSectorBytes = 512;
constexpr int kRunSectors = 32;  // a bit per sector of a run in a 32-bit mask
constexpr long kRunBytes = kRunSectors * kSectorBytes;
constexpr int kReadTries = 3;
constexpr int kMaxStretches = 64;

// The byte ranges [from, to) of a part of a copy that it holds as zeros.
struct Stretches {
  uint64_t from[kMaxStretches];
  uint64_t to[kMaxStretches];
  int count;
};

// A run adds at most every other one of its sectors as a stretch of its own: the stretches of a
// part are taken up to this many before a run, so that they never fill the table.
constexpr int kStretchesBeforeARun = kMaxStretches - kRunSectors / 2;

void AddStretch(Stretches* s, uint64_t from, uint64_t to) {
  if (s->count > 0 && s->to[s->count - 1] == from) {
    s->to[s->count - 1] = to;
    return;
  }
  s->from[s->count] = from;
  s->to[s->count] = to;
  ++s->count;
}

// The sectors of the run of len bytes at offset that a stretch touches.
uint32_t StretchMask(const Stretches& s, uint64_t offset, long len) {
  uint32_t mask = 0;
  for (long at = 0; at < len; at += kSectorBytes) {
    for (int k = 0; k < s.count; ++k) {
      if (offset + at < s.to[k] && offset + at + kSectorBytes > s.from[k])
        mask |= 1u << (at / kSectorBytes);
    }
  }
  return mask;
}

// Reads the run of len bytes at offset into buf: at once when it can, else sector by sector,
// a sector tried kReadTries times. A sector that does not read, or is in skip and so is not
// read at all, is zeros in buf and in the mask returned. The position is set before every read,
// as a failed read leaves it unknown.
uint32_t ReadRun(const DiskFiles& fs, FileHandle f, uint64_t offset, char* buf,
                 long len, uint32_t skip) {
  if (skip == 0 && fs.seek(f, offset) && fs.read(f, buf, len) == len) return 0;
  uint32_t unread = 0;
  for (long at = 0; at < len; at += kSectorBytes) {
    const long n = std::min(kSectorBytes, len - at);
    const uint32_t bit = 1u << (at / kSectorBytes);
    bool got = false;
    for (int t = 0; !(skip & bit) && !got && t < kReadTries; ++t) {
      got = fs.seek(f, offset + at) && fs.read(f, buf + at, n) == n;
    }
    if (!got) {
      std::memset(buf + at, 0, static_cast<std::size_t>(n));
      unread |= bit;
    }
  }
  return unread;
}

enum class Salvage { Whole, Filled, Declined, Failed, Differs };

char g_runA[kRunBytes], g_runB[kRunBytes];

// Whether the part [from, to) of copy (from a run's start) holds the bytes of source, but for
// the stretches and what of source does not read now.
bool SameWhereRead(const DiskFiles& fs, const char* source, const char* copy,
                   const Stretches& stretches, uint64_t from, uint64_t to) {
  const FileHandle fa = fs.openRead(source);
  if (fa == kNoFile) return false;
  const FileHandle fb = fs.openRead(copy);
  if (fb == kNoFile) {
    fs.close(fa);
    return false;
  }
  bool same = fs.seek(fb, from);
  for (uint64_t at = from; same && at < to; at += kRunBytes) {
    const long len = static_cast<long>(std::min<uint64_t>(kRunBytes, to - at));
    const uint32_t passed = ReadRun(fs, fa, at, g_runA, len, StretchMask(stretches, at, len));
    same = fs.read(fb, g_runB, len) == len;
    for (long s = 0; same && s < len; s += kSectorBytes) {
      const std::size_t n = static_cast<std::size_t>(std::min(kSectorBytes, len - s));
      same = (passed & (1u << (s / kSectorBytes))) || std::memcmp(g_runA + s, g_runB + s, n) == 0;
    }
  }
  fs.close(fa);
  fs.close(fb);
  return same;
}

// Copies source run by run into to, a file of ours, with its time. At the first run that does
// not read whole the user is asked; then what cannot be read is written as zeros. With verify
// the copy is read back and compared with the source but for those zeros, a part at a time:
// the part before a run is compared (and its stretches let go) when they could fill their
// table, so that every byte that reads is compared, however many stretches there are.
Salvage CopyReadable(const DiskFiles& fs, const char* source, const char* to, bool verify,
                     UnreadableSectors* u) {
  DirEntry e;
  if (!fs.lookup(source, &e)) return Salvage::Failed;
  const FileHandle in = fs.openRead(source);
  if (in == kNoFile) return Salvage::Failed;
  FileHandle out = fs.create(to);
  if (out == kNoFile) {
    fs.close(in);
    return Salvage::Failed;
  }
  static Stretches stretches;
  stretches.count = 0;
  uint64_t part = 0;  // where the part not yet compared begins
  Salvage result = Salvage::Whole;
  for (uint64_t at = 0; at < e.length; at += kRunBytes) {
    if (stretches.count > kStretchesBeforeARun) {
      if (verify) {
        fs.close(out);
        out = kNoFile;
        if (!SameWhereRead(fs, source, to, stretches, part, at)) {
          result = Salvage::Differs;
          break;
        }
        out = fs.openWrite(to);
        if (out == kNoFile || !fs.seek(out, at)) {
          result = Salvage::Failed;
          break;
        }
      }
      part = at;
      stretches.count = 0;
    }
    const long len = static_cast<long>(std::min<uint64_t>(kRunBytes, e.length - at));
    const uint32_t unread = ReadRun(fs, in, at, g_runA, len, 0);
    if (unread && result == Salvage::Whole) {
      if (!u->ask(u->ctx)) {
        result = Salvage::Declined;
        break;
      }
      result = Salvage::Filled;
    }
    for (long s = 0; s < len; s += kSectorBytes) {
      if (!(unread & (1u << (s / kSectorBytes)))) continue;
      const long n = std::min(kSectorBytes, len - s);
      AddStretch(&stretches, at + s, at + s + n);
      u->unreadBytes += n;
    }
    if (fs.write(out, g_runA, len) != len) {
      result = Salvage::Failed;
      break;
    }
  }
  fs.close(in);
  if (out != kNoFile) fs.close(out);
  const bool copied = result == Salvage::Whole || result == Salvage::Filled;
  if (copied && verify && !SameWhereRead(fs, source, to, stretches, part, e.length))
    return Salvage::Differs;
  if (copied) fs.setTimes(to, e.lastWrite);
  return result;
}

bool SameLength(const DiskFiles& fs, const char* a, const char* b) {
  DirEntry ea, eb;
  return fs.lookup(a, &ea) && fs.lookup(b, &eb) && ea.length == eb.length;
}

// The temporary file of a copy that failed goes; where it cannot, it is named in left and the
// result says so instead of result.
CopyResult Discard(const DiskFiles& fs, const char* temp, char* left, CopyResult result) {
  if (RemoveForced(fs, temp)) return result;
  CopyBounded(left, kPathBytes, temp);
  return CopyResult::CopyLeft;
}

}  // namespace

bool NormalizeDestination(char* text, std::size_t cap, bool (*isLetter)(char)) {
  const std::size_t n = std::strlen(text);
  if (n < 2 || !isLetter(text[0]) || text[1] != ':') return false;
  if (n == 2) {
    if (cap < 4) return false;
    text[2] = '\\';
    text[3] = 0;
    return true;
  }
  return text[2] == '\\';
}

void NameFolder(char* text, bool dbcs932) {
  // Parts are taken from i on and kept from 3 on; out never passes i, and stays before the
  // backslash that ends the part before i once a part is kept.
  const std::size_t n = std::strlen(text);
  if (n < 3) return;
  std::size_t out = 3;
  for (std::size_t i = 3; i < n;) {
    std::size_t end = i;
    while (end < n && text[end] != '\\') {
      end += dbcs932 && IsLeadByte932(static_cast<unsigned char>(text[end])) && end + 1 < n ? 2 : 1;
    }
    const std::size_t len = end - i;
    if (len == 2 && text[i] == '.' && text[i + 1] == '.') {
      if (out > 3) {
        text[out] = 0;
        out = static_cast<std::size_t>(std::max(LastBackslash(text, dbcs932), 3));
      }
    } else if (len > 1 || (len == 1 && text[i] != '.')) {
      if (out > 3) text[out++] = '\\';
      std::memmove(text + out, text + i, len);
      out += len;
    }
    i = end + 1;
  }
  text[out] = 0;
}

bool DestinationExists(const DiskFiles& fs, const char* text, bool dbcs932) {
  if (std::strlen(text) <= 3) return true;
  char dir[kPathBytes];
  CopyBounded(dir, sizeof dir, text);
  const std::size_t n = std::strlen(dir);
  if (LastBackslash(dir, dbcs932) == static_cast<int>(n) - 1) dir[n - 1] = 0;
  DirEntry e;
  return fs.lookup(dir, &e);
}

bool DestinationPath(const char* text, const char* name, char* out, std::size_t cap, bool dbcs932) {
  if (!MakeDirectoryPrefix(out, cap, text, dbcs932) || std::strlen(out) + std::strlen(name) >= cap)
    return false;
  std::strcat(out, name);
  return true;
}

DestinationIs JudgeDestination(const DiskFiles& fs, const char* source, const char* dest,
                               const char* programPath) {
  if (SameFile(fs, dest, source)) return DestinationIs::TheSource;
  if (SameFile(fs, dest, programPath)) return DestinationIs::TheProgram;
  return DestinationIs::Other;
}

bool FitsWithMargin(uint32_t sectorsPerCluster, uint32_t bytesPerSector, uint32_t freeClusters,
                    uint64_t size) {
  const uint64_t free = static_cast<uint64_t>(sectorsPerCluster) * bytesPerSector * freeClusters;
  return free >= size + 1000;
}

CopyResult CopyReplacing(const DiskFiles& fs, const char* source, const char* dest,
                         bool verify, bool dbcs932, char* left, UnreadableSectors* unreadable) {
  std::memset(left, 0, kPathBytes);
  char dir[kPathBytes];
  char temp[kPathBytes];
  // The copy goes into a file made for it here, so that no file that another program gives a
  // free name meanwhile is written over or deleted.
  const FileHandle made = DirectoryOf(dest, dir, sizeof dir, dbcs932)
                              ? CreateTemporaryIn(fs, dir, temp, sizeof temp)
                              : kNoFile;
  if (made == kNoFile) return CopyResult::CopyFailed;
  fs.close(made);
  bool copied = fs.copy(source, temp) && SameLength(fs, source, temp);
  bool readBack = false;
  // A sector that does not read fails the system's copy, or on some systems ends it quietly
  // with a shorter file.
  if (!copied && unreadable) {
    fs.setAttributes(temp, kAttrNormal);
    const Salvage s = CopyReadable(fs, source, temp, verify, unreadable);
    if (s == Salvage::Differs) return Discard(fs, temp, left, CopyResult::Differs);
    copied = (s == Salvage::Whole || s == Salvage::Filled) && SameLength(fs, source, temp);
    readBack = true;
  }
  if (!copied) return Discard(fs, temp, left, CopyResult::CopyFailed);
  // The copy takes archive attributes only, so that a read-only source makes no read-only copy.
  fs.setAttributes(temp, kAttrArchive);
  if (verify && !readBack && !FilesEqual(fs, source, temp))
    return Discard(fs, temp, left, CopyResult::Differs);
  DirEntry e;
  if (!fs.lookup(dest, &e)) {
    if (fs.rename(temp, dest)) return CopyResult::Ok;
    return Discard(fs, temp, left, CopyResult::CopyFailed);
  }
  // A folder of the file's name is never moved: a copy does not replace it.
  char aside[kPathBytes];
  if ((e.attributes & kAttrDirectory) || !FreeNameIn(fs, dir, aside, sizeof aside) ||
      !fs.rename(dest, aside)) {
    return Discard(fs, temp, left, CopyResult::ReplaceFailed);
  }
  if (!fs.rename(temp, dest)) {
    // The file that was there is the one to name when it cannot have its name back.
    if (fs.rename(aside, dest)) return Discard(fs, temp, left, CopyResult::ReplaceFailed);
    RemoveForced(fs, temp);
    CopyBounded(left, kPathBytes, aside);
    return CopyResult::OldAside;
  }
  const uint32_t attributes = fs.getAttributes(aside);
  if (RemoveForced(fs, aside)) return CopyResult::Ok;
  if (attributes != kNoAttributes) fs.setAttributes(aside, attributes);
  CopyBounded(left, kPathBytes, aside);
  return CopyResult::OldLeft;
}

}  // namespace fileops
