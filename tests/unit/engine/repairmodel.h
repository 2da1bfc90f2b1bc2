// What r parity pieces can mend in a set that the division wrote, worked out from the files as
// they were written and as they are now, byte by byte, apart from the program's own judgement:
// a block is damaged when its bytes are not all there as written; a piece whose block-check
// record is not there as written (or a parity piece likewise) is judged whole; a stripe (block
// j of every piece) is mended when its damaged blocks, data and parity, are at most r.
#pragma once
#include <string>
#include <vector>

namespace repairmodel {

struct Judgement {
  std::vector<int> pieces;  // data pieces with a damaged block, in order
  std::vector<int> parity;  // parity pieces with a damaged block, in order
  int blocks = 0;           // damaged data blocks
  bool mendable = true;
};

// before[k] and now[k] for k = 0 ... n + 1 + r; now[k] null for a file that is not there. The
// parity pieces are n + 1, n + 3 and n + 4, the block checks n + 2 with the record of parity
// piece t at number n + 1 + t.
inline Judgement Judge(const std::vector<std::string>& before, const std::vector<const std::string*>& now,
                       int n, size_t pieceBytes, int r = 1) {
  const size_t kBlock = 10000, stripes = pieceBytes / kBlock, record = (stripes + 1) * 4;
  const std::string* checks = now[n + 2];
  auto same = [](const std::string* is, const std::string& was, size_t at, size_t len) {
    return is && is->size() >= at + len && is->compare(at, len, was, at, len) == 0;
  };
  auto damaged = [&](int k, int recordOf) {
    std::vector<bool> bad(stripes, false);
    bool any = false;
    for (size_t j = 0; j * kBlock < before[k].size(); ++j) {
      const size_t len = std::min(kBlock, before[k].size() - j * kBlock);
      bad[j] = !same(now[k], before[k], j * kBlock, len);
      any = any || bad[j];
    }
    const bool ownRecord = same(checks, before[n + 2], 0, 28) &&
                           same(checks, before[n + 2], 28 + (recordOf - 1) * record, record);
    if (any && !ownRecord) {
      for (size_t j = 0; j * kBlock < before[k].size(); ++j) bad[j] = true;
    }
    return bad;
  };
  Judgement out;
  std::vector<int> perStripe(stripes, 0), parityBad(stripes, 0);
  for (int k = 1; k <= n; ++k) {
    const std::vector<bool> bad = damaged(k, k);
    bool listed = false;
    for (size_t j = 0; j < stripes; ++j) {
      if (!bad[j]) continue;
      ++perStripe[j];
      ++out.blocks;
      if (!listed) out.pieces.push_back(k);
      listed = true;
    }
  }
  for (int t = 0; t < r; ++t) {
    const int k = t == 0 ? n + 1 : n + 2 + t;
    const std::vector<bool> bad = damaged(k, n + 1 + t);
    bool listed = false;
    for (size_t j = 0; j < stripes; ++j) {
      if (!bad[j]) continue;
      ++parityBad[j];
      if (!listed) out.parity.push_back(k);
      listed = true;
    }
  }
  for (size_t j = 0; j < stripes; ++j) {
    if (perStripe[j] > 0 && perStripe[j] + parityBad[j] > r) out.mendable = false;
  }
  return out;
}

}  // namespace repairmodel
