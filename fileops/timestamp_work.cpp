#include "fileops/timestamp_work.h"

#include <cstring>
#include <string>
#include <vector>

#include "base/paths.h"
#include "fileops/walk.h"

namespace fileops {

bool IsLeapYear(int y) { return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0; }

int DaysInMonth(int month, int year) {
  switch (month) {
    case 4: case 6: case 9: case 11: return 30;
    case 2: return IsLeapYear(year) ? 29 : 28;
    default: return 31;
  }
}

int ClampYear(int year) { return year < 1980 ? 1980 : year > 2079 ? 2079 : year; }

CalTime EvenSecond(CalTime t) {
  t.second -= t.second % 2;
  return t;
}

bool OneSecondEarlier(const CalTime& t, CalTime* e) {
  *e = t;
  if (e->second >= 1) {
    --e->second;
    return true;
  }
  e->second = 59;
  if (e->minute >= 1) {
    --e->minute;
    return true;
  }
  e->minute = 59;
  if (e->hour >= 1) {
    --e->hour;
    return true;
  }
  e->hour = 23;
  if (e->day >= 2) {
    --e->day;
    return true;
  }
  if (e->month == 1) {
    if (e->year == 1980) return false;
    *e = CalTime{e->year - 1, 12, 31, 23, 59, 59};
    return true;
  }
  --e->month;
  e->day = DaysInMonth(e->month, e->year);
  return true;
}

ClockTime Later(ClockTime t, uint32_t ms) {
  const uint64_t total = static_cast<uint64_t>(t.millisecond) + ms;
  t.millisecond = static_cast<int>(total % 1000);
  uint64_t seconds = t.time.second + total / 1000;
  t.time.second = static_cast<int>(seconds % 60);
  uint64_t minutes = t.time.minute + seconds / 60;
  t.time.minute = static_cast<int>(minutes % 60);
  uint64_t hours = t.time.hour + minutes / 60;
  t.time.hour = static_cast<int>(hours % 24);
  for (uint64_t days = hours / 24; days; --days) {
    if (t.time.day < DaysInMonth(t.time.month, t.time.year)) {
      ++t.time.day;
    } else if (t.time.month < 12) {
      t.time.day = 1;
      ++t.time.month;
    } else {
      t.time.day = t.time.month = 1;
      ++t.time.year;
    }
  }
  return t;
}

TimeMethod ChooseTimeMethod(bool ntfs, OsKind kind) {
  return ntfs || IsNtKind(kind) ? TimeMethod::Direct : TimeMethod::Recreation;
}

bool TemporaryFolderFor(const DiskFiles& fs, const char* path, char* out, std::size_t cap,
                        bool dbcs932) {
  char parent[kPathBytes];
  if (!DirectoryOf(path, parent, sizeof parent, dbcs932)) return false;
  std::string name = std::string(parent) + "!!!";
  DirEntry e;
  while (name.size() < 250 && fs.lookup(name.c_str(), &e)) name += "!";
  if (name.size() >= 250 || name.size() >= cap) return false;
  std::memcpy(out, name.c_str(), name.size() + 1);
  return true;
}

namespace {

// With its attributes set to archive alone while the time is set, and given back.
void SetTimeOpened(TimeJob& job, const char* path, const CalTime& t) {
  const DiskFiles& fs = *job.fs;
  const uint32_t attributes = fs.getAttributes(path);
  if (!fs.setAttributes(path, kAttrArchive)) ++job.failures;
  if (fs.setTimes(path, t) != TimeResult::Ok) ++job.failures;
  if (attributes != kNoAttributes && !fs.setAttributes(path, attributes)) ++job.failures;
}

void SetTimeDirect(TimeJob& job, const char* path) {
  DirEntry e;
  if (!job.fs->lookup(path, &e)) return;  // gone since it was listed: nothing to set
  SetTimeOpened(job, path, job.ntfs ? job.chosen : EvenSecond(job.chosen));
}

// Moves every entry of one folder into another; the names moved go into moved.
bool MoveContents(const DiskFiles& fs, const std::string& from, const std::string& to,
                  std::vector<std::string>* moved) {
  struct All {
    std::vector<std::string> names;
  } all;
  fs.list(JoinPath(from, "").c_str(),
          [](void* ctx, const DirEntry& e) {
            if (!IsDotEntry(e.name)) static_cast<All*>(ctx)->names.push_back(e.name);
            return false;
          },
          &all);
  for (const std::string& n : all.names) {
    if (!fs.rename(JoinPath(from, n.c_str()).c_str(), JoinPath(to, n.c_str()).c_str())) return false;
    moved->push_back(n);
  }
  return true;
}

// A folder made anew under the clock set to one second before its time, its contents moved back
// in. Whatever fails, the folder ends with its own name, contents and attributes, the clock
// stands as it stood, and no temporary folder stays.
void RecreateFolder(TimeJob& job, const char* path, const CalTime& t) {
  const DiskFiles& fs = *job.fs;
  CalTime t1;
  char temp[kPathBytes];
  if (!OneSecondEarlier(t, &t1) || !TemporaryFolderFor(fs, path, temp, sizeof temp, job.dbcs932)) {
    ++job.failures;
    return;
  }
  const uint32_t attributes = fs.getAttributes(path);
  if (!fs.setAttributes(path, kAttrNormal)) ++job.failures;
  if (!fs.rename(path, temp)) {
    ++job.failures;
    if (attributes != kNoAttributes) fs.setAttributes(path, attributes);
    return;
  }
  ClockTime now;
  bool made = false;
  if (job.clock->read(&now)) {
    const uint32_t start = job.clock->ticks();
    if (job.clock->set(ClockTime{t1, 0})) {
      made = fs.makeDir(path);
      // Always back, also when the folder could not be made, and to the millisecond: a tree
      // of many folders would otherwise leave the clock seconds or minutes behind.
      if (!job.clock->set(Later(now, job.clock->ticks() - start))) ++job.failures;
    }
  }
  std::vector<std::string> moved;
  bool whole = made && MoveContents(fs, temp, path, &moved);
  if (whole && !fs.removeDir(temp)) whole = false;
  if (!whole) {
    ++job.failures;
    // Back as it was: what moved returns to the old folder, which takes its name again.
    for (const std::string& n : moved)
      fs.rename(JoinPath(path, n.c_str()).c_str(), JoinPath(temp, n.c_str()).c_str());
    if (made) fs.removeDir(path);
    fs.rename(temp, path);
  }
  if (attributes != kNoAttributes) fs.setAttributes(path, attributes);
}

void SetTimeByRecreation(TimeJob& job, const char* path) {
  const CalTime t = EvenSecond(job.chosen);
  DirEntry e;
  if (!job.fs->lookup(path, &e)) {
    ++job.failures;
    return;
  }
  if (e.attributes & kAttrDirectory) RecreateFolder(job, path, t);
  else SetTimeOpened(job, path, t);
}

}  // namespace

void SetPathTime(TimeJob& job, const char* path) {
  if (ChooseTimeMethod(job.ntfs, job.kind) == TimeMethod::Direct) SetTimeDirect(job, path);
  else SetTimeByRecreation(job, path);
}

namespace {

void Walk(TimeJob& job, const KnownFile& program, const std::string& dir) {
  const Listing listing = ListFolder(*job.fs, dir);
  for (const DirEntry& e : listing.entries) {
    const std::string path = JoinPath(dir, e.name);
    if (e.attributes & kAttrDirectory) {
      SetPathTime(job, path.c_str());
      Walk(job, program, path);
    } else if (IsKnownFile(*job.fs, program, path.c_str(), e)) {
      ++job.failures;
    } else {
      SetPathTime(job, path.c_str());
    }
  }
}

}  // namespace

void TimestampWalk(TimeJob& job, const char* dir) {
  Walk(job, KnowFile(*job.fs, job.programPath), WithoutTrailingBackslash(dir));
}

}  // namespace fileops
