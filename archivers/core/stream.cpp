#include "stream.h"

#include <cstring>

namespace arc {

size_t MemorySource::ReadAt(uint64_t pos, void* buf, size_t n) {
  if (pos >= size_) return 0;
  size_t k = size_ - static_cast<size_t>(pos);
  if (k > n) k = n;
  memcpy(buf, data_ + pos, k);
  return k;
}

size_t MemoryReader::Read(void* buf, size_t n) {
  size_t k = size_ - pos_;
  if (k > n) k = n;
  if (k) memcpy(buf, data_ + pos_, k);
  pos_ += k;
  return k;
}

bool VectorSink::Write(const void* data, size_t n) {
  const auto* p = static_cast<const uint8_t*>(data);
  return bytes.append(p, p + n);
}

bool SeekFile(FILE* f, uint64_t pos) {
#ifdef _WIN32
  return _fseeki64(f, static_cast<long long>(pos), SEEK_SET) == 0;
#else
  return fseeko(f, static_cast<off_t>(pos), SEEK_SET) == 0;
#endif
}

uint64_t TellFile(FILE* f) {
#ifdef _WIN32
  long long p = _ftelli64(f);
#else
  long long p = ftello(f);
#endif
  return p < 0 ? 0 : static_cast<uint64_t>(p);
}

FileSource::FileSource(FILE* f) : f_(f) {
#ifdef _WIN32
  if (_fseeki64(f, 0, SEEK_END) == 0) size_ = TellFile(f);
#else
  if (fseeko(f, 0, SEEK_END) == 0) size_ = TellFile(f);
#endif
}

size_t FileSource::ReadAt(uint64_t pos, void* buf, size_t n) {
  if (pos >= size_) return 0;
  if (pos != at_ && !SeekFile(f_, pos)) {
    at_ = UINT64_MAX;
    return 0;
  }
  size_t k = fread(buf, 1, n, f_);
  at_ = pos + k;
  return k;
}

size_t FileReader::Read(void* buf, size_t n) {
  size_t k = fread(buf, 1, n, f_);
  if (k < n && ferror(f_)) failed_ = true;
  return k;
}

bool FileSink::Write(const void* data, size_t n) {
  return fwrite(data, 1, n, f_) == n;
}

}  // namespace arc
