#include "ops.h"

#include <cstring>
#include <functional>
#include <memory>

#include "crc16.h"
#include "dostime.h"
#include "errors.h"
#include "fsio.h"
#include "lha.h"
#include "lhcodec.h"
#include "zip.h"

namespace arc {
namespace {

struct FileCloser {
  void operator()(FILE* f) const {
    if (f) fclose(f);
  }
};
using FilePtr = std::unique_ptr<FILE, FileCloser>;

void Note(std::string* log, const std::string& line) {
  if (log) *log += line + "\n";
}

// The folder part of a path we built ourselves, split at the platform's
// separators and never inside a two-byte character.
std::string ParentDir(const std::string& path) {
  size_t cut = 0;
  for (size_t i = 0; i < path.size(); ++i) {
    unsigned char c = static_cast<unsigned char>(path[i]);
    if (SystemLeadByte(c)) {
      ++i;
      continue;
    }
    if (c == '/' || c == static_cast<unsigned char>(PathSeparator())) cut = i;
  }
  return path.substr(0, cut);
}

std::string Join(const std::string& dir, const std::string& leaf) { return dir.empty() ? leaf : dir + PathSeparator() + leaf; }

// A name we may create: relative, no "..", no drive.
bool SafeTarget(const std::string& path, LeadByteFn lead) {
  std::vector<std::string> parts;
  return SplitSafeName(path, lead, false, &parts) == NameCheck::kOk;
}

// Writes a new file through a temporary one beside it, so a failure leaves any
// older file of that name whole. `source`, the old archive being rewritten, is
// closed before the rename: Windows cannot replace a file that is open.
int WriteThroughTemp(const std::string& target, const std::function<int(FILE*)>& produce,
                     FilePtr* source = nullptr) {
  // A read-only file is the user's word that it must not change.
  if (StatPath(target).readOnly) return kErrCannotWrite;
  std::string temp;
  FilePtr f(CreateTempIn(ParentDir(target), &temp));
  if (!f) return kErrCannotWrite;
  int r = produce(f.get());
  if (fflush(f.get()) != 0 || ferror(f.get())) r = r == kOk ? kErrCannotWrite : r;
  if (fclose(f.release()) != 0 && r == kOk) r = kErrCannotWrite;
  if (source) source->reset();
  if (r == kOk) {
    Replaced done = ReplaceWith(temp, target);
    // The old file is gone: the temporary file now holds the only copy of the new content.
    if (done == Replaced::kOnlyInTemp) return kErrCannotWrite;
    if (done == Replaced::kNo) r = kErrCannotWrite;
  }
  if (r != kOk) RemoveFile(temp);
  return r;
}

// Creates the folders of `parts` (all but the last) below `base`.
int MakeParents(const std::string& base, const std::vector<std::string>& parts, size_t count) {
  std::string p = base;
  for (size_t i = 0; i < count; ++i) {
    p = Join(p, parts[i]);
    if (!MakeDir(p)) return kErrMakeDir;
  }
  return kOk;
}

bool Matches(const std::vector<std::string>& patterns, const std::string& name, LeadByteFn lead) {
  if (patterns.empty()) return true;
  std::string_view base = BaseName(name, lead);
  for (const auto& p : patterns)
    if (WildcardMatch(p, name) || WildcardMatch(p, base)) return true;
  return false;
}

// The stored form of a file name given in a command: safe parts joined by `sep`.
std::string StoredName(const std::string& file, LeadByteFn lead, char sep) {
  std::vector<std::string> parts;
  if (SplitSafeName(file, lead, false, &parts) == NameCheck::kRefused) return std::string(BaseName(file, lead));
  std::string s;
  for (const auto& p : parts) s += (s.empty() ? "" : std::string(1, sep)) + p;
  return s;
}

int CheckSources(const std::vector<std::string>& files, std::vector<PathInfo>* infos, std::string* log) {
  if (files.empty()) return kErrBadCommand;
  for (const auto& f : files) {
    PathInfo pi = StatPath(f);
    if (!pi.exists || pi.isDir) {
      Note(log, f + ": " + ErrorText(kErrFileOpen));
      return kErrFileOpen;
    }
    if (pi.size > 0xFFF00000u) return kErrTooLarge;
    infos->push_back(pi);
  }
  return kOk;
}

int CopyRange(FILE* in, uint64_t from, uint64_t n, FILE* out) {
  std::vector<uint8_t> buf(65536);
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
int StoreFile(const std::string& path, uint64_t size, FILE* out, uint16_t* crc16, uint32_t* crc32v) {
  FilePtr in(OpenForRead(path));
  if (!in) return kErrFileOpen;
  std::vector<uint8_t> buf(65536);
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

std::string Percent(uint64_t packed, uint64_t original) {
  return std::to_string(original ? packed * 100 / original : 100) + "%";
}

// The first bytes of an LHA header ("-lh5-" at offset 2) or of a ZIP file.
bool LooksLikeArchive(const std::string& path, bool lha) {
  FilePtr f(OpenForRead(path));
  unsigned char b[7] = {};
  if (!f || fread(b, 1, sizeof b, f.get()) != sizeof b) return false;
  if (lha) return b[2] == '-' && b[6] == '-';
  return b[0] == 'P' && b[1] == 'K' && ((b[2] == 3 && b[3] == 4) || (b[2] == 5 && b[3] == 6));
}

}  // namespace

std::string FindArchive(const std::string& name, bool lha) {
  // A bare stem is the archive's name without its extension, so the archive
  // wins over a file that happens to have the stem as its whole name. A stem
  // with a full stop ("notes.txt" of notes.txt.lzh) may name the original file
  // too: a candidate that reads as an archive wins over one that does not.
  std::vector<std::string> tries;
  bool bare = !HasExtension(name, nullptr);
  if (!bare) tries.push_back(name);
  tries.push_back(name + (lha ? ".LZH" : ".zip"));
  tries.push_back(name + (lha ? ".lzh" : ".ZIP"));
  if (bare) tries.push_back(name);
  std::string first;
  for (const auto& t : tries) {
    PathInfo pi = StatPath(t);
    if (!pi.exists || pi.isDir) continue;
    if (LooksLikeArchive(t, lha)) return t;
    if (first.empty()) first = t;
  }
  return first;
}

int LhaAdd(const std::string& archiveIn, const std::vector<std::string>& files, LeadByteFn lead, std::string* log) {
  std::string archive = archiveIn;
  if (!HasExtension(archive, lead)) {
    archive = FindArchive(archive, true);
    if (archive.empty() || archive == archiveIn)
      archive = archiveIn + (PreferLowerExtension(files.empty() ? archiveIn : BaseName(files[0], lead)) ? ".lzh" : ".LZH");
  }
  if (!SafeTarget(archive, lead)) return kErrBadCommand;
  std::vector<PathInfo> infos;
  int r = CheckSources(files, &infos, log);
  if (r != kOk) return r;
  std::vector<std::string> names;
  for (const auto& f : files) names.push_back(StoredName(f, lead, '\\'));

  std::vector<LhaEntry> old;
  FilePtr oldFile;
  if (StatPath(archive).exists) {
    oldFile.reset(OpenForRead(archive));
    if (!oldFile) return kErrArchiveOpen;
    FileSource src(oldFile.get());
    r = ListLha(src, &old);
    if (r != kOk) return r;
  }
  return WriteThroughTemp(archive, [&](FILE* out) -> int {
    for (const auto& e : old) {
      bool replaced = false;
      for (const auto& n : names) replaced = replaced || EqualsNoCase(n, e.name);
      if (replaced) continue;
      int cr = CopyRange(oldFile.get(), e.headerPos, e.next - e.headerPos, out);
      if (cr != kOk) return cr;
    }
    for (size_t i = 0; i < files.size(); ++i) {
      LhaEntry e;
      memcpy(e.method, "-lh5-", 5);
      e.name = names[i];
      e.mtime = infos[i].mtime;
      e.original = static_cast<uint32_t>(infos[i].size);
      uint64_t headerPos = TellFile(out);
      std::vector<uint8_t> header = MakeLhaHeader(e, lead);
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
      if (!SeekFile(out, headerPos) || fwrite(header.data(), 1, header.size(), out) != header.size() ||
          !SeekFile(out, endPos))
        return kErrCannotWrite;
      Note(log, e.name + ": " + std::string(e.method, 5) + " " + Percent(e.packed, e.original));
    }
    return fputc(0, out) == EOF ? kErrCannotWrite : kOk;
  }, &oldFile);
}

namespace {

// Writes the entries that match the job under its base folder; the same for both kinds of
// archive but for how a folder entry shows and how its data is decoded.
template <typename Entry, typename IsDirectory, typename ExtractData>
int ExtractEntries(const ExtractJob& job, const std::vector<Entry>& entries, bool backslashSeparates,
                   IsDirectory isDirectory, ExtractData extractData, int result, std::string* log) {
  if (!job.baseDir.empty()) {
    std::vector<std::string> bparts;
    SplitSafeName(job.baseDir, job.lead, false, &bparts);
    int mr = MakeParents("", bparts, bparts.size());
    if (mr != kOk) return mr;
  }
  size_t matched = 0;
  for (const auto& e : entries) {
    if (!Matches(job.patterns, e.name, job.lead)) continue;
    ++matched;
    bool isDir = isDirectory(e);
    if (isDir && !job.keepDirs) continue;
    std::vector<std::string> parts;
    if (SplitSafeName(e.name, job.lead, backslashSeparates, &parts) == NameCheck::kRefused) {
      Note(log, e.name + ": " + ErrorText(kErrUnsafeName));
      if (result == kOk) result = kErrUnsafeName;
      continue;
    }
    std::string target;
    int r = kOk;
    if (job.keepDirs) {
      r = MakeParents(job.baseDir, parts, isDir ? parts.size() : parts.size() - 1);
      target = job.baseDir;
      for (const auto& p : parts) target = Join(target, p);
    } else {
      target = Join(job.baseDir, parts.back());
    }
    if (r == kOk && !isDir) {
      r = WriteThroughTemp(target, [&](FILE* out) {
        FileSink sink(out);
        return extractData(e, sink);
      });
      if (r == kOk) SetMTime(target, e.mtime);
    }
    Note(log, e.name + (r == kOk ? ": ok" : std::string(": ") + ErrorText(r)));
    if (r != kOk && result == kOk) result = r;
  }
  if (matched == 0 && !job.patterns.empty() && result == kOk) result = kErrNoMatch;
  return result;
}

}  // namespace

int LhaExtract(const ExtractJob& job, std::string* log) {
  std::string archive = FindArchive(job.archive, true);
  if (archive.empty()) return kErrArchiveOpen;
  if (!job.baseDir.empty() && !SafeTarget(job.baseDir, job.lead)) return kErrBadCommand;
  FilePtr f(OpenForRead(archive));
  if (!f) return kErrArchiveOpen;
  FileSource src(f.get());
  std::vector<LhaEntry> entries;
  int result = ListLha(src, &entries);
  if (entries.empty() && result != kOk) return result;
  return ExtractEntries(job, entries, true,
                        [](const LhaEntry& e) { return memcmp(e.method, "-lhd-", 5) == 0; },
                        [&](const LhaEntry& e, FileSink& sink) { return ExtractLhaData(src, e, sink); },
                        result, log);
}

int ZipAdd(const std::string& archiveIn, const std::vector<std::string>& files, LeadByteFn lead, std::string* log) {
  std::string archive = archiveIn;
  if (!HasExtension(archive, lead)) archive += PreferLowerExtension(archiveIn) ? ".zip" : ".ZIP";
  if (!SafeTarget(archive, lead)) return kErrBadCommand;
  std::vector<PathInfo> infos;
  int r = CheckSources(files, &infos, log);
  if (r != kOk) return r;
  std::vector<std::string> names;
  for (const auto& f : files) names.push_back(StoredName(f, lead, '/'));

  std::vector<ZipEntry> old;
  FilePtr oldFile;
  if (StatPath(archive).exists) {
    oldFile.reset(OpenForRead(archive));
    if (!oldFile) return kErrArchiveOpen;
    FileSource src(oldFile.get());
    r = ListZip(src, &old);
    if (r != kOk) return r;
  }
  return WriteThroughTemp(archive, [&](FILE* out) -> int {
    std::vector<uint8_t> cd;
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
      std::vector<uint8_t> c = e.central;
      for (int k = 0; k < 4; ++k) c[42 + k] = static_cast<uint8_t>(newPos >> (8 * k));
      cd.insert(cd.end(), c.begin(), c.end());
      ++count;
    }
    for (size_t i = 0; i < files.size(); ++i) {
      ZipLocal z{names[i], 8, 0, 0, static_cast<uint32_t>(infos[i].size), UnixToDos(infos[i].mtime), infos[i].mtime};
      uint64_t localPos = TellFile(out);
      if (localPos > 0xFFFFFFF0u) return kErrTooLarge;
      std::vector<uint8_t> header = MakeZipLocalHeader(z);
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
      if (!SeekFile(out, localPos) || fwrite(header.data(), 1, header.size(), out) != header.size() ||
          !SeekFile(out, dataPos + z.packed))
        return kErrCannotWrite;
      std::vector<uint8_t> c = MakeZipCentralRecord(z, static_cast<uint32_t>(localPos), 0x20);
      cd.insert(cd.end(), c.begin(), c.end());
      ++count;
      Note(log, z.name + (z.method ? ": deflated " : ": stored ") + Percent(z.packed, z.original));
    }
    if (count > 0xFFFE) return kErrTooLarge;
    uint64_t cdPos = TellFile(out);
    if (cdPos + cd.size() > 0xFFFFFFF0u) return kErrTooLarge;
    std::vector<uint8_t> end = MakeZipEnd(count, static_cast<uint32_t>(cd.size()), static_cast<uint32_t>(cdPos));
    if (fwrite(cd.data(), 1, cd.size(), out) != cd.size() || fwrite(end.data(), 1, end.size(), out) != end.size())
      return kErrCannotWrite;
    return kOk;
  }, &oldFile);
}

int ZipExtract(const ExtractJob& job, std::string* log) {
  std::string archive = FindArchive(job.archive, false);
  if (archive.empty()) return kErrArchiveOpen;
  if (!job.baseDir.empty() && !SafeTarget(job.baseDir, job.lead)) return kErrBadCommand;
  FilePtr f(OpenForRead(archive));
  if (!f) return kErrArchiveOpen;
  FileSource src(f.get());
  std::vector<ZipEntry> entries;
  int result = ListZip(src, &entries);
  if (result != kOk) return result;
  return ExtractEntries(job, entries, false,
                        [](const ZipEntry& e) { return !e.name.empty() && e.name.back() == '/'; },
                        [&](const ZipEntry& e, FileSink& sink) { return ExtractZipData(src, e, sink); },
                        result, log);
}

}  // namespace arc
