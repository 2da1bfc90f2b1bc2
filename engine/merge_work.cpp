#include "merge_work.h"

#include <cstdio>
#include <cstring>

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

// Gives pieces 1 to n the attributes; a piece that has them already is left alone, which
// spares hundreds of slow calls on a large set.
void SetPieceAttributes(const DiskFiles& fs, const MergeJob& job, uint32_t attributes) {
  char path[kPathBytes];
  for (int k = 1; k <= job.count; ++k) {
    if (pieceset::ComposePiecePath(path, sizeof(path), job.dir, job.prefix, k) &&
        fs.getAttributes(path) != attributes) {
      fs.setAttributes(path, attributes);
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

}  // namespace

InfoFile ReadInformationFile(const DiskFiles& fs, const char* path, bool dbcs932,
                             pieceset::InfoRecord* rec, pieceset::InfoValues* vals) {
  InfoFile info{false, pieceset::MainResult::MissedToRead, fs.getAttributes(path)};
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
  }
  if (info.attributes != kNoAttributes) fs.setAttributes(path, info.attributes);
  return info;
}

bool NameExistsInDir(const DiskFiles& fs, const char* dir, const char* name) {
  NameSearch s{&fs, name};
  return fs.list(dir, VisitSameName, &s);
}

MergeOutcome MergePieces(const DiskFiles& fs, const MergeJob& job) {
  char path[kPathBytes];
  char merged[kPathBytes];
  uint64_t length = 0;
  if (!pieceset::ComposePiecePath(path, sizeof(path), job.dir, job.prefix, 1) ||
      !FindLength(fs, path, &length)) {
    return {MergeResult::NoFirstPiece, 1};
  }
  const MergePlan plan = PlanMerge(job.size, job.count, length);
  if (plan.lastBlocks < 1) return {MergeResult::LastPieceEmpty, job.count};
  if (!job.hasRoom(job.roomCtx, job.size + kDiskMargin)) return {MergeResult::NoRoom, 0};
  for (int i = 1; i <= job.count; ++i) {
    if (!pieceset::ComposePiecePath(path, sizeof(path), job.dir, job.prefix, i) ||
        !FindLength(fs, path, &length)) {
      return {MergeResult::PieceMissing, i};
    }
  }

  std::memset(merged, 0, sizeof(merged));
  int w = std::snprintf(merged, sizeof(merged), "%s%s", job.dir, job.name);
  if (w < 0 || static_cast<std::size_t>(w) >= sizeof(merged)) return {MergeResult::CreateFailed, 0};
  FileHandle out = fs.create(merged);
  if (out == kNoFile) return {MergeResult::CreateFailed, 0};

  SetPieceAttributes(fs, job, kAttrArchive);
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
      RemoveForced(fs, merged);
      if (job.infoAttributes != kNoAttributes) fs.setAttributes(path, job.infoAttributes);
      return {r, k};
    }
  }
  fs.close(out);
  if (job.infoAttributes != kNoAttributes) SetPieceAttributes(fs, job, job.infoAttributes);

  if (fs.setTimes(merged, job.time) == TimeResult::CannotOpen) return {MergeResult::ReopenFailed, 0};
  if (!FindLength(fs, merged, &length) || length != static_cast<uint64_t>(job.size)) {
    return {MergeResult::SizeDiffers, 0};
  }
  return {MergeResult::Ok, job.count};
}

}  // namespace engine
