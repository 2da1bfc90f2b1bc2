#include "checked_merge.h"

#include <cstring>

#include "base/crc32.h"
#include "base/sidework.h"

namespace pieceset {
namespace {

constexpr uint32_t kBlock = kBlockBytes;

// Whether the parity rows are summed as the pieces are copied, for a set with a data piece
// missing (MERGE_SUMS_AFTER_COPY: after the copy, as for one whose damage shows only then).
#ifdef MERGE_SUMS_AFTER_COPY
constexpr bool kSumWhileCopying = false;
#else
constexpr bool kSumWhileCopying = true;
#endif

// Bytes of block j of a piece of length bytes: 0 past its end.
uint32_t BlockLength(uint32_t length, uint32_t j) {
  const uint32_t at = j * kBlock;
  return at >= length ? 0 : length - at < kBlock ? length - at : kBlock;
}

uint32_t Blocks(uint32_t length) { return (length + kBlock - 1) / kBlock; }

// Where block j of data piece k stands in the merged file.
uint32_t MergedAt(const Checks& c, int k, uint32_t j) {
  return static_cast<uint32_t>(k - 1) * c.pieceBytes + j * kBlock;
}

// Opens piece k of the set for reading; kNoFile when it cannot be.
FileHandle OpenPiece(const MergeSession* s, int k) {
  char path[kPathBytes];
  return ComposePiecePath(path, sizeof(path), s->dir, s->prefix, k) ? s->fs->openRead(path) : kNoFile;
}

// Reads p.length bytes from the start of f (just opened; kNoFile for none) into p in one read,
// or where that fails block by block: a block that cannot be read whole is bad, and cleared
// past what could be read of it.
void ReadBlocks(const DiskFiles& fs, FileHandle f, HeldPiece& p) {
  std::memset(p.bad, 0, sizeof(p.bad));
  if (f != kNoFile && fs.read(f, p.bytes, static_cast<long>(p.length)) == static_cast<long>(p.length)) return;
  for (uint32_t j = 0; j < Blocks(p.length); ++j) {
    unsigned char* block = p.bytes + j * kBlock;
    const long n = static_cast<long>(BlockLength(p.length, j));
    long got = f == kNoFile || !fs.seek(f, j * kBlock) ? -1 : fs.read(f, block, n);
    if (got != n) {
      if (got < 0) got = 0;
      std::memset(block + got, 0, static_cast<std::size_t>(n - got));
      p.bad[j] = true;
    }
  }
}

// The side work on a piece: the CRC of each block where it has block checks, else its own.
void WorkOutCrcs(void* ctx) {
  HeldPiece& p = *static_cast<HeldPiece*>(ctx);
  if (!p.byBlock) p.pieceCrc = Crc32Update(0, p.bytes, p.length);
  for (uint32_t j = 0; p.byBlock && j < Blocks(p.length); ++j) {
    p.crc[j] = Crc32Update(0, p.bytes + j * kBlock, BlockLength(p.length, j));
  }
}

// The side work on the piece being copied: its CRCs, and its Horner step into the sums of the
// parity rows where they are taken, the last piece padded with zeros.
void WorkOutPiece(void* ctx) {
  MergeSession* s = static_cast<MergeSession*>(ctx);
  HeldPiece& p = *s->judging;
  WorkOutCrcs(&p);
  if (!kSumWhileCopying || (!s->sums[0] && !s->sums[1] && !s->sums[2])) return;
  std::memset(p.bytes + p.length, 0, s->checks.pieceBytes - p.length);
  HornerStep(s->sums, p.bytes, s->checks.pieceBytes);
}

// Judges the blocks of p, its CRCs worked out: a block is bad when it could not be read or its
// CRC differs from its block check. A piece without block checks of its own is bad in every
// block or in none.
void JudgeBlocks(const MergeSession* s, HeldPiece& p) {
  const uint32_t blocks = Blocks(p.length);
  bool any = !p.byBlock && p.pieceCrc != s->checks.crc[p.check];
  for (uint32_t j = 0; j < blocks; ++j) {
    p.bad[j] |= p.byBlock && p.crc[j] != s->blocks.crc[p.check][j];
    any |= p.bad[j];
  }
  if (any && !p.byBlock) std::memset(p.bad, 1, blocks);
}

// Piece k of the set, check its number in the checks, to be read into p.
HeldPiece& Hold(MergeSession* s, HeldPiece& p, int k, int check) {
  p.k = k;
  p.check = check;
  p.length = PieceLength(s->checks, check);
  p.byBlock = s->blocks.sound[check];
  return p;
}

// How a piece that is there with length bytes, or not there, is named when it is bad.
PieceState BadState(const MergeSession* s, int k, int check) {
  if (!s->pieces.there[k]) return PieceState::Missing;
  const PieceState byLength = JudgeLength(s->checks, check, s->pieces.length[k]);
  return JudgedByCrc(byLength) ? PieceState::Damaged : byLength;
}

// Reads piece k whole into p and judges it at once.
void ReadJudged(MergeSession* s, HeldPiece& p) {
  const FileHandle f = OpenPiece(s, p.k);
  ReadBlocks(*s->fs, f, p);
  if (f != kNoFile) s->fs->close(f);
  WorkOutCrcs(&p);
  JudgeBlocks(s, p);
}

void NotePiece(MergeSession* s, int k, PieceState why) {
  Stripes& st = s->stripes;
  if (st.state[k] == PieceState::Good) {
    st.state[k] = why;
    NoteBad(&st.bad, k, why);
  }
}

void MarkBlock(MergeSession* s, int k, uint32_t j, PieceState why) {
  Stripes& st = s->stripes;
  const int r = s->checks.parity;
  int& lost = st.lost[j];
  if (lost < r) st.piece[j][lost] = k;
  if (lost <= r) ++lost;
  st.clash |= lost > r;
  ++st.damaged;
  NotePiece(s, k, why);
}

// Judges the piece whose CRCs the side work works out, once it is done, into the stripes.
void FinishPieces(MergeSession* s) {
  EndSideWork();
  HeldPiece* p = s->judging;
  if (!p) return;
  JudgeBlocks(s, *p);
  for (uint32_t j = 0; j < kMaxBlocks; ++j) {
    if (p->bad[j]) MarkBlock(s, p->k, j, p->why);
  }
  s->judging = nullptr;
}

// Reads piece k from in (opened at its start; kNoFile when it could not be opened or is
// missing: every block damaged, and zeros in its place, so that the merged file holds every
// piece's place when blocks are rebuilt) and writes its recorded bytes at its place in out (not
// when out is kNoFile); it is judged once the next one has been read, or by FinishPieces. False
// when the write failed.
bool CopyPiece(MergeSession* s, FileHandle in, FileHandle out, int k, PieceState why) {
  const DiskFiles& fs = *s->fs;
  HeldPiece& p = Hold(s, s->held[s->turn ^= 1], k, k);
  p.why = why;
  ReadBlocks(fs, in, p);
  FinishPieces(s);
  s->judging = &p;
  BeginSideWork(WorkOutPiece, s);
  return out == kNoFile ||
         (fs.seek(out, MergedAt(s->checks, k, 0)) &&
          fs.write(out, p.bytes, static_cast<long>(p.length)) == static_cast<long>(p.length));
}

// After every data piece has been judged: whether the damaged blocks can be rebuilt, the parity
// pieces then held from the first for them, and the rows that rebuild each stripe chosen: the
// first sound ones.
MergeEnd PlanRepair(MergeSession* s) {
  Stripes& st = s->stripes;
  const int r = s->checks.parity, n = s->checks.count;
  for (int t = 0; t < r; ++t) {
    HeldPiece& p = Hold(s, s->held[t], ParityPieceNumber(n, t), n + 1 + t);
    ReadJudged(s, p);
    for (uint32_t j = 0; j < kMaxBlocks; ++j) st.rowsBad[j] |= p.bad[j] << t;
  }
  MergeEnd end = st.clash ? MergeEnd::SameStripe : MergeEnd::Rebuilt;
  int badRows = 0;
  for (uint32_t j = 0; j < kMaxBlocks; ++j) {
    int u = 0;
    badRows |= st.rowsBad[j];
    for (int t = 0; t < r && u < st.lost[j]; ++t) {
      if (st.rowsBad[j] >> t & 1) continue;
      st.rows[j][u++] = t;
      st.used |= 1 << t;
    }
    if (u < st.lost[j] && end == MergeEnd::Rebuilt) end = MergeEnd::NoParity;
  }
  for (int t = 0; end != MergeEnd::Rebuilt && r > 1 && t < r; ++t) {
    const HeldPiece& p = s->held[t];
    if (badRows >> t & 1) NotePiece(s, p.k, BadState(s, p.k, p.check));
  }
  return end;
}

// A run of the merged file to be summed into the first two parity rows by the side work, while
// the caller sums the third: row t multiplies by g t times, so the third costs about as much as
// the other two together.
struct RowsRun {
  unsigned char* at[kMaxParity];
  const unsigned char* data;
  uint32_t bytes;
};

constexpr uint32_t kSideRunBlocks = 32;

void SumRun(void* ctx) {
  const RowsRun& r = *static_cast<RowsRun*>(ctx);
  HornerStep(r.at, r.data, r.bytes);
}

// Sums the parity rows that rebuild blocks over the data pieces as the merged file holds them,
// by the Horner steps the side work takes as the pieces are copied when one is missing, here
// only in the runs of stripes with damaged blocks. False when the merged file could not be
// read.
bool SumRuns(MergeSession* s, FileHandle f) {
  const Checks& c = s->checks;
  const Stripes& st = s->stripes;
  unsigned char* const buffer = s->held[kMaxParity].bytes;
  for (int t = 0; t < kMaxParity; ++t) {
    s->sums[t] = st.used >> t & 1 ? s->rowSums[t] : nullptr;
    if (s->sums[t]) std::memset(s->sums[t], 0, c.pieceBytes);
  }
  for (int k = 1; k <= c.count; ++k) {
    const uint32_t length = PieceLength(c, k);
    for (uint32_t j = 0, e; j < kMaxBlocks; j = e + 1) {
      // A run: stripes j to e - 1, all with damaged blocks.
      for (e = j; e < kMaxBlocks && st.lost[e]; ++e) {
      }
      const uint32_t from = j * kBlock, bytes = (e - j) * kBlock;
      const uint32_t there = length <= from ? 0 : length - from < bytes ? length - from : bytes;
      const long want = static_cast<long>(there);
      if (there && (!s->fs->seek(f, MergedAt(c, k, j)) || s->fs->read(f, buffer, want) != want)) return false;
      std::memset(buffer + there, 0, bytes - there);
      RowsRun first = {{nullptr, nullptr, nullptr}, buffer, bytes}, third = first;
      for (int t = 0; t < kMaxParity; ++t) {
        (t < 2 ? first : third).at[t] = s->sums[t] ? s->sums[t] + from : nullptr;
      }
      // A hand-over to the side thread costs more than a short run's sums (under Wine a round
      // trip to its server and a thread's wake-up each way): short runs are summed here.
      if (e - j >= kSideRunBlocks) {
        BeginSideWork(SumRun, &first);
      } else {
        SumRun(&first);
      }
      SumRun(&third);
      EndSideWork();
    }
  }
  return true;
}

// The syndromes of the stripes with damaged blocks from the sums of the parity rows over all
// data pieces: the damaged blocks' terms taken out of them again (read back from the merged
// file, as they were summed; a missing piece's are zeros), and the parity pieces held added,
// P_t + the sum over the data pieces i of a_i^t d_i of the sound blocks. False when the merged
// file could not be read.
bool TakeSums(MergeSession* s, FileHandle f) {
  const Checks& c = s->checks;
  const Stripes& st = s->stripes;
  unsigned char* const block = s->held[kMaxParity].bytes;
  for (uint32_t j = 0; j < kMaxBlocks; ++j) {
    for (int u = 0; u < st.lost[j]; ++u) {
      const int k = st.piece[j][u];
      const long n = static_cast<long>(BlockLength(PieceLength(c, k), j));
      if (st.state[k] == PieceState::Missing) continue;
      if (!s->fs->seek(f, MergedAt(c, k, j)) || s->fs->read(f, block, n) != n) return false;
      std::memset(block + n, 0, kBlock - n);
      for (int t = 0; t < kMaxParity; ++t) {
        if (st.used >> t & 1) MulAdd(s->sums[t] + j * kBlock, block, kBlock, ParityCoefficient(c.count, k, t));
      }
    }
    for (int t = 0; st.lost[j] && t < kMaxParity; ++t) {
      if (st.used >> t & 1) XorInto(s->held[t].bytes + j * kBlock, s->sums[t] + j * kBlock, kBlock);
    }
  }
  return true;
}

// After PlanRepair: rebuilds every damaged block from the syndromes of its stripe and writes it
// at its place; then each piece with a rebuilt block is checked by its CRC on the check line,
// worked out from the CRCs of its blocks: the rebuilt ones' and the others' in its block checks,
// which they passed as they were copied (a piece without block checks of its own is damaged in
// every block, so all of its are rebuilt ones); then the whole file's CRC as the pieces' CRCs
// add up to it. Rebuilt, or what failed.
MergeEnd RebuildStripes(MergeSession* s) {
  const Checks& c = s->checks;
  const Stripes& st = s->stripes;
  const DiskFiles& fs = *s->fs;
  const FileHandle f = fs.openWrite(s->temp);
  if (f == kNoFile) return MergeEnd::ReopenFailed;
  const bool summed = kSumWhileCopying && (s->sums[0] || s->sums[1] || s->sums[2]);
  MergeEnd end = (summed || SumRuns(s, f)) && TakeSums(s, f) ? MergeEnd::Rebuilt : MergeEnd::ReadBackFailed;
  for (uint32_t j = 0; end == MergeEnd::Rebuilt && j < kMaxBlocks; ++j) {
    const int e = st.lost[j];
    unsigned char* syn[kMaxParity];
    for (int u = 0; u < e; ++u) syn[u] = s->held[st.rows[j][u]].bytes + j * kBlock;
    SolveStripe(c.count, e, st.piece[j], st.rows[j], syn, kBlock);
    for (int u = 0; end == MergeEnd::Rebuilt && u < e; ++u) {
      const int d = st.piece[j][u];
      const long n = static_cast<long>(BlockLength(PieceLength(c, d), j));
      s->blocks.crc[d][j] = Crc32Update(0, syn[u], static_cast<std::size_t>(n));
      if (!fs.seek(f, MergedAt(c, d, j)) || fs.write(f, syn[u], n) != n) end = MergeEnd::WriteFailed;
    }
  }
  fs.close(f);
  for (int k = 1; end == MergeEnd::Rebuilt && k <= c.count; ++k) {
    if (st.state[k] != PieceState::Good &&
        Crc32OfBlocks(s->blocks.crc[k], PieceLength(c, k), kBlock) != c.crc[k]) {
      end = MergeEnd::RebuildFailed;
    }
  }
  // Every other block of the merged file passed its check as it was copied, so each piece now
  // has its CRC on the check line, and the whole file the CRC those add up to: it is checked
  // against the whole-file CRC without being read again.
  if (end == MergeEnd::Rebuilt && Crc32OfBlocks(c.crc + 1, static_cast<uint32_t>(c.size), c.pieceBytes) != c.whole) {
    end = MergeEnd::RebuildFailed;
  }
  return end;
}

}  // namespace

bool SetIsDoomed(const MergeSession& s) {
  const int n = s.checks.count;
  int data = 0, lost = 0;
  for (int k = 1; k <= LastOfSet(s.checks); ++k) {
    if (s.pieces.there[k] || k == n + 2) continue;
    ++lost;
    data += k <= n;
  }
  return data && lost > s.checks.parity;
}

bool ReadBlockChecks(MergeSession* s, const char* path) {
  // Read as a piece is: a stretch that cannot be read costs only the records in it.
  const Checks& c = s->checks;
  HeldPiece& file = s->held[0];
  file.length = BlockChecksBytes(c, c.parity);
  const FileHandle f = s->fs->openRead(path);
  ReadBlocks(*s->fs, f, file);
  if (f != kNoFile) s->fs->close(f);
  return TakeBlockChecks(c, file.bytes, &s->blocks);
}

MergeEnd MergeChecked(MergeSession* s,
                      bool (*confirm)(void* ctx, const BadPieces& bad, int blocks, bool blockChecked),
                      void* ctx) {
  const DiskFiles& fs = *s->fs;
  const int n = s->checks.count;
  std::memset(&s->stripes, 0, sizeof(s->stripes));
  s->judging = nullptr;
  char path[kPathBytes];
  ComposePiecePath(path, sizeof(path), s->dir, s->prefix, n + 2);
  s->blockChecked = ReadBlockChecks(s, path);
  bool missing = false;
  for (int k = 1; kSumWhileCopying && k <= n; ++k) missing |= !s->pieces.there[k];
  for (int t = 0; t < kMaxParity; ++t) {
    const bool sum = missing && s->out != kNoFile && t < s->checks.parity &&
                     s->pieces.there[ParityPieceNumber(n, t)];
    s->sums[t] = sum ? s->rowSums[t] : nullptr;
    if (sum) std::memset(s->rowSums[t], 0, s->checks.pieceBytes);
  }

  bool written = true;
  for (int k = 1; k <= n && written; ++k) {
    FileHandle in = kNoFile;
    if (s->pieces.there[k]) in = OpenPiece(s, k);
    written = CopyPiece(s, in, s->stripes.clash ? kNoFile : s->out, k, BadState(s, k, k));
    if (in != kNoFile) fs.close(in);
  }
  FinishPieces(s);
  if (s->out != kNoFile) fs.close(s->out);

  MergeEnd end = !written ? MergeEnd::WriteFailed
                 : s->stripes.damaged == 0 ? MergeEnd::Whole
                                           : PlanRepair(s);
  if (end == MergeEnd::Rebuilt) {
    end = confirm(ctx, s->stripes.bad, s->stripes.damaged, s->blockChecked) ? RebuildStripes(s)
                                                                             : MergeEnd::Declined;
  }
  if (end != MergeEnd::Whole && end != MergeEnd::Rebuilt && s->out != kNoFile) DiscardMerged(s);
  return end;
}

void DiscardMerged(MergeSession* s) {
  // A system may answer a deletion that it then cannot carry out as done (Wine does, where the
  // folder forbids it), so the file is opened again: one that only waits for another program
  // to let go of it before it goes cannot be.
  const DiskFiles& fs = *s->fs;
  fs.remove(s->temp);
  const FileHandle f = fs.openRead(s->temp);
  if (f == kNoFile) return;
  fs.close(f);
  s->left = true;
}

bool PutInPlace(MergeSession* s, const char* dest) {
  if (s->fs->rename(s->temp, dest)) return true;
  DiscardMerged(s);
  return false;
}

}  // namespace pieceset
