#include "pieceset.h"

#include <cstdio>
#include <cstring>

#include "base/text.h"

namespace pieceset {
namespace {

constexpr std::size_t kNameLimit = 257;
constexpr std::size_t kSizeLimit = 15;
constexpr std::size_t kSmallLimit = 7;

std::size_t LimitOf(int field) {
  if (field == 0) return kNameLimit;
  if (field == 1) return kSizeLimit;
  return kSmallLimit;
}

char* FieldBuffer(InfoRecord* rec, int field) {
  if (field == 0) return rec->name;
  if (field == 1) return rec->size;
  if (field == 2) return rec->count;
  return rec->time[field - 3];
}

// Strict decimal: digits only, at least one, value within max.
bool ParseNumber(const char* text, long max, long* out) {
  if (!*text) return false;
  long value = 0;
  for (const char* p = text; *p; ++p) {
    if (*p < '0' || *p > '9') return false;
    long digit = *p - '0';
    if (value > (max - digit) / 10) return false;  // long is 32 bits on Windows
    value = value * 10 + digit;
  }
  *out = value;
  return true;
}

bool IsLeap(long y) { return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0; }

int DaysInMonth(long y, long m) {
  static const unsigned char days[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return m == 2 && IsLeap(y) ? 29 : days[m - 1];
}

// Converts and range-checks the six time fields (record order: s, min, h, d, mon, y).
bool ParseTime(const InfoRecord& rec, CalTime* t) {
  long v[6];
  static const unsigned short maxes[6] = {59, 59, 23, 31, 12, 9999};
  for (int i = 0; i < 6; ++i) {
    if (!ParseNumber(rec.time[i], maxes[i], &v[i])) return false;
  }
  if (v[5] < 1601 || v[4] < 1 || v[3] < 1 || v[3] > DaysInMonth(v[5], v[4])) return false;
  *t = CalTime{static_cast<int>(v[5]), static_cast<int>(v[4]), static_cast<int>(v[3]),
               static_cast<int>(v[2]), static_cast<int>(v[1]), static_cast<int>(v[0])};
  return true;
}

int FilledTimeFields(const InfoRecord& rec) {
  int n = 0;
  for (const auto& f : rec.time) n += f[0] != 0;
  return n;
}

// The checks both readers make after reading: name, size and count present and sound.
bool CheckFields(const InfoRecord& rec, bool dbcs932, InfoValues* vals) {
  long size = 0, count = 0;
  if (!IsPlainFileName(rec.name, dbcs932)) return false;
  if (!ParseNumber(rec.size, 2147483647L, &size)) return false;
  if (!ParseNumber(rec.count, kMaxPieces, &count) || count < 1) return false;
  vals->size = size;
  vals->count = static_cast<int>(count);
  vals->hasTime = false;
  vals->time = CalTime{};
  return true;
}

// Field reading over an in-memory copy of FILE-0 (the common field rule).
struct Cursor {
  const char* data;
  std::size_t len;
  bool complete;
  std::size_t pos;
};

enum class FieldEnd { Ok, EndOfFile, CarriageReturn, TooLong };

// Measures the field at the cursor; on Ok copies it and steps over the semicolon.
// stopAtCr: the standalone reader's rule that a CR before the semicolon is an error.
FieldEnd ReadField(Cursor* c, std::size_t limit, bool stopAtCr, char* out) {
  std::size_t end = c->pos;
  while (end < c->len && c->data[end] != ';') {
    if (stopAtCr && c->data[end] == '\r') return FieldEnd::CarriageReturn;
    if (end - c->pos >= limit) return FieldEnd::TooLong;
    ++end;
  }
  if (end >= c->len) {
    // A field that runs past what the caller read is longer than any limit.
    return c->complete ? FieldEnd::EndOfFile : FieldEnd::TooLong;
  }
  std::memcpy(out, c->data + c->pos, end - c->pos);
  out[end - c->pos] = 0;
  c->pos = end + 1;
  return FieldEnd::Ok;
}

}  // namespace

bool IsPlainFileName(const char* name, bool dbcs932) {
  std::size_t len = std::strlen(name);
  if (len == 0 || len > kNameLimit) return false;
  for (std::size_t i = 0; i < len; ++i) {
    unsigned char c = static_cast<unsigned char>(name[i]);
    if (dbcs932 && IsLeadByte932(c)) {
      if (i + 1 >= len) return false;  // a lead byte without its trail byte
      ++i;
      continue;
    }
    if (c < 0x20 || std::strchr("\\/:*?\"<>|", c)) return false;
  }
  // Windows drops trailing dots and spaces, which would name another file ("." and ".." too).
  char last = name[len - 1];
  if (last == '.' || last == ' ') return false;
  // Device names open a device instead of a file, with or without an extension. The stem is
  // looked up between bars, upper case; a digit after COM or LPT stands as '?', which no name
  // can hold.
  const char* dot = std::strchr(name, '.');
  std::size_t stem = dot ? static_cast<std::size_t>(dot - name) : std::strlen(name);
  while (stem > 0 && name[stem - 1] == ' ') --stem;
  if (stem > 7) return true;
  char key[10] = "|";
  for (std::size_t i = 0; i < stem; ++i) {
    char ch = name[i];
    key[i + 1] = (ch >= 'a' && ch <= 'z') ? static_cast<char>(ch - 32) : ch;
  }
  if (stem == 4 && key[4] >= '1' && key[4] <= '9') key[4] = '?';
  key[stem + 1] = '|';
  return !std::strstr("|CON|PRN|AUX|NUL|CONIN$|CONOUT$|COM?|LPT?|", key);
}

std::size_t FormatRecord(char* out, std::size_t cap, const char* name, long size, int count,
                         const CalTime& t, bool dbcs932) {
  if (cap == 0) return 0;
  std::memset(out, 0, cap);
  if (!IsPlainFileName(name, dbcs932) || std::strchr(name, ';')) return 0;
  int n = std::snprintf(out, cap, "%s;%ld;%d;%d;%d;%d;%d;%d;%d;\n", name, size, count, t.second,
                        t.minute, t.hour, t.day, t.month, t.year);
  if (n < 0 || static_cast<std::size_t>(n) >= cap) {
    std::memset(out, 0, cap);
    return 0;
  }
  return static_cast<std::size_t>(n);
}

MainResult ReadMain(const char* data, std::size_t len, bool complete, bool dbcs932,
                    InfoRecord* rec, InfoValues* vals) {
  std::memset(rec, 0, sizeof(*rec));
  *vals = InfoValues{};
  // Only the first 510 bytes are searched for a semicolon.
  std::size_t head = len < 510 ? len : 510;
  if (!std::memchr(data, ';', head)) return MainResult::MissedToRead;

  Cursor c{data, len, complete, 0};
  for (int field = 0; field < 9; ++field) {
    FieldEnd end = ReadField(&c, LimitOf(field), false, FieldBuffer(rec, field));
    if (end == FieldEnd::EndOfFile) break;  // later fields stay empty; not an error
    if (end != FieldEnd::Ok) return MainResult::Damaged;
  }
  if (!rec->name[0] || !rec->size[0] || !rec->count[0]) return MainResult::EmptyField;
  if (!CheckFields(*rec, dbcs932, vals)) return MainResult::Damaged;
  int filled = FilledTimeFields(*rec);
  if (filled > 0) {
    // A partly filled time cannot be converted: the record is damaged.
    if (filled < 6 || !ParseTime(*rec, &vals->time)) return MainResult::Damaged;
    vals->hasTime = true;
  }
  return MainResult::Ok;
}

StandaloneResult ReadStandalone(const char* data, std::size_t len, bool complete, bool dbcs932,
                                InfoRecord* rec, InfoValues* vals) {
  std::memset(rec, 0, sizeof(*rec));
  *vals = InfoValues{};
  Cursor c{data, len, complete, 0};
  for (int field = 0; field < 3; ++field) {
    if (ReadField(&c, LimitOf(field), true, FieldBuffer(rec, field)) != FieldEnd::Ok) {
      return StandaloneResult::Incorrect;
    }
  }
  bool shortForm = c.pos < c.len && c.data[c.pos] == '\r';
  if (!shortForm) {
    for (int field = 3; field < 9; ++field) {
      if (ReadField(&c, LimitOf(field), true, FieldBuffer(rec, field)) != FieldEnd::Ok) {
        return StandaloneResult::Incorrect;
      }
    }
  }
  if (!CheckFields(*rec, dbcs932, vals)) return StandaloneResult::Incorrect;
  if (FilledTimeFields(*rec) == 6) {
    if (!ParseTime(*rec, &vals->time)) return StandaloneResult::Incorrect;
    vals->hasTime = true;
  }
  return StandaloneResult::Ok;
}

CalTime ResolveMergedTime(const InfoValues& vals, const CalTime& infoFileTime, bool ntfs) {
  CalTime t = vals.hasTime ? vals.time : infoFileTime;
  if (!ntfs) t.second -= t.second % 2;
  return t;
}

const char* PrefixForSelectedName(const char* selectedName) {
  return std::strstr(selectedName, "file-0") ? "file-" : "FILE-";
}

bool ComposePiecePath(char* out, std::size_t cap, const char* dir, const char* prefix, int k) {
  if (cap == 0) return false;
  std::memset(out, 0, cap);
  char number[kDecimalBytes];
  DecimalText(number, k);
  const std::size_t d = std::strlen(dir), p = std::strlen(prefix), n = std::strlen(number);
  if (d + p + n >= cap) return false;
  std::memcpy(out, dir, d);  // out was cleared: the zero after the number is there
  std::memcpy(out + d, prefix, p);
  std::memcpy(out + d + p, number, n);
  return true;
}

int PieceNumberOfName(const char* name) {
  static const char kPrefix[] = "file-";
  for (int i = 0; i < 5; ++i) {
    char c = name[i];
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    if (c != kPrefix[i]) return -1;
  }
  const char* digits = name + 5;
  std::size_t len = std::strlen(digits);
  if (len == 0 || len > 4 || (len > 1 && digits[0] == '0')) return -1;
  int value = 0;
  for (std::size_t i = 0; i < len; ++i) {
    if (digits[i] < '0' || digits[i] > '9') return -1;
    value = value * 10 + (digits[i] - '0');
  }
  return value <= kMaxSetNumber ? value : -1;
}

void BeginFolderPieces(FolderPieces* t, int last) {
  std::memset(t, 0, sizeof(*t));
  t->last = last;
}

void NoteFolderEntry(FolderPieces* t, const char* name, uint64_t length, uint32_t attributes) {
  const int k = PieceNumberOfName(name);  // the prefix in either letter case, as the system finds it
  if (k < 1 || k > t->last) return;
  t->there[k] = true;
  t->length[k] = length;
  t->attributes[k] = attributes;
}

void EndFolderPieces(FolderPieces* t, const char* dir, const char* prefix) {
  char path[kPathBytes];
  for (int k = 1; k <= t->last; ++k) {
    if (!ComposePiecePath(path, sizeof(path), dir, prefix, k)) t->there[k] = false;
  }
}

}  // namespace pieceset
