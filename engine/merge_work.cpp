#include "merge_work.h"

#include <cstdio>
#include <cstring>

#include "base/crc32.h"

namespace engine {
namespace {

struct NameSearch {
  const DiskFiles* fs;
  const char* name;
};

bool VisitSameName(void* ctx, const DirEntry& entry) {
  auto* s = static_cast<NameSearch*>(ctx);
  return s->fs->sameName(entry.name, s->name);
}

using pieceset::FolderPieces;

bool VisitPiece(void* ctx, const DirEntry& e) {
  pieceset::NoteFolderEntry(static_cast<FolderPieces*>(ctx), e.name, e.length, e.attributes);
  return false;
}

FolderPieces& ReadFolderPieces(const DiskFiles& fs, const MergeJob& job, int last) {
  static FolderPieces t;
  pieceset::BeginFolderPieces(&t, last);
  fs.list(job.dir, VisitPiece, &t);
  pieceset::EndFolderPieces(&t, job.dir, job.prefix);
  return t;
}

// Gives pieces 1 to n the attributes; a piece that has them already is left alone, which
// spares hundreds of slow calls on a large set. *known holds each piece's attributes as the
// folder was read and is kept up to date.
void SetPieceAttributes(const DiskFiles& fs, const MergeJob& job, uint32_t* known, uint32_t attributes) {
  char path[kPathBytes];
  for (int k = 1; k <= job.count; ++k) {
    if (known[k] != attributes && pieceset::ComposePiecePath(path, sizeof(path), job.dir, job.prefix, k) &&
        fs.setAttributes(path, attributes)) {
      known[k] = attributes;
    }
  }
}

char g_buffer[kRunBlocks * kBlockBytes];

// Copies one open piece, up to kRunBlocks blocks at a time; Ok or the failure. Every block but
// the piece's last must be whole and the piece must hold at least minimum bytes: a piece
// shorter than the record implies is a read failure, not a merged file with a hole.
MergeResult CopyPiece(const DiskFiles& fs, FileHandle piece, FileHandle merged, int64_t blocks,
                      int64_t minimum) {
  int64_t total = 0;
  for (int64_t done = 0; done < blocks;) {
    const int64_t run = blocks - done < kRunBlocks ? blocks - done : kRunBlocks;
    const long want = static_cast<long>(run) * kBlockBytes;
    const long got = fs.read(piece, g_buffer, want);
    const bool lastRun = done + run == blocks;
    if (got <= 0 || (got < want && !lastRun) || got <= static_cast<long>(run - 1) * kBlockBytes) {
      return MergeResult::ReadPieceFailed;
    }
    if (fs.write(merged, g_buffer, got) != got) return MergeResult::WriteFailed;
    total += got;
    done += run;
  }
  return total < minimum ? MergeResult::ReadPieceFailed : MergeResult::Ok;
}

using pieceset::PieceState;

intptr_t IoOpenRead(void* ctx, const char* path) { return static_cast<const DiskFiles*>(ctx)->openRead(path); }
intptr_t IoOpenWrite(void* ctx, const char* path) { return static_cast<const DiskFiles*>(ctx)->openWrite(path); }
long IoRead(void* ctx, intptr_t f, void* buf, long n) { return static_cast<const DiskFiles*>(ctx)->read(f, buf, n); }
long IoWrite(void* ctx, intptr_t f, const void* buf, long n) {
  return static_cast<const DiskFiles*>(ctx)->write(f, buf, n);
}
bool IoSeek(void* ctx, intptr_t f, uint32_t at) { return static_cast<const DiskFiles*>(ctx)->seek(f, at); }
void IoClose(void* ctx, intptr_t f) { static_cast<const DiskFiles*>(ctx)->close(f); }

MergeOutcome Outcome(MergeResult r, int piece, const pieceset::BadPieces& bad = {}) {
  return {r, piece, bad, 0};
}

// dir + name into merged (kPathBytes), or false when the path would not fit.
bool MergedPath(const MergeJob& job, char* merged) {
  std::memset(merged, 0, kPathBytes);
  const int w = std::snprintf(merged, kPathBytes, "%s%s", job.dir, job.name);
  return w >= 0 && static_cast<std::size_t>(w) < kPathBytes;
}

// The end of a merge that went through: the time, then the size (both failures keep the file,
// under its name), then the file at temp takes the recorded name. The time is set first, so
// that the file never stands under its name without it.
MergeOutcome PutInPlace(const DiskFiles& fs, const MergeJob& job, const char* temp,
                        const char* merged, MergeOutcome done) {
  uint64_t length = 0;
  if (fs.setTimes(temp, job.time) == TimeResult::CannotOpen) {
    done.result = MergeResult::ReopenFailed;
  } else if (!FindLength(fs, temp, &length) || length != static_cast<uint64_t>(job.size)) {
    done.result = MergeResult::SizeDiffers;
  }
  if (done.result != MergeResult::Ok) done.piece = 0;
  if (!fs.rename(temp, merged)) {
    RemoveForced(fs, temp);
    DirEntry e;
    return Outcome(fs.lookup(merged, &e) ? MergeResult::NameTaken : MergeResult::CreateFailed, 0,
                   done.bad);
  }
  return done;
}

// The block checks of the set, or nullptr when it has none that agree with its check line.
const pieceset::BlockChecks* ReadSetsBlockChecks(const DiskFiles& fs, const MergeJob& job,
                                                 const pieceset::Checks& c) {
  static pieceset::BlockChecks blocks;
  char path[kPathBytes];
  return pieceset::ComposePiecePath(path, sizeof(path), job.dir, job.prefix, c.count + 2) &&
                 pieceset::ReadBlockChecks(PieceIoOf(fs), path, c, &blocks)
             ? &blocks
             : nullptr;
}

// Why a set that the parity piece cannot mend is refused.
MergeResult Refusal(pieceset::RepairPlan plan, const pieceset::Stripes& s, bool blockChecked) {
  if (plan == pieceset::RepairPlan::SameStripe) {
    return blockChecked ? MergeResult::SameStripe : MergeResult::TooManyBad;
  }
  return s.bad.count == 1 ? MergeResult::PieceBad : MergeResult::PiecesBad;
}

MergeOutcome MergeChecked(const DiskFiles& fs, const MergeJob& job) {
  const pieceset::Checks& c = *job.checks;
  const int n = c.count;
  const pieceset::PieceIo io = PieceIoOf(fs);
  char path[kPathBytes];
  char merged[kPathBytes];
  char temp[kPathBytes] = {0};
  if (!job.hasRoom(job.roomCtx, job.size + kDiskMargin)) return Outcome(MergeResult::NoRoom, 0);

  FolderPieces& table = ReadFolderPieces(fs, job, n + 1);
  const pieceset::BlockChecks* b = ReadSetsBlockChecks(fs, job, c);
  static pieceset::Stripes s;
  std::memset(&s, 0, sizeof(s));
  const bool doomed = pieceset::SetIsDoomed(c, table);

  FileHandle out = kNoFile;
  if (!doomed) {
    if (!MergedPath(job, merged)) return Outcome(MergeResult::CreateFailed, 0, s.bad);
    out = CreateTemporaryIn(fs, job.dir, temp, sizeof(temp));
    if (out == kNoFile) return Outcome(MergeResult::CreateFailed, 0, s.bad);
    SetPieceAttributes(fs, job, table.attributes, kAttrArchive);
  }
  bool written = true;
  // The pieces are judged in order, missing ones too, so that they are named in order.
  for (int k = 1; k <= n && written; ++k) {
    PieceState why = PieceState::Missing;
    FileHandle piece = kNoFile;
    if (table.there[k]) {
      const PieceState byLength = pieceset::JudgeLength(c, k, table.length[k]);
      why = pieceset::JudgedByCrc(byLength) ? PieceState::Damaged : byLength;
      pieceset::ComposePiecePath(path, sizeof(path), job.dir, job.prefix, k);
      piece = fs.openRead(path);
    }
    written = pieceset::CopyPiece(io, piece, s.clash ? kNoFile : out, c, b, k, why, &s);
    if (piece != kNoFile) fs.close(piece);
  }
  pieceset::FinishPieces(c, b, &s);
  if (out != kNoFile) {
    fs.close(out);
    if (job.infoAttributes != kNoAttributes) SetPieceAttributes(fs, job, table.attributes, job.infoAttributes);
  }

  MergeOutcome result{MergeResult::Ok, n, s.bad, 0};
  if (!written) {
    result.result = MergeResult::WriteFailed;
  } else {
    pieceset::ComposePiecePath(path, sizeof(path), job.dir, job.prefix, n + 1);
    const pieceset::RepairPlan plan = doomed && !s.clash ? pieceset::RepairPlan::NoParity
                                                         : pieceset::PlanRepair(io, path, c, b, s);
    if (s.bad.count) result.piece = s.bad.piece[0];
    if (plan == pieceset::RepairPlan::Possible) {
      if (!job.confirmRebuild(job.rebuildCtx, s.bad, s.damaged, b != nullptr)) {
        result.result = MergeResult::RebuildDeclined;
      } else if (!pieceset::RebuildStripes(io, c, b, s, temp)) {
        result.result = MergeResult::RebuildFailed;
      } else {
        result.rebuiltBlocks = s.damaged;
      }
    } else if (plan != pieceset::RepairPlan::Sound) {
      result.result = Refusal(plan, s, b != nullptr);
    }
  }
  if (result.result != MergeResult::Ok) {
    if (out != kNoFile) RemoveForced(fs, temp);
    return result;
  }
  return PutInPlace(fs, job, temp, merged, result);
}

}  // namespace

pieceset::PieceIo PieceIoOf(const DiskFiles& fs) {
  return {const_cast<DiskFiles*>(&fs), IoOpenRead, IoOpenWrite, IoRead, IoWrite, IoSeek, IoClose};
}

InfoFile ReadInformationFile(const DiskFiles& fs, const char* path, bool dbcs932,
                             pieceset::InfoRecord* rec, pieceset::InfoValues* vals,
                             pieceset::Checks* checks) {
  InfoFile info{false, pieceset::MainResult::MissedToRead, fs.getAttributes(path), false};
  fs.setAttributes(path, kAttrArchive);
  FileHandle f = fs.openRead(path);
  if (f != kNoFile) {
    info.opened = true;
    static char data[pieceset::kReadLimit];
    std::memset(data, 0, sizeof(data));
    uint64_t length = 0;
    const bool known = FindLength(fs, path, &length);
    const long got = fs.read(f, data, sizeof(data));
    fs.close(f);
    const std::size_t n = got > 0 ? static_cast<std::size_t>(got) : 0;
    const bool complete = known && length == n;
    info.result = pieceset::ReadMain(data, n, complete, dbcs932, rec, vals);
    info.checked = info.result == pieceset::MainResult::Ok && pieceset::ReadChecks(data, n, *vals, checks);
  }
  if (info.attributes != kNoAttributes) fs.setAttributes(path, info.attributes);
  return info;
}

bool NameExistsInDir(const DiskFiles& fs, const char* dir, const char* name) {
  NameSearch s{&fs, name};
  return fs.list(dir, VisitSameName, &s);
}

void RemovePieceSet(const DiskFiles& fs, const char* dir, const char* prefix, int pieces) {
  char path[kPathBytes];
  for (int i = 0; i <= pieces; ++i) {
    if (pieceset::ComposePiecePath(path, sizeof(path), dir, prefix, i)) RemoveForced(fs, path);
  }
}

MergeOutcome MergePieces(const DiskFiles& fs, const MergeJob& job) {
  if (job.checks) return MergeChecked(fs, job);
  char path[kPathBytes];
  char merged[kPathBytes];
  char temp[kPathBytes] = {0};
  // A record without a count still has FILE-1 looked for before it is refused.
  FolderPieces& table = ReadFolderPieces(fs, job, job.count > 0 ? job.count : 1);
  if (!table.there[1]) return Outcome(MergeResult::NoFirstPiece, 1);
  if (job.fieldsEmpty) return Outcome(MergeResult::RecordDamaged, 0);
  const MergePlan plan = PlanMerge(job.size, job.count, table.length[1]);
  if (plan.lastBlocks < 1) return Outcome(MergeResult::LastPieceEmpty, job.count);
  if (!job.hasRoom(job.roomCtx, job.size + kDiskMargin)) return Outcome(MergeResult::NoRoom, 0);
  for (int i = 1; i <= job.count; ++i) {
    if (!table.there[i]) return Outcome(MergeResult::PieceMissing, i);
  }

  if (!MergedPath(job, merged)) return Outcome(MergeResult::CreateFailed, 0);
  FileHandle out = CreateTemporaryIn(fs, job.dir, temp, sizeof(temp));
  if (out == kNoFile) return Outcome(MergeResult::CreateFailed, 0);

  SetPieceAttributes(fs, job, table.attributes, kAttrArchive);
  for (int k = 1; k <= job.count; ++k) {
    MergeResult r = MergeResult::OpenPieceFailed;
    pieceset::ComposePiecePath(path, sizeof(path), job.dir, job.prefix, k);
    FileHandle piece = fs.openRead(path);
    if (piece != kNoFile) {
      const bool last = k == job.count;
      const int64_t blocks = last ? plan.lastBlocks : plan.blocksPerPiece;
      const int64_t minimum = last ? job.size - int64_t(job.count - 1) * plan.blocksPerPiece * kBlockBytes
                                   : blocks * kBlockBytes;
      r = CopyPiece(fs, piece, out, blocks, minimum);
      fs.close(piece);
    }
    if (r != MergeResult::Ok) {
      fs.close(out);
      RemoveForced(fs, temp);
      if (job.infoAttributes != kNoAttributes) fs.setAttributes(path, job.infoAttributes);
      return Outcome(r, k);
    }
  }
  fs.close(out);
  if (job.infoAttributes != kNoAttributes) SetPieceAttributes(fs, job, table.attributes, job.infoAttributes);
  return PutInPlace(fs, job, temp, merged, Outcome(MergeResult::Ok, job.count));
}

}  // namespace engine
