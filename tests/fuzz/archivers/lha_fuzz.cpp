#include "fuzz_readers.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  arcfuzz::ReadLhaArchive(data, size);
  return 0;
}
