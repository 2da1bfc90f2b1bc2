// `tovra disks`: the floppy copy. Which file goes on which disk and when the next one is asked
// for is Tovra's (engine/distribute_work); here are the disk at a mount point (or a folder that
// stands for one), the copy that reads each file back from the disk itself, the questions on the
// terminal, and RUNDELO.EXE on the first disk.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <climits>
#include <cstring>
#include <string>

#include "commands.h"
#include "console.h"
#include "engine/distribute_work.h"
#include "engine/engine_rules.h"
#include "engine/texts.h"
#include "places.h"
#include "rundelo_exe.h"
#include "set.h"

namespace cli {
namespace {

using engine::CopyCheck;
using engine::FloppyPrompt;

struct DiskCopy {
  const Args* args;
  const SetOnDisk* set;
  std::string mount;    // as the user gave it
  std::string folder;   // ending in '/'
  int disk = 0;         // disks written so far
  bool changed = true;  // the disk may have been changed since the last file went on it
  bool rundeloDone = false;
};

// Bytes that files take on a disk of clusters of cluster bytes.
long long UsedBytes(const std::string& folder, int cluster) {
  long long used = 0;
  struct Sum {
    int cluster;
    long long* used;
  } sum{cluster, &used};
  SystemFiles().list(folder.c_str(), [](void* ctx, const DirEntry& e) {
    auto* s = static_cast<Sum*>(ctx);
    if (!(e.attributes & kAttrDirectory)) {
      *s->used += static_cast<long long>((e.length + s->cluster - 1) / s->cluster) * s->cluster;
    }
    return false;
  }, &sum);
  return used;
}

// A disk is there when something is mounted at the mount point (a folder that stands for one
// is always there): a mount point with nothing mounted is a folder of this system's own disk.
bool Probe(void* ctx, int32_t* freeBytes) {
  auto* c = static_cast<DiskCopy*>(ctx);
  if (!IsFolder(c->mount) || (!c->args->capacity && !IsMountPoint(c->mount))) return false;
  long long free = c->args->capacity ? c->args->capacity - UsedBytes(c->folder, c->args->cluster) : FreeBytes(c->mount);
  if (free < 0 && !c->args->capacity) return false;
  *freeBytes = static_cast<int32_t>(free > INT32_MAX ? INT32_MAX : free < INT32_MIN ? INT32_MIN : free);
  return true;
}

bool PieceLength(void* ctx, int i, uint64_t* length) {
  auto* c = static_cast<DiskCopy*>(ctx);
  DirEntry e;
  if (!SystemFiles().lookup(PiecePath(*c->set, i).c_str(), &e) || (e.attributes & kAttrDirectory)) return false;
  *length = e.length;
  return true;
}

// Writes bytes to path on the disk, to the disk itself, and reads them back from it: the
// cached pages are dropped first, so the read is the disk's. A file that does not read back
// the same is removed.
CopyCheck WriteToDisk(const std::string& folder, const std::string& path, const char* bytes, std::size_t n) {
  int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
  if (fd < 0) return CopyCheck::Failed;
  bool ok = true;
  for (std::size_t at = 0; ok && at < n;) {
    const ssize_t put = write(fd, bytes + at, n - at);
    ok = put > 0;
    if (ok) at += static_cast<std::size_t>(put);
  }
  ok = ok && fsync(fd) == 0;
#ifdef POSIX_FADV_DONTNEED
  posix_fadvise(fd, 0, 0, POSIX_FADV_DONTNEED);
#endif
  ok = close(fd) == 0 && ok;
  const int dirFd = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dirFd >= 0) {
    fsync(dirFd);
    close(dirFd);
  }
  if (!ok) {
    unlink(path.c_str());
    return CopyCheck::Failed;
  }
  fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return CopyCheck::Failed;
#ifdef F_NOCACHE
  fcntl(fd, F_NOCACHE, 1);
#endif
#ifdef POSIX_FADV_DONTNEED
  posix_fadvise(fd, 0, 0, POSIX_FADV_DONTNEED);
#endif
  static char back[1 << 16];
  std::size_t at = 0;
  bool same = true;
  for (;;) {
    const ssize_t got = read(fd, back, sizeof(back));
    if (got < 0) {
      same = false;
      break;
    }
    if (got == 0) break;
    same = at + static_cast<std::size_t>(got) <= n && std::memcmp(back, bytes + at, static_cast<std::size_t>(got)) == 0;
    at += static_cast<std::size_t>(got);
    if (!same) break;
  }
  close(fd);
  if (same && at == n) return CopyCheck::Same;
  unlink(path.c_str());
  return CopyCheck::Different;
}

// The whole of a piece, at most a floppy's worth.
bool ReadPiece(const std::string& path, std::string* out) {
  const FileHandle f = SystemFiles().openRead(path.c_str());
  if (f == kNoFile) return false;
  static char buf[1 << 16];
  out->clear();
  long got;
  while ((got = SystemFiles().read(f, buf, sizeof(buf))) > 0 && out->size() < (1u << 24)) out->append(buf, static_cast<std::size_t>(got));
  SystemFiles().close(f);
  return got == 0;
}

void Copied(DiskCopy* c, const std::string& name, std::size_t bytes) {
  if (c->changed) ++c->disk, c->changed = false;
  Say("disk " + std::to_string(c->disk) + ": " + name + " (" + std::to_string(bytes) + " bytes) written and read back.");
}

CopyCheck CopyPiece(void* ctx, int i) {
  auto* c = static_cast<DiskCopy*>(ctx);
  static std::string data;
  if (!ReadPiece(PiecePath(*c->set, i), &data)) return CopyCheck::Failed;
  const std::string name = "file-" + std::to_string(i);
  const CopyCheck r = WriteToDisk(c->folder, c->folder + name, data.data(), data.size());
  if (r == CopyCheck::Same) Copied(c, name, data.size());
  return r;
}

// RUNDELO.EXE onto the disk in the drive, when it has room for it.
void PlaceRundelo(DiskCopy* c) {
  if (c->rundeloDone) return;
  int32_t free = 0;
  if (!Probe(c, &free) || free < static_cast<int32_t>(kRundeloBytes)) return;
  if (WriteToDisk(c->folder, c->folder + "RUNDELO.EXE", reinterpret_cast<const char*>(kRundeloExe), kRundeloBytes) ==
      CopyCheck::Same) {
    Copied(c, "RUNDELO.EXE", kRundeloBytes);
    c->rundeloDone = true;
  }
}

bool Prompt(void* ctx, FloppyPrompt what, int i) {
  auto* c = static_cast<DiskCopy*>(ctx);
  const std::string at = ShownName(c->mount);
  const std::string piece = "FILE-" + std::to_string(i);
  if (Interrupted()) return false;
  bool yes = false;
  switch (what) {
    case FloppyPrompt::Confirm:
      return WaitForEnter("Insert the first disk (" + at + ") and press Enter; Ctrl-D stops.");
    case FloppyPrompt::Insert:
      yes = WaitForEnter("No disk at " + at + (c->args->capacity ? "" : " (nothing is mounted there)") +
                         ". Insert one and press Enter; Ctrl-D stops.");
      break;
    case FloppyPrompt::NotEnough:
      if (!c->changed && c->disk == 1) PlaceRundelo(c);
      return Ask(piece + " does not fit on the disk at " + at + ". Go on with another disk?");
    case FloppyPrompt::ChangeDisk:
      yes = WaitForEnter("Insert another disk (" + at + ") and press Enter.");
      break;
    case FloppyPrompt::NextDisk:
      if (!c->changed && c->disk == 1) PlaceRundelo(c);
      yes = WaitForEnter("Disk " + std::to_string(c->disk) + " is done. Insert the next disk (" + at +
                         ") and press Enter; Ctrl-D stops.");
      break;
    case FloppyPrompt::Interrupted:
      Complain(at, "the copy to disks was stopped at " + piece + ".");
      return true;
    case FloppyPrompt::CopyFailed:
      return Ask("Unable to copy " + piece + " to the disk at " + at + " correctly. Retry with another disk?");
    case FloppyPrompt::Missing:
      Complain(ShownName(c->set->given), Compose(kPieceMissing, i));
      return false;
  }
  if (yes) c->changed = true;
  return yes;
}

}  // namespace

int RunDisks(const Args& args) {
  static SetOnDisk set;
  if (!ReadSet(args.operands[0], args.codepage, &set)) return kExitFailed;
  DiskCopy c{&args, &set, args.to, AsFolder(args.to)};
  c.rundeloDone = args.noRundelo;
  const int last = LastFileOfSet(set);
  const engine::FloppySteps steps{&c, PieceLength, Probe, CopyPiece, Prompt};
  const engine::FloppyEnd end = engine::DistributePieces(steps, last);
  if (end == engine::FloppyEnd::Completed) PlaceRundelo(&c);
  if (Interrupted()) {
    Complain(ShownName(args.to), "interrupted.");
    return kExitInterrupted;
  }
  if (end != engine::FloppyEnd::Completed) return kExitFailed;
  if (!c.rundeloDone) Complain(ShownName(args.to), "no disk had room for RUNDELO.EXE; it is not on the disks.");
  Say("FILE-0 to FILE-" + std::to_string(last) + " are on " + std::to_string(c.disk) + " disk(s).");
  return kExitOk;
}

}  // namespace cli
