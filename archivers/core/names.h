// Entry names: splitting stored paths into safe parts, wildcard matching, and
// the archive names that the command texts imply.
#pragma once
#include "buf.h"
#include <string_view>

namespace arc {

using LeadByteFn = bool (*)(unsigned char);

bool ShiftJisLead(unsigned char c);

enum class NameCheck { kOk, kStripped, kRefused, kNoMemory };

// Splits a stored name at '/', at '\' (unless it is the second byte of a
// two-byte character), and at 0xFF when `lhaSeparators` is set. Drive letters and
// leading separators are stripped; "." parts are dropped; "..", parts made only of
// dots and spaces, parts with ':' or control characters, and device names refuse
// the whole name. kNoMemory when memory ran out: the parts are then not the name's.
NameCheck SplitSafeName(std::string_view name, LeadByteFn lead, bool lhaSeparators, Vec<Str>* parts);

// Case-insensitive DOS-style match of `name` against a pattern with '*' and '?';
// "*.*" and "*" match every name.
bool WildcardMatch(std::string_view pattern, std::string_view name);

// The last part of a path, two-byte aware.
std::string_view BaseName(std::string_view path, LeadByteFn lead);

// Upper-case unless the last letter of `hint` is lower case.
bool PreferLowerExtension(std::string_view hint);

bool HasExtension(std::string_view path, LeadByteFn lead);
bool EqualsNoCase(std::string_view a, std::string_view b);

}  // namespace arc
