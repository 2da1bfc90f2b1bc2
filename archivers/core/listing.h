// The open-archive handle of the libraries: one self-contained block of plain
// data, so that any of our libraries in the process can read a handle that
// another one opened (the ZIP listing opens in one and asks the total in another).
#pragma once
#include <cstddef>
#include <cstdint>

namespace arc {

#pragma pack(push, 1)
// The entry record the callers pass to find-first/next.
struct IndividualInfo {
  uint32_t originalSize;
  uint32_t compressedSize;
  uint32_t crc;
  uint32_t flag;
  uint32_t osType;
  uint16_t ratio;  // per mille
  uint16_t date;
  uint16_t time;
  char fileName[513];
  char reserved[3];
  char attribute[8];
  char mode[8];
};
#pragma pack(pop)
static_assert(sizeof(IndividualInfo) == 558, "entry record size");
static_assert(offsetof(IndividualInfo, fileName) == 26, "name offset");

constexpr uint32_t kHandleMagic = 0x48637241;  // "ArcH"
constexpr uint32_t kHandleLayout = 2;

struct HandleEntry {
  uint32_t original, packed, crc, dosTime, attr, osType;
  uint32_t nameOffset, nameLength;
  char method[8];
};

struct HandleBlock {
  uint32_t magic;
  uint32_t layout;
  uint32_t count;
  uint32_t cursor;       // next entry to examine
  uint32_t foundLow;     // original size of the entries found so far
  uint32_t foundHigh;
  uint32_t lastFound;    // index + 1 of the last entry found, 0 for none
  int32_t damage;        // the error that ended the listing early, 0 for none
  uint32_t damageShown;  // 1 once a search has reported it
  char pattern[260];
  // HandleEntry[count] follows, then the names.
};

using AllocFn = void* (*)(size_t);

// Lists the archive at `path` (LHA when `lha`, else ZIP) into a block from `alloc`.
// Returns nullptr when the file cannot be opened or is not an archive; a damaged
// archive keeps the entries before the damage.
HandleBlock* OpenListing(const char* path, bool lha, AllocFn alloc);
// 0 when an entry matched and `info` (may be null) was filled, -1 after the last. In a
// damaged archive the search gives the damage's error code once after the entries before
// it, then -1, so that a caller can refuse the archive before extracting anything.
int FindFirst(HandleBlock* h, const char* pattern, IndividualInfo* info);
int FindNext(HandleBlock* h, IndividualInfo* info);
uint32_t FoundOriginalSize(const HandleBlock* h);

}  // namespace arc
