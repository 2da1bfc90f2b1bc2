#include "divide_work.h"

#include <cstring>

namespace engine {
namespace {

bool VisitPieceMark(void* ctx, const DirEntry& e) {
  return HasPieceMark(e.name, *static_cast<bool*>(ctx));
}

void DeletePieces(const DiskFiles& fs, const char* dir, int upTo) {
  char path[kPathBytes];
  for (int k = 1; k <= upTo; ++k) {
    if (pieceset::ComposePiecePath(path, sizeof(path), dir, "file-", k)) RemoveForced(fs, path);
  }
}

char g_buffer[kRunBlocks * kBlockBytes];

// Copies bytes of the open source into the open piece, up to kRunBlocks blocks at a time; Ok or
// the failure. The source must still hold every byte it had when it was selected: a file that
// shrank since is a read failure, and one that grew gives no more than its recorded size.
DivideResult CopyBlocks(const DiskFiles& fs, FileHandle source, FileHandle piece, uint32_t bytes) {
  for (uint32_t done = 0; done < bytes;) {
    const uint32_t left = bytes - done;
    const long want = static_cast<long>(left < sizeof(g_buffer) ? left : sizeof(g_buffer));
    const long got = fs.read(source, g_buffer, want);
    if (got != want) return DivideResult::ReadSourceFailed;
    if (fs.write(piece, g_buffer, got) != got) return DivideResult::WritePieceFailed;
    done += static_cast<uint32_t>(got);
  }
  return DivideResult::Ok;
}

}  // namespace

bool HasPieceMarkedEntry(const DiskFiles& fs, const char* dir, bool dbcs932) {
  return fs.list(dir, VisitPieceMark, &dbcs932);
}

void DeleteExistingPieces(const DiskFiles& fs, const char* dir, const char* sourceName) {
  static const char* const kPrefixes[2] = {"file-", "FILE-"};
  const int own = PieceNumberOfName(sourceName);
  char path[kPathBytes];
  for (int i = 0; i <= kMaxPieces; ++i) {
    if (i == own) continue;
    for (const char* prefix : kPrefixes) {
      uint64_t length = 0;
      if (pieceset::ComposePiecePath(path, sizeof(path), dir, prefix, i) && FindLength(fs, path, &length)) {
        fs.remove(path);
      }
    }
  }
}

bool SourceIsAmongPieces(const char* sourceName, int pieces) {
  int own = PieceNumberOfName(sourceName);
  return own >= 0 && own <= pieces;
}

DivideOutcome DivideFile(const DiskFiles& fs, const DivideJob& job) {
  char path[kPathBytes];
  if (!pieceset::ComposePiecePath(path, sizeof(path), job.dir, "file-", 0)) {
    return {DivideResult::CreateInfoFailed, 0};
  }
  FileHandle info = fs.create(path);
  if (info == kNoFile) return {DivideResult::CreateInfoFailed, 0};
  char record[pieceset::kRecordBytes];
  std::size_t len = pieceset::FormatRecord(record, sizeof(record), job.sourceName,
                                           static_cast<long>(job.size), job.plan.pieces,
                                           job.time, job.dbcs932);
  if (len == 0 || fs.write(info, record, static_cast<long>(len)) != static_cast<long>(len)) {
    fs.close(info);
    RemoveForced(fs, path);
    return {DivideResult::WriteInfoFailed, 0};
  }
  fs.close(info);

  FileHandle source = fs.openRead(job.sourcePath);
  if (source == kNoFile) return {DivideResult::OpenSourceFailed, 0};

  const int n = job.plan.pieces;
  for (int k = 1; k <= n; ++k) {
    FileHandle piece = kNoFile;
    if (pieceset::ComposePiecePath(path, sizeof(path), job.dir, "file-", k)) piece = fs.create(path);
    if (piece == kNoFile) {
      fs.close(source);
      DeletePieces(fs, job.dir, k - 1);
      return {DivideResult::CreatePieceFailed, k};
    }
    const uint32_t bytes =
        k < n ? static_cast<uint32_t>(job.plan.fullBlocks) * kBlockBytes : job.plan.lastBytes;
    DivideResult r = CopyBlocks(fs, source, piece, bytes);
    fs.close(piece);
    if (r != DivideResult::Ok) {
      fs.close(source);
      DeletePieces(fs, job.dir, k);
      return {r, k};
    }
  }
  fs.close(source);
  return {DivideResult::Ok, n};
}

}  // namespace engine
