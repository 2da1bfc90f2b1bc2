#include "texts.h"

namespace rundelo {
namespace {

// Phrases that several texts share, stored once. In a packed text a byte from 1 to 31 (but the
// line feed, 10, which texts hold) stands for a phrase, in this order; no text holds such a byte
// itself, Shift-JIS none either.
constexpr const char* kPhrases[] = {
    "ファイル", " file", "Unable to ", " the ", "された", "FILE-", "ません.", "ています.",
    " not equal to original one", "パリティファイル",
    "rebuild the blocks damaged at the same place in more than ", " %s from the parity", "復元できません.",
    "Divided file, FILE-%d, is ", "結合されたファイル", "FILE-%d", "分割されたファイル", "parity file",
    "ed file", "の同じ位置で破壊されたブロックは復元できません.", "できません", " th", "され"};
constexpr int kPhraseCount = sizeof(kPhrases) / sizeof(kPhrases[0]);
static_assert(kPhraseCount <= 30, "a phrase's byte would meet the line feed or the printable ones");

constexpr unsigned char CodeOf(int phrase) { return static_cast<unsigned char>(phrase < 9 ? phrase + 1 : phrase + 2); }

constexpr const char* kTexts[] = {
#define RUNDELO_TEXT_PAIR(id, en, ja) en, ja,
    RUNDELO_TEXTS(RUNDELO_TEXT_PAIR)
#undef RUNDELO_TEXT_PAIR
};

constexpr int Length(const char* s) {
  int n = 0;
  while (s[n]) ++n;
  return n;
}

// The longest phrase at s, or -1.
constexpr int PhraseAt(const char* s) {
  int best = -1, bestLength = 0;
  for (int p = 0; p < kPhraseCount; ++p) {
    int n = 0;
    while (kPhrases[p][n] && kPhrases[p][n] == s[n]) ++n;
    if (!kPhrases[p][n] && n > bestLength) best = p, bestLength = n;
  }
  return best;
}

// Packs s with its zero at out + at (out null: only counts); the bytes after it.
constexpr int PackOne(const char* s, unsigned char* out, int at) {
  while (*s) {
    const int p = PhraseAt(s);
    const unsigned char b = p < 0 ? static_cast<unsigned char>(*s) : CodeOf(p);
    if (out) out[at] = b;
    ++at;
    s += p < 0 ? 1 : Length(kPhrases[p]);
  }
  if (out) out[at] = 0;
  return at + 1;
}

// The phrases with their zeros, then each text packed, English then Japanese.
constexpr int PackAll(unsigned char* out) {
  int at = 0;
  for (const char* p : kPhrases) {
    for (int i = 0; i <= Length(p); ++i, ++at) {
      if (out) out[at] = static_cast<unsigned char>(p[i]);
    }
  }
  for (const char* t : kTexts) at = PackOne(t, out, at);
  return at;
}

struct Packed {
  unsigned char bytes[PackAll(nullptr)];
};

constexpr Packed Pack() {
  Packed p{};
  PackAll(p.bytes);
  return p;
}

constexpr Packed kPacked = Pack();

// The i-th string of kPacked.
const unsigned char* Nth(int i) {
  const unsigned char* p = kPacked.bytes;
  for (; i > 0; ++p) i -= *p == 0;
  return p;
}

}  // namespace

void Unpack(char* out, TextId id, int language) {
  for (const unsigned char* p = Nth(kPhraseCount + 2 * id + language); *p; ++p) {
    const int c = *p;
    if (c < 32 && c != '\n') {
      for (const unsigned char* w = Nth(c - 1 - (c > 10)); *w; ++w) *out++ = static_cast<char>(*w);
    } else {
      *out++ = static_cast<char>(c);
    }
  }
  *out = 0;
}

const char* Tx(TextId id) {
  static char buffers[2][kTextBytes];
  static int turn;
  char* out = buffers[turn ^= 1];
  Unpack(out, id, g_uiLanguage);
  return out;
}

}  // namespace rundelo
