#include "rundelo_merge.h"

#include <cstring>

#include "checked_merge.h"
#include "core.h"
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
char g_dest[kPathBytes];
CalTime g_mergedTime;
// The set, its pieces as one reading of the folder finds them, the merge's buffers and what it
// finds. The merged file is written at its temp until it has checked out: a free ~RDL000.TMP to
// ~RDL999.TMP.
pieceset::MergeSession g_session;
constexpr std::size_t kTempNameBytes = sizeof("~RDL000.TMP");

// Messages are composed by the system's own formatter, which writes at most 1024 bytes a call;
// a message of two calls has room for both.
char g_message[2048];
char g_described[1024];

void Report(TextId text, TextId caption, UINT flags) {
  MessageBoxA(g_owner, Tx(text), Tx(caption), flags);
}

void Fail(TextId text) { Report(text, kCaptionError, MB_ICONHAND); }

void FailWith(const char* message) { MessageBoxA(g_owner, message, Tx(kCaptionError), MB_ICONHAND); }

// Reports a text whose "%s" is a name or path.
void ReportWith(TextId text, const char* name, TextId caption, UINT flags) {
  wsprintfA(g_message, Tx(text), name);
  MessageBoxA(g_owner, g_message, Tx(caption), flags);
}

// Reports a text whose "%d" is a piece's number.
void FailNumbered(TextId text, int k) {
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
void ShowInLine(TextId text, const char* pieces) {
  wsprintfA(g_message, Tx(text), pieces);
  SendMessageA(g_waitingLine, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(g_message));
  UpdateWindow(g_waitingLine);
}

// What the system finds of an existing file; false when there is none.
bool Find(const char* path, WIN32_FIND_DATAA* found) {
  HANDLE h = FindFirstFileA(path, found);
  if (h == INVALID_HANDLE_VALUE) return false;
  FindClose(h);
  return true;
}

// Length of an existing file; false when there is none.
bool LengthOf(const char* path, uint64_t* length) {
  WIN32_FIND_DATAA found;
  if (!Find(path, &found)) return false;
  *length = (static_cast<uint64_t>(found.nFileSizeHigh) << 32) | found.nFileSizeLow;
  return true;
}

bool Exists(const char* path) {
  WIN32_FIND_DATAA found;
  return Find(path, &found);
}

bool ComposeSetPath(char* path, int k) {
  return pieceset::ComposePiecePath(path, kPathBytes, g_session.dir, g_session.prefix, k);
}

// Files are opened with the system's own call: those a merge reads as the old 16-bit file
// calls opened them, shared both ways; the merged file for its rebuild and its time alone.
constexpr DWORD kShared = FILE_SHARE_READ | FILE_SHARE_WRITE;
FileHandle Open(const char* path, DWORD access, DWORD share, DWORD creation = OPEN_EXISTING) {
  return reinterpret_cast<FileHandle>(
      CreateFileA(path, access, share, nullptr, creation, FILE_ATTRIBUTE_NORMAL, nullptr));
}
FileHandle OpenRead(const char* path) { return Open(path, GENERIC_READ, kShared); }
FileHandle OpenWrite(const char* path) { return Open(path, GENERIC_READ | GENERIC_WRITE, 0); }
long Read(FileHandle f, void* buf, long n) {
  DWORD got = 0;
  return ReadFile(reinterpret_cast<HANDLE>(f), buf, static_cast<DWORD>(n), &got, nullptr) ? static_cast<long>(got) : -1;
}
long Write(FileHandle f, const void* buf, long n) {
  DWORD put = 0;
  return WriteFile(reinterpret_cast<HANDLE>(f), buf, static_cast<DWORD>(n), &put, nullptr) ? static_cast<long>(put) : -1;
}
// Offsets in a merged file stay below 2 GiB.
bool Seek(FileHandle f, uint64_t at) {
  return SetFilePointer(reinterpret_cast<HANDLE>(f), static_cast<LONG>(at), nullptr, FILE_BEGIN) ==
         static_cast<DWORD>(at);
}
void Close(FileHandle f) { CloseHandle(reinterpret_cast<HANDLE>(f)); }
bool Remove(const char* path) { return DeleteFileA(path); }
// Fails rather than replace a file of that name.
bool Rename(const char* from, const char* to) { return MoveFileA(from, to); }
// The calls the merge makes; the others stay null.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"
const DiskFiles kFiles = {
    .openRead = OpenRead,
    .openWrite = OpenWrite,
    .read = Read,
    .write = Write,
    .seek = Seek,
    .close = Close,
    .remove = Remove,
    .rename = Rename,
};
#pragma GCC diagnostic pop

// Reads the first bytes of FILE-0 and its last-write time (local) with its attributes set
// aside; false when it cannot be opened. *complete when that was all; *timed when the time was
// read.
bool ReadInfoFile(const char* path, char* data, DWORD* len, bool* complete, CalTime* written,
                  bool* timed) {
  DWORD attributes = GetFileAttributesA(path);
  SetFileAttributesA(path, FILE_ATTRIBUTE_ARCHIVE);
  HANDLE h = reinterpret_cast<HANDLE>(OpenRead(path));
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
  HANDLE h = reinterpret_cast<HANDLE>(OpenWrite(path));
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

// Makes the merged file under a free temporary name beside the pieces: it takes its recorded
// name only once it has checked out, so that no file of that name is ever one that did not. A
// new file made by one call is not cut: a cut file on ext4 (under Wine) has all its data written
// out at its last close, hundreds of megabytes waited for.
// RunMerge has made sure that the name fits beside the pieces.
FileHandle OpenMerged() {
  char* temp = g_session.temp;
  const std::size_t n = std::strlen(g_session.dir);
  std::memcpy(temp, g_session.dir, n);
  for (int k = 0; k < 1000; ++k) {
    wsprintfA(temp + n, "~RDL%03d.TMP", k);
    const FileHandle out = Open(temp, GENERIC_WRITE, kShared, CREATE_NEW);
    if (out != kNoFile) return out;
    // Only a taken name is worth another try: a folder that takes no file takes none of them.
    if (!Exists(temp)) break;
  }
  return kNoFile;
}

// Says so when a file of the recorded name is there.
bool ReportedExisting() {
  const bool there = Exists(g_dest);
  if (there) ReportWith(kDestinationExists, g_dest, kCaptionWarning, MB_ICONEXCLAMATION);
  return there;
}

// Deletes the unfinished file before its failure is shown, so that nothing is left should the
// program be ended while the message waits.
void Discard(TextId failure) {
  pieceset::DiscardMerged(&g_session);
  ShowIdle();
  Fail(failure);
}

// Ends a merge whose pieces are all in: the merged file of the record's size gets its time and
// then its recorded name, which is not taken from a file of that name that appeared meanwhile;
// one of another size is deleted. False when the file did not take its name.
bool Finish(long size) {
  const char* temp = g_session.temp;
  uint64_t length = 0;
  if (!LengthOf(temp, &length) || length != static_cast<uint64_t>(size)) {
    Discard(kSizeDiffers);
    return false;
  }
  const bool timed = SetMergedTime(temp, g_mergedTime);
  if (!pieceset::PutInPlace(&g_session, g_dest)) {
    ShowIdle();
    if (!ReportedExisting()) {
      ReportWith(kCannotCreate, g_dest + std::strlen(g_session.dir), kCaptionError, MB_ICONHAND);
    }
    return false;
  }
  ShowIdle();
  if (!timed) Fail(kCannotSetTime);
  return true;
}

// The merge of a set without a check line: every piece appended whole; a failure ends it
// without a merged file.
void MergeUnchecked(const pieceset::InfoValues& vals, const char* name) {
  FileHandle out = OpenMerged();
  if (out == kNoFile) {
    ReportWith(kCannotCreate, name, kCaptionError, MB_ICONHAND);
    return;
  }
  ShowBusy();
  const Appended appended = AppendPieces(&g_session, out, vals.size, vals.count);
  Close(out);
  if (appended != Appended::Ok) {
    Discard(appended == Appended::CannotOpen ? kCannotOpenPiece : kSizeDiffers);
    return;
  }
  Finish(vals.size);
}

const pieceset::BadPieces& Bad() { return g_session.stripes.bad; }

// The bad pieces, listed for a message.
const char* ListedBad() {
  pieceset::ListBad(Bad(), g_described, sizeof(g_described));
  return g_described;
}

// Names the bad pieces, then why is the text why (its "%d" the number).
void ReportPiecesBad(TextId why, int number) {
  const int named = wsprintfA(g_message, Tx(kPiecesBad), ListedBad());
  wsprintfA(g_message + named, Tx(why), number);
  FailWith(g_message);
}

// Why the damage is beyond the parity pieces, naming the pieces.
void ReportBad(pieceset::MergeEnd end) {
  const int parity = g_session.checks.count + 1;
  if (g_session.checks.parity > 1) {
    ReportPiecesBad(kBeyondParity, g_session.checks.parity);
    return;
  }
  if (end == pieceset::MergeEnd::SameStripe) {
    // Without block checks two bad pieces share every stripe.
    ReportPiecesBad(g_session.blockChecked ? kSameStripe : kTooManyBad, 0);
    return;
  }
  if (Bad().count >= 2) {
    ReportPiecesBad(kNoParityMany, parity);
    return;
  }
  const PieceState state = Bad().state[0];
  wsprintfA(g_described, Tx(kBadPiece[state == PieceState::Missing ? 0 : state == PieceState::Short ? 1 : 2]),
            Bad().piece[0]);
  wsprintfA(g_message, Tx(kNoParity), g_described, parity);
  FailWith(g_message);
}

// Looks up pieces 1 to last one by one: the system finds a name in either letter case.
void ReadPieces(int last) {
  pieceset::FolderPieces& t = g_session.pieces;
  for (int k = 1; k <= last; ++k) {
    char path[kPathBytes];
    t.there[k] = ComposeSetPath(path, k) && LengthOf(path, &t.length[k]);
  }
}

// Shown in the waiting line before damaged blocks are rebuilt: Rundelo rebuilds them unasked.
bool AnnounceRebuild(void*, const pieceset::BadPieces&, int, bool) {
  ShowInLine(g_session.checks.parity > 1 ? kRebuildingRows : kRebuilding, ListedBad());
  return true;
}

// The merge of a set with a check line; true when damaged blocks have been rebuilt. A doomed
// set is read through without a merged file, so that every bad piece is named.
bool MergeChecked(const char* name, bool doomed) {
  pieceset::MergeSession& s = g_session;
  s.out = kNoFile;
  if (!doomed) {
    s.out = OpenMerged();
    if (s.out == kNoFile) {
      ReportWith(kCannotCreate, name, kCaptionError, MB_ICONHAND);
      return false;
    }
  }
  ShowBusy();
  const pieceset::MergeEnd end = pieceset::MergeChecked(&s, AnnounceRebuild, nullptr);
  if (end == pieceset::MergeEnd::Whole || end == pieceset::MergeEnd::Rebuilt) {
    if (!Finish(s.checks.size) || end == pieceset::MergeEnd::Whole) return false;
    ShowInLine(s.checks.parity > 1 ? kRebuiltRows : kRebuilt, ListedBad());
    return true;
  }
  ShowIdle();
  if (end == pieceset::MergeEnd::WriteFailed) {
    Fail(kCannotWrite);
  } else if (end == pieceset::MergeEnd::ReopenFailed || end == pieceset::MergeEnd::ReadBackFailed) {
    Fail(kCannotReadMerged);
  } else if (end == pieceset::MergeEnd::RebuildFailed) {
    if (Bad().count >= 2) wsprintfA(g_message, Tx(kRebuildFailedMany), ListedBad());
    else wsprintfA(g_message, Tx(kRebuildFailed), Bad().piece[0]);
    FailWith(g_message);
  } else {
    ReportBad(end);
  }
  return false;
}

}  // namespace

bool RunMerge(HWND owner, HWND waitingLine, const char* waitingText, const char* dir,
              OsKind kind) {
  g_owner = owner;
  g_waitingLine = waitingLine;
  g_waitingText = waitingText;
  pieceset::MergeSession& s = g_session;
  s.dir = dir;
  const bool dbcs = g_uiLanguage == 1;

  char root[4] = {dir[0], ':', '\\', 0};
  if (!dir[0] || !IsFixedDrive(root)) {
    Report(kNotHardDisk, kCaptionError, MB_ICONEXCLAMATION);
    return false;
  }
  // The merged file's temporary name must fit beside the pieces.
  if (std::strlen(dir) + kTempNameBytes > kPathBytes) {
    Fail(kPathTooLong);
    return false;
  }

  // The pieces are looked up as FILE-0 is spelled: a name in another letter case has Wine read
  // the whole folder for each piece.
  char info[kPathBytes];
  static WIN32_FIND_DATAA found;
  s.prefix = "file-";
  if (!ComposeSetPath(info, 0) || !Find(info, &found)) {
    Fail(kNoInfoFile);
    return false;
  }
  found.cFileName[5] = 0;
  s.prefix = found.cFileName;

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
  if (ReportedExisting()) return false;

  bool ntfs = IsNtfsVolume(root);
  if (!vals.hasTime && !timed) {
    Fail(kCannotOpenInfo);
    return false;
  }
  g_mergedTime = pieceset::ResolveMergedTime(vals, infoTime, ntfs);

  const bool checked = pieceset::ReadChecks(data, len, vals, &s.checks);
  s.fs = &kFiles;
  ReadPieces(checked ? pieceset::LastOfSet(s.checks) : vals.count);
  const bool doomed = checked && pieceset::SetIsDoomed(s);
  if (!checked) {
    for (int k = 1; k <= vals.count; ++k) {
      if (!s.pieces.there[k]) {
        FailNumbered(kPieceMissing, k);
        return false;
      }
    }
  }

  if (!doomed && !HasRoomFor(root, static_cast<unsigned long long>(vals.size) + 1000, kind)) {
    Fail(kNoFreeSpace);
    return false;
  }

  bool rebuilt = false;
  if (checked) rebuilt = MergeChecked(rec.name, doomed);
  else MergeUnchecked(vals, rec.name);
  // After the failure's own message.
  if (s.left) ReportWith(kLeftAs, s.temp, kCaptionWarning, MB_ICONEXCLAMATION);
  return rebuilt;
}

}  // namespace rundelo
