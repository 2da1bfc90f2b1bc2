#include "divide_work.h"

#include <cstring>

#include "base/crc32.h"
#include "base/sidework.h"
#include "parity.h"

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
unsigned char g_parity[pieceset::kMaxPieceBytes];
pieceset::Checks g_checks;
pieceset::BlockChecks g_blocks;

// The CRC of each block of a run and its bytes XORed into the parity, worked out while the run
// is written.
struct RunChecks {
  const unsigned char* data;
  uint32_t bytes;
  uint32_t* crc;  // of its first block
  unsigned char* parity;
};
RunChecks g_run;

void CheckRun(void* ctx) {
  auto* r = static_cast<RunChecks*>(ctx);
  for (uint32_t at = 0, j = 0; at < r->bytes; at += kBlockBytes, ++j) {
    const uint32_t n = r->bytes - at < kBlockBytes ? r->bytes - at : kBlockBytes;
    r->crc[j] = Crc32Update(0, r->data + at, n);
  }
  pieceset::XorInto(r->parity, r->data, r->bytes);
}

// Copies bytes of the open source into the open piece, up to kRunBlocks blocks at a time, the
// CRC of each block into crc and its bytes XORed into the parity; Ok or the failure. The source
// must still hold every byte it had when it was selected: a file that shrank since is a read
// failure, and one that grew gives no more than its recorded size. The checks of the last run
// may still run on return, so that they go on while the next piece is made: the caller ends
// them before it reads crc or the parity.
DivideResult CopyBlocks(const DiskFiles& fs, FileHandle source, FileHandle piece, uint32_t bytes,
                        uint32_t* crc) {
  for (uint32_t done = 0; done < bytes;) {
    const uint32_t left = bytes - done;
    const long want = static_cast<long>(left < sizeof(g_buffer) ? left : sizeof(g_buffer));
    EndSideWork();
    const long got = fs.read(source, g_buffer, want);
    if (got != want) return DivideResult::ReadSourceFailed;
    g_run = {reinterpret_cast<unsigned char*>(g_buffer), static_cast<uint32_t>(got),
             crc + done / kBlockBytes, g_parity + done};
    BeginSideWork(CheckRun, &g_run);
    if (fs.write(piece, g_buffer, got) != got) return DivideResult::WritePieceFailed;
    done += static_cast<uint32_t>(got);
  }
  return DivideResult::Ok;
}

// Writes the parity piece n + 1 from g_parity; Ok or the failure.
DivideResult WriteParity(const DiskFiles& fs, const char* dir, int n, uint32_t bytes) {
  char path[kPathBytes];
  FileHandle f = kNoFile;
  if (pieceset::ComposePiecePath(path, sizeof(path), dir, "file-", n + 1)) f = fs.create(path);
  if (f == kNoFile) return DivideResult::CreatePieceFailed;
  const bool ok = fs.write(f, g_parity, static_cast<long>(bytes)) == static_cast<long>(bytes);
  fs.close(f);
  return ok ? DivideResult::Ok : DivideResult::WritePieceFailed;
}

// Writes the block checks n + 2 from g_checks and g_blocks, made up in g_parity once the parity
// piece is written; Ok or the failure.
DivideResult WriteBlockChecks(const DiskFiles& fs, const char* dir, int n) {
  unsigned char* out = g_parity;
  pieceset::FormatBlockHeader(g_checks, out);
  for (int k = 1; k <= n + 1; ++k) {
    pieceset::FormatBlockRecord(g_checks, g_blocks.crc[k], out + pieceset::BlockRecordAt(g_checks, k));
  }
  const long bytes = static_cast<long>(pieceset::BlockRecordAt(g_checks, n + 2));
  char path[kPathBytes];
  FileHandle f = kNoFile;
  if (pieceset::ComposePiecePath(path, sizeof(path), dir, "file-", n + 2)) f = fs.create(path);
  if (f == kNoFile) return DivideResult::CreatePieceFailed;
  const bool ok = fs.write(f, out, bytes) == bytes;
  fs.close(f);
  return ok ? DivideResult::Ok : DivideResult::WritePieceFailed;
}

// Appends the check line to FILE-0 after its record of recordLength bytes.
bool AppendChecks(const DiskFiles& fs, const char* infoPath, std::size_t recordLength) {
  static char line[pieceset::kCheckLineBytes];
  const std::size_t len = pieceset::FormatChecks(line, sizeof(line), g_checks);
  if (len == 0) return false;
  FileHandle f = fs.openWrite(infoPath);
  if (f == kNoFile) return false;
  const bool ok = fs.seek(f, recordLength) &&
                  fs.write(f, line, static_cast<long>(len)) == static_cast<long>(len);
  fs.close(f);
  return ok;
}

}  // namespace

bool HasPieceMarkedEntry(const DiskFiles& fs, const char* dir, bool dbcs932) {
  return fs.list(dir, VisitPieceMark, &dbcs932);
}

void DeleteExistingPieces(const DiskFiles& fs, const char* dir, const char* sourceName) {
  static const char* const kPrefixes[2] = {"file-", "FILE-"};
  const int own = PieceNumberOfName(sourceName);
  char path[kPathBytes];
  for (int i = 0; i <= kMaxPieces + 2; ++i) {
    if (i == own) continue;
    for (const char* prefix : kPrefixes) {
      uint64_t length = 0;
      if (pieceset::ComposePiecePath(path, sizeof(path), dir, prefix, i) && FindLength(fs, path, &length)) {
        fs.remove(path);
      }
    }
  }
}

int64_t DivisionRoom(uint64_t size, const DivisionPlan& plan) {
  const int64_t blockChecks = pieceset::kBlockHeaderBytes + int64_t{4} * (plan.pieces + 1) * (plan.fullBlocks + 1);
  return static_cast<int64_t>(size) + int64_t{plan.fullBlocks} * kBlockBytes + blockChecks + kDiskMargin;
}

bool SourceIsAmongPieces(const char* sourceName, int pieces) {
  int own = PieceNumberOfName(sourceName);
  return own >= 0 && own <= pieces + 2;
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
  const uint32_t full = static_cast<uint32_t>(job.plan.fullBlocks) * kBlockBytes;
  std::memset(g_parity, 0, full);
  std::memset(&g_checks, 0, sizeof(g_checks));
  std::memset(&g_blocks, 0, sizeof(g_blocks));
  g_checks.size = static_cast<long>(job.size);
  g_checks.count = n;
  g_checks.pieceBytes = full;
  for (int k = 1; k <= n; ++k) {
    FileHandle piece = kNoFile;
    if (pieceset::ComposePiecePath(path, sizeof(path), job.dir, "file-", k)) piece = fs.create(path);
    if (piece == kNoFile) {
      EndSideWork();
      fs.close(source);
      DeletePieces(fs, job.dir, k - 1);
      return {DivideResult::CreatePieceFailed, k};
    }
    const uint32_t bytes = k < n ? full : job.plan.lastBytes;
    DivideResult r = CopyBlocks(fs, source, piece, bytes, g_blocks.crc[k]);
    fs.close(piece);
    if (r != DivideResult::Ok) {
      EndSideWork();
      fs.close(source);
      DeletePieces(fs, job.dir, k);
      return {r, k};
    }
  }
  EndSideWork();
  fs.close(source);
  for (int k = 1; k <= n; ++k) {
    const uint32_t bytes = k < n ? full : job.plan.lastBytes;
    g_checks.crc[k] = Crc32OfBlocks(g_blocks.crc[k], bytes, kBlockBytes);
  }
  g_checks.whole = Crc32OfBlocks(g_checks.crc + 1, static_cast<uint32_t>(job.size), full);

  for (uint32_t at = 0, j = 0; at < full; at += kBlockBytes, ++j) {
    g_blocks.crc[n + 1][j] = Crc32Update(0, g_parity + at, kBlockBytes);
  }
  g_checks.crc[n + 1] = Crc32OfBlocks(g_blocks.crc[n + 1], full, kBlockBytes);
  int last = n + 1;
  DivideResult r = WriteParity(fs, job.dir, n, full);
  if (r == DivideResult::Ok) r = WriteBlockChecks(fs, job.dir, n), last = n + 2;
  if (r != DivideResult::Ok) {
    // A file in the way of the parity piece or the block checks that could not be replaced
    // stays, as a piece's would.
    DeletePieces(fs, job.dir, r == DivideResult::CreatePieceFailed ? last - 1 : last);
    return {r, last};
  }
  pieceset::ComposePiecePath(path, sizeof(path), job.dir, "file-", 0);
  if (!AppendChecks(fs, path, len)) {
    RemoveForced(fs, path);
    DeletePieces(fs, job.dir, n + 2);
    return {DivideResult::WriteInfoFailed, 0};
  }
  return {DivideResult::Ok, n};
}

}  // namespace engine
