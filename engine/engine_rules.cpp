#include "engine_rules.h"

#include <cstdio>
#include <cstring>

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
    case 144: return 135;
    case 120: return 136;
    case 72: return 137;
    case 64: return 138;
    default: return kUserRadio;
  }
}

int BlocksForRadio(int id) {
  switch (id) {
    case 135: return 144;
    case 136: return 120;
    case 137: return 72;
    case 138: return 64;
    default: return 0;
  }
}

void SizeChoiceText(int index, char* out, std::size_t cap) {
  if (cap == 0) return;
  std::memset(out, 0, cap);
  std::snprintf(out, cap, "%d", (index + 1) * 10);
}

bool IsLeadByte932(unsigned char c) { return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC); }

int LastBackslash(const char* path, bool dbcs932) {
  int last = -1;
  for (int i = 0; path[i]; ++i) {
    if (dbcs932 && IsLeadByte932(static_cast<unsigned char>(path[i]))) {
      if (!path[i + 1]) break;
      ++i;
      continue;
    }
    if (path[i] == '\\') last = i;
  }
  return last;
}

bool DirectoryOf(const char* path, char* out, std::size_t cap, bool dbcs932) {
  if (cap == 0) return false;
  std::memset(out, 0, cap);
  int last = LastBackslash(path, dbcs932);
  if (last < 0 || static_cast<std::size_t>(last) + 1 >= cap) return false;
  std::memcpy(out, path, static_cast<std::size_t>(last) + 1);
  return true;
}

bool ContainsText(const char* text, const char* part, bool dbcs932) {
  const std::size_t n = std::strlen(part);
  for (std::size_t i = 0; text[i]; ++i) {
    if (std::strncmp(text + i, part, n) == 0) return true;
    if (dbcs932 && IsLeadByte932(static_cast<unsigned char>(text[i])) && text[i + 1]) ++i;
  }
  return n == 0;
}

bool HasPieceMark(const char* name, bool dbcs932) {
  return ContainsText(name, "file-", dbcs932) || ContainsText(name, "FILE-", dbcs932);
}

int PieceNumberOfName(const char* name) {
  static const char kPrefix[] = "file-";
  for (int i = 0; i < 5; ++i) {
    char c = name[i];
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    if (c != kPrefix[i]) return -1;
  }
  const char* digits = name + 5;
  std::size_t len = std::strlen(digits);
  if (len == 0 || len > 3 || (len > 1 && digits[0] == '0')) return -1;
  int value = 0;
  for (std::size_t i = 0; i < len; ++i) {
    if (digits[i] < '0' || digits[i] > '9') return -1;
    value = value * 10 + (digits[i] - '0');
  }
  return value;
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
  char upper[258] = {0};
  std::size_t len = std::strlen(name);
  if (len >= sizeof(upper)) len = sizeof(upper) - 1;
  for (std::size_t i = 0; i < len; ++i) {
    unsigned char c = static_cast<unsigned char>(name[i]);
    if (dbcs932 && IsLeadByte932(c) && i + 1 < len) {
      upper[i] = name[i];
      upper[i + 1] = name[i + 1];
      ++i;
      continue;
    }
    upper[i] = (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : name[i];
  }
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

void ComposeText(char* out, std::size_t cap, const char* a, const char* b, const char* c) {
  if (cap == 0) return;
  std::memset(out, 0, cap);
  std::snprintf(out, cap, "%s%s%s", a, b, c);
}

void ComposeNumber(char* out, std::size_t cap, const char* a, long number, const char* c) {
  char digits[24] = {0};
  std::snprintf(digits, sizeof(digits), "%ld", number);
  ComposeText(out, cap, a, digits, c);
}

}  // namespace engine
