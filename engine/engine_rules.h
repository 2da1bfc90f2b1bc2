// Arithmetic and name rules of division, merger and floppy distribution. Portable: no window
// and no file system here, so every rule is tested natively.
#pragma once
#include <cstddef>
#include <cstdint>

#include "base/paths.h"
#include "pieceset.h"
#include "resources/ids.h"

namespace engine {

using pieceset::kBlockBytes;
// Blocks moved by one read and one write: pieces stay whole numbers of blocks, and a floppy
// piece moves in one read and one write.
constexpr int kRunBlocks = 144;
using pieceset::kMaxPieces;
constexpr int kSizeChoices = 144;       // the list "10" ... "1440"
constexpr int kDefaultBlocks = 144;     // 1.44MB
constexpr int kDiskMargin = 1000;       // bytes kept free on any disk that receives a file

// ---- Division ----

enum class PlanStatus { Ok, UnderDivisionSize, OverMaxPieces };

struct DivisionPlan {
  PlanStatus status;
  int pieces;          // n
  int fullBlocks;      // blocks of pieces 1 .. n-1
  uint32_t lastBytes;  // bytes of piece n: 1 .. blocks * 10000
};

// Sizes come from the disk in 64 bits, so a huge file is refused instead of wrapping.
DivisionPlan PlanDivision(uint64_t size, int blocks);

// Radio button of a division size (144 -> IDC_DIV_144 ... any other -> IDC_DIV_USER) and the
// size of a fixed button (0 for the user-defined one).
int RadioForBlocks(int blocks);
int BlocksForRadio(int id);
// Text of list item index (0 -> "10", 143 -> "1440") into out (cap bytes).
void SizeChoiceText(int index, char* out, std::size_t cap);

// ---- Names and paths (Shift-JIS aware when dbcs932: trail bytes are not characters) ----

// A name the existing-pieces question counts: it contains "file-" or "FILE-".
bool HasPieceMark(const char* name, bool dbcs932);
using pieceset::PieceNumberOfName;
bool HasSemicolon(const char* name);

// ---- Merger ----

struct MergePlan {
  int blocksPerPiece;  // length of FILE-1 / 10000
  int64_t lastBlocks;  // ceil((size - (n-1) * blocksPerPiece * 10000) / 10000)
};
MergePlan PlanMerge(int64_t size, int count, uint64_t firstPieceLength);

enum class ArchiveKind { None, Lha, Zip };
// Upper-cased name containing ".LZH" or ".ZIP" anywhere; ZIP when both.
ArchiveKind ArchiveKindOfName(const char* name, bool dbcs932);

// ---- Floppy distribution ----

// Free space of the floppy as its query gives it: the product of the three counts taken as a
// signed 32-bit value.
int32_t FloppyFreeBytes(uint32_t sectorsPerCluster, uint32_t bytesPerSector,
                        uint32_t freeClusters);
// A piece fits when the free space is at least its length plus the margin (signed).
bool PieceFits(int32_t freeBytes, uint64_t pieceLength);
// Root "X:\" from what the user typed (its first character, upper-cased); false when empty
// or not a letter.
bool FloppyRootFromInput(const char* typed, char root[4]);

}  // namespace engine
