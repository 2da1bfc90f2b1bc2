#include "divide_work.h"

#include <cstring>

#include "base/crc32.h"
#include "base/sidework.h"
#include "parity.h"
#include "parity_code.h"

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

// Runs are read into the two in turn: the checks of one go on while the next is read.
char g_buffers[2][kRunBlocks * kBlockBytes];
int g_turn;
// The parity rows as they are worked out, piece by piece, and the CRCs of their blocks.
unsigned char g_rows[pieceset::kMaxParity][pieceset::kMaxPieceBytes];
uint32_t g_rowBlocks[pieceset::kMaxParity][pieceset::kMaxBlocks];
pieceset::Checks g_checks;
pieceset::BlockChecks g_blocks;

// The CRC of each block of a run and its Horner step into every parity row, worked out while
// the run is written.
struct RunChecks {
  const unsigned char* data;
  uint32_t bytes;
  uint32_t* crc;  // of its first block
  unsigned char* rows[pieceset::kMaxParity];  // where the run stands in each row; null past r
};
RunChecks g_run;

void CheckRun(void* ctx) {
  auto* r = static_cast<RunChecks*>(ctx);
  for (uint32_t at = 0, j = 0; at < r->bytes; at += kBlockBytes, ++j) {
    const uint32_t n = r->bytes - at < kBlockBytes ? r->bytes - at : kBlockBytes;
    r->crc[j] = Crc32Update(0, r->data + at, n);
  }
  pieceset::HornerStep(r->rows, r->data, r->bytes);
}

// Copies bytes of the open source into the open piece, up to kRunBlocks blocks at a time, the
// CRC of each block into crc and its Horner step into the first rows parity rows; Ok or the
// failure. The source must still hold every byte it had when it was selected: a file that
// shrank since is a read failure, and one that grew gives no more than its recorded size. The
// checks of a run go on while it is written and the next one read, the next piece's too: the
// caller ends them before it reads crc or the rows.
DivideResult CopyBlocks(const DiskFiles& fs, FileHandle source, FileHandle piece, uint32_t bytes,
                        uint32_t* crc, int rows) {
  for (uint32_t done = 0; done < bytes;) {
    const uint32_t left = bytes - done;
    char* buffer = g_buffers[g_turn ^= 1];
    const long want = static_cast<long>(left < sizeof(g_buffers[0]) ? left : sizeof(g_buffers[0]));
    const long got = fs.read(source, buffer, want);
    EndSideWork();
    if (got != want) return DivideResult::ReadSourceFailed;
    g_run = {reinterpret_cast<unsigned char*>(buffer), static_cast<uint32_t>(got),
             crc + done / kBlockBytes, {}};
    for (int t = 0; t < rows; ++t) g_run.rows[t] = g_rows[t] + done;
    BeginSideWork(CheckRun, &g_run);
    if (fs.write(piece, buffer, got) != got) return DivideResult::WritePieceFailed;
    done += static_cast<uint32_t>(got);
  }
  return DivideResult::Ok;
}

// Writes bytes of data as piece k; Ok or the failure.
DivideResult WriteWhole(const DiskFiles& fs, const char* dir, int k, const void* data, uint32_t bytes) {
  char path[kPathBytes];
  FileHandle f = kNoFile;
  if (pieceset::ComposePiecePath(path, sizeof(path), dir, "file-", k)) f = fs.create(path);
  if (f == kNoFile) return DivideResult::CreatePieceFailed;
  const bool ok = fs.write(f, data, static_cast<long>(bytes)) == static_cast<long>(bytes);
  fs.close(f);
  return ok ? DivideResult::Ok : DivideResult::WritePieceFailed;
}

// The block checks of g_checks, g_blocks and the rows' block CRCs into the first buffer, which
// the source's runs no longer need; their length.
uint32_t FormatBlockChecks(int rows) {
  auto* out = reinterpret_cast<unsigned char*>(g_buffers[0]);
  pieceset::FormatBlockHeader(g_checks, out);
  for (int k = 1; k <= g_checks.count; ++k) {
    pieceset::FormatBlockRecord(g_checks, g_blocks.crc[k], out + pieceset::BlockRecordAt(g_checks, k));
  }
  for (int t = 0; t < rows; ++t) {
    pieceset::FormatBlockRecord(g_checks, g_rowBlocks[t], out + pieceset::ParityRecordAt(g_checks, t));
  }
  return pieceset::BlockChecksBytes(g_checks, rows);
}

// Appends the check line, and where there is more than one parity piece the line of the
// others, to FILE-0 after its record of recordLength bytes.
bool AppendChecks(const DiskFiles& fs, const char* infoPath, std::size_t recordLength, int rows) {
  static char line[pieceset::kCheckLineBytes + pieceset::kParityLineBytes];
  std::size_t len = pieceset::FormatChecks(line, pieceset::kCheckLineBytes, g_checks);
  if (len == 0) return false;
  if (rows > 1) {
    uint32_t rowCrc[pieceset::kMaxParity];
    for (int t = 0; t < rows; ++t) rowCrc[t] = Crc32OfBlocks(g_rowBlocks[t], g_checks.pieceBytes, kBlockBytes);
    const std::size_t more = pieceset::FormatParityLine(line + len, pieceset::kParityLineBytes, rows, rowCrc);
    if (more == 0) return false;
    len += more;
  }
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
  for (int i = 0; i <= pieceset::kMaxSetNumber; ++i) {
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
  const int rows = pieceset::ParityCount(plan.pieces);
  const int64_t blockChecks =
      pieceset::kBlockHeaderBytes + int64_t{4} * (plan.pieces + rows) * (plan.fullBlocks + 1);
  return static_cast<int64_t>(size) + int64_t{rows} * plan.fullBlocks * kBlockBytes + blockChecks + kDiskMargin;
}

bool SourceIsAmongPieces(const char* sourceName, int pieces) {
  int own = PieceNumberOfName(sourceName);
  return own >= 0 && own <= pieceset::LastSetNumber(pieces);
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
  const int rows = pieceset::ParityCount(n);
  const uint32_t full = static_cast<uint32_t>(job.plan.fullBlocks) * kBlockBytes;
  for (int t = 0; t < rows; ++t) std::memset(g_rows[t], 0, full);
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
    DivideResult r = CopyBlocks(fs, source, piece, bytes, g_blocks.crc[k], rows);
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
  // The last piece counts as padded with zeros to a full one: past its last symbol the rows
  // take their last Horner step with zeros.
  const uint32_t padFrom = job.plan.lastBytes + (job.plan.lastBytes & 1);
  unsigned char* pad[pieceset::kMaxParity] = {};
  for (int t = 1; t < rows; ++t) pad[t] = g_rows[t] + padFrom;
  pieceset::HornerStep(pad, nullptr, full - padFrom);
  for (int k = 1; k <= n; ++k) {
    const uint32_t bytes = k < n ? full : job.plan.lastBytes;
    g_checks.crc[k] = Crc32OfBlocks(g_blocks.crc[k], bytes, kBlockBytes);
  }
  g_checks.whole = Crc32OfBlocks(g_checks.crc + 1, static_cast<uint32_t>(job.size), full);
  for (int t = 0; t < rows; ++t) {
    for (uint32_t at = 0, j = 0; at < full; at += kBlockBytes, ++j) {
      g_rowBlocks[t][j] = Crc32Update(0, g_rows[t] + at, kBlockBytes);
    }
  }
  g_checks.crc[n + 1] = Crc32OfBlocks(g_rowBlocks[0], full, kBlockBytes);

  // The first parity piece, the block checks, then the others, in the order of their numbers.
  int last = n;
  DivideResult r = DivideResult::Ok;
  for (int t = 0; r == DivideResult::Ok && t < rows; ++t) {
    r = WriteWhole(fs, job.dir, ++last, g_rows[t], full);
    if (r == DivideResult::Ok && t == 0) r = WriteWhole(fs, job.dir, ++last, g_buffers[0], FormatBlockChecks(rows));
  }
  if (r != DivideResult::Ok) {
    // A file in the way of a parity piece or the block checks that could not be replaced
    // stays, as a piece's would.
    DeletePieces(fs, job.dir, r == DivideResult::CreatePieceFailed ? last - 1 : last);
    return {r, last};
  }
  pieceset::ComposePiecePath(path, sizeof(path), job.dir, "file-", 0);
  if (!AppendChecks(fs, path, len, rows)) {
    RemoveForced(fs, path);
    DeletePieces(fs, job.dir, last);
    return {DivideResult::WriteInfoFailed, 0};
  }
  return {DivideResult::Ok, n};
}

}  // namespace engine
