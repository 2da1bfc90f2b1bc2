#include "distribute_work.h"

#include "engine_rules.h"

namespace engine {

FloppyEnd DistributePieces(const FloppySteps& s, int n) {
  if (!s.prompt(s.ctx, FloppyPrompt::Confirm, 0)) return FloppyEnd::Stopped;
  // Steps 0 ... n copy the pieces in order; step n + 1 copies FILE-0 again.
  int step = 0;
  bool recordInDrive = false;  // the disk in the drive is the one that took FILE-0
  for (;;) {
    const int i = step <= n ? step : 0;
    uint64_t length = 0;
    int32_t freeBytes = 0;
    if (!s.pieceLength(s.ctx, i, &length)) {
      s.prompt(s.ctx, FloppyPrompt::Missing, i);
      return FloppyEnd::Stopped;
    }
    if (!s.probe(s.ctx, &freeBytes)) {
      if (!s.prompt(s.ctx, FloppyPrompt::Insert, i)) return FloppyEnd::Stopped;
      recordInDrive = false;
      continue;
    }
    if (!PieceFits(freeBytes, length)) {
      if (!s.prompt(s.ctx, FloppyPrompt::NotEnough, i)) return FloppyEnd::Stopped;
      s.prompt(s.ctx, FloppyPrompt::ChangeDisk, i);
      recordInDrive = false;
      continue;
    }
    if (s.copy(s.ctx, i) != CopyCheck::Same) {
      if (!s.prompt(s.ctx, FloppyPrompt::CopyFailed, i)) return FloppyEnd::Stopped;
      s.prompt(s.ctx, FloppyPrompt::ChangeDisk, i);
      recordInDrive = false;
      continue;
    }
    if (step == 0) recordInDrive = true;
    ++step;
    if (step == 1) continue;  // FILE-1 is tried on the disk that took FILE-0
    if (step > n + 1 || (step == n + 1 && recordInDrive)) return FloppyEnd::Completed;
    const int next = step <= n ? step : 0;
    if (!s.pieceLength(s.ctx, next, &length)) {
      s.prompt(s.ctx, FloppyPrompt::Missing, next);
      return FloppyEnd::Stopped;
    }
    if (!s.probe(s.ctx, &freeBytes) || !PieceFits(freeBytes, length)) {
      if (!s.prompt(s.ctx, FloppyPrompt::NextDisk, next)) {
        s.prompt(s.ctx, FloppyPrompt::Interrupted, next);
        return FloppyEnd::Stopped;
      }
      recordInDrive = false;
    }
  }
}

}  // namespace engine
