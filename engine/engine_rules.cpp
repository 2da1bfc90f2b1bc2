#include "engine_rules.h"

#include <cstdio>
#include <cstring>

#include "base/text.h"

namespace engine {

DivisionPlan PlanDivision(uint64_t size, int blocks) {
  DivisionPlan plan{PlanStatus::Ok, 0, blocks, 0};
  const uint64_t piece = static_cast<uint64_t>(blocks) * kBlockBytes;
  const uint64_t count = (size + piece - 1) / piece;
  if (count < 2) {
    plan.status = PlanStatus::UnderDivisionSize;
    return plan;
  }
  if (count > static_cast<uint64_t>(kMaxPieces)) {
    plan.status = PlanStatus::OverMaxPieces;
    return plan;
  }
  plan.pieces = static_cast<int>(count);
  plan.lastBytes = static_cast<uint32_t>(size - (count - 1) * piece);
  return plan;
}

int RadioForBlocks(int blocks) {
  switch (blocks) {
    case 144: return IDC_DIV_144;
    case 120: return IDC_DIV_120;
    case 72: return IDC_DIV_72;
    case 64: return IDC_DIV_64;
    default: return IDC_DIV_USER;
  }
}

int BlocksForRadio(int id) {
  switch (id) {
    case IDC_DIV_144: return 144;
    case IDC_DIV_120: return 120;
    case IDC_DIV_72: return 72;
    case IDC_DIV_64: return 64;
    default: return 0;
  }
}

void SizeChoiceText(int index, char* out, std::size_t cap) {
  if (cap == 0) return;
  std::memset(out, 0, cap);
  std::snprintf(out, cap, "%d", (index + 1) * 10);
}

bool HasPieceMark(const char* name, bool dbcs932) {
  return ContainsText(name, "file-", dbcs932) || ContainsText(name, "FILE-", dbcs932);
}

bool HasSemicolon(const char* name) { return std::strchr(name, ';') != nullptr; }

MergePlan PlanMerge(int64_t size, int count, uint64_t firstPieceLength) {
  MergePlan plan{};
  uint64_t blocks = firstPieceLength / kBlockBytes;
  plan.blocksPerPiece = blocks > 1000000 ? 1000000 : static_cast<int>(blocks);
  int64_t rest = size - static_cast<int64_t>(count - 1) * plan.blocksPerPiece * kBlockBytes;
  // Rounding up toward +infinity also for a negative rest, as whole blocks.
  plan.lastBlocks = rest > 0 ? (rest + kBlockBytes - 1) / kBlockBytes : -((-rest) / kBlockBytes);
  return plan;
}

ArchiveKind ArchiveKindOfName(const char* name, bool dbcs932) {
  char upper[kPathBytes] = {0};
  CopyBounded(upper, sizeof upper, name);
  UpperAscii(upper, dbcs932);
  if (ContainsText(upper, ".ZIP", dbcs932)) return ArchiveKind::Zip;
  if (ContainsText(upper, ".LZH", dbcs932)) return ArchiveKind::Lha;
  return ArchiveKind::None;
}

int32_t FloppyFreeBytes(uint32_t sectorsPerCluster, uint32_t bytesPerSector,
                        uint32_t freeClusters) {
  uint32_t product = sectorsPerCluster * bytesPerSector * freeClusters;
  return static_cast<int32_t>(product);
}

bool PieceFits(int32_t freeBytes, uint64_t pieceLength) {
  return static_cast<int64_t>(freeBytes) >= static_cast<int64_t>(pieceLength) + kDiskMargin;
}

bool FloppyRootFromInput(const char* typed, char root[4]) {
  char c = typed[0];
  if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  if (c < 'A' || c > 'Z') return false;
  root[0] = c;
  root[1] = ':';
  root[2] = '\\';
  root[3] = 0;
  return true;
}

}  // namespace engine
