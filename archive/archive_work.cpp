#include "archive/archive_work.h"

#include <cstring>
#include <initializer_list>

#include "base/paths.h"
#include "base/text.h"

namespace archive {
namespace {

bool Lead(const char* s, std::size_t i, bool dbcs932) {
  return dbcs932 && IsLeadByte932(static_cast<unsigned char>(s[i])) && s[i + 1];
}

// Copies the concatenation of parts into out (cap bytes, cleared); false when it does not fit.
bool Join(char* out, std::size_t cap, std::initializer_list<const char*> parts) {
  std::memset(out, 0, cap);
  std::size_t used = 0;
  for (const char* p : parts) {
    const std::size_t n = std::strlen(p);
    if (used + n >= cap) {
      std::memset(out, 0, cap);
      return false;
    }
    std::memcpy(out + used, p, n);
    used += n;
  }
  return true;
}

const char* Extension(Tool tool, bool lower) {
  if (tool == Tool::Lha) return lower ? ".lzh" : ".LZH";
  return lower ? ".zip" : ".ZIP";
}

// The parts of a stored name as the libraries write it: split at '/' and real '\', a drive
// letter and empty or "." parts dropped.
std::vector<std::string> Parts(const std::string& stored, bool dbcs932) {
  const char* s = stored.c_str();
  std::size_t i = 0;
  if (stored.size() >= 2 && s[1] == ':' && ((s[0] | 0x20) >= 'a' && (s[0] | 0x20) <= 'z')) i = 2;
  std::vector<std::string> parts;
  std::string cur;
  for (;; ++i) {
    if (s[i] && Lead(s, i, dbcs932)) {
      cur += s[i];
      cur += s[++i];
      continue;
    }
    if (s[i] && s[i] != '/' && s[i] != '\\') {
      cur += s[i];
      continue;
    }
    if (!cur.empty() && cur != ".") parts.push_back(cur);
    cur.clear();
    if (!s[i]) break;
  }
  return parts;
}

// How a name goes into a command text: in quotes when it holds a blank. A name with a quote
// cannot be written (no file of the system has one).
bool AsWord(const char* name, std::string* word) {
  if (std::strchr(name, '"')) return false;
  *word = std::strpbrk(name, " \t") ? std::string("\"") + name + "\"" : std::string(name);
  return true;
}

// Before a first name that begins with a dash, the end of the switches.
const char* EndSwitches(const char* first) { return first[0] == '-' ? "-- " : ""; }

// A part the system reads as "..": only full stops and spaces, two stops or more.
bool ClimbsOut(const std::string& part) {
  int stops = 0;
  for (char c : part) {
    if (c == '.') ++stops;
    else if (c != ' ') return false;
  }
  return stops >= 2;
}

// A part the system takes for a device: its name up to the first full stop, without the
// spaces that end it, is one of the device names.
bool NamesDevice(const std::string& part) {
  std::string stem = part.substr(0, part.find('.'));
  while (!stem.empty() && stem.back() == ' ') stem.pop_back();
  for (const char* device : {"CON", "PRN", "AUX", "NUL", "CLOCK$", "CONIN$", "CONOUT$"})
    if (EqualNoCase(stem.c_str(), device, false)) return true;
  const std::string port = stem.substr(0, 3);
  return stem.size() == 4 && (EqualNoCase(port.c_str(), "COM", false) ||
                              EqualNoCase(port.c_str(), "LPT", false)) &&
         stem[3] >= '0' && stem[3] <= '9';
}

}  // namespace

bool LibraryPath(const char* programPath, const char* library, bool dbcs932, char* out,
                 std::size_t cap) {
  char dir[258];
  return DirectoryOf(programPath, dir, sizeof dir, dbcs932) && Join(out, cap, {dir, library});
}

bool LowerExtension(const char* name, bool dbcs932, bool (*isLetter)(char), bool (*isLower)(char)) {
  bool lower = false;
  for (std::size_t i = 0; name[i]; ++i) {
    if (Lead(name, i, dbcs932)) {
      ++i;
    } else if (isLetter(name[i])) {
      lower = isLower(name[i]);
    }
  }
  return lower;
}

bool NameCompression(Tool tool, const char* source, bool lower, CompressNames* out) {
  std::memset(out, 0, sizeof *out);
  const char* stop = std::strchr(source, '.');
  const std::size_t n = stop ? static_cast<std::size_t>(stop - source) : std::strlen(source);
  if (n >= sizeof out->stem) return false;
  std::memcpy(out->stem, source, n);
  if (!Join(out->archive, sizeof out->archive, {out->stem, Extension(tool, lower)})) return false;
  std::string first, second;
  if (!AsWord(tool == Tool::Lha ? out->stem : out->archive, &first) || !AsWord(source, &second))
    return false;
  if (tool == Tool::Lha)
    return Join(out->command, sizeof out->command,
                {"a ", EndSwitches(out->stem), first.c_str(), " ", second.c_str()});
  return Join(out->command, sizeof out->command,
              {EndSwitches(out->archive), first.c_str(), " ", second.c_str()});
}

Tool ToolOfName(const char* name, Tool current, bool dbcs932) {
  Tool tool = current;
  if (ContainsText(name, ".lzh", dbcs932) || ContainsText(name, ".LZH", dbcs932)) tool = Tool::Lha;
  if (ContainsText(name, ".zip", dbcs932) || ContainsText(name, ".ZIP", dbcs932)) tool = Tool::Zip;
  return tool;
}

bool NameDecompression(Tool tool, const char* selectedPath, const char* selectedName,
                       const char* mergedName, bool dbcs932, DecompressNames* out) {
  std::memset(out, 0, sizeof *out);
  if (!DirectoryOf(selectedPath, out->dir, sizeof out->dir, dbcs932)) return false;
  const char* name = mergedName ? mergedName : selectedName;
  if (!Join(out->path, sizeof out->path, {out->dir, name})) return false;
  const std::size_t n = std::strlen(name);
  if (n >= 4) std::memcpy(out->stem, name, n - 4);
  std::string stem;
  if (!AsWord(out->stem, &stem)) return false;
  return Join(out->command, sizeof out->command,
              {tool == Tool::Lha ? "e " : "", EndSwitches(out->stem), stem.c_str()});
}

ListedEntry EntryOfRecord(const char* name, uint32_t size, const char* method, bool dbcs932) {
  const std::size_t n = std::strlen(name);
  const bool slash = n && name[n - 1] == '/';
  const bool backslash = n && LastBackslash(name, dbcs932) == static_cast<int>(n) - 1;
  return ListedEntry{name, size, slash || backslash || std::strncmp(method, "-lhd-", 5) == 0};
}

Verdict JudgeListing(const Listing& listing, bool dbcs932) {
  if (!listing.bound) return Verdict::NoTool;
  if (!listing.opened || listing.firstResult != 0 || listing.endResult != -1 ||
      listing.entries.empty())
    return Verdict::Unreadable;
  bool device = false;
  for (const ListedEntry& e : listing.entries) {
    for (const std::string& part : Parts(e.name, dbcs932)) {
      if (ClimbsOut(part)) return Verdict::LeavesFolder;
      device = device || NamesDevice(part);
    }
  }
  return device ? Verdict::DeviceName : Verdict::Ok;
}

uint64_t SpaceNeeded(const Listing& listing) {
  uint64_t total = 0;
  for (const ListedEntry& e : listing.entries) total += e.size;
  if (total < listing.libraryTotal) total = listing.libraryTotal;
  return total + 1000;
}

std::string TargetName(Tool tool, const ListedEntry& entry, bool dbcs932) {
  if (entry.folder) return std::string();
  const std::vector<std::string> parts = Parts(entry.name, dbcs932);
  if (parts.empty()) return std::string();
  if (tool == Tool::Lha) return parts.back();
  std::string target;
  for (const std::string& p : parts) target += (target.empty() ? "" : "\\") + p;
  return target;
}

std::string FirstExistingTarget(const DiskFiles& fs, const char* dir, Tool tool,
                                const Listing& listing, bool dbcs932) {
  for (const ListedEntry& e : listing.entries) {
    const std::string target = TargetName(tool, e, dbcs932);
    DirEntry found;
    if (!target.empty() && fs.lookup((dir + target).c_str(), &found)) return target;
  }
  return std::string();
}

std::string TargetThatIs(const DiskFiles& fs, const char* dir, Tool tool, const Listing& listing,
                         bool dbcs932, const char* path) {
  const KnownFile file = KnowFile(fs, path);
  for (const ListedEntry& e : listing.entries) {
    const std::string target = TargetName(tool, e, dbcs932);
    const std::string full = dir + target;
    DirEntry found;
    if (!target.empty() && fs.lookup(full.c_str(), &found) &&
        IsKnownFile(fs, file, full.c_str(), found))
      return target;
  }
  return std::string();
}

std::string FirstShownName(Tool tool, const Listing& listing, bool dbcs932) {
  for (const ListedEntry& e : listing.entries) {
    if (tool == Tool::Lha) {
      const std::string target = TargetName(tool, e, dbcs932);
      if (!target.empty()) return target;
    } else {
      const std::vector<std::string> parts = Parts(e.name, dbcs932);
      if (!parts.empty()) return parts.front();
    }
  }
  return std::string();
}

}  // namespace archive
