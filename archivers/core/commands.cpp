#include <cstring>

#include "errors.h"
#include "fsio.h"
#include "ops.h"

namespace arc {
namespace {

struct Word {
  std::string text;
  size_t begin = 0, end = 0;  // its bytes in the command text, quotes included
  bool quoted = false;
};

bool Blank(char c) { return c == ' ' || c == '\t'; }

// Words are separated by blanks; a word in double quotes may hold blanks. A quote that does
// not close, one inside a word and an empty pair make the text unreadable. No trail byte of a
// two-byte character is a blank or a quote, so the bytes can be read one by one.
bool ReadWords(const std::string& text, std::vector<Word>* words) {
  words->clear();
  size_t i = 0;
  while (true) {
    while (i < text.size() && Blank(text[i])) ++i;
    if (i == text.size()) return true;
    Word w;
    w.begin = i;
    if (text[i] == '"') {
      size_t close = text.find('"', i + 1);
      if (close == std::string::npos || close == i + 1) return false;
      if (close + 1 < text.size() && !Blank(text[close + 1])) return false;
      w.text = text.substr(i + 1, close - i - 1);
      w.quoted = true;
      i = close + 1;
    } else {
      while (i < text.size() && !Blank(text[i])) {
        if (text[i] == '"') return false;
        ++i;
      }
      w.text = text.substr(w.begin, i - w.begin);
    }
    w.end = i;
    words->push_back(w);
  }
}

// The switches before the first name. None is known, so any such word makes the text
// unreadable; "--" ends them, so that a name may begin with a dash. *ended tells whether
// "--" was there: after it no word is a switch.
bool FindNames(const std::vector<Word>& w, size_t from, size_t* at, bool* ended) {
  *ended = false;
  if (from < w.size() && w[from].text == "--") {
    *ended = true;
    ++from;
  } else if (from < w.size() && w[from].text[0] == '-') {
    return false;
  }
  *at = from;
  return true;
}

// A caller that does not quote writes a name with blanks as several words. When unquoted
// words next to each other, joined with the blanks between them, name a file or folder here
// (or, in the archive's place, an archive), the text can be read two ways and is refused.
bool TwoReadings(const std::string& text, const std::vector<Word>& w, size_t at, bool lha) {
  for (size_t i = at; i < w.size(); ++i) {
    for (size_t j = i + 1; j < w.size() && !w[i].quoted && !w[j].quoted; ++j) {
      const std::string run = text.substr(w[i].begin, w[j].end - w[i].begin);
      if (StatPath(run).exists) return true;
      if (i == at && !FindArchive(run, lha).empty()) return true;
    }
  }
  return false;
}

int Create(bool lha, const std::vector<Word>& w, size_t at, LeadByteFn lead, std::string* log) {
  if (at >= w.size()) return kErrBadCommand;
  std::vector<std::string> files;
  for (size_t i = at + 1; i < w.size(); ++i) files.push_back(w[i].text);
  return lha ? LhaAdd(w[at].text, files, lead, log) : ZipAdd(w[at].text, files, lead, log);
}

int Extract(bool lha, bool keepDirs, const std::vector<Word>& w, size_t at, bool ended, LeadByteFn lead,
            std::string* log) {
  if (at >= w.size()) return kErrBadCommand;
  ExtractJob job;
  job.lead = lead;
  job.keepDirs = keepDirs;
  job.archive = w[at++].text;
  for (; at < w.size(); ++at) {
    const std::string& s = w[at].text;
    const char last = s.back();
    if (job.baseDir.empty() && job.patterns.empty() && (last == '\\' || last == '/')) {
      job.baseDir = s.substr(0, s.size() - 1);
    } else if (!lha && !ended && s == "-d" && at + 1 < w.size()) {
      job.baseDir = w[++at].text;
    } else {
      job.patterns.push_back(s);
    }
  }
  return lha ? LhaExtract(job, log) : ZipExtract(job, log);
}

// The words of a text and where its names begin; false when it cannot be read without doubt.
bool Parse(const std::string& text, size_t from, bool lha, std::vector<Word>* w, size_t* at, bool* ended) {
  return ReadWords(text, w) && FindNames(*w, from, at, ended) && !TwoReadings(text, *w, *at, lha);
}

}  // namespace

int RunLhaCommand(const std::string& text, LeadByteFn lead, std::string* log) {
  std::vector<Word> w;
  size_t at;
  bool ended;
  if (!Parse(text, 1, true, &w, &at, &ended) || w.empty() || w[0].quoted || w[0].text.size() != 1)
    return kErrBadCommand;
  switch (w[0].text[0] | 0x20) {
    case 'a': return Create(true, w, at, lead, log);
    case 'e': return Extract(true, false, w, at, ended, lead, log);
    case 'x': return Extract(true, true, w, at, ended, lead, log);
  }
  return kErrBadCommand;
}

int RunZipCommand(const std::string& text, LeadByteFn lead, std::string* log) {
  std::vector<Word> w;
  size_t at;
  bool ended;
  if (!Parse(text, 0, false, &w, &at, &ended)) return kErrBadCommand;
  return Create(false, w, at, lead, log);
}

int RunUnzipCommand(const std::string& text, LeadByteFn lead, std::string* log) {
  std::vector<Word> w;
  size_t at;
  bool ended;
  if (!Parse(text, 0, false, &w, &at, &ended)) return kErrBadCommand;
  return Extract(false, true, w, at, ended, lead, log);
}

}  // namespace arc
