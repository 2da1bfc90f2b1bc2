// Both readers over arbitrary FILE-0 contents: no crash, no read past the data, and any
// accepted record must be one the writer could have produced a plain name for; a check line
// taken must agree with the record and be written back byte for byte, and so must the line of
// the further parity pieces right after it, which is otherwise not taken.
#include "parity.h"
#include "parity_code.h"
#include "pieceset.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > pieceset::kReadLimit) size = pieceset::kReadLimit;
  const char* text = reinterpret_cast<const char*>(data);
  // Taken only after a sound check line, but safe on anything.
  static const pieceset::Checks none{};
  pieceset::ParityPieces any;
  pieceset::ReadParityLine(text, size, none, &any);
  if (any.count != 1 && any.count != 2 && any.count != 3) std::abort();
  for (int mode = 0; mode < 4; ++mode) {
    bool dbcs = mode & 1;
    bool complete = mode & 2;
    pieceset::InfoRecord rec;
    pieceset::InfoValues vals;
    bool ok = pieceset::ReadMain(text, size, complete, dbcs, &rec, &vals) ==
              pieceset::MainResult::Ok;
    if (ok && (!pieceset::IsPlainFileName(rec.name, dbcs) || vals.count < 1 || vals.count > 999 ||
               vals.size < 0)) {
      std::abort();
    }
    static pieceset::Checks checks;
    if (ok && pieceset::ReadChecks(text, size, vals, &checks)) {
      static char line[pieceset::kCheckLineBytes];
      const char* at = static_cast<const char*>(std::memchr(text, '\n', size)) + 1;
      const std::size_t n = pieceset::FormatChecks(line, sizeof(line), checks);
      if (checks.size != vals.size || checks.count != vals.count || n == 0 ||
          static_cast<std::size_t>(text + size - at) < n || std::memcmp(at, line, n) != 0) {
        std::abort();
      }
      pieceset::ParityPieces parity;
      pieceset::ReadParityLine(text, size, checks, &parity);
      if (parity.count < 1 || parity.count > 3 || parity.crc[0] != checks.crc[checks.count + 1]) {
        std::abort();
      }
      char more[pieceset::kParityLineBytes];
      const std::size_t m = pieceset::FormatParityLine(more, sizeof(more), parity.count, parity.crc);
      const std::size_t left = static_cast<std::size_t>(text + size - (at + n));
      const bool written = left >= m && m > 0 && std::memcmp(at + n, more, m) == 0;
      if ((parity.count > 1) != written || (parity.count == 1 && (parity.crc[1] || parity.crc[2]))) {
        std::abort();
      }
    }
    ok = pieceset::ReadStandalone(text, size, complete, dbcs, &rec, &vals) ==
         pieceset::StandaloneResult::Ok;
    if (ok && (!pieceset::IsPlainFileName(rec.name, dbcs) || vals.count < 1 || vals.count > 999)) {
      std::abort();
    }
    if (ok) {
      char buf[pieceset::kRecordBytes];
      CalTime t = pieceset::ResolveMergedTime(vals, CalTime{2000, 1, 1, 0, 0, 0}, false);
      std::size_t n = pieceset::FormatRecord(buf, sizeof(buf), rec.name, vals.size, vals.count, t, dbcs);
      pieceset::InfoRecord again;
      pieceset::InfoValues back;
      if (n == 0 || pieceset::ReadStandalone(buf, n, true, dbcs, &again, &back) !=
                        pieceset::StandaloneResult::Ok ||
          std::strcmp(again.name, rec.name) != 0 || back.size != vals.size) {
        std::abort();
      }
    }
  }
  return 0;
}
