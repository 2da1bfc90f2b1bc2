#include "set.h"

#include <cstring>

#include "console.h"
#include "engine/parity_code.h"
#include "engine/texts.h"
#include "merger/texts.h"
#include "names.h"
#include "places.h"

namespace cli {
namespace {

bool ReadAs(const std::string& path, bool dbcs932, SetOnDisk* out) {
  out->info = engine::ReadInformationFile(SystemFiles(), path.c_str(), dbcs932, &out->record, &out->values,
                                          &out->checks);
  out->dbcs932 = dbcs932;
  return out->info.opened && (out->info.result == pieceset::MainResult::Ok ||
                              out->info.result == pieceset::MainResult::EmptyField);
}

}  // namespace

bool ReadSet(const std::string& dir, Codepage codepage, SetOnDisk* set) {
  set->given = dir;
  set->dir = AsFolder(dir);
  DirEntry e;
  const std::string info = set->dir + "file-0";
  if (!IsFolder(dir)) {
    Complain(ShownName(dir), "not a folder");
    return false;
  }
  if (!SystemFiles().lookup(info.c_str(), &e) || (e.attributes & kAttrDirectory)) {
    Complain(ShownName(dir), Compose(rundelo::kNoInfoFile));
    return false;
  }
  set->prefix = pieceset::PrefixForSelectedName(e.name);
  set->infoTime = e.lastWrite;
  const std::string path = set->dir + e.name;
  // A Shift-JIS name has trail bytes that are backslashes elsewhere: it is read as such when it
  // is one, and any other name as plain bytes.
  bool read = false;
  if (codepage != Codepage::Cp1252) {
    read = ReadAs(path, true, set);
    const std::string name = set->record.name;
    if (read && codepage == Codepage::Auto && !(FitsCodepage(name, Codepage::Cp932) && !IsUtf8(name))) read = false;
  }
  if (!read && codepage != Codepage::Cp932) read = ReadAs(path, false, set);
  if (!set->info.opened) {
    Complain(ShownName(path), Compose(kOpenInfo));
    return false;
  }
  if (!read) {
    const bool missed = set->info.result == pieceset::MainResult::MissedToRead;
    Complain(ShownName(path), Compose(missed ? kMissedRead : kDamaged));
    return false;
  }
  set->localName = LocalNameOf(set->record.name, set->dbcs932 ? Codepage::Cp932 : codepage == Codepage::Auto
                                                                                    ? Codepage::Auto
                                                                                    : Codepage::Cp1252);
  return true;
}

std::string PiecePath(const SetOnDisk& set, int k) { return set.dir + set.prefix + std::to_string(k); }

int LastFileOfSet(const SetOnDisk& set) {
  const int n = set.values.count;
  uint64_t length = 0;
  for (int last = n + 1 + pieceset::kMaxParity; set.info.checked && last > n; --last) {
    if (FindLength(SystemFiles(), PiecePath(set, last).c_str(), &length)) return last;
  }
  return n;
}

}  // namespace cli
