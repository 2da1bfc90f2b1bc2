#include "distribute_work.h"

#include <cstring>

#include "engine_rules.h"

namespace engine {

FloppyEnd DistributePieces(const FloppySteps& s, int n) {
  if (!s.prompt(s.ctx, FloppyPrompt::Confirm, 0)) return FloppyEnd::Stopped;
  int i = 0;
  for (;;) {
    uint64_t length = 0;
    int32_t freeBytes = 0;
    if (!s.pieceLength(s.ctx, i, &length)) {
      s.prompt(s.ctx, FloppyPrompt::Missing, i);
      return FloppyEnd::Stopped;
    }
    if (!s.probe(s.ctx, &freeBytes)) {
      if (s.prompt(s.ctx, FloppyPrompt::Insert, i)) continue;
      return FloppyEnd::Stopped;
    }
    if (!PieceFits(freeBytes, length)) {
      if (!s.prompt(s.ctx, FloppyPrompt::NotEnough, i)) return FloppyEnd::Stopped;
      s.prompt(s.ctx, FloppyPrompt::ChangeDisk, i);
      continue;
    }
    if (s.copy(s.ctx, i) != CopyCheck::Same) {
      if (!s.prompt(s.ctx, FloppyPrompt::CopyFailed, i)) return FloppyEnd::Stopped;
      s.prompt(s.ctx, FloppyPrompt::ChangeDisk, i);
      continue;
    }
    ++i;
    if (i == 1) continue;  // FILE-1 is tried on the disk that took FILE-0
    if (i > n) return FloppyEnd::Completed;
    if (!s.pieceLength(s.ctx, i, &length)) {
      s.prompt(s.ctx, FloppyPrompt::Missing, i);
      return FloppyEnd::Stopped;
    }
    if (!s.probe(s.ctx, &freeBytes) || !PieceFits(freeBytes, length)) {
      if (!s.prompt(s.ctx, FloppyPrompt::NextDisk, i)) {
        s.prompt(s.ctx, FloppyPrompt::Interrupted, i);
        return FloppyEnd::Stopped;
      }
    }
  }
}

bool FilesEqual(const DiskFiles& fs, const char* a, const char* b) {
  FileHandle fa = fs.openRead(a);
  if (fa == kNoFile) return false;
  FileHandle fb = fs.openRead(b);
  if (fb == kNoFile) {
    fs.close(fa);
    return false;
  }
  static char bufA[kBlockBytes], bufB[kBlockBytes];
  bool same = true;
  for (;;) {
    long ga = fs.read(fa, bufA, kBlockBytes);
    long gb = fs.read(fb, bufB, kBlockBytes);
    if (ga < 0 || gb < 0 || ga != gb || std::memcmp(bufA, bufB, static_cast<std::size_t>(ga)) != 0) {
      same = false;
      break;
    }
    if (ga == 0) break;
  }
  fs.close(fa);
  fs.close(fb);
  return same;
}

}  // namespace engine
