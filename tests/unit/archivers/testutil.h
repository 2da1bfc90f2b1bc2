// Helpers for the archiver tests: a private temporary folder made current for
// the test, and small file utilities.
#pragma once
#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "buf.h"

namespace arc {

// The library's own containers, compared with and shown as the standard ones.
inline std::ostream& operator<<(std::ostream& o, const Str& s) { return o.write(s.data(), s.size()); }
inline bool operator==(const std::string& a, const Str& b) { return std::string_view(a) == std::string_view(b); }
inline bool operator==(const Vec<uint8_t>& a, const std::vector<uint8_t>& b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin());
}

}  // namespace arc

namespace arctest {

inline arc::Str S(const std::string& s) { return arc::Str(s.data(), s.size()); }
inline std::vector<uint8_t> StdBytes(const arc::Vec<uint8_t>& v) { return std::vector<uint8_t>(v.begin(), v.end()); }


namespace fs = std::filesystem;

class TempDirTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::random_device rd;
    root_ = fs::temp_directory_path() / ("arctest-" + std::to_string(rd()) + "-" + std::to_string(rd()));
    fs::create_directories(root_ / "work");
    old_ = fs::current_path();
    fs::current_path(root_ / "work");
  }
  void TearDown() override {
    fs::current_path(old_);
    std::error_code ec;
    fs::permissions(root_, fs::perms::owner_all, fs::perm_options::add, ec);
    fs::remove_all(root_, ec);
  }
  // The folder above the current one: nothing may ever be written there.
  fs::path Outside() const { return root_; }

 private:
  fs::path root_, old_;
};

inline std::vector<uint8_t> ReadAll(const std::string& path) {
  std::ifstream f(path, std::ios::binary);
  return std::vector<uint8_t>((std::istreambuf_iterator<char>(f)), std::istreambuf_iterator<char>());
}

inline void WriteAll(const std::string& path, const std::vector<uint8_t>& data) {
  std::ofstream f(path, std::ios::binary);
  f.write(reinterpret_cast<const char*>(data.data()), static_cast<std::streamsize>(data.size()));
}

// Text-like data with long and short repeats, binary noise, and runs.
inline std::vector<uint8_t> MixedData(size_t n, uint32_t seed) {
  std::mt19937 rng(seed);
  static const char* const kWords[] = {"archive ", "floppy ", "piece ", "merge ", "the ", "of ", "\r\n", "data ",
                                       "header ", "window "};
  std::vector<uint8_t> v;
  while (v.size() < n) {
    switch (rng() % 4) {
      case 0:
      case 1: {
        const char* w = kWords[rng() % 10];
        v.insert(v.end(), w, w + strlen(w));
        break;
      }
      case 2:
        for (int k = rng() % 64; k > 0; --k) v.push_back(static_cast<uint8_t>(rng()));
        break;
      default:
        v.insert(v.end(), rng() % 300, static_cast<uint8_t>(rng()));
    }
  }
  v.resize(n);
  return v;
}

inline std::vector<uint8_t> RandomData(size_t n, uint32_t seed) {
  std::mt19937 rng(seed);
  std::vector<uint8_t> v(n);
  for (auto& b : v) b = static_cast<uint8_t>(rng());
  return v;
}

}  // namespace arctest
