// LHA archives: headers of levels 0, 1 and 2 read, level 2 written.
#pragma once
#include <cstdint>
#include "buf.h"

#include "lhcodec.h"
#include "names.h"
#include "stream.h"

namespace arc {

struct LhaEntry {
  uint64_t headerPos = 0;
  uint64_t dataPos = 0;
  uint64_t next = 0;  // position of the following header
  char method[6] = {};
  int level = 0;
  uint32_t packed = 0;  // data only, without extended headers
  uint32_t original = 0;
  int64_t mtime = 0;     // UTC seconds
  uint32_t dosTime = 0;  // local, date in the high word
  uint8_t attr = 0x20;
  uint16_t crc = 0;
  char os = 0;
  Str name;  // stored path, parts joined with '\'
};

// Reads the header at `pos`. kOk fills *e; 1 means the end of the archive; else an error.
int ReadLhaHeader(ByteSource& src, uint64_t pos, LhaEntry* e);
int ListLha(ByteSource& src, Vec<LhaEntry>* entries);
// Decodes one entry into `out` in a decoding room that was made (lhcodec.h), checking its CRC.
int ExtractLhaData(ByteSource& src, const LhaEntry& e, ByteSink& out, LhDecodeRoom& room);
// A level 2 header for `e` (name, method, sizes, time, attribute, data CRC). The name is
// split into folders and file name with `lead`, as it was joined.
Vec<uint8_t> MakeLhaHeader(const LhaEntry& e, LeadByteFn lead);

}  // namespace arc
