#include "core.h"

#include <cstring>

#include "base/paths.h"
#include "pieceset.h"

namespace rundelo {

std::size_t DirectoryLength(const char* path, bool dbcs932) {
  return static_cast<std::size_t>(LastBackslash(path, dbcs932) + 1);
}

bool ChooseProgramDirectory(const char* module, bool dbcs932, char* out, std::size_t cap) {
  if (cap) std::memset(out, 0, cap);
  std::size_t n = DirectoryLength(module, dbcs932);
  if (n == 0 || n >= cap) return false;
  std::memcpy(out, module, n);
  return true;
}

Appended AppendPieces(pieceset::MergeSession* s, FileHandle out, long size, int count) {
  const DiskFiles& fs = *s->fs;
  unsigned char* buffer = s->held[0].bytes;
  uint64_t room = static_cast<uint64_t>(size);
  for (int k = 1; k <= count; ++k) {
    char path[kPathBytes];
    const FileHandle in =
        pieceset::ComposePiecePath(path, sizeof(path), s->dir, s->prefix, k) ? fs.openRead(path) : kNoFile;
    if (in == kNoFile) return Appended::CannotOpen;
    const uint64_t length = s->pieces.length[k];
    bool ok = length <= room;
    // Within size, the length fits 32 bits. An empty pass copies nothing: a system call per
    // piece saved. No clearing: a short read stops the copy before any write.
    for (uint32_t i = 0; ok && i < PassCount(static_cast<uint32_t>(length)); ++i) {
      const long n = static_cast<long>(PassBytes(static_cast<uint32_t>(length), i));
      ok = n == 0 || (fs.read(in, buffer, n) == n && fs.write(out, buffer, n) == n);
    }
    fs.close(in);
    if (!ok) return Appended::SizeDiffers;
    room -= length;
  }
  return Appended::Ok;
}

}  // namespace rundelo
