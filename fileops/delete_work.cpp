#include "fileops/delete_work.h"

#include <cstring>
#include <string>
#include <vector>

#include "base/text.h"
#include "fileops/walk.h"

namespace fileops {
namespace {

void Fail(WipeReport* report, const char* path) {
  if (report->failures++ == 0) CopyBounded(report->first, sizeof report->first, path);
}

// A free name of the same length as the file's, made of one repeated character.
bool ObscuredName(const DiskFiles& fs, const std::string& path, std::string* out) {
  const size_t slash = path.find_last_of('\\');
  const size_t length = path.size() - slash - 1;
  for (char c : std::string("0123456789ZYXWVUTSRQ")) {
    std::string candidate = path.substr(0, slash + 1) + std::string(length, c);
    DirEntry e;
    if (!fs.lookup(candidate.c_str(), &e)) {
      *out = candidate;
      return true;
    }
  }
  return false;
}

// Returns true when the folder stays because it keeps what is meant to stay.
bool WipeFolder(const WipeJob& job, const KnownFile& program, const std::string& dir,
                WipeReport* report) {
  const DiskFiles& fs = *job.fs;
  const int before = report->failures;
  const Listing listing = ListFolder(fs, dir);
  if (!listing.opened) {
    Fail(report, dir.c_str());
    return false;
  }
  if (listing.isLink) {
    // What it leads to lies outside the tree: only the link goes.
    if (!fs.removeLink(dir.c_str(), true)) Fail(report, dir.c_str());
    return false;
  }
  bool keeps = listing.dotNames;
  for (const DirEntry& e : listing.links) {
    const std::string path = JoinPath(dir, e.name);
    if (!RemoveLink(fs, path, e)) {
      Fail(report, path.c_str());
      keeps = true;
    }
  }
  for (const DirEntry& e : listing.entries) {
    const std::string path = JoinPath(dir, e.name);
    if (path.size() >= kPathBytes - 1) {
      Fail(report, path.c_str());
    } else if (e.attributes & kAttrDirectory) {
      keeps = WipeFolder(job, program, path, report) || keeps;
    } else if (IsKnownFile(fs, program, path.c_str(), e)) {
      keeps = true;
    } else {
      WipeFile(job, path.c_str(), report);
    }
  }
  fs.setAttributes(dir.c_str(), kAttrNormal);
  if (!fs.removeDir(dir.c_str()) && !keeps && report->failures == before) {
    // Nothing below was kept or reported, so the folder itself resisted.
    DirEntry e;
    if (fs.lookup(dir.c_str(), &e)) Fail(report, dir.c_str());
  }
  return keeps;
}

}  // namespace

bool Holds(const DiskFiles& fs, const KnownFile& program, const std::string& dir) {
  for (const DirEntry& e : ListFolder(fs, dir).entries) {
    const std::string path = JoinPath(dir, e.name);
    if (e.attributes & kAttrDirectory) {
      if (Holds(fs, program, path)) return true;
    } else if (IsKnownFile(fs, program, path.c_str(), e)) {
      return true;
    }
  }
  return false;
}

bool TreeHoldsProgram(const DiskFiles& fs, const char* dir, const char* programPath) {
  return Holds(fs, KnowFile(fs, programPath), WithoutTrailingBackslash(dir));
}

void WipeFile(const WipeJob& job, const char* path, WipeReport* report) {
  const DiskFiles& fs = *job.fs;
  DirEntry e;
  if (!fs.lookup(path, &e)) {
    Fail(report, path);
    return;
  }
  if (IsLink(e)) {
    // Overwriting would reach the file it leads to.
    if (!RemoveLink(fs, path, e)) Fail(report, path);
    return;
  }
  const uint32_t attributes = fs.getAttributes(path);
  fs.setAttributes(path, kAttrArchive);
  if (OverwriteFile(fs, path, e.length, *job.generator, job.clock) != WipeResult::Ok) {
    if (attributes != kNoAttributes) fs.setAttributes(path, attributes);
    Fail(report, path);
    return;
  }
  std::string obscured;
  const bool renamed = ObscuredName(fs, path, &obscured) && fs.rename(path, obscured.c_str());
  if (fs.remove(renamed ? obscured.c_str() : path)) return;
  // It stays, wiped: under its own name, so that the user finds it.
  if (renamed) fs.rename(obscured.c_str(), path);
  Fail(report, path);
}

void WipeTree(const WipeJob& job, const char* dir, WipeReport* report) {
  WipeFolder(job, KnowFile(*job.fs, job.programPath), WithoutTrailingBackslash(dir), report);
}

}  // namespace fileops
