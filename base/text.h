// Texts in both languages, and messages composed from a text and a name or a number.
#pragma once
#include <cstddef>

struct Text {
  const char* en;
  const char* ja;
};

// 0 = English, 1 = Japanese; chosen once at start-up from the code page, before any text shows.
extern int g_uiLanguage;

inline const char* Tx(const Text& t) { return g_uiLanguage ? t.ja : t.en; }

// text with its first "%s" replaced by name, into out (cap bytes, cleared first). The name goes
// in as it is: a "%" or "%s" inside it stays. Cut to fit, in Japanese at a character boundary.
void ComposeMessage(char* out, std::size_t cap, const char* text, const char* name);
// text with its first "%d" replaced by the decimal number.
void ComposeMessage(char* out, std::size_t cap, const char* text, long number);

// The decimal digits of number, led by "-" when it is negative; printf is not used for it, as
// the formatting code it brings would be most of Rundelo.
constexpr std::size_t kDecimalBytes = 24;
void DecimalText(char (&out)[kDecimalBytes], long number);

// Appends text to the zero-terminated contents of out (cap bytes), cutting it where it would not
// fit without splitting a Shift-JIS character when dbcs932.
void AppendText(char* out, std::size_t cap, const char* text, bool dbcs932);

// Copies src into dst (size bytes), always terminated; false when it had to cut.
bool CopyBounded(char* dst, std::size_t size, const char* src);
