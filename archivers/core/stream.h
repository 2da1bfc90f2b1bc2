// Byte sources and sinks the codecs read from and write to: files on disk,
// or memory for the tests and fuzzers.
#pragma once
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include "buf.h"

namespace arc {

// Random-access input; ReadAt returns how many bytes it could read.
struct ByteSource {
  virtual size_t ReadAt(uint64_t pos, void* buf, size_t n) = 0;
  virtual uint64_t Size() const = 0;

 protected:
  // Never deleted through these interfaces, so no virtual destructor to link.
  ~ByteSource() = default;
};

// Sequential input read to its end.
struct ByteReader {
  virtual size_t Read(void* buf, size_t n) = 0;  // 0 at the end
  virtual bool Failed() const { return false; }

 protected:
  ~ByteReader() = default;
};

// Sequential output; false means the write failed (disk full, ...).
struct ByteSink {
  virtual bool Write(const void* data, size_t n) = 0;

 protected:
  ~ByteSink() = default;
};

struct MemorySource : ByteSource {
  MemorySource(const void* data, size_t size) : data_(static_cast<const uint8_t*>(data)), size_(size) {}
  size_t ReadAt(uint64_t pos, void* buf, size_t n) override;
  uint64_t Size() const override { return size_; }
 private:
  const uint8_t* data_;
  size_t size_;
};

struct MemoryReader : ByteReader {
  MemoryReader(const void* data, size_t size) : data_(static_cast<const uint8_t*>(data)), size_(size) {}
  size_t Read(void* buf, size_t n) override;
 private:
  const uint8_t* data_;
  size_t size_;
  size_t pos_ = 0;
};

struct VectorSink : ByteSink {
  Vec<uint8_t> bytes;
  bool Write(const void* data, size_t n) override;
};

// Counts and discards; the fuzzers use it so that output size stays bounded.
struct NullSink : ByteSink {
  uint64_t count = 0;
  bool Write(const void*, size_t n) override { count += n; return true; }
};

struct FileSource : ByteSource {
  explicit FileSource(FILE* f);
  size_t ReadAt(uint64_t pos, void* buf, size_t n) override;
  uint64_t Size() const override { return size_; }
 private:
  FILE* f_;
  uint64_t size_ = 0;
  uint64_t at_ = UINT64_MAX;
};

struct FileReader : ByteReader {
  explicit FileReader(FILE* f) : f_(f) {}
  size_t Read(void* buf, size_t n) override;
  bool Failed() const override { return failed_; }
 private:
  FILE* f_;
  bool failed_ = false;
};

struct FileSink : ByteSink {
  explicit FileSink(FILE* f) : f_(f) {}
  bool Write(const void* data, size_t n) override;
 private:
  FILE* f_;
};

bool SeekFile(FILE* f, uint64_t pos);
uint64_t TellFile(FILE* f);

}  // namespace arc
