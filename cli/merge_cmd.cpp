// `tovra merge` and `tovra check`: Tovra's merge of the set, on the system's files or on a file
// table that writes nothing, and what it found in Tovra's words.
#include <string>

#include "commands.h"
#include "console.h"
#include "dryfiles.h"
#include "engine/merge_work.h"
#include "engine/texts.h"
#include "merger/texts.h"
#include "places.h"
#include "set.h"

namespace cli {
namespace {

using engine::MergeOutcome;
using engine::MergeResult;

// What the merge asked before a rebuild, and how it is answered.
struct RebuildQuestion {
  const SetOnDisk* set;
  bool dry;   // check: noted, never rebuilt
  bool yes;
  bool asked = false;
  int blocks = 0;
};

// The set's parity pieces.
int Rows(const SetOnDisk& set) { return set.info.checked ? set.checks.parity : 1; }

std::string BadText(const pieceset::BadPieces& bad) {
  char what[512];
  if (bad.count == 1) pieceset::DescribeBad(what, sizeof(what), bad.piece[0], bad.state[0], kBadPiece);
  else pieceset::ListBad(bad, what, sizeof(what));
  return what;
}

bool ConfirmRebuild(void* ctx, const pieceset::BadPieces& bad, int blocks, bool blockChecked) {
  auto* q = static_cast<RebuildQuestion*>(ctx);
  q->asked = true;
  q->blocks = blocks;
  if (q->dry || Interrupted()) return false;
  const int parity = q->set->values.count + 1;
  // With more than one parity piece the blocks are told, with block checks or without.
  const bool rows = Rows(*q->set) > 1;
  std::string question;
  if (bad.count > 1) question = Compose(rows ? kAskRebuildManyRows : kAskRebuildMany, blocks, BadText(bad));
  else if (rows) question = Compose(kAskRebuildBlocksRows, blocks, BadText(bad));
  else question = Compose(blockChecked ? kAskRebuildBlocks : kAskRebuild, blockChecked ? blocks : parity, BadText(bad));
  // Without a terminal to ask on, merge rebuilds: the pieces stay as they are, and the rebuilt
  // file takes its name only once it has checked out.
  if (q->yes || !CanAsk()) return true;
  return Ask(question);
}

bool RoomIn(void* dir, int64_t bytes) {
  const int64_t free = FreeBytes(*static_cast<const std::string*>(dir));
  return free < 0 || free >= bytes;
}

engine::MergeJob JobFor(const SetOnDisk& set, RebuildQuestion* q) {
  const CalTime time = pieceset::ResolveMergedTime(set.values, set.infoTime, !TwoSecondTimes(set.dir));
  return engine::MergeJob{set.dir.c_str(), set.prefix.c_str(), set.localName.c_str(), set.values.size,
                          set.values.count, set.info.attributes, time, RoomIn, const_cast<std::string*>(&set.dir),
                          set.info.checked ? &set.checks : nullptr, ConfirmRebuild, q,
                          set.info.result == pieceset::MainResult::EmptyField};
}

// Tovra's words for a merge that did not go through; "" for none.
std::string FailureText(const SetOnDisk& set, const MergeOutcome& out) {
  const std::string name = ShownName(set.localName);
  const int parity = set.values.count + 1;
  switch (out.result) {
    case MergeResult::Ok:
    case MergeResult::RebuildDeclined: return "";
    case MergeResult::NoFirstPiece: return Compose(kNoFirstPiece);
    case MergeResult::RecordDamaged:
    case MergeResult::LastPieceEmpty: return Compose(kDamaged);
    case MergeResult::NoRoom: return Compose(kNoSpace);
    case MergeResult::PieceMissing: return Compose(kPieceMissing, out.piece);
    case MergeResult::CreateFailed: return Compose(kCreate, name);
    case MergeResult::NameTaken: return Compose(kExists, name);
    case MergeResult::OpenPieceFailed: return Compose(kOpenPiece, out.piece);
    case MergeResult::WriteFailed: return Compose(kWrite, name);
    case MergeResult::ReadPieceFailed: return Compose(kReadPiece, out.piece);
    case MergeResult::ReopenFailed: return Compose(kReopen, name);
    case MergeResult::SizeDiffers: return Compose(kSizeDiffers);
    case MergeResult::PieceBad: return Compose(kNoParity, parity, BadText(out.bad));
    case MergeResult::TooManyBad: return Compose(kTooManyBad, BadText(out.bad));
    case MergeResult::SameStripe: return Compose(kSameStripe, BadText(out.bad));
    case MergeResult::PiecesBad: return Compose(kNoParityMany, parity, BadText(out.bad));
    case MergeResult::BeyondParity: return Compose(kBeyondParity, Rows(set), BadText(out.bad));
    case MergeResult::RebuildOpenFailed: return Compose(kReopen, name);
    case MergeResult::RebuildReadFailed: return Compose(kReadMerged, name);
    case MergeResult::RebuildFailed:
      return out.bad.count == 1 ? Compose(kRebuildFailed, out.piece) : Compose(kRebuildFailedMany, BadText(out.bad));
  }
  return "";
}

// "5, 30-31": the damaged blocks of piece k as the merge found them.
std::string BlocksOf(const pieceset::Stripes& found, int k) {
  std::string out;
  for (int j = 0; j < pieceset::kMaxBlocks;) {
    auto hit = [&](int at) {
      // The stripe keeps the pieces of as many damaged blocks as the merge can rebuild.
      const int kept = static_cast<int>(sizeof(found.piece[at]) / sizeof(found.piece[at][0]));
      const int n = found.lost[at] < kept ? found.lost[at] : kept;
      for (int t = 0; t < n; ++t) {
        if (found.piece[at][t] == k) return true;
      }
      return false;
    };
    if (!hit(j)) {
      ++j;
      continue;
    }
    int end = j;
    while (end + 1 < pieceset::kMaxBlocks && hit(end + 1)) ++end;
    out += (out.empty() ? "" : ", ") + std::to_string(j) + (end > j ? "-" + std::to_string(end) : "");
    j = end + 1;
  }
  return out;
}

// The pieces afterwards: as asked on the line, else as the user answers Tovra's question.
void AfterMerge(const Args& args, const SetOnDisk& set) {
  const int last = LastFileOfSet(set);
  if (args.keep || (!args.remove && !Ask(Compose(kDelete, last)))) return;
  engine::RemovePieceSet(SystemFiles(), set.dir.c_str(), set.prefix.c_str(), last);
  Say("FILE-0 to FILE-" + std::to_string(last) + " deleted.");
}

}  // namespace

int RunMerge(const Args& args) {
  static SetOnDisk set;
  if (!ReadSet(args.operands.empty() ? "." : args.operands[0], args.codepage, &set)) return kExitFailed;
  const std::string merged = set.dir + set.localName;
  if (engine::NameExistsInDir(SystemFiles(), set.dir.c_str(), set.localName.c_str())) {
    Complain(ShownName(set.given), Compose(kExists, ShownName(set.localName)));
    return kExitFailed;
  }
  RebuildQuestion q{&set, false, args.yes};
  const engine::MergeJob job = JobFor(set, &q);
  BeginProgress("merging " + ShownName(set.localName), static_cast<uint64_t>(set.values.size));
  const MergeOutcome out = engine::MergePieces(SystemFiles(), job);
  EndProgress();
  // What stands under the recorded name now is this merge's: one that did not check out, or
  // that Ctrl-C cut short at its end, goes.
  const bool kept = out.result == MergeResult::Ok || out.result == MergeResult::SizeDiffers ||
                    out.result == MergeResult::ReopenFailed;
  if (Interrupted()) {
    if (kept) RemoveForced(SystemFiles(), merged.c_str());
    Complain(ShownName(set.given), "interrupted; nothing has been merged.");
    return kExitInterrupted;
  }
  if (out.result == MergeResult::SizeDiffers) RemoveForced(SystemFiles(), merged.c_str());
  if (out.result != MergeResult::Ok) {
    if (out.result != MergeResult::RebuildDeclined) Complain(ShownName(set.given), FailureText(set, out));
    if (out.leftAs) Complain(ShownName(set.given), Compose(kLeftAs, ShownName(out.leftAs)));
    return out.result == MergeResult::RebuildDeclined ? kExitRepairable : kExitFailed;
  }
  if (out.rebuiltBlocks) {
    pieceset::BadPieces bad = out.bad;
    char list[512];
    pieceset::ListBad(bad, list, sizeof(list));
    Say(Compose(Rows(set) > 1 ? rundelo::kRebuiltRows : rundelo::kRebuilt, list) + " (" +
        std::to_string(out.rebuiltBlocks) + " block(s))");
  }
  Say(ShownName(merged) + ": merged, " + std::to_string(set.values.size) + " bytes" +
      (set.info.checked ? ", every block checked." : " (a set without checks: its length is checked)."));
  AfterMerge(args, set);
  return kExitOk;
}

int RunCheck(const Args& args) {
  static SetOnDisk set;
  if (!ReadSet(args.operands.empty() ? "." : args.operands[0], args.codepage, &set)) return kExitFailed;
  RebuildQuestion q{&set, true, false};
  engine::MergeJob job = JobFor(set, &q);
  job.hasRoom = [](void*, int64_t) { return true; };
  static pieceset::Stripes found;
  job.found = &found;
  BeginProgress("checking " + ShownName(set.localName), static_cast<uint64_t>(set.values.size));
  const MergeOutcome out = engine::MergePieces(DryFiles(SystemFiles()), job);
  EndProgress();
  if (Interrupted()) {
    Complain(ShownName(set.given), "interrupted.");
    return kExitInterrupted;
  }
  const std::string subject = ShownName(set.given) + ": " + ShownName(set.localName) + ": ";
  if (out.result == MergeResult::Ok) {
    Say(subject + "whole, " + std::to_string(set.values.count) + " pieces" +
        (set.info.checked ? ", every block sound." : "; a set without checks: only the lengths of its pieces can be checked."));
    return kExitOk;
  }
  if (out.result == MergeResult::RebuildDeclined) {
    for (int i = 0; i < out.bad.count && i < pieceset::kNamed; ++i) {
      char what[256];
      pieceset::DescribeBad(what, sizeof(what), out.bad.piece[i], out.bad.state[i], kBadPiece);
      Say(subject + what + " Block(s) " + BlocksOf(found, out.bad.piece[i]) + ".");
    }
    if (out.bad.count > pieceset::kNamed) Say(subject + std::to_string(out.bad.count) + " pieces in all.");
    Say(subject + "repairable: " + std::to_string(q.blocks) + " block(s) can be rebuilt from the parity file" +
        (Rows(set) > 1 ? "s." : "."));
    return kExitRepairable;
  }
  Say(subject + "cannot be merged:\n" + FailureText(set, out));
  return kExitFailed;
}

}  // namespace cli
