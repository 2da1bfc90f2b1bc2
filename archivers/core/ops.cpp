#include "ops.h"

#include <cstring>
#include <initializer_list>
#include <string_view>

#include "crc16.h"
#include "dostime.h"
#include "errors.h"
#include "fsio.h"
#include "lha.h"
#include "lhcodec.h"
#include "zip.h"

namespace arc {
namespace {

// Closes its file when it goes.
class FilePtr {
 public:
  explicit FilePtr(FILE* f = nullptr) : f_(f) {}
  FilePtr(const FilePtr&) = delete;
  FilePtr& operator=(const FilePtr&) = delete;
  ~FilePtr() { reset(); }
  FILE* get() const { return f_; }
  explicit operator bool() const { return f_ != nullptr; }
  FILE* release() {
    FILE* f = f_;
    f_ = nullptr;
    return f;
  }
  void reset(FILE* f = nullptr) {
    if (f_) fclose(f_);
    f_ = f;
  }

 private:
  FILE* f_;
};

// Appends a line made of `parts`, built in the log itself: in room an extraction reserved,
// it asks for no memory.
void Note(Str* log, std::initializer_list<std::string_view> parts) {
  if (!log) return;
  for (std::string_view p : parts) *log += p;
  *log += '\n';
}

Str Join(const Str& dir, const Str& leaf) { return dir.empty() ? leaf : dir + PathSeparator() + leaf; }

// A name we may create: relative, no "..", no drive.
bool SafeTarget(const Str& path, LeadByteFn lead) {
  Vec<Str> parts;
  return SplitSafeName(path, lead, false, &parts) == NameCheck::kOk;
}

// Writes a new file through a temporary one beside it, so a failure leaves any
// older file of that name whole. `source`, the old archive being rewritten, is
// closed before the rename: Windows cannot replace a file that is open. `watch`
// has seen the whole job, the target's name included: what was built while memory
// ran out may be wrong and never replaces the target. The temporary name goes to
// *temp, which asks for no memory when it has room for the target's name and 13 bytes.
template <typename Produce>
int WriteThroughTemp(const Str& target, Str* temp, const AllocWatch& watch, Produce produce,
                     FilePtr* source = nullptr) {
  if (watch.Lost()) return kErrDiskSpace;
  // A read-only file is the user's word that it must not change.
  if (StatPath(target).readOnly) return kErrCannotWrite;
  FilePtr f(CreateTempBeside(target, temp));
  if (!f) return watch.Lost() ? kErrDiskSpace : kErrCannotWrite;
  int r = produce(f.get());
  if (fflush(f.get()) != 0 || ferror(f.get())) r = r == kOk ? kErrCannotWrite : r;
  if (fclose(f.release()) != 0 && r == kOk) r = kErrCannotWrite;
  if (watch.Lost()) r = kErrDiskSpace;
  if (source) source->reset();
  if (r == kOk) {
    Replaced done = ReplaceWith(*temp, target);
    // The old file is gone: the temporary file now holds the only copy of the new content.
    if (done == Replaced::kOnlyInTemp) return kErrCannotWrite;
    if (done == Replaced::kNo) r = kErrCannotWrite;
  }
  if (r != kOk) RemoveFile(*temp);
  return r;
}

// A path to write and the folders on its way, worked out before anything is written.
struct PlannedPath {
  Str path;
  Vec<size_t> folders;  // lengths of the leading parts of `path` that are folders to make
};

// Appends `parts` to the path; the first `folders` of them are folders to make.
void AddParts(PlannedPath* p, const Vec<Str>& parts, size_t folders) {
  for (size_t i = 0; i < parts.size(); ++i) {
    if (!p->path.empty()) p->path += PathSeparator();
    p->path += parts[i];
    if (i < folders) p->folders.push_back(p->path.size());
  }
}

// Makes the planned folders, each named by ending the path there for a moment: no copy,
// so no memory is asked for.
int MakeFolders(PlannedPath* p) {
  for (size_t n : p->folders) {
    char& end = p->path[n];
    const char kept = end;
    end = 0;
    const bool made = MakeDir(p->path.c_str());
    end = kept;
    if (!made) return kErrMakeDir;
  }
  return kOk;
}

bool Matches(const Vec<Str>& patterns, const Str& name, LeadByteFn lead) {
  if (patterns.empty()) return true;
  std::string_view base = BaseName(name, lead);
  for (const auto& p : patterns)
    if (WildcardMatch(p, name) || WildcardMatch(p, base)) return true;
  return false;
}

// The stored form of a file name given in a command: safe parts joined by `sep`.
Str StoredName(const Str& file, LeadByteFn lead, char sep) {
  Vec<Str> parts;
  if (SplitSafeName(file, lead, false, &parts) == NameCheck::kRefused) return Str(BaseName(file, lead));
  Str s;
  for (const auto& p : parts) {
    if (!s.empty()) s += sep;
    s += p;
  }
  return s;
}

int CheckSources(const Vec<Str>& files, Vec<PathInfo>* infos, Str* log) {
  if (files.empty()) return kErrBadCommand;
  for (const auto& f : files) {
    PathInfo pi = StatPath(f);
    if (!pi.exists || pi.isDir) {
      Note(log, {f, ": ", ErrorText(kErrFileOpen)});
      return kErrFileOpen;
    }
    if (pi.size > 0xFFF00000u) return kErrTooLarge;
    if (!infos->push_back(pi)) return kErrDiskSpace;
  }
  return kOk;
}

// The names the files are stored under, one for each file.
int StoredNames(const Vec<Str>& files, LeadByteFn lead, char sep, Vec<Str>* names) {
  for (const auto& f : files)
    if (!names->push_back(StoredName(f, lead, sep))) return kErrDiskSpace;
  return kOk;
}

int CopyRange(FILE* in, uint64_t from, uint64_t n, FILE* out) {
  Vec<uint8_t> buf;
  if (!buf.resize(65536)) return kErrDiskSpace;
  if (!SeekFile(in, from)) return kErrCannotRead;
  while (n) {
    size_t want = n < buf.size() ? static_cast<size_t>(n) : buf.size();
    if (fread(buf.data(), 1, want, in) != want) return kErrCannotRead;
    if (fwrite(buf.data(), 1, want, out) != want) return kErrCannotWrite;
    n -= want;
  }
  return kOk;
}

// Copies a source file as stored data, returning its CRCs.
int StoreFile(const Str& path, uint64_t size, FILE* out, uint16_t* crc16, uint32_t* crc32v) {
  FilePtr in(OpenForRead(path));
  if (!in) return kErrFileOpen;
  Vec<uint8_t> buf;
  if (!buf.resize(65536)) return kErrDiskSpace;
  uint16_t c16 = 0;
  uint32_t c32 = 0;
  uint64_t done = 0;
  while (done < size) {
    size_t want = size - done < buf.size() ? static_cast<size_t>(size - done) : buf.size();
    if (fread(buf.data(), 1, want, in.get()) != want) return kErrCannotRead;
    if (crc16) c16 = Crc16Update(c16, buf.data(), want);
    if (crc32v) c32 = static_cast<uint32_t>(ZipCrc32(c32, buf.data(), want));
    if (fwrite(buf.data(), 1, want, out) != want) return kErrCannotWrite;
    done += want;
  }
  if (crc16) *crc16 = c16;
  if (crc32v) *crc32v = c32;
  return kOk;
}

// The packed size in whole percent of the original.
Str Percent(uint64_t packed, uint64_t original) { return Decimal(original ? packed * 100 / original : 100); }

// The first bytes of an LHA header ("-lh5-" at offset 2) or of a ZIP file.
bool LooksLikeArchive(const Str& path, bool lha) {
  FilePtr f(OpenForRead(path));
  unsigned char b[7] = {};
  if (!f || fread(b, 1, sizeof b, f.get()) != sizeof b) return false;
  if (lha) return b[2] == '-' && b[6] == '-';
  return b[0] == 'P' && b[1] == 'K' && ((b[2] == 3 && b[3] == 4) || (b[2] == 5 && b[3] == 6));
}

}  // namespace

Str FindArchive(const Str& name, bool lha) {
  // A bare stem is the archive's name without its extension, so the archive
  // wins over a file that happens to have the stem as its whole name. A stem
  // with a full stop ("notes.txt" of notes.txt.lzh) may name the original file
  // too: a candidate that reads as an archive wins over one that does not.
  Vec<Str> tries;
  bool bare = !HasExtension(name, nullptr);
  if (!bare) tries.push_back(name);
  tries.push_back(name + (lha ? ".LZH" : ".zip"));
  tries.push_back(name + (lha ? ".lzh" : ".ZIP"));
  if (bare) tries.push_back(name);
  Str first;
  for (const auto& t : tries) {
    PathInfo pi = StatPath(t);
    if (!pi.exists || pi.isDir) continue;
    if (LooksLikeArchive(t, lha)) return t;
    if (first.empty()) first = t;
  }
  return first;
}

int LhaAdd(const Str& archiveIn, const Vec<Str>& files, LeadByteFn lead, const AllocWatch& watch, Str* log) {
  Str archive = archiveIn;
  if (!HasExtension(archive, lead)) {
    archive = FindArchive(archive, true);
    if (archive.empty() || archive == archiveIn)
      archive = archiveIn + (PreferLowerExtension(files.empty() ? archiveIn : BaseName(files[0], lead)) ? ".lzh" : ".LZH");
  }
  if (!SafeTarget(archive, lead)) return kErrBadCommand;
  Vec<PathInfo> infos;
  int r = CheckSources(files, &infos, log);
  if (r != kOk) return r;
  Vec<Str> names;
  r = StoredNames(files, lead, '\\', &names);
  if (r != kOk) return r;

  Vec<LhaEntry> old;
  FilePtr oldFile;
  if (StatPath(archive).exists) {
    oldFile.reset(OpenForRead(archive));
    if (!oldFile) return kErrArchiveOpen;
    FileSource src(oldFile.get());
    r = ListLha(src, &old);
    if (r != kOk) return r;
  }
  Str temp;
  return WriteThroughTemp(archive, &temp, watch, [&](FILE* out) -> int {
    for (const auto& e : old) {
      bool replaced = false;
      for (const auto& n : names) replaced = replaced || EqualsNoCase(n, e.name);
      if (replaced) continue;
      int cr = CopyRange(oldFile.get(), e.headerPos, e.next - e.headerPos, out);
      if (cr != kOk) return cr;
    }
    for (size_t i = 0; i < files.size(); ++i) {
      if (watch.Lost()) return kErrDiskSpace;
      LhaEntry e;
      memcpy(e.method, "-lh5-", 5);
      e.name = names[i];
      e.mtime = infos[i].mtime;
      e.original = static_cast<uint32_t>(infos[i].size);
      uint64_t headerPos = TellFile(out);
      Vec<uint8_t> header = MakeLhaHeader(e, lead);
      if (header.empty()) return kErrDiskSpace;
      if (fwrite(header.data(), 1, header.size(), out) != header.size()) return kErrCannotWrite;
      uint64_t dataPos = headerPos + header.size();
      int er = kErrNotSmaller;
      if (e.original > 0) {
        FilePtr in(OpenForRead(files[i]));
        if (!in) return kErrFileOpen;
        FileReader reader(in.get());
        FileSink sink(out);
        LhEncodeResult res;
        er = LhEncode(reader, sink, e.original, &res);
        if (er == kOk) {
          if (res.original != e.original) return kErrCannotRead;  // changed while we read it
          e.packed = static_cast<uint32_t>(res.packed);
          e.crc = res.crc;
        } else if (er != kErrNotSmaller) {
          return er;
        }
      }
      if (er == kErrNotSmaller) {
        // Stored data is never longer than what the encoder wrote before giving up.
        memcpy(e.method, "-lh0-", 5);
        if (!SeekFile(out, dataPos)) return kErrCannotWrite;
        int sr = StoreFile(files[i], e.original, out, &e.crc, nullptr);
        if (sr != kOk) return sr;
        e.packed = e.original;
      }
      uint64_t endPos = dataPos + e.packed;
      header = MakeLhaHeader(e, lead);
      if (header.empty()) return kErrDiskSpace;
      if (!SeekFile(out, headerPos) || fwrite(header.data(), 1, header.size(), out) != header.size() ||
          !SeekFile(out, endPos))
        return kErrCannotWrite;
      Note(log, {e.name, ": ", e.method, " ", Percent(e.packed, e.original), "%"});
    }
    return fputc(0, out) == EOF ? kErrCannotWrite : kOk;
  }, &oldFile);
}

namespace {

// Writes the entries that match the job under its base folder; the same for both kinds of
// archive but for how a folder entry shows and how its data is decoded. Every path, name and
// log line is worked out first: once the first folder or file is written nothing asks for
// memory, so memory that runs out ends the job before it has written anything.
template <typename Entry, typename IsDirectory, typename ExtractData>
int ExtractEntries(const ExtractJob& job, const Vec<Entry>& entries, bool backslashSeparates,
                   IsDirectory isDirectory, ExtractData extractData, int result, const AllocWatch& watch,
                   Str* log) {
  struct Planned {
    size_t entry;
    bool isDir, refused;
    PlannedPath target;
    Str temp;  // room for the temporary file's name
  };
  PlannedPath base;
  Vec<Str> parts;
  if (SplitSafeName(job.baseDir, job.lead, false, &parts) != NameCheck::kRefused) AddParts(&base, parts, parts.size());
  Vec<Planned> plan;
  size_t logRoom = 0, matched = 0;
  for (size_t i = 0; i < entries.size(); ++i) {
    const Entry& e = entries[i];
    if (!Matches(job.patterns, e.name, job.lead)) continue;
    ++matched;
    Planned p = {i, isDirectory(e), false, {}, {}};
    if (p.isDir && !job.keepDirs) continue;
    NameCheck check = SplitSafeName(e.name, job.lead, backslashSeparates, &parts);
    if (check == NameCheck::kNoMemory) return kErrDiskSpace;
    p.refused = check == NameCheck::kRefused;
    if (!p.refused) {
      p.target.path = job.baseDir;
      if (job.keepDirs)
        AddParts(&p.target, parts, p.isDir ? parts.size() : parts.size() - 1);
      else
        p.target.path = Join(p.target.path, parts.back());
      p.temp.reserve(p.target.path.size() + 13);
    }
    logRoom += e.name.size() + 32;  // ": " and the longest error text
    if (!plan.push_back(std::move(p))) return kErrDiskSpace;
  }
  if (log) log->reserve(log->size() + logRoom);
  if (watch.Lost()) return kErrDiskSpace;

  int r = MakeFolders(&base);
  if (r != kOk) return r;
  for (auto& p : plan) {
    const Entry& e = entries[p.entry];
    r = p.refused ? kErrUnsafeName : MakeFolders(&p.target);
    if (r == kOk && !p.isDir) {
      r = WriteThroughTemp(p.target.path, &p.temp, watch, [&](FILE* out) {
        FileSink sink(out);
        return extractData(e, sink);
      });
      if (r == kOk) SetMTime(p.target.path, e.mtime);
    }
    Note(log, {e.name, ": ", r == kOk ? "ok" : ErrorText(r)});
    if (r == kErrDiskSpace) return r;
    if (r != kOk && result == kOk) result = r;
  }
  if (matched == 0 && !job.patterns.empty() && result == kOk) result = kErrNoMatch;
  return result;
}

}  // namespace

int LhaExtract(const ExtractJob& job, const AllocWatch& watch, Str* log) {
  Str archive = FindArchive(job.archive, true);
  if (archive.empty()) return kErrArchiveOpen;
  if (!job.baseDir.empty() && !SafeTarget(job.baseDir, job.lead)) return kErrBadCommand;
  FilePtr f(OpenForRead(archive));
  if (!f) return kErrArchiveOpen;
  FileSource src(f.get());
  Vec<LhaEntry> entries;
  int result = ListLha(src, &entries);
  if (result == kErrDiskSpace || (entries.empty() && result != kOk)) return result;
  LhDecodeRoom room;
  if (!room.Make()) return kErrDiskSpace;
  return ExtractEntries(job, entries, true,
                        [](const LhaEntry& e) { return memcmp(e.method, "-lhd-", 5) == 0; },
                        [&](const LhaEntry& e, FileSink& sink) { return ExtractLhaData(src, e, sink, room); },
                        result, watch, log);
}

int ZipAdd(const Str& archiveIn, const Vec<Str>& files, LeadByteFn lead, const AllocWatch& watch, Str* log) {
  Str archive = archiveIn;
  if (!HasExtension(archive, lead)) archive += PreferLowerExtension(archiveIn) ? ".zip" : ".ZIP";
  if (!SafeTarget(archive, lead)) return kErrBadCommand;
  Vec<PathInfo> infos;
  int r = CheckSources(files, &infos, log);
  if (r != kOk) return r;
  Vec<Str> names;
  r = StoredNames(files, lead, '/', &names);
  if (r != kOk) return r;

  Vec<ZipEntry> old;
  FilePtr oldFile;
  if (StatPath(archive).exists) {
    oldFile.reset(OpenForRead(archive));
    if (!oldFile) return kErrArchiveOpen;
    FileSource src(oldFile.get());
    r = ListZip(src, &old);
    if (r != kOk) return r;
  }
  Str temp;
  return WriteThroughTemp(archive, &temp, watch, [&](FILE* out) -> int {
    Vec<uint8_t> cd;
    uint32_t count = 0;
    for (const auto& e : old) {
      bool replaced = false;
      for (const auto& n : names) replaced = replaced || EqualsNoCase(n, e.name);
      if (replaced) continue;
      FileSource src(oldFile.get());
      uint64_t dataPos;
      int dr = ZipDataPos(src, e, &dataPos);
      if (dr != kOk) return dr;
      uint64_t end = dataPos + e.packed;
      if (e.flags & 8) {  // a data descriptor follows, with or without its signature
        uint8_t sig[4] = {};
        src.ReadAt(end, sig, 4);
        end += (sig[0] == 0x50 && sig[1] == 0x4b && sig[2] == 7 && sig[3] == 8) ? 16 : 12;
      }
      uint64_t newPos = TellFile(out);
      if (newPos > 0xFFFFFFF0u) return kErrTooLarge;
      int cr = CopyRange(oldFile.get(), e.localPos, end - e.localPos, out);
      if (cr != kOk) return cr;
      if (!cd.append(e.central.begin(), e.central.end())) return kErrDiskSpace;
      uint8_t* at = cd.end() - e.central.size() + 42;
      for (int k = 0; k < 4; ++k) at[k] = static_cast<uint8_t>(newPos >> (8 * k));
      ++count;
    }
    for (size_t i = 0; i < files.size(); ++i) {
      if (watch.Lost()) return kErrDiskSpace;
      ZipLocal z{names[i], 8, 0, 0, static_cast<uint32_t>(infos[i].size), UnixToDos(infos[i].mtime), infos[i].mtime};
      uint64_t localPos = TellFile(out);
      if (localPos > 0xFFFFFFF0u) return kErrTooLarge;
      Vec<uint8_t> header = MakeZipLocalHeader(z);
      if (watch.Lost()) return kErrDiskSpace;
      if (fwrite(header.data(), 1, header.size(), out) != header.size()) return kErrCannotWrite;
      uint64_t dataPos = localPos + header.size();
      int dr = kErrNotSmaller;
      if (z.original > 0) {
        FilePtr in(OpenForRead(files[i]));
        if (!in) return kErrFileOpen;
        FileReader reader(in.get());
        FileSink sink(out);
        uint64_t packed, original;
        dr = Deflate(reader, sink, z.original, &packed, &original, &z.crc);
        if (dr == kOk) {
          if (original != z.original) return kErrCannotRead;
          z.packed = static_cast<uint32_t>(packed);
        } else if (dr != kErrNotSmaller) {
          return dr;
        }
      }
      if (dr == kErrNotSmaller) {
        z.method = 0;
        if (!SeekFile(out, dataPos)) return kErrCannotWrite;
        int sr = StoreFile(files[i], z.original, out, nullptr, &z.crc);
        if (sr != kOk) return sr;
        z.packed = z.original;
      }
      header = MakeZipLocalHeader(z);
      if (watch.Lost()) return kErrDiskSpace;
      if (!SeekFile(out, localPos) || fwrite(header.data(), 1, header.size(), out) != header.size() ||
          !SeekFile(out, dataPos + z.packed))
        return kErrCannotWrite;
      Vec<uint8_t> c = MakeZipCentralRecord(z, static_cast<uint32_t>(localPos), 0x20);
      if (watch.Lost() || !cd.append(c.begin(), c.end())) return kErrDiskSpace;
      ++count;
      Note(log, {z.name, z.method ? ": deflated " : ": stored ", Percent(z.packed, z.original), "%"});
    }
    if (count > 0xFFFE) return kErrTooLarge;
    uint64_t cdPos = TellFile(out);
    if (cdPos + cd.size() > 0xFFFFFFF0u) return kErrTooLarge;
    Vec<uint8_t> end = MakeZipEnd(count, static_cast<uint32_t>(cd.size()), static_cast<uint32_t>(cdPos));
    if (watch.Lost()) return kErrDiskSpace;
    if (fwrite(cd.data(), 1, cd.size(), out) != cd.size() || fwrite(end.data(), 1, end.size(), out) != end.size())
      return kErrCannotWrite;
    return kOk;
  }, &oldFile);
}

int ZipExtract(const ExtractJob& job, const AllocWatch& watch, Str* log) {
  Str archive = FindArchive(job.archive, false);
  if (archive.empty()) return kErrArchiveOpen;
  if (!job.baseDir.empty() && !SafeTarget(job.baseDir, job.lead)) return kErrBadCommand;
  FilePtr f(OpenForRead(archive));
  if (!f) return kErrArchiveOpen;
  FileSource src(f.get());
  Vec<ZipEntry> entries;
  int result = ListZip(src, &entries);
  if (result != kOk) return result;
  InflateRoom room;
  if (!room.Make()) return kErrDiskSpace;
  return ExtractEntries(job, entries, false,
                        [](const ZipEntry& e) { return !e.name.empty() && e.name.back() == '/'; },
                        [&](const ZipEntry& e, FileSink& sink) { return ExtractZipData(src, e, sink, room); },
                        result, watch, log);
}

}  // namespace arc
