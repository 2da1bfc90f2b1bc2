// RUNDELO.EXE as the Windows build made it, carried in the command (made at build time).
#pragma once
#include <cstddef>

namespace cli {

extern const unsigned char kRundeloExe[];
extern const std::size_t kRundeloBytes;

}  // namespace cli
