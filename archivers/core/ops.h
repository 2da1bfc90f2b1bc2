// Archive jobs on files relative to the current directory, as the libraries'
// command texts ask for them. Each returns 0 or an error code and appends
// short lines to *log.
#pragma once
#include <string>
#include <vector>

#include "names.h"

namespace arc {

struct ExtractJob {
  std::string archive;
  std::string baseDir;                // "" = current directory
  std::vector<std::string> patterns;  // empty = every entry
  bool keepDirs = false;
  LeadByteFn lead = nullptr;
};

int LhaAdd(const std::string& archive, const std::vector<std::string>& files, LeadByteFn lead, std::string* log);
int LhaExtract(const ExtractJob& job, std::string* log);
int ZipAdd(const std::string& archive, const std::vector<std::string>& files, LeadByteFn lead, std::string* log);
int ZipExtract(const ExtractJob& job, std::string* log);

// Command texts: "a ARC FILE...", "e ARC [DIR\] [NAME...]", "x ..." for LHA;
// "ARC FILE..." to create a ZIP; "ARC [NAME...] [-d DIR]" to extract one. A name with
// blanks is quoted; "--" before the first name ends the switches, of which none is known.
// A text that could be read two ways is refused (archivers/README.md).
int RunLhaCommand(const std::string& text, LeadByteFn lead, std::string* log);
int RunZipCommand(const std::string& text, LeadByteFn lead, std::string* log);
int RunUnzipCommand(const std::string& text, LeadByteFn lead, std::string* log);

// The archive an extraction names: as given, else with an LHA or ZIP extension
// (for a name without extension, the extension is tried first).
std::string FindArchive(const std::string& name, bool lha);

}  // namespace arc
