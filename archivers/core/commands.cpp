#include <cstring>

#include "errors.h"
#include "fsio.h"
#include "ops.h"

namespace arc {
namespace {

struct Word {
  Str text;
  size_t begin = 0, end = 0;  // its bytes in the command text, quotes included
  bool quoted = false;
};

bool Blank(char c) { return c == ' ' || c == '\t'; }

// Words are separated by blanks; a word in double quotes may hold blanks. A quote that does
// not close, one inside a word and an empty pair make the text unreadable. No trail byte of a
// two-byte character is a blank or a quote, so the bytes can be read one by one.
bool ReadWords(const Str& text, Vec<Word>* words) {
  words->clear();
  size_t i = 0;
  while (true) {
    while (i < text.size() && Blank(text[i])) ++i;
    if (i == text.size()) return true;
    Word w;
    w.begin = i;
    if (text[i] == '"') {
      size_t close = text.find('"', i + 1);
      if (close == Str::npos || close == i + 1) return false;
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
bool FindNames(const Vec<Word>& w, size_t from, size_t* at, bool* ended) {
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
bool TwoReadings(const Str& text, const Vec<Word>& w, size_t at, bool lha) {
  for (size_t i = at; i < w.size(); ++i) {
    for (size_t j = i + 1; j < w.size() && !w[i].quoted && !w[j].quoted; ++j) {
      const Str run = text.substr(w[i].begin, w[j].end - w[i].begin);
      if (StatPath(run).exists) return true;
      if (i == at && !FindArchive(run, lha).empty()) return true;
    }
  }
  return false;
}

// The kind of archive is a template argument so that a library that handles only one
// kind links none of the other's code.
template <bool lha>
int Create(const Vec<Word>& w, size_t at, LeadByteFn lead, const AllocWatch& watch, Str* log) {
  if (at >= w.size()) return kErrBadCommand;
  Vec<Str> files;
  for (size_t i = at + 1; i < w.size(); ++i)
    if (!files.push_back(w[i].text)) return kErrDiskSpace;
  return lha ? LhaAdd(w[at].text, files, lead, watch, log) : ZipAdd(w[at].text, files, lead, watch, log);
}

template <bool lha>
int Extract(bool keepDirs, const Vec<Word>& w, size_t at, bool ended, LeadByteFn lead,
            const AllocWatch& watch, Str* log) {
  if (at >= w.size()) return kErrBadCommand;
  ExtractJob job;
  job.lead = lead;
  job.keepDirs = keepDirs;
  job.archive = w[at++].text;
  for (; at < w.size(); ++at) {
    const Str& s = w[at].text;
    const char last = s.back();
    if (job.baseDir.empty() && job.patterns.empty() && (last == '\\' || last == '/')) {
      job.baseDir = s.substr(0, s.size() - 1);
    } else if (!lha && !ended && s == "-d" && at + 1 < w.size()) {
      job.baseDir = w[++at].text;
    } else if (!job.patterns.push_back(s)) {
      return kErrDiskSpace;
    }
  }
  return lha ? LhaExtract(job, watch, log) : ZipExtract(job, watch, log);
}

// The words of a text and where its names begin: kOk, or kErrBadCommand when it cannot be
// read without doubt. Words read while memory ran out may have lost bytes or be missing.
int Parse(const Str& text, size_t from, bool lha, const AllocWatch& watch, Vec<Word>* w, size_t* at,
          bool* ended) {
  bool read = ReadWords(text, w);
  if (watch.Lost()) return kErrDiskSpace;
  return read && FindNames(*w, from, at, ended) && !TwoReadings(text, *w, *at, lha) ? kOk : kErrBadCommand;
}

int RunLha(const Str& text, LeadByteFn lead, const AllocWatch& watch, Str* log) {
  Vec<Word> w;
  size_t at;
  bool ended;
  int r = Parse(text, 1, true, watch, &w, &at, &ended);
  if (r != kOk) return r;
  if (w.empty() || w[0].quoted || w[0].text.size() != 1) return kErrBadCommand;
  switch (w[0].text[0] | 0x20) {
    case 'a': return Create<true>(w, at, lead, watch, log);
    case 'e': return Extract<true>(false, w, at, ended, lead, watch, log);
    case 'x': return Extract<true>(true, w, at, ended, lead, watch, log);
  }
  return kErrBadCommand;
}

int RunZip(const Str& text, LeadByteFn lead, const AllocWatch& watch, Str* log) {
  Vec<Word> w;
  size_t at;
  bool ended;
  int r = Parse(text, 0, false, watch, &w, &at, &ended);
  return r != kOk ? r : Create<false>(w, at, lead, watch, log);
}

int RunUnzip(const Str& text, LeadByteFn lead, const AllocWatch& watch, Str* log) {
  Vec<Word> w;
  size_t at;
  bool ended;
  int r = Parse(text, 0, false, watch, &w, &at, &ended);
  return r != kOk ? r : Extract<false>(true, w, at, ended, lead, watch, log);
}

}  // namespace

// Each job watches memory from its start, so that whatever was built while it ran out, the
// text's words included, is never acted on and the job ends as out of memory.
int RunLhaCommand(const Str& text, LeadByteFn lead, Str* log) {
  AllocWatch watch;
  int r = RunLha(text, lead, watch, log);
  return watch.Lost() ? kErrDiskSpace : r;
}

int RunZipCommand(const Str& text, LeadByteFn lead, Str* log) {
  AllocWatch watch;
  int r = RunZip(text, lead, watch, log);
  return watch.Lost() ? kErrDiskSpace : r;
}

int RunUnzipCommand(const Str& text, LeadByteFn lead, Str* log) {
  AllocWatch watch;
  int r = RunUnzip(text, lead, watch, log);
  return watch.Lost() ? kErrDiskSpace : r;
}

}  // namespace arc
