#include "listing.h"

#include <cstring>
#include "buf.h"

#include "dostime.h"
#include "fsio.h"
#include "lha.h"
#include "names.h"
#include "zip.h"

namespace arc {
namespace {

HandleEntry* Entries(HandleBlock* h) { return reinterpret_cast<HandleEntry*>(h + 1); }
const char* Names(HandleBlock* h) { return reinterpret_cast<const char*>(Entries(h) + h->count); }

void CopyText(char* dst, size_t cap, const char* src, size_t n) {
  if (n >= cap) n = cap - 1;
  memcpy(dst, src, n);
  dst[n] = 0;
}

void Fill(HandleBlock* h, uint32_t i, IndividualInfo* info) {
  const HandleEntry& e = Entries(h)[i];
  memset(info, 0, sizeof *info);
  info->originalSize = e.original;
  info->compressedSize = e.packed;
  info->crc = e.crc;
  info->osType = e.osType;
  info->ratio = static_cast<uint16_t>(e.original ? (static_cast<uint64_t>(e.packed) * 1000 / e.original) : 0);
  info->date = static_cast<uint16_t>(e.dosTime >> 16);
  info->time = static_cast<uint16_t>(e.dosTime);
  CopyText(info->fileName, sizeof info->fileName, Names(h) + e.nameOffset, e.nameLength);
  char attr[8] = "----";
  if (e.attr & 0x01) attr[0] = 'R';
  if (e.attr & 0x02) attr[1] = 'H';
  if (e.attr & 0x04) attr[2] = 'S';
  if (e.attr & 0x20) attr[3] = 'A';
  memcpy(info->attribute, attr, 5);
  memcpy(info->mode, e.method, sizeof info->mode);
}

int Advance(HandleBlock* h, IndividualInfo* info) {
  while (h->cursor < h->count) {
    uint32_t i = h->cursor++;
    const HandleEntry& e = Entries(h)[i];
    const std::string_view name(Names(h) + e.nameOffset, e.nameLength);
    if (!WildcardMatch(h->pattern, name) && !WildcardMatch(h->pattern, BaseName(name, nullptr))) continue;
    uint64_t found = (static_cast<uint64_t>(h->foundHigh) << 32) + h->foundLow + e.original;
    h->foundLow = static_cast<uint32_t>(found);
    h->foundHigh = static_cast<uint32_t>(found >> 32);
    h->lastFound = i + 1;
    if (info) Fill(h, i, info);
    return 0;
  }
  if (h->damage && !h->damageShown) {
    h->damageShown = 1;
    return h->damage;
  }
  return -1;
}

}  // namespace

HandleBlock* OpenListing(const char* path, bool lha, AllocFn alloc) {
  AllocWatch watch;
  FILE* f = OpenForRead(path);
  if (!f) return nullptr;
  Vec<HandleEntry> entries;
  Str names;
  int damage = 0;
  {
    FileSource src(f);
    auto add = [&](const Str& name, uint32_t orig, uint32_t packed, uint32_t crc, uint32_t dos, uint32_t attr,
                   uint32_t os, const char* method) {
      HandleEntry h = {};
      h.original = orig;
      h.packed = packed;
      h.crc = crc;
      h.dosTime = dos;
      h.attr = attr;
      h.osType = os;
      h.nameOffset = static_cast<uint32_t>(names.size());
      h.nameLength = static_cast<uint32_t>(name.size());
      CopyText(h.method, sizeof h.method, method, strlen(method));
      names += name;
      entries.push_back(h);
    };
    if (lha) {
      Vec<LhaEntry> list;
      damage = ListLha(src, &list);
      if (list.empty() && src.Size() > 1) {
        fclose(f);
        return nullptr;
      }
      for (const auto& e : list)
        add(e.name, e.original, e.packed, e.crc, e.dosTime, e.attr, static_cast<uint8_t>(e.os), e.method);
    } else {
      Vec<ZipEntry> list;
      if (ListZip(src, &list) != 0) {
        fclose(f);
        return nullptr;
      }
      for (const auto& e : list)
        add(e.name, e.original, e.packed, e.crc, e.dosTime, e.externalAttr & 0xFF, 0, e.method == 8 ? "deflate" : e.method == 0 ? "store" : "other");
    }
  }
  fclose(f);
  if (watch.Lost()) return nullptr;  // entries or names are missing
  size_t bytes = sizeof(HandleBlock) + entries.size() * sizeof(HandleEntry) + names.size() + 1;
  auto* h = static_cast<HandleBlock*>(alloc(bytes));
  if (!h) return nullptr;
  memset(h, 0, sizeof *h);
  h->magic = kHandleMagic;
  h->layout = kHandleLayout;
  h->count = static_cast<uint32_t>(entries.size());
  h->damage = entries.empty() ? 0 : damage;
  if (!entries.empty()) memcpy(Entries(h), entries.data(), entries.size() * sizeof(HandleEntry));
  memcpy(const_cast<char*>(Names(h)), names.c_str(), names.size() + 1);
  return h;
}

int FindFirst(HandleBlock* h, const char* pattern, IndividualInfo* info) {
  h->cursor = 0;
  h->foundLow = h->foundHigh = 0;
  h->lastFound = 0;
  h->damageShown = 0;
  const char* p = pattern && *pattern ? pattern : "*";
  CopyText(h->pattern, sizeof h->pattern, p, strlen(p));
  return Advance(h, info);
}

int FindNext(HandleBlock* h, IndividualInfo* info) { return Advance(h, info); }

uint32_t FoundOriginalSize(const HandleBlock* h) {
  return h->foundHigh ? 0xFFFFFFFFu : h->foundLow;
}

}  // namespace arc
