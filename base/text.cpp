#include "base/text.h"

#include <cstring>

#include "base/paths.h"

int g_uiLanguage;

// Appends at most n bytes of text, as AppendText does.
static void AppendPart(char* out, std::size_t cap, const char* text, std::size_t n, bool dbcs932) {
  if (cap == 0) return;
  std::size_t used = std::strlen(out);
  for (std::size_t i = 0; i < n && text[i];) {
    bool pair = dbcs932 && IsLeadByte932(static_cast<unsigned char>(text[i])) && i + 1 < n &&
                text[i + 1];
    std::size_t step = pair ? 2 : 1;
    if (used + step >= cap) break;
    std::memcpy(out + used, text + i, step);
    used += step;
    i += step;
  }
  out[used] = 0;
}

void AppendText(char* out, std::size_t cap, const char* text, bool dbcs932) {
  AppendPart(out, cap, text, static_cast<std::size_t>(-1), dbcs932);
}

static void Substitute(char* out, std::size_t cap, const char* text, const char* mark,
                       const char* value) {
  if (cap == 0) return;
  std::memset(out, 0, cap);
  const bool dbcs = g_uiLanguage == 1;
  // '%' is never a byte of a Shift-JIS double-byte character, so a plain search is safe.
  const char* at = std::strstr(text, mark);
  if (!at) {
    AppendText(out, cap, text, dbcs);
    return;
  }
  AppendPart(out, cap, text, static_cast<std::size_t>(at - text), dbcs);
  AppendText(out, cap, value, dbcs);
  AppendText(out, cap, at + 2, dbcs);
}

void ComposeMessage(char* out, std::size_t cap, const char* text, const char* name) {
  Substitute(out, cap, text, "%s", name);
}

void ComposeMessage(char* out, std::size_t cap, const char* text, long number) {
  char digits[kDecimalBytes];
  DecimalText(digits, number);
  Substitute(out, cap, text, "%d", digits);
}

void DecimalText(char (&out)[kDecimalBytes], long number) {
  // The magnitude as unsigned: the most negative number has none as a long.
  unsigned long n = static_cast<unsigned long>(number);
  if (number < 0) n = 0ul - n;
  char reversed[kDecimalBytes];
  std::size_t count = 0;
  do {
    reversed[count++] = static_cast<char>('0' + n % 10);
    n /= 10;
  } while (n);
  std::size_t at = 0;
  if (number < 0) out[at++] = '-';
  while (count) out[at++] = reversed[--count];
  out[at] = 0;
}

bool CopyBounded(char* dst, std::size_t size, const char* src) {
  if (size == 0) return false;
  std::size_t n = std::strlen(src);
  bool whole = n < size;
  if (!whole) n = size - 1;
  std::memcpy(dst, src, n);
  dst[n] = '\0';
  return whole;
}
