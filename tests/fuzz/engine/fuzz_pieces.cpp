// Division and merger on a model disk with pieces, records and failures taken from the input.
// Checks what must hold whatever happens: a merge that succeeds gives exactly the recorded
// size from the pieces' blocks, a failed one leaves no merged file and the pieces as they
// were; a division that succeeds gives pieces that add up to the source, a failed one leaves
// no piece but FILE-0; no file is left open. A set the division wrote, with pieces, the parity
// piece or the block checks damaged, cut, lengthened or deleted: a merge gives the source or
// nothing, and whatever one parity piece can mend is mended.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "divide_work.h"
#include "base/memdisk.h"
#include "merge_work.h"
#include "parity_code.h"
#include "repairmodel.h"

using namespace engine;

namespace {

const char kDir[] = "C:\\s\\";

struct Input {
  const uint8_t* p;
  size_t n;
  uint32_t Take(uint32_t limit) {
    uint32_t v = 0;
    for (int i = 0; i < 3 && n; ++i, ++p, --n) v = (v << 8) | *p;
    return limit ? v % limit : 0;
  }
};

std::string Bytes(size_t size, uint32_t seed) {
  std::string s(size, '\0');
  for (size_t i = 0; i < size; ++i) s[i] = static_cast<char>((i * 131 + seed) >> 3);
  return s;
}

std::string Path(const char* prefix, int k) { return std::string(kDir) + prefix + std::to_string(k); }

bool Room(void* limit, int64_t bytes) { return bytes <= *static_cast<int64_t*>(limit); }

// Nothing but the set, its source and the merged file: no temporary file is left behind.
bool NothingLeftOver() {
  for (const std::string& n : memdisk::NamesIn(kDir)) {
    if (n != "out.bin" && n != "src.bin" && pieceset::PieceNumberOfName(n.c_str()) < 0) return false;
  }
  return true;
}

void FuzzMerge(Input& in) {
  memdisk::Reset(in.Take(4) ? UINT64_MAX : 100000 + in.Take(400000));
  const int count = 1 + static_cast<int>(in.Take(8));
  std::vector<std::string> pieces;
  for (int k = 1; k <= count; ++k) {
    if (in.Take(16) == 0) continue;  // a missing piece
    std::string data = Bytes(in.Take(5) == 0 ? in.Take(70000) : 30000 + in.Take(3), k);
    pieces.resize(k);
    pieces[k - 1] = data;
    memdisk::Put(Path("file-", k), data, in.Take(2) ? kAttrArchive : kAttrReadOnly);
  }
  pieces.resize(count);
  if (in.Take(16) == 0) memdisk::FailOpen(Path("file-", 1 + in.Take(count)));
  if (in.Take(16) == 0) memdisk::FailReadAt(Path("file-", 1 + in.Take(count)), in.Take(70000));
  const int64_t size = static_cast<int64_t>(in.Take(200000));
  int64_t room = in.Take(2) ? INT64_MAX : in.Take(300000);
  MergeJob job{kDir, in.Take(2) ? "file-" : "FILE-", "out.bin", size, count, kAttrHidden, {2000, 1, 1, 1, 1, 2},
               Room, &room, nullptr, nullptr, nullptr, in.Take(16) == 0};
  MergeOutcome out = MergePieces(memdisk::Files(), job);
  if (memdisk::OpenHandles() != 0 || !NothingLeftOver()) abort();
  if (job.fieldsEmpty && out.result != MergeResult::NoFirstPiece && out.result != MergeResult::RecordDamaged) {
    abort();
  }
  const bool merged = memdisk::Has(std::string(kDir) + "out.bin");
  for (int k = 1; k <= count; ++k) {
    if (memdisk::Has(Path("file-", k)) && memdisk::Get(Path("file-", k)).data != pieces[k - 1]) abort();
  }
  if (out.result == MergeResult::Ok) {
    const std::string& got = memdisk::Get(std::string(kDir) + "out.bin").data;
    if (static_cast<int64_t>(got.size()) != size) abort();
    const size_t full = pieces[0].size() / kBlockBytes * kBlockBytes;
    std::string want;
    for (int k = 1; k < count; ++k) want += pieces[k - 1].substr(0, full);
    want += pieces[count - 1];
    if (want.compare(0, got.size(), got) != 0) abort();
  } else if (out.result != MergeResult::SizeDiffers && out.result != MergeResult::ReopenFailed) {
    if (merged) abort();
  }
}

void FuzzDivide(Input& in) {
  memdisk::Reset(in.Take(4) ? UINT64_MAX : in.Take(600000));
  const std::string source = Bytes(in.Take(500000), in.Take(255));
  const std::string path = std::string(kDir) + "src.bin";
  memdisk::Put(path, source);
  if (in.Take(8) == 0) memdisk::FailCreate(Path("file-", in.Take(12)));
  if (in.Take(8) == 0) memdisk::FailReadAt(path, in.Take(500000));
  const uint64_t size = in.Take(4) ? source.size() : in.Take(500000);
  const DivisionPlan plan = PlanDivision(size, 1 + static_cast<int>(in.Take(144)));
  if (plan.status != PlanStatus::Ok) return;
  DivideJob job{kDir, path.c_str(), "src.bin", size, {2000, 1, 1, 1, 1, 2}, plan, false};
  DivideOutcome out = DivideFile(memdisk::Files(), job);
  if (memdisk::OpenHandles() != 0) abort();
  if (memdisk::Get(path).data != source) abort();
  if (out.result == DivideResult::Ok) {
    std::string joined;
    for (int k = 1; k <= plan.pieces; ++k) joined += memdisk::Get(Path("file-", k)).data;
    if (joined.size() != size || joined != source.substr(0, joined.size())) abort();
  } else {
    for (int k = 1; k <= plan.pieces; ++k) {
      if (memdisk::Has(Path("file-", k))) abort();
    }
  }
}

int g_asked;
bool Agree(void*, const pieceset::BadPieces&, int, bool) {
  ++g_asked;
  return true;
}

void FuzzChecked(Input& in) {
  memdisk::Reset();
  const std::string source = Bytes(20001 + in.Take(120000), in.Take(255));
  const std::string path = std::string(kDir) + "src.bin";
  memdisk::Put(path, source);
  const DivisionPlan plan = PlanDivision(source.size(), 1 + static_cast<int>(in.Take(6)));
  if (plan.status != PlanStatus::Ok) return;
  DivideJob djob{kDir, path.c_str(), "out.bin", source.size(), {2000, 1, 1, 1, 1, 2}, plan, false};
  if (DivideFile(memdisk::Files(), djob).result != DivideResult::Ok) abort();
  // Sets of more than ten pieces carry further parity pieces after the block checks.
  const int n = plan.pieces, r = pieceset::ParityCount(n), last = n + 1 + r;
  std::vector<std::string> before(last + 1);
  for (int k = 0; k <= last; ++k) before[k] = memdisk::Get(Path("file-", k)).data;

  for (int d = static_cast<int>(in.Take(6)); d > 0; --d) {
    const std::string piece = Path("file-", 1 + static_cast<int>(in.Take(last)));
    if (!memdisk::Has(piece)) continue;
    std::string data = memdisk::Get(piece).data;
    switch (in.Take(5)) {
      case 0: memdisk::Files().remove(piece.c_str()); continue;
      case 1: data.resize(in.Take(static_cast<uint32_t>(data.size()))); break;
      case 2: data += static_cast<char>(in.Take(256)); break;
      case 3: {
        const uint32_t at = in.Take(static_cast<uint32_t>(data.size())), len = 1 + in.Take(3000);
        for (uint32_t i = at; i < at + len && i < data.size(); ++i) data[i] = static_cast<char>(data[i] ^ 0x5A);
        break;
      }
      default: data[in.Take(static_cast<uint32_t>(data.size()))] ^= static_cast<char>(1 + in.Take(255)); break;
    }
    memdisk::Put(piece, data);
  }
  std::vector<std::string> onDisk(last + 1);
  std::vector<const std::string*> present(last + 1, nullptr);
  for (int k = 0; k <= last; ++k) {
    if (memdisk::Has(Path("file-", k))) {
      onDisk[k] = memdisk::Get(Path("file-", k)).data;
      present[k] = &onDisk[k];
    }
  }
  const repairmodel::Judgement want =
      repairmodel::Judge(before, present, n, static_cast<size_t>(plan.fullBlocks) * kBlockBytes, r);

  pieceset::InfoRecord rec;
  pieceset::InfoValues vals;
  static pieceset::Checks checks;
  const InfoFile info = ReadInformationFile(memdisk::Files(), Path("file-", 0).c_str(), false, &rec, &vals, &checks);
  if (info.result != pieceset::MainResult::Ok || !info.checked) abort();
  MergeJob job{kDir, "file-", rec.name, vals.size, vals.count, kAttrArchive, {2000, 1, 1, 1, 1, 2},
               [](void*, int64_t) { return true; }, nullptr, &checks, Agree, nullptr};
  g_asked = 0;
  const MergeOutcome out = MergePieces(memdisk::Files(), job);
  if (memdisk::OpenHandles() != 0 || !NothingLeftOver()) abort();
  // Asked once exactly when there is something that can be mended.
  if (g_asked != (want.mendable && want.blocks ? 1 : 0)) abort();
  const std::string merged = std::string(kDir) + "out.bin";
  for (int k = 0; k <= last; ++k) {
    if (memdisk::Has(Path("file-", k)) != (present[k] != nullptr)) abort();
    if (present[k] && memdisk::Get(Path("file-", k)).data != onDisk[k]) abort();
  }
  if (out.result == MergeResult::Ok) {
    if (memdisk::Get(merged).data != source) abort();
  } else if (memdisk::Has(merged)) {
    abort();
  }
  if (want.mendable != (out.result == MergeResult::Ok)) abort();
  // With further parity pieces a refusal names the damaged parity pieces too.
  const size_t named = want.pieces.size() + (r > 1 && !want.mendable ? want.parity.size() : 0);
  if (out.bad.count != static_cast<int>(named)) abort();
  if (out.result == MergeResult::Ok && out.rebuiltBlocks != want.blocks) abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  Input in{data, size};
  switch (in.Take(3)) {
    case 0: FuzzMerge(in); break;
    case 1: FuzzDivide(in); break;
    default: FuzzChecked(in); break;
  }
  return 0;
}
