// What the fuzzers run on each input: list an archive and decode every entry,
// as extraction would, into a counting sink.
#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

#include "lha.h"
#include "listing.h"
#include "stream.h"
#include "zip.h"

namespace arcfuzz {

// Entries claiming more than this are skipped so that one input stays fast.
constexpr uint32_t kMaxEntry = 8u << 20;

inline void ReadLhaArchive(const uint8_t* data, size_t size) {
  arc::MemorySource src(data, size);
  arc::Vec<arc::LhaEntry> entries;
  arc::ListLha(src, &entries);
  arc::LhDecodeRoom room;
  if (!room.Make()) return;
  for (const auto& e : entries) {
    if (e.original > kMaxEntry) continue;
    arc::NullSink out;
    if (arc::ExtractLhaData(src, e, out, room) == 0 && out.count != e.original) __builtin_trap();
    if (out.count > e.original) __builtin_trap();
  }
}

inline void ReadZipArchive(const uint8_t* data, size_t size) {
  arc::MemorySource src(data, size);
  arc::Vec<arc::ZipEntry> entries;
  if (arc::ListZip(src, &entries) != 0) return;
  arc::InflateRoom room;
  if (!room.Make()) return;
  for (const auto& e : entries) {
    if (e.original > kMaxEntry) continue;
    arc::NullSink out;
    if (arc::ExtractZipData(src, e, out, room) == 0 && out.count != e.original) __builtin_trap();
    if (out.count > e.original) __builtin_trap();
  }
}

}  // namespace arcfuzz
