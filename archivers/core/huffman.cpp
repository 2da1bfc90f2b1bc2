#include "huffman.h"

#include <algorithm>
#include <vector>

namespace arc {

int BuildCodeLengths(const uint32_t* freq, int n, int maxBits, uint8_t* len) {
  std::vector<std::pair<uint32_t, int>> syms;
  syms.reserve(n);
  for (int i = 0; i < n; ++i) {
    len[i] = 0;
    if (freq[i]) syms.push_back({freq[i], i});
  }
  int m = static_cast<int>(syms.size());
  if (m <= 1) return m;
  std::sort(syms.begin(), syms.end());
  // In-place minimum-redundancy code lengths over the sorted weights
  // (Moffat and Katajainen).
  std::vector<uint32_t> a(m);
  for (int i = 0; i < m; ++i) a[i] = syms[i].first;
  a[0] += a[1];
  int root = 0, leaf = 2;
  for (int next = 1; next < m - 1; ++next) {
    if (leaf >= m || a[root] < a[leaf]) {
      a[next] = a[root];
      a[root++] = static_cast<uint32_t>(next);
    } else {
      a[next] = a[leaf++];
    }
    if (leaf >= m || (root < next && a[root] < a[leaf])) {
      a[next] += a[root];
      a[root++] = static_cast<uint32_t>(next);
    } else {
      a[next] += a[leaf++];
    }
  }
  a[m - 2] = 0;
  for (int next = m - 3; next >= 0; --next) a[next] = a[a[next]] + 1;
  int avail = 1, used = 0, depth = 0;
  root = m - 2;
  int next = m - 1;
  while (avail > 0) {
    while (root >= 0 && static_cast<int>(a[root]) == depth) {
      ++used;
      --root;
    }
    while (avail > used) {
      a[next--] = static_cast<uint32_t>(depth);
      --avail;
    }
    avail = 2 * used;
    ++depth;
    used = 0;
  }
  // a[i] is now the length of the i-th least frequent symbol. Limit the lengths
  // by moving leaves up while keeping the code complete.
  std::vector<int> count(std::max<uint32_t>(a[0], maxBits) + 2, 0);
  for (int i = 0; i < m; ++i) count[a[i]]++;
  for (int i = static_cast<int>(count.size()) - 1; i > maxBits; --i) {
    while (count[i] > 0) {
      int j = i - 2;
      while (count[j] == 0) --j;
      count[i] -= 2;
      count[i - 1] += 1;
      count[j + 1] += 2;
      count[j] -= 1;
    }
  }
  int k = 0;
  for (int l = maxBits; l >= 1; --l)
    for (int c = 0; c < count[l]; ++c) len[syms[k++].second] = static_cast<uint8_t>(l);
  return m;
}

void BuildCanonicalCodes(const uint8_t* len, int n, uint16_t* code) {
  uint32_t count[18] = {}, start[18] = {};
  for (int i = 0; i < n; ++i) count[len[i]]++;
  count[0] = 0;
  for (int l = 1; l <= 16; ++l) start[l + 1] = (start[l] + count[l]) << 1;
  for (int i = 0; i < n; ++i) code[i] = len[i] ? static_cast<uint16_t>(start[len[i]]++) : 0;
}

}  // namespace arc
