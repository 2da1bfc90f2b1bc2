// Archive jobs on files relative to the current directory, as the libraries'
// command texts ask for them. Each returns 0 or an error code and appends
// short lines to *log.
#pragma once
#include "buf.h"

#include "names.h"

namespace arc {

struct ExtractJob {
  Str archive;
  Str baseDir;                // "" = current directory
  Vec<Str> patterns;  // empty = every entry
  bool keepDirs = false;
  LeadByteFn lead = nullptr;
};

// `watch` was made when the job began, before its names were built: a job that ran out of
// memory writes nothing more and ends with kErrDiskSpace.
int LhaAdd(const Str& archive, const Vec<Str>& files, LeadByteFn lead, const AllocWatch& watch, Str* log);
int LhaExtract(const ExtractJob& job, const AllocWatch& watch, Str* log);
int ZipAdd(const Str& archive, const Vec<Str>& files, LeadByteFn lead, const AllocWatch& watch, Str* log);
int ZipExtract(const ExtractJob& job, const AllocWatch& watch, Str* log);

// Command texts: "a ARC FILE...", "e ARC [DIR\] [NAME...]", "x ..." for LHA;
// "ARC FILE..." to create a ZIP; "ARC [NAME...] [-d DIR]" to extract one. A name with
// blanks is quoted; "--" before the first name ends the switches, of which none is known.
// A text that could be read two ways is refused (archivers/README.md).
int RunLhaCommand(const Str& text, LeadByteFn lead, Str* log);
int RunZipCommand(const Str& text, LeadByteFn lead, Str* log);
int RunUnzipCommand(const Str& text, LeadByteFn lead, Str* log);

// The archive an extraction names: as given, else with an LHA or ZIP extension
// (for a name without extension, the extension is tried first).
Str FindArchive(const Str& name, bool lha);

}  // namespace arc
