// Result codes shared by the archiver libraries; 0 is success.
#pragma once

namespace arc {

enum : int {
  kOk = 0,
  kErrDiskSpace = 0x8005,
  kErrFileCrc = 0x800C,
  kErrFileOpen = 0x800D,
  kErrMakeDir = 0x8012,
  kErrCannotWrite = 0x8013,
  kErrHeaderCrc = 0x8016,
  kErrArchiveOpen = 0x8018,
  kErrNotArchive = 0x8019,
  kErrCannotRead = 0x801A,
  kErrBadCommand = 0x801C,
  // Our own additions to the range.
  kErrUnknownMethod = 0x8021,
  kErrBrokenData = 0x8022,   // truncated stream, bad Huffman table, impossible match
  kErrUnsafeName = 0x8023,   // entry would land outside the target folder
  kErrTooLarge = 0x8024,     // beyond the formats' 32-bit sizes
  kErrNoMatch = 0x8025,      // no entry matched the names asked for
  kErrNotSmaller = 0x8026,   // internal: compressed data would not shrink
};

const char* ErrorText(int code);

}  // namespace arc
