#include <cstring>

#include "errors.h"
#include "fsio.h"
#include "ops.h"

namespace arc {
namespace {

std::string Trim(const std::string& s) {
  size_t a = s.find_first_not_of(" \t"), b = s.find_last_not_of(" \t");
  return a == std::string::npos ? std::string() : s.substr(a, b - a + 1);
}

bool IsFile(const std::string& p) {
  PathInfo pi = StatPath(p);
  return pi.exists && !pi.isDir;
}

// Leading "-x" switches; none of them changes what we do, so they are skipped.
size_t SkipSwitches(const std::vector<std::string>& w, size_t i) {
  while (i < w.size() && w[i].size() > 1 && w[i][0] == '-') ++i;
  return i;
}

// Callers pass names with spaces unquoted ("a my file my file.txt"). When the
// words do not all name files, take the split of the rest into archive and one
// file that does.
bool SplitArchiveAndFile(const std::string& rest, std::string* archive, std::string* file) {
  if (rest.find('"') != std::string::npos) return false;
  for (size_t sp = rest.find(' '); sp != std::string::npos; sp = rest.find(' ', sp + 1)) {
    std::string a = Trim(rest.substr(0, sp)), f = Trim(rest.substr(sp + 1));
    if (!a.empty() && !f.empty() && IsFile(f)) {
      *archive = a;
      *file = f;
      return true;
    }
  }
  return false;
}

std::string AfterWords(const std::string& text, size_t words) {
  size_t i = 0;
  for (size_t w = 0; w < words; ++w) {
    i = text.find_first_not_of(" \t", i);
    if (i == std::string::npos) return std::string();
    i = text.find_first_of(" \t", i);
    if (i == std::string::npos) return std::string();
  }
  return Trim(text.substr(i));
}

int Create(bool lha, const std::vector<std::string>& w, size_t at, const std::string& rest, LeadByteFn lead,
           std::string* log) {
  if (at >= w.size()) return kErrBadCommand;
  std::string archive = w[at];
  std::vector<std::string> files(w.begin() + static_cast<long>(at) + 1, w.end());
  bool allFiles = !files.empty();
  for (const auto& f : files) allFiles = allFiles && IsFile(f);
  std::string a, f;
  if (!allFiles && SplitArchiveAndFile(rest, &a, &f)) {
    archive = a;
    files.assign(1, f);
  }
  return lha ? LhaAdd(archive, files, lead, log) : ZipAdd(archive, files, lead, log);
}

int Extract(bool lha, bool keepDirs, const std::vector<std::string>& w, size_t at, const std::string& rest,
            LeadByteFn lead, std::string* log) {
  ExtractJob job;
  job.lead = lead;
  job.keepDirs = keepDirs;
  if (rest.find('"') == std::string::npos && !FindArchive(rest, lha).empty()) {
    job.archive = rest;  // the whole rest names the archive, spaces and all
  } else {
    if (at >= w.size()) return kErrBadCommand;
    job.archive = w[at++];
    for (; at < w.size(); ++at) {
      const std::string& s = w[at];
      char last = s.empty() ? 0 : s.back();
      if (job.baseDir.empty() && job.patterns.empty() && (last == '\\' || last == '/')) {
        job.baseDir = s.substr(0, s.size() - 1);
      } else if (!lha && s == "-d" && at + 1 < w.size()) {
        job.baseDir = w[++at];
      } else {
        job.patterns.push_back(s);
      }
    }
  }
  return lha ? LhaExtract(job, log) : ZipExtract(job, log);
}

}  // namespace

int RunLhaCommand(const std::string& text, LeadByteFn lead, std::string* log) {
  std::vector<std::string> w = SplitWords(text);
  if (w.empty() || w[0].size() != 1) return kErrBadCommand;
  char op = static_cast<char>(w[0][0] | 0x20);
  size_t at = SkipSwitches(w, 1);
  std::string rest = AfterWords(text, at);
  switch (op) {
    case 'a': return Create(true, w, at, rest, lead, log);
    case 'e': return Extract(true, false, w, at, rest, lead, log);
    case 'x': return Extract(true, true, w, at, rest, lead, log);
  }
  return kErrBadCommand;
}

int RunZipCommand(const std::string& text, LeadByteFn lead, std::string* log) {
  std::vector<std::string> w = SplitWords(text);
  size_t at = SkipSwitches(w, 0);
  std::string rest = AfterWords(text, at);
  return Create(false, w, at, rest, lead, log);
}

int RunUnzipCommand(const std::string& text, LeadByteFn lead, std::string* log) {
  std::vector<std::string> w = SplitWords(text);
  size_t at = SkipSwitches(w, 0);
  std::string rest = AfterWords(text, at);
  return Extract(false, true, w, at, rest, lead, log);
}

}  // namespace arc
