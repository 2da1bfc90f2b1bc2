// Every archive job under an allocator that refuses its k-th request, for each k in turn: the
// job ends as out of memory, the folder it works in is as it was, and nothing crashes or leaks
// (the sanitizers watch). The link wraps malloc, realloc and calloc of the library's objects.
#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <map>
#include <string>

#include "errors.h"
#include "listing.h"
#include "names.h"
#include "ops.h"
#include "testutil.h"

extern "C" {
void* __real_malloc(size_t n);
void* __real_realloc(void* p, size_t n);
void* __real_calloc(size_t n, size_t size);
}

namespace {

size_t g_refuse = 0;  // the request to refuse, counted from 1; 0 refuses none
size_t g_requests = 0;

bool Refuse() { return g_refuse != 0 && ++g_requests == g_refuse; }

}  // namespace

extern "C" {
void* __wrap_malloc(size_t n) { return Refuse() ? nullptr : __real_malloc(n); }
void* __wrap_realloc(void* p, size_t n) { return Refuse() ? nullptr : __real_realloc(p, n); }
void* __wrap_calloc(size_t n, size_t size) { return Refuse() ? nullptr : __real_calloc(n, size); }
}

namespace {

namespace fs = std::filesystem;
using arctest::MixedData;
using arctest::RandomData;
using arctest::ReadAll;
using arctest::WriteAll;

// Every file and folder below `dir` with its bytes, as the system shows them.
std::map<std::string, std::vector<uint8_t>> Snapshot(const fs::path& dir) {
  std::map<std::string, std::vector<uint8_t>> files;
  for (const auto& e : fs::recursive_directory_iterator(dir)) {
    std::string rel = fs::relative(e.path(), dir).string();
    files[rel] = e.is_directory() ? std::vector<uint8_t>{'/'} : ReadAll(e.path().string());
  }
  return files;
}

class OutOfMemory : public arctest::TempDirTest {
 protected:
  void SetUp() override {
    TempDirTest::SetUp();
    fs::create_directories("model/sub/dir");
    fs::create_directory("model/out");
    fs::current_path("model");
    WriteAll("report.txt", MixedData(30000, 1));
    WriteAll("noise.bin", RandomData(2000, 2));  // does not shrink: stored
    WriteAll("sub/dir/report.txt", MixedData(6000, 3));
    WriteAll("out/report.txt", {'o', 'l', 'd'});  // an extraction would replace it
    arc::Str log;
    ASSERT_EQ(arc::kOk, arc::RunLhaCommand("a old.lzh report.txt noise.bin sub/dir/report.txt", nullptr, &log));
    ASSERT_EQ(arc::kOk, arc::RunZipCommand("old.zip report.txt noise.bin sub/dir/report.txt", nullptr, &log));
    fs::current_path("..");
  }

  // Runs `job` in a fresh copy of the model folder with the k-th request refused, and
  // returns the job's result; *before and *after get what the folder held.
  template <typename Job>
  auto RunRefusing(size_t k, Job job, std::map<std::string, std::vector<uint8_t>>* before,
                   std::map<std::string, std::vector<uint8_t>>* after) {
    fs::remove_all("run");
    fs::copy("model", "run", fs::copy_options::recursive);
    *before = Snapshot("run");
    fs::current_path("run");
    g_requests = 0;
    g_refuse = k;
    auto r = job();
    g_refuse = 0;
    fs::current_path("..");
    *after = Snapshot("run");
    return r;
  }

  // How many requests the job makes when none is refused.
  template <typename Job>
  size_t Requests(Job job) {
    std::map<std::string, std::vector<uint8_t>> before, after;
    RunRefusing(SIZE_MAX, job, &before, &after);
    return g_requests;
  }
};

TEST_F(OutOfMemory, JobsEndAsOutOfMemoryAndChangeNothing) {
  struct Case {
    const char* text;
    int (*run)(const arc::Str&, arc::LeadByteFn, arc::Str*);
  };
  const Case cases[] = {
      {"x old.lzh out\\", arc::RunLhaCommand},
      {"e old out/ *.txt", arc::RunLhaCommand},
      {"a new.lzh report.txt noise.bin sub/dir/report.txt", arc::RunLhaCommand},
      {"a old.lzh noise.bin report.txt", arc::RunLhaCommand},
      {"old.zip -d out", arc::RunUnzipCommand},
      {"old *.txt -d out", arc::RunUnzipCommand},
      {"new.zip report.txt noise.bin sub/dir/report.txt", arc::RunZipCommand},
      {"old.zip noise.bin", arc::RunZipCommand},
  };
  for (const Case& c : cases) {
    const arc::Str text(c.text);  // the caller's, as the libraries' entry points make it
    auto job = [&] {
      arc::Str log;
      return c.run(text, arc::ShiftJisLead, &log);
    };
    size_t n = Requests(job);
    ASSERT_GT(n, 3u) << c.text;
    std::map<std::string, std::vector<uint8_t>> before, after;
    for (size_t k = 1; k <= n; ++k) {
      EXPECT_EQ(arc::kErrDiskSpace, RunRefusing(k, job, &before, &after)) << c.text << ", request " << k;
      EXPECT_TRUE(before == after) << c.text << ", request " << k;
    }
    ASSERT_EQ(arc::kOk, RunRefusing(n + 1, job, &before, &after)) << c.text;
    EXPECT_FALSE(before == after) << c.text;
  }
}

// A listing either fails to open or shows every entry: a search never drops one.
TEST_F(OutOfMemory, ListingsOpenWholeOrNotAtAll) {
  for (bool lha : {true, false}) {
    const char* archive = lha ? "old.lzh" : "old.zip";
    auto job = [&] {
      std::vector<std::string> names;
      arc::HandleBlock* h = arc::OpenListing(archive, lha, malloc);
      if (!h) return names;
      arc::IndividualInfo info;
      for (int r = arc::FindFirst(h, "*.txt", &info); r == 0; r = arc::FindNext(h, &info))
        names.push_back(info.fileName);
      names.push_back("end");
      free(h);
      return names;
    };
    size_t n = Requests(job);
    std::map<std::string, std::vector<uint8_t>> before, after;
    const std::vector<std::string> whole = {"report.txt", lha ? "sub\\dir\\report.txt" : "sub/dir/report.txt", "end"};
    for (size_t k = 1; k <= n; ++k) {
      auto names = RunRefusing(k, job, &before, &after);
      EXPECT_TRUE(names.empty()) << archive << ", request " << k << ": " << names.size() << " names";
    }
    EXPECT_EQ(whole, RunRefusing(n + 1, job, &before, &after)) << archive;
  }
}

// A stored name split while memory runs out is refused as such, never shortened.
TEST(OutOfMemoryNames, SplittingNeverShortensAName) {
  for (size_t k = 1;; ++k) {
    arc::Vec<arc::Str> parts;
    g_requests = 0;
    g_refuse = k;
    arc::NameCheck r = arc::SplitSafeName("sub/dir/report.txt", nullptr, false, &parts);
    g_refuse = 0;
    if (g_requests < k) {
      ASSERT_EQ(arc::NameCheck::kOk, r);
      break;
    }
    EXPECT_EQ(arc::NameCheck::kNoMemory, r) << "request " << k;
  }
}

// An array of strings takes in whole copies or none.
TEST(OutOfMemoryNames, ArraysTakeWholeCopiesOrNone) {
  const arc::Str whole[] = {"sub", "report.txt"};
  for (size_t k = 1;; ++k) {
    arc::Vec<arc::Str> v;
    g_requests = 0;
    g_refuse = k;
    bool added = v.push_back(whole[0]) && v.push_back(whole[1]);
    arc::Vec<arc::Str> copy(v);
    g_refuse = 0;
    for (size_t i = 0; i < v.size(); ++i) EXPECT_TRUE(v[i] == whole[i]) << "request " << k;
    EXPECT_TRUE(copy.empty() || copy == v) << "request " << k;
    if (g_requests < k) {
      ASSERT_TRUE(added && copy.size() == 2);
      break;
    }
  }
}

}  // namespace
