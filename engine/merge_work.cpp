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

// The merge's pieces, its buffers and what it finds: large, so kept here rather than on the stack.
pieceset::MergeSession g_session;

FolderPieces& ReadFolderPieces(const DiskFiles& fs, const MergeJob& job, int last) {
  FolderPieces& t = g_session.pieces;
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

MergeOutcome Outcome(MergeResult r, int piece, const pieceset::BadPieces& bad = {}) {
  return {r, piece, bad, 0, nullptr};
}

// A failure's outcome, naming the merged file when it could not be deleted.
MergeOutcome Failed(MergeOutcome out) {
  if (g_session.left) out.leftAs = g_session.temp;
  return out;
}

// dir + name into merged (kPathBytes), or false when the path would not fit.
bool MergedPath(const MergeJob& job, char* merged) {
  std::memset(merged, 0, kPathBytes);
  const int w = std::snprintf(merged, kPathBytes, "%s%s", job.dir, job.name);
  return w >= 0 && static_cast<std::size_t>(w) < kPathBytes;
}

// The end of a merge that went through: the time, then the size (both failures keep the file,
// under its name), then the merged file takes the recorded name. The time is set first, so
// that the file never stands under its name without it.
MergeOutcome Finish(const DiskFiles& fs, const MergeJob& job, const char* merged, MergeOutcome done) {
  const char* temp = g_session.temp;
  uint64_t length = 0;
  if (fs.setTimes(temp, job.time) == TimeResult::CannotOpen) {
    done.result = MergeResult::ReopenFailed;
  } else if (!FindLength(fs, temp, &length) || length != static_cast<uint64_t>(job.size)) {
    done.result = MergeResult::SizeDiffers;
  }
  if (done.result != MergeResult::Ok) done.piece = 0;
  if (!pieceset::PutInPlace(&g_session, merged)) {
    DirEntry e;
    return Failed(Outcome(fs.lookup(merged, &e) ? MergeResult::NameTaken : MergeResult::CreateFailed, 0,
                          done.bad));
  }
  return done;
}

// Why a set that its parity pieces cannot mend is refused.
MergeResult Refusal(pieceset::MergeEnd end, const pieceset::MergeSession& s) {
  if (s.checks.parity > 1) return MergeResult::BeyondParity;
  if (end == pieceset::MergeEnd::SameStripe) return s.blockChecked ? MergeResult::SameStripe : MergeResult::TooManyBad;
  return s.stripes.bad.count == 1 ? MergeResult::PieceBad : MergeResult::PiecesBad;
}

MergeOutcome MergeChecked(const DiskFiles& fs, const MergeJob& job) {
  if (!job.hasRoom(job.roomCtx, job.size + kDiskMargin)) return Outcome(MergeResult::NoRoom, 0);
  pieceset::MergeSession& s = g_session;
  s.dir = job.dir;
  s.prefix = job.prefix;
  s.checks = *job.checks;
  const int n = s.checks.count;
  FolderPieces& table = ReadFolderPieces(fs, job, pieceset::LastOfSet(s.checks));
  char merged[kPathBytes] = {0};
  s.out = kNoFile;
  if (!pieceset::SetIsDoomed(s)) {
    if (MergedPath(job, merged)) s.out = CreateTemporaryIn(fs, job.dir, s.temp, sizeof(s.temp));
    if (s.out == kNoFile) return Outcome(MergeResult::CreateFailed, 0);
    SetPieceAttributes(fs, job, table.attributes, kAttrArchive);
  }
  const pieceset::MergeEnd end = pieceset::MergeChecked(&s, job.confirmRebuild, job.rebuildCtx);
  if (job.found) *job.found = s.stripes;
  if (s.out != kNoFile && job.infoAttributes != kNoAttributes) {
    SetPieceAttributes(fs, job, table.attributes, job.infoAttributes);
  }
  const pieceset::BadPieces& bad = s.stripes.bad;
  MergeOutcome result{MergeResult::Ok, bad.count ? bad.piece[0] : n, bad, 0, nullptr};
  switch (end) {
    case pieceset::MergeEnd::Whole: break;
    case pieceset::MergeEnd::Rebuilt: result.rebuiltBlocks = s.stripes.damaged; break;
    case pieceset::MergeEnd::WriteFailed: result.result = MergeResult::WriteFailed; break;
    case pieceset::MergeEnd::Declined: result.result = MergeResult::RebuildDeclined; break;
    case pieceset::MergeEnd::RebuildFailed: result.result = MergeResult::RebuildFailed; break;
    case pieceset::MergeEnd::ReopenFailed: result.result = MergeResult::RebuildOpenFailed; break;
    case pieceset::MergeEnd::ReadBackFailed: result.result = MergeResult::RebuildReadFailed; break;
    default: result.result = Refusal(end, s);
  }
  if (result.result != MergeResult::Ok) return Failed(result);
  return Finish(fs, job, merged, result);
}

}  // namespace

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
  pieceset::MergeSession& s = g_session;
  s.fs = &fs;
  std::memset(s.temp, 0, sizeof(s.temp));
  s.left = false;
  if (job.checks) return MergeChecked(fs, job);
  char path[kPathBytes];
  char merged[kPathBytes];
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
  FileHandle out = CreateTemporaryIn(fs, job.dir, s.temp, sizeof(s.temp));
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
      pieceset::DiscardMerged(&s);
      if (job.infoAttributes != kNoAttributes) fs.setAttributes(path, job.infoAttributes);
      return Failed(Outcome(r, k));
    }
  }
  fs.close(out);
  if (job.infoAttributes != kNoAttributes) SetPieceAttributes(fs, job, table.attributes, job.infoAttributes);
  return Finish(fs, job, merged, Outcome(MergeResult::Ok, job.count));
}

}  // namespace engine
