#include "rundelo_merge.h"

#include <cstring>

#include "base/crc32.h"
#include "core.h"
#include "parity.h"
#include "pieceset.h"
#include "system.h"
#include "texts.h"

namespace rundelo {
namespace {

using pieceset::PieceState;

// The merge runs once: what it works on is kept here rather than handed from call to call.
HWND g_owner;
HWND g_waitingLine;
const char* g_waitingText;
const char* g_dir;
const char* g_prefix;
char g_dest[kPathBytes];
// Where the merged file is written until it has checked out: a free ~RDL000.TMP to ~RDL999.TMP.
char g_temp[kPathBytes];
CalTime g_mergedTime;
char g_buffer[kChunkBytes + 1];
pieceset::Checks g_checks;
pieceset::BlockChecks g_blocks;
// The damaged blocks of the data pieces, stripe by stripe, and the pieces they are in.
pieceset::Stripes g_stripes;
// The pieces as one reading of the folder finds them.
pieceset::FolderPieces g_pieces;

// Messages are composed by the system's own formatter, which writes at most 1024 bytes a call;
// a message of two calls has room for both.
char g_message[2048];
char g_described[1024];

void Report(const Text& text, const Text& caption, UINT flags) {
  MessageBoxA(g_owner, Tx(text), Tx(caption), flags);
}

void Fail(const Text& text) { Report(text, kCaptionError, MB_ICONHAND); }

void FailWith(const char* message) { MessageBoxA(g_owner, message, Tx(kCaptionError), MB_ICONHAND); }

// Reports a text whose "%s" is a name or path.
void ReportWith(const Text& text, const char* name, const Text& caption, UINT flags) {
  wsprintfA(g_message, Tx(text), name);
  MessageBoxA(g_owner, g_message, Tx(caption), flags);
}

// Reports a text whose "%d" is a piece's number.
void FailNumbered(const Text& text, int k) {
  wsprintfA(g_message, Tx(text), k);
  FailWith(g_message);
}

// The wait cursor, and the waiting text in the waiting line, while the pieces are copied.
void ShowBusy() {
  SetCursor(LoadCursorA(nullptr, IDC_WAIT));
  SendMessageA(g_waitingLine, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(g_waitingText));
}

void ShowIdle() { SetCursor(LoadCursorA(nullptr, IDC_ARROW)); }

// Shows a text whose "%s" names pieces in the waiting line.
void ShowInLine(const Text& text, const char* pieces) {
  wsprintfA(g_message, Tx(text), pieces);
  SendMessageA(g_waitingLine, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(g_message));
  UpdateWindow(g_waitingLine);
}

// Length of an existing file; false when there is none.
bool LengthOf(const char* path, uint64_t* length) {
  WIN32_FIND_DATAA found;
  HANDLE h = FindFirstFileA(path, &found);
  if (h == INVALID_HANDLE_VALUE) return false;
  FindClose(h);
  *length = (static_cast<uint64_t>(found.nFileSizeHigh) << 32) | found.nFileSizeLow;
  return true;
}

bool Exists(const char* path) {
  uint64_t length;
  return LengthOf(path, &length);
}

// Reads the first bytes of FILE-0 and its last-write time (local) with its attributes set
// aside; false when it cannot be opened. *complete when that was all; *timed when the time was
// read.
bool ReadInfoFile(const char* path, char* data, DWORD* len, bool* complete, CalTime* written,
                  bool* timed) {
  DWORD attributes = GetFileAttributesA(path);
  SetFileAttributesA(path, FILE_ATTRIBUTE_ARCHIVE);
  HANDLE h = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                         FILE_ATTRIBUTE_NORMAL, nullptr);
  const bool opened = h != INVALID_HANDLE_VALUE;
  if (opened) {
    // A file on a fixed disk gives all it has in one read; it was all when its end is there.
    *len = 0;
    ReadFile(h, data, pieceset::kReadLimit, len, nullptr);
    *complete = SetFilePointer(h, 0, nullptr, FILE_END) == *len;
    FILETIME ft;
    *timed = GetFileTime(h, nullptr, nullptr, &ft) &&
             LocalTimeOfFileTime((static_cast<uint64_t>(ft.dwHighDateTime) << 32) | ft.dwLowDateTime,
                                 written);
    CloseHandle(h);
  }
  if (attributes != INVALID_FILE_ATTRIBUTES) SetFileAttributesA(path, attributes);
  return opened;
}

bool SetMergedTime(const char* path, const CalTime& t) {
  HANDLE h = CreateFileA(path, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_WRITE, nullptr,
                         OPEN_EXISTING, FILE_ATTRIBUTE_ARCHIVE, nullptr);
  if (h == INVALID_HANDLE_VALUE) return false;
  uint64_t when = 0;
  FILETIME ft;
  bool ok = FileTimeOfLocalTime(t, &when);
  ft.dwLowDateTime = static_cast<DWORD>(when);
  ft.dwHighDateTime = static_cast<DWORD>(when >> 32);
  ok = ok && SetFileTime(h, &ft, &ft, &ft);
  CloseHandle(h);
  return ok;
}

// Files are opened with the system's own call: those a merge copies as the old 16-bit file
// calls opened them, shared both ways. The handles are those of the rebuild's file calls below,
// -1 when a file cannot be opened.
constexpr DWORD kShared = FILE_SHARE_READ | FILE_SHARE_WRITE;
intptr_t Open(const char* path, DWORD access, DWORD share, DWORD creation = OPEN_EXISTING) {
  return reinterpret_cast<intptr_t>(
      CreateFileA(path, access, share, nullptr, creation, FILE_ATTRIBUTE_NORMAL, nullptr));
}
long IoRead(void*, intptr_t f, void* buf, long n) {
  DWORD got = 0;
  return ReadFile(reinterpret_cast<HANDLE>(f), buf, static_cast<DWORD>(n), &got, nullptr) ? static_cast<long>(got) : -1;
}
long IoWrite(void*, intptr_t f, const void* buf, long n) {
  DWORD put = 0;
  return WriteFile(reinterpret_cast<HANDLE>(f), buf, static_cast<DWORD>(n), &put, nullptr) ? static_cast<long>(put) : -1;
}
void IoClose(void*, intptr_t f) { CloseHandle(reinterpret_cast<HANDLE>(f)); }

// Makes the merged file under a free temporary name beside the pieces: it takes its recorded
// name only once it has checked out, so that no file of that name is ever one that did not. A
// new file made by one call is not cut: a cut file on ext4 (under Wine) has all its data written
// out at its last close, hundreds of megabytes waited for.
intptr_t OpenMerged() {
  static const char kName[] = "~RDL000.TMP";
  const std::size_t n = std::strlen(g_dir);
  if (n + sizeof(kName) > kPathBytes) return -1;
  std::memcpy(g_temp, g_dir, n);
  std::memcpy(g_temp + n, kName, sizeof(kName));
  for (int k = 0; k < 1000; ++k) {
    g_temp[n + 4] = static_cast<char>('0' + k / 100);
    g_temp[n + 5] = static_cast<char>('0' + k / 10 % 10);
    g_temp[n + 6] = static_cast<char>('0' + k % 10);
    const intptr_t out = Open(g_temp, GENERIC_WRITE, kShared, CREATE_NEW);
    if (out != -1) return out;
    // Only a taken name is worth another try: a folder that takes no file takes none of them.
    if (!Exists(g_temp)) break;
  }
  return -1;
}

// Deletes the unfinished file before its failure is shown, so that nothing is left should the
// program be ended while the message waits.
void Discard(const Text& failure) {
  DeleteFileA(g_temp);
  ShowIdle();
  Fail(failure);
}

// Ends a merge whose pieces are all in: the merged file of the record's size gets its time and
// then its recorded name; one of another size is deleted. MoveFileA fails rather than replace a
// file of that name that appeared meanwhile. False when the file did not take its name.
bool Finish(long size) {
  uint64_t length = 0;
  if (!LengthOf(g_temp, &length) || length != static_cast<uint64_t>(size)) {
    Discard(kSizeDiffers);
    return false;
  }
  const bool timed = SetMergedTime(g_temp, g_mergedTime);
  if (!MoveFileA(g_temp, g_dest)) {
    DeleteFileA(g_temp);
    ShowIdle();
    if (Exists(g_dest)) ReportWith(kDestinationExists, g_dest, kCaptionWarning, MB_ICONEXCLAMATION);
    else ReportWith(kCannotCreate, g_dest + std::strlen(g_dir), kCaptionError, MB_ICONHAND);
    return false;
  }
  ShowIdle();
  if (!timed) Fail(kCannotSetTime);
  return true;
}

enum class Copied { Ok, Unreadable, Unwritten };

// Copies length bytes of in to out in passes of kChunkBytes, so that a piece moves in one read
// and one write.
Copied CopyBytes(intptr_t in, intptr_t out, uint32_t length) {
  for (uint32_t i = 0; i < PassCount(length); ++i) {
    const long n = static_cast<long>(PassBytes(length, i));
    // An empty pass copies nothing: a system call per piece saved. No clearing: a short read
    // stops the copy before any write.
    if (n == 0) continue;
    if (IoRead(nullptr, in, g_buffer, n) != n) return Copied::Unreadable;
    if (IoWrite(nullptr, out, g_buffer, n) != n) return Copied::Unwritten;
  }
  return Copied::Ok;
}

// Appends piece path to out whole; the text of the failure, or null. A piece that cannot be
// opened, one longer than room, a short read or a short write (full disk) are failures.
const Text* AppendPiece(const char* path, intptr_t out, long room, LONG* length) {
  intptr_t in = Open(path, GENERIC_READ, kShared);
  if (in == -1) return &kCannotOpenPiece;
  HANDLE h = reinterpret_cast<HANDLE>(in);
  *length = static_cast<LONG>(SetFilePointer(h, 0, nullptr, FILE_END));
  SetFilePointer(h, 0, nullptr, FILE_BEGIN);
  const Text* failure = nullptr;
  if (*length < 0) {
    failure = &kCannotOpenPiece;
  } else if (*length > room ||
             CopyBytes(in, out, static_cast<uint32_t>(*length)) != Copied::Ok) {
    failure = &kSizeDiffers;
  }
  IoClose(nullptr, in);
  return failure;
}

// The merge of a set without a check line: every piece appended whole; a failure ends it
// without a merged file.
void MergeUnchecked(const pieceset::InfoValues& vals, const char* name) {
  intptr_t out = OpenMerged();
  if (out == -1) {
    ReportWith(kCannotCreate, name, kCaptionError, MB_ICONHAND);
    return;
  }
  ShowBusy();
  long written = 0;
  for (int k = 1; k <= vals.count; ++k) {
    char piece[kPathBytes];
    pieceset::ComposePiecePath(piece, sizeof(piece), g_dir, g_prefix, k);
    LONG length = 0;
    if (const Text* failure = AppendPiece(piece, out, vals.size - written, &length)) {
      IoClose(nullptr, out);
      Discard(*failure);
      return;
    }
    written += length;
  }
  IoClose(nullptr, out);
  Finish(vals.size);
}

// The rest of the rebuild's file calls.
intptr_t IoOpenRead(void*, const char* path) { return Open(path, GENERIC_READ, FILE_SHARE_READ); }
intptr_t IoOpenWrite(void*, const char* path) { return Open(path, GENERIC_READ | GENERIC_WRITE, 0); }
bool IoSeek(void*, intptr_t f, uint32_t at) {
  return SetFilePointer(reinterpret_cast<HANDLE>(f), static_cast<LONG>(at), nullptr, FILE_BEGIN) == at;
}
const pieceset::PieceIo kIo = {nullptr, IoOpenRead, IoOpenWrite, IoRead, IoWrite, IoSeek, IoClose};

const pieceset::BadPieces& Bad() { return g_stripes.bad; }

// The bad pieces, listed for a message.
const char* ListedBad() {
  pieceset::ListBad(Bad(), g_described, sizeof(g_described));
  return g_described;
}

// Names the bad pieces, then why is the text why (its "%d" the number).
void ReportPiecesBad(const Text& why, int number) {
  const int named = wsprintfA(g_message, Tx(kPiecesBad), ListedBad());
  wsprintfA(g_message + named, Tx(why), number);
  FailWith(g_message);
}

// Why the damage is beyond the parity piece, naming the pieces.
void ReportBad(pieceset::RepairPlan plan, bool blockChecked) {
  const int parity = g_checks.count + 1;
  if (plan == pieceset::RepairPlan::SameStripe) {
    // Without block checks two bad pieces share every stripe.
    ReportPiecesBad(blockChecked ? kSameStripe : kTooManyBad, 0);
    return;
  }
  if (Bad().count >= 2) {
    ReportPiecesBad(kNoParityMany, parity);
    return;
  }
  wsprintfA(g_described, Tx(pieceset::BadPieceText(Bad().state[0], kBadPiece)), Bad().piece[0]);
  wsprintfA(g_message, Tx(kNoParity), g_described, parity);
  FailWith(g_message);
}

bool ComposeSetPath(char* path, int k) {
  return pieceset::ComposePiecePath(path, kPathBytes, g_dir, g_prefix, k);
}

// Looks up pieces 1 to last one by one: the system finds a name in either letter case.
void ReadPieces(int last) {
  for (int k = 1; k <= last; ++k) {
    char path[kPathBytes];
    g_pieces.there[k] = ComposeSetPath(path, k) && LengthOf(path, &g_pieces.length[k]);
  }
}

// The merge of a set with a check line; true when damaged blocks have been rebuilt. Each
// piece is judged block by block where the set has block checks, else whole by its CRC; the
// damaged blocks are rebuilt from their stripes. A doomed set is read through without a merged
// file, so that every bad piece is named.
bool MergeChecked(const char* name, bool doomed) {
  char path[kPathBytes];
  std::memset(&g_stripes, 0, sizeof(g_stripes));
  ComposeSetPath(path, g_checks.count + 2);
  const pieceset::BlockChecks* b =
      pieceset::ReadBlockChecks(kIo, path, g_checks, &g_blocks) ? &g_blocks : nullptr;
  intptr_t out = -1;
  if (!doomed) {
    out = OpenMerged();
    if (out == -1) {
      ReportWith(kCannotCreate, name, kCaptionError, MB_ICONHAND);
      return false;
    }
  }
  ShowBusy();
  bool written = true;
  // The pieces are judged in order, missing ones too, so that they are named in order.
  for (int k = 1; k <= g_checks.count && written; ++k) {
    PieceState why = PieceState::Missing;
    intptr_t in = -1;
    if (g_pieces.there[k]) {
      const PieceState byLength = pieceset::JudgeLength(g_checks, k, g_pieces.length[k]);
      why = pieceset::JudgedByCrc(byLength) ? PieceState::Damaged : byLength;
      ComposeSetPath(path, k);
      in = Open(path, GENERIC_READ, kShared);
    }
    written = pieceset::CopyPiece(kIo, in, g_stripes.clash ? -1 : out, g_checks, b, k, why, &g_stripes);
    if (in != -1) IoClose(nullptr, in);
  }
  pieceset::FinishPieces(g_checks, b, &g_stripes);
  if (out != -1) IoClose(nullptr, out);
  if (!written) {
    Discard(kSizeDiffers);
    return false;
  }
  ComposeSetPath(path, g_checks.count + 1);
  const pieceset::RepairPlan plan = doomed && !g_stripes.clash
                                        ? pieceset::RepairPlan::NoParity
                                        : pieceset::PlanRepair(kIo, path, g_checks, b, g_stripes);
  if (plan != pieceset::RepairPlan::Sound && plan != pieceset::RepairPlan::Possible) {
    if (!doomed) DeleteFileA(g_temp);
    ShowIdle();
    ReportBad(plan, b != nullptr);
    return false;
  }
  const bool repair = plan == pieceset::RepairPlan::Possible;
  if (repair) {
    ShowInLine(kRebuilding, ListedBad());
    if (!pieceset::RebuildStripes(kIo, g_checks, b, g_stripes, g_temp)) {
      DeleteFileA(g_temp);
      ShowIdle();
      if (Bad().count >= 2) wsprintfA(g_message, Tx(kRebuildFailedMany), ListedBad());
      else wsprintfA(g_message, Tx(kRebuildFailed), Bad().piece[0]);
      FailWith(g_message);
      return false;
    }
  }
  if (!Finish(g_checks.size)) return false;
  if (repair) ShowInLine(kRebuilt, ListedBad());
  return repair;
}

}  // namespace

bool RunMerge(HWND owner, HWND waitingLine, const char* waitingText, const char* dir,
              OsKind kind) {
  g_owner = owner;
  g_waitingLine = waitingLine;
  g_waitingText = waitingText;
  g_dir = dir;
  const bool dbcs = g_uiLanguage == 1;

  char root[4] = {dir[0], ':', '\\', 0};
  if (!dir[0] || !IsFixedDrive(root)) {
    Report(kNotHardDisk, kCaptionError, MB_ICONEXCLAMATION);
    return false;
  }

  char info[kPathBytes];
  g_prefix = "file-";
  if (!ComposeSetPath(info, 0) || !Exists(info)) {
    g_prefix = "FILE-";
    if (!ComposeSetPath(info, 0) || !Exists(info)) {
      Fail(kNoInfoFile);
      return false;
    }
  }

  static char data[pieceset::kReadLimit];
  DWORD len = 0;
  bool complete = false, timed = false;
  CalTime infoTime{};
  if (!ReadInfoFile(info, data, &len, &complete, &infoTime, &timed)) {
    Fail(kCannotOpenInfo);
    return false;
  }
  pieceset::InfoRecord rec;
  pieceset::InfoValues vals;
  if (pieceset::ReadStandalone(data, len, complete, dbcs, &rec, &vals) !=
      pieceset::StandaloneResult::Ok) {
    Fail(kIncorrectInfo);
    return false;
  }

  const std::size_t dirLength = std::strlen(dir), nameLength = std::strlen(rec.name);
  if (dirLength + nameLength >= sizeof(g_dest)) {
    // Too long for the system's paths: it could never be created.
    ReportWith(kCannotCreate, rec.name, kCaptionError, MB_ICONHAND);
    return false;
  }
  wsprintfA(g_dest, "%s%s", dir, rec.name);
  if (Exists(g_dest)) {
    ReportWith(kDestinationExists, g_dest, kCaptionWarning, MB_ICONEXCLAMATION);
    return false;
  }

  bool ntfs = IsNtfsVolume(root);
  if (!vals.hasTime && !timed) {
    Fail(kCannotOpenInfo);
    return false;
  }
  g_mergedTime = pieceset::ResolveMergedTime(vals, infoTime, ntfs);

  const bool checked = pieceset::ReadChecks(data, len, vals, &g_checks);
  ReadPieces(checked ? g_checks.count + 1 : vals.count);
  const bool doomed = checked && pieceset::SetIsDoomed(g_checks, g_pieces);
  if (!checked) {
    for (int k = 1; k <= vals.count; ++k) {
      if (!g_pieces.there[k]) {
        FailNumbered(kPieceMissing, k);
        return false;
      }
    }
  }

  if (!doomed && !HasRoomFor(root, static_cast<unsigned long long>(vals.size) + 1000, kind)) {
    Fail(kNoFreeSpace);
    return false;
  }

  if (checked) return MergeChecked(rec.name, doomed);
  MergeUnchecked(vals, rec.name);
  return false;
}

}  // namespace rundelo
