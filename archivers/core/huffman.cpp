#include "huffman.h"

#include <cstdlib>

namespace arc {

namespace {

struct Sym {
  uint32_t freq;
  int sym;
};

int ByWeight(const void* x, const void* y) {
  const Sym& a = *static_cast<const Sym*>(x);
  const Sym& b = *static_cast<const Sym*>(y);
  if (a.freq != b.freq) return a.freq < b.freq ? -1 : 1;
  return a.sym < b.sym ? -1 : a.sym > b.sym;
}

}  // namespace

int BuildCodeLengths(const uint32_t* freq, int n, int maxBits, uint8_t* len) {
  Sym syms[kMaxHuffmanSymbols];
  int m = 0;
  for (int i = 0; i < n; ++i) {
    len[i] = 0;
    if (freq[i] && m < kMaxHuffmanSymbols) syms[m++] = {freq[i], i};
  }
  if (m <= 1) return m;
  qsort(syms, m, sizeof syms[0], ByWeight);
  // In-place minimum-redundancy code lengths over the sorted weights
  // (Moffat and Katajainen).
  uint32_t a[kMaxHuffmanSymbols];
  for (int i = 0; i < m; ++i) a[i] = syms[i].freq;
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
  // The deepest leaf is less than m levels down.
  int count[kMaxHuffmanSymbols + 2] = {};
  for (int i = 0; i < m; ++i) count[a[i]]++;
  for (int i = (static_cast<int>(a[0]) > maxBits ? static_cast<int>(a[0]) : maxBits) + 1; i > maxBits; --i) {
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
    for (int c = 0; c < count[l]; ++c) len[syms[k++].sym] = static_cast<uint8_t>(l);
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
