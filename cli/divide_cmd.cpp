// `tovra divide`: Tovra's division of a file, its checks in Tovra's words, and nothing left of
// it when it fails or is interrupted.
#include <cerrno>
#include <cstring>
#include <string>

#include <sys/stat.h>

#include "base/sse.h"
#include "commands.h"
#include "console.h"
#include "engine/divide_work.h"
#include "engine/parity_code.h"
#include "engine/texts.h"
#include "names.h"
#include "places.h"

namespace cli {
namespace {

constexpr Text kNoWindowsName = {
    "Unable to divide a file whose name a Windows PC cannot take, %s.\nPlease rename it first.", nullptr};
constexpr Text kNotInCodepage = {
    "Unable to divide a file whose name has characters that the code page of the record lacks, %s.\n"
    "Please rename it first, or choose another code page (--codepage).",
    nullptr};

bool VisitPiece(void* ctx, const DirEntry& e) {
  const auto* source = static_cast<const std::string*>(ctx);
  return pieceset::PieceNumberOfName(e.name) >= 0 && e.name != *source;
}

// Whether the folder holds a file named like a piece, the source aside.
bool HoldsPieces(const std::string& dir, const std::string& sourceName) {
  return SystemFiles().list(dir.c_str(), VisitPiece, const_cast<std::string*>(&sourceName));
}

std::string FailureText(const engine::DivideOutcome& out, const std::string& source) {
  using engine::DivideResult;
  switch (out.result) {
    case DivideResult::Ok: return "";
    case DivideResult::CreateInfoFailed: return Compose(kCreateInfo);
    case DivideResult::WriteInfoFailed: return Compose(kWriteInfo);
    case DivideResult::OpenSourceFailed: return Compose(kOpenSource, source);
    case DivideResult::CreatePieceFailed: return Compose(kCreatePiece, out.piece);
    case DivideResult::ReadSourceFailed: return Compose(kReadSource, source);
    case DivideResult::WritePieceFailed: return Compose(kWritePiece, out.piece);
  }
  return "";
}

// Removes file-0 ... file-last of dir.
void RemoveFiles(const std::string& dir, int last) {
  for (int k = 0; k <= last; ++k) RemoveForced(SystemFiles(), (dir + "file-" + std::to_string(k)).c_str());
}

}  // namespace

int RunDivide(const Args& args) {
  const std::string source = args.operands[0];
  const std::string shown = ShownName(source);
  struct stat st;
  if (stat(source.c_str(), &st) != 0) {
    Complain(shown, std::strerror(errno));
    return kExitFailed;
  }
  if (!S_ISREG(st.st_mode)) {
    Complain(shown, "not a file");
    return kExitFailed;
  }
  const std::string name = LastPart(source);
  // Readers split the record at semicolons, so such a name could not be merged again.
  if (engine::HasSemicolon(name.c_str())) {
    Complain(shown, Compose(kSemicolon, ShownName(name)));
    return kExitFailed;
  }
  const RecordName record = RecordNameOf(name, args.codepage);
  if (!record.ok) {
    Complain(shown, Compose(kNotInCodepage, ShownName(name)));
    return kExitFailed;
  }
  if (!pieceset::IsPlainFileName(record.bytes.c_str(), record.dbcs932)) {
    Complain(shown, Compose(kNoWindowsName, ShownName(name)));
    return kExitFailed;
  }
  const std::string to = args.to.empty() ? FolderOf(source) : args.to;
  if (!IsFolder(to)) {
    Complain(ShownName(to), "not a folder");
    return kExitFailed;
  }
  const std::string dir = AsFolder(to);
  DirEntry entry;
  if (!SystemFiles().lookup(source.c_str(), &entry)) {
    Complain(shown, Compose(kOpenSource, ShownName(name)));
    return kExitFailed;
  }
  const engine::DivisionPlan plan = engine::PlanDivision(entry.length, args.blocks);
  if (plan.status != engine::PlanStatus::Ok) {
    Complain(shown, Compose(plan.status == engine::PlanStatus::UnderDivisionSize ? kUnderSize : kOver999));
    return kExitFailed;
  }
  const bool beside = SameFile(to, FolderOf(source));
  if (beside && engine::SourceIsAmongPieces(name.c_str(), plan.pieces)) {
    Complain(shown, Compose(kNamedLikePiece, ShownName(name)));
    return kExitFailed;
  }
  if (HoldsPieces(dir, beside ? name : std::string())) {
    if (!args.force && !Ask(Compose(kPiecesExist))) {
      Complain(ShownName(to), CanAsk() ? "nothing divided." : "the pieces of an earlier set are here; --force deletes them first.");
      return kExitFailed;
    }
    engine::DeleteExistingPieces(SystemFiles(), dir.c_str(), beside ? name.c_str() : "");
  }
  const int64_t free = FreeBytes(to);
  if (free >= 0 && free < engine::DivisionRoom(entry.length, plan)) {
    Complain(ShownName(to), Compose(kNoSpace));
    return kExitFailed;
  }

  const engine::DivideJob job{dir.c_str(), source.c_str(), record.bytes.c_str(), entry.length, entry.lastWrite,
                              plan,        record.dbcs932};
  BeginProgress("dividing " + ShownName(name), entry.length);
  pieceset::AllowWideSteps(SystemKeepsSse());
  const engine::DivideOutcome out = engine::DivideFile(SystemFiles(), job);
  EndProgress();
  const int last = pieceset::LastSetNumber(plan.pieces);
  if (out.result != engine::DivideResult::Ok || Interrupted()) {
    // The division removed the pieces it wrote; FILE-0 goes too, and all of a set that
    // Ctrl-C cut short at its end.
    if (out.result == engine::DivideResult::Ok) RemoveFiles(dir, last);
    else if (out.result != engine::DivideResult::CreateInfoFailed) RemoveFiles(dir, 0);
    if (Interrupted()) {
      Complain(shown, "interrupted; nothing is left of the division.");
      return kExitInterrupted;
    }
    Complain(shown, FailureText(out, ShownName(name)));
    return kExitFailed;
  }
  const int parity = pieceset::ParityCount(plan.pieces);
  Say(ShownName(dir) + "file-0 ... file-" + std::to_string(last) + ": " + std::to_string(plan.pieces) +
      " pieces of " + ShownName(name) + " (" + std::to_string(entry.length) + " bytes), " +
      (parity > 1 ? std::to_string(parity) + " parity pieces" : std::string("the parity")) + " and the block checks.");
  return kExitOk;
}

}  // namespace cli
