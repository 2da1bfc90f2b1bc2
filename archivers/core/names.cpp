#include "names.h"

#include <cctype>

namespace arc {
namespace {

char Lower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

// The first `n` bytes of `s`, at most all of them.
std::string_view Head(std::string_view s, size_t n) { return std::string_view(s.data(), n < s.size() ? n : s.size()); }

bool IsDeviceName(std::string_view part) {
  std::string_view stem = Head(part, part.find('.'));
  while (!stem.empty() && stem.back() == ' ') stem.remove_suffix(1);
  static const char* const kNames[] = {"con", "prn", "aux", "nul", "clock$", "conin$", "conout$"};
  for (const char* n : kNames)
    if (EqualsNoCase(stem, n)) return true;
  if (stem.size() == 4 && (EqualsNoCase(Head(stem, 3), "com") || EqualsNoCase(Head(stem, 3), "lpt")) &&
      stem[3] >= '0' && stem[3] <= '9')
    return true;
  return false;
}

bool PartRefused(const Str& part) {
  if (std::string_view(part).find_first_not_of(". ") == std::string_view::npos) return true;
  for (unsigned char c : part)
    if (c < 0x20 || c == ':') return true;
  return IsDeviceName(part);
}

// SplitSafeName without its watch on memory.
NameCheck Split(std::string_view name, LeadByteFn lead, bool lhaSeparators, Vec<Str>* parts) {
  bool stripped = false;
  if (name.size() >= 2 && name[1] == ':' && isalpha(static_cast<unsigned char>(name[0]))) {
    name.remove_prefix(2);
    stripped = true;
  }
  Str cur;
  auto finish = [&]() -> bool {
    if (cur.empty() || cur == ".") {
      cur.clear();
      return true;
    }
    if (cur == ".." || PartRefused(cur)) return false;
    parts->push_back(cur);
    cur.clear();
    return true;
  };
  for (size_t i = 0; i < name.size(); ++i) {
    unsigned char c = static_cast<unsigned char>(name[i]);
    if (lead && lead(c) && i + 1 < name.size()) {
      cur += static_cast<char>(c);
      cur += name[++i];
      continue;
    }
    bool sep = c == '/' || c == '\\' || (lhaSeparators && c == 0xFF);
    if (!sep) {
      cur += static_cast<char>(c);
      continue;
    }
    if (i == 0) stripped = true;
    if (!finish()) return NameCheck::kRefused;
  }
  if (!finish()) return NameCheck::kRefused;
  if (parts->empty()) return NameCheck::kRefused;
  return stripped ? NameCheck::kStripped : NameCheck::kOk;
}

}  // namespace

bool ShiftJisLead(unsigned char c) { return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC); }

NameCheck SplitSafeName(std::string_view name, LeadByteFn lead, bool lhaSeparators, Vec<Str>* parts) {
  parts->clear();
  AllocWatch watch;
  // A part that lost bytes may even look refused: memory decides first.
  NameCheck r = Split(name, lead, lhaSeparators, parts);
  return watch.Lost() ? NameCheck::kNoMemory : r;
}

bool WildcardMatch(std::string_view pattern, std::string_view name) {
  if (pattern == "*" || pattern == "*.*") return true;
  size_t p = 0, n = 0, starP = std::string_view::npos, starN = 0;
  while (n < name.size()) {
    if (p < pattern.size() && (pattern[p] == '?' || Lower(pattern[p]) == Lower(name[n]))) {
      ++p;
      ++n;
    } else if (p < pattern.size() && pattern[p] == '*') {
      starP = p++;
      starN = n;
    } else if (starP != std::string_view::npos) {
      p = starP + 1;
      n = ++starN;
    } else {
      return false;
    }
  }
  while (p < pattern.size() && pattern[p] == '*') ++p;
  return p == pattern.size();
}

std::string_view BaseName(std::string_view path, LeadByteFn lead) {
  size_t start = 0;
  for (size_t i = 0; i < path.size(); ++i) {
    unsigned char c = static_cast<unsigned char>(path[i]);
    if (lead && lead(c)) {
      ++i;
      continue;
    }
    if (c == '/' || c == '\\' || c == ':') start = i + 1;
  }
  return std::string_view(path.data() + start, path.size() - start);
}

bool PreferLowerExtension(std::string_view hint) {
  for (size_t i = hint.size(); i-- > 0;) {
    unsigned char c = static_cast<unsigned char>(hint[i]);
    if (c >= 'a' && c <= 'z') return true;
    if (c >= 'A' && c <= 'Z') return false;
  }
  return false;
}

bool HasExtension(std::string_view path, LeadByteFn lead) {
  return BaseName(path, lead).find('.') != std::string_view::npos;
}

bool EqualsNoCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (Lower(a[i]) != Lower(b[i])) return false;
  return true;
}

}  // namespace arc
