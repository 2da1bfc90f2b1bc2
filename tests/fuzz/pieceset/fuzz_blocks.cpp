// The block-check reader over files made from the input: a sound file of the input's CRCs for a
// set of the input's shape, then bytes changed, the file cut or lengthened, and a stretch that
// cannot be read. No crash and no read past the file; the header is taken only when it is the
// one the check line asks for; a record is sound exactly when the bytes the reader could see
// of it hold their CRC, and then gives back the CRCs they hold.
#include <cstdint>
#include <cstdlib>
#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "base/crc32.h"
#include "checked_merge.h"
#include "refcheck.h"

namespace {

struct Input {
  const uint8_t* p;
  size_t n;
  uint32_t Take(uint32_t limit) {
    uint32_t v = 0;
    for (int i = 0; i < 4 && n; ++i, ++p, --n) v = (v << 8) | *p;
    return limit ? v % limit : v;
  }
};

// One file behind the reader's file calls; reads that take in a byte of [badFrom, badTo) fail.
struct File {
  std::string data;
  uint32_t badFrom, badTo;
  uint32_t pos;
  bool open;
};
File g_file;

FileHandle OpenRead(const char*) {
  if (g_file.open) std::abort();  // one file at a time
  g_file.open = true;
  g_file.pos = 0;
  return 7;
}
long Read(FileHandle, void* buf, long n) {
  if (g_file.pos < g_file.badTo && g_file.pos + static_cast<uint32_t>(n) > g_file.badFrom) return -1;
  const uint32_t left = g_file.data.size() > g_file.pos ? static_cast<uint32_t>(g_file.data.size()) - g_file.pos : 0;
  const uint32_t got = left < static_cast<uint32_t>(n) ? left : static_cast<uint32_t>(n);
  std::memcpy(buf, g_file.data.data() + g_file.pos, got);
  g_file.pos += got;
  return static_cast<long>(got);
}
bool Seek(FileHandle, uint64_t at) {
  g_file.pos = static_cast<uint32_t>(at);
  return true;
}
void Close(FileHandle) { g_file.open = false; }

// The reader makes no other call.
DiskFiles Files() {
  DiskFiles fs{};
  fs.openRead = OpenRead;
  fs.read = Read;
  fs.seek = Seek;
  fs.close = Close;
  return fs;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  Input in{data, size};
  static const DiskFiles files = Files();
  static pieceset::MergeSession s;
  s.fs = &files;
  pieceset::Checks& c = s.checks;
  std::memset(&c, 0, sizeof(c));
  c.count = 1 + static_cast<int>(in.Take(in.Take(4) ? 8 : pieceset::kMaxPieces));
  c.pieceBytes = (1 + in.Take(pieceset::kMaxBlocks)) * pieceset::kBlockBytes;
  c.size = static_cast<long>((c.count - 1) * c.pieceBytes + 1 + in.Take(c.pieceBytes));
  c.whole = in.Take(0);
  c.parity = 1 + static_cast<int>(in.Take(3));

  static pieceset::BlockChecks written;
  std::memset(&written, 0, sizeof(written));
  const uint32_t recordBytes = pieceset::BlockRecordBytes(c);
  std::string file(pieceset::BlockRecordAt(c, c.count + 1 + c.parity), '\0');
  pieceset::FormatBlockHeader(c, reinterpret_cast<unsigned char*>(&file[0]));
  for (int k = 1; k <= c.count + c.parity; ++k) {
    for (uint32_t j = 0; j < recordBytes / 4 - 1; ++j) written.crc[k][j] = in.Take(0);
    unsigned char* record = reinterpret_cast<unsigned char*>(&file[pieceset::BlockRecordAt(c, k)]);
    pieceset::FormatBlockRecord(c, written.crc[k], record);
    // The check line holds what the records add up to, as a division writes it.
    c.crc[k] = Crc32OfBlocks(written.crc[k], pieceset::PieceLength(c, k), pieceset::kBlockBytes);
  }
  const std::string asWritten = file;
  for (uint32_t d = in.Take(4); d > 0; --d) {
    switch (in.Take(4)) {
      case 0: file.resize(in.Take(static_cast<uint32_t>(file.size()) + 1)); break;
      case 1: file += static_cast<char>(in.Take(256)); break;
      default:
        if (!file.empty()) file[in.Take(static_cast<uint32_t>(file.size()))] ^= static_cast<char>(1 + in.Take(255));
    }
  }
  // The rest of the input, when there is enough of it, is the file itself.
  if (in.n >= pieceset::kBlockHeaderBytes && in.Take(2)) file.assign(reinterpret_cast<const char*>(in.p), in.n);
  g_file = File{file, 0, 0, 0, false};
  if (in.Take(3) == 0) {
    g_file.badFrom = in.Take(static_cast<uint32_t>(file.size()) + 1);
    g_file.badTo = g_file.badFrom + 1 + in.Take(20000);
  }

  pieceset::BlockChecks& got = s.blocks;
  std::memset(&got, 0xA5, sizeof(got));
  const bool agrees = pieceset::ReadBlockChecks(&s, "file-x");
  if (g_file.open) std::abort();
  // The file as the reader can see it: in one read, or else block by block, a block that
  // takes in a byte of the bad stretch not at all, one past the end as far as it goes.
  const uint32_t length = pieceset::BlockRecordAt(c, c.count + 1 + c.parity);
  auto readable = [&](uint32_t from, uint32_t to) {
    return g_file.badTo == 0 || to <= g_file.badFrom || from >= g_file.badTo;
  };
  std::string seen(length, '\0');
  for (uint32_t at = 0; at < length; at += pieceset::kBlockBytes) {
    const bool whole = file.size() >= length && readable(0, length);
    const uint32_t end = at + pieceset::kBlockBytes < length ? at + pieceset::kBlockBytes : length;
    if (whole || readable(at, end)) {
      const size_t there = file.size() > at ? std::min<size_t>(file.size(), end) - at : 0;
      seen.replace(at, there, file, at, there);
    }
  }
  if (agrees != (seen.compare(0, pieceset::kBlockHeaderBytes, asWritten, 0, pieceset::kBlockHeaderBytes) == 0)) {
    std::abort();
  }
  for (int k = 1; k <= c.count + c.parity; ++k) {
    const std::string record = seen.substr(pieceset::BlockRecordAt(c, k), recordBytes);
    // A record whose own CRC holds is taken when its blocks are those the line was written
    // from (a record made to hold with other block CRCs would add up to another piece CRC).
    const uint32_t inPiece = (pieceset::PieceLength(c, k) + pieceset::kBlockBytes - 1) / pieceset::kBlockBytes * 4;
    const std::string own = asWritten.substr(pieceset::BlockRecordAt(c, k), inPiece);
    const bool sound = agrees &&
                       refcheck::Le32(refcheck::Crc(record.substr(0, recordBytes - 4))) ==
                           record.substr(recordBytes - 4) &&
                       record.compare(0, inPiece, own) == 0;
    if (got.sound[k] != sound) std::abort();
    std::string back;
    for (uint32_t j = 0; j < recordBytes / 4 - 1; ++j) back += refcheck::Le32(got.crc[k][j]);
    if (sound && back != record.substr(0, recordBytes - 4)) std::abort();
  }
  return 0;
}
