#include "rundelo_merge.h"

#include <cstring>

#include "base/crc32.h"
#include "base/sidework.h"
#include "core.h"
#include "parity.h"
#include "pieceset.h"
#include "system.h"
#include "texts.h"

namespace rundelo {
namespace {

using pieceset::PieceState;

HWND g_owner;
bool g_dbcs;
char g_buffer[kChunkBytes + 1];
pieceset::Checks g_checks;
PieceState g_state[pieceset::kMaxPieces + 2];
pieceset::BadPieces g_bad;

void Report(const Text& text, const Text& caption, UINT flags) {
  MessageBoxA(g_owner, Tx(text), Tx(caption), flags);
}

// Reports a text whose "%s" is a name or path.
void ReportWith(const Text& text, const char* name, const Text& caption, UINT flags) {
  char message[512];
  ComposeMessage(message, sizeof(message), Tx(text), name);
  MessageBoxA(g_owner, message, Tx(caption), flags);
}

void ReportMissingPiece(int k) {
  char message[512];
  ComposeMessage(message, sizeof(message), Tx(kPieceMissing), static_cast<long>(k));
  MessageBoxA(g_owner, message, Tx(kCaptionError), MB_ICONHAND);
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
  WIN32_FIND_DATAA found;
  HANDLE h = FindFirstFileA(path, &found);
  if (h == INVALID_HANDLE_VALUE) return false;
  FindClose(h);
  return true;
}

// Reads the first bytes of FILE-0 with its attributes set aside; *complete when that was all.
enum class InfoRead { Ok, CannotOpen };
InfoRead ReadInfoBytes(const char* path, char* data, DWORD* len, bool* complete) {
  DWORD attributes = GetFileAttributesA(path);
  SetFileAttributesA(path, FILE_ATTRIBUTE_ARCHIVE);
  HANDLE h = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                         FILE_ATTRIBUTE_NORMAL, nullptr);
  InfoRead result = InfoRead::CannotOpen;
  if (h != INVALID_HANDLE_VALUE) {
    *len = 0;
    DWORD got = 0;
    while (*len < pieceset::kReadLimit &&
           ReadFile(h, data + *len, pieceset::kReadLimit - *len, &got, nullptr) && got > 0) {
      *len += got;
    }
    char extra;
    *complete = *len < pieceset::kReadLimit || !ReadFile(h, &extra, 1, &got, nullptr) || got == 0;
    CloseHandle(h);
    result = InfoRead::Ok;
  }
  if (attributes != INVALID_FILE_ATTRIBUTES) SetFileAttributesA(path, attributes);
  return result;
}

// Last-write time of FILE-0 as local calendar time, attributes set aside for the look-up.
bool InfoFileTime(const char* path, CalTime* out) {
  DWORD attributes = GetFileAttributesA(path);
  SetFileAttributesA(path, FILE_ATTRIBUTE_ARCHIVE);
  WIN32_FIND_DATAA found;
  HANDLE h = FindFirstFileA(path, &found);
  bool ok = false;
  if (h != INVALID_HANDLE_VALUE) {
    FindClose(h);
    const FILETIME& ft = found.ftLastWriteTime;
    ok = LocalTimeOfFileTime((static_cast<uint64_t>(ft.dwHighDateTime) << 32) | ft.dwLowDateTime,
                             out);
  }
  if (attributes != INVALID_FILE_ATTRIBUTES) SetFileAttributesA(path, attributes);
  return ok;
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

enum class CopyResult { Ok, CannotOpen, Short };

// Appends piece path to out in passes of kChunkBytes. A short write (full disk) or short read,
// or more bytes than the record allows, ends the copy as a size failure.
CopyResult CopyPiece(const char* path, HFILE out, long recordedSize, long* written) {
  HFILE in = _lopen(path, OF_READ);
  if (in == HFILE_ERROR) return CopyResult::CannotOpen;
  LONG length = _llseek(in, 0, FILE_END);
  _llseek(in, 0, FILE_BEGIN);
  if (length < 0) {
    _lclose(in);
    return CopyResult::CannotOpen;
  }
  CopyResult result = CopyResult::Ok;
  if (length > recordedSize - *written) result = CopyResult::Short;
  std::uint32_t passes = PassCount(static_cast<std::uint32_t>(length));
  for (std::uint32_t i = 0; i < passes && result == CopyResult::Ok; ++i) {
    UINT n = PassBytes(static_cast<std::uint32_t>(length), i);
    // An empty pass copies nothing, and a 0-byte _lwrite would cut the file at the position
    // (a system call per piece). No clearing: a short read stops the copy before any write.
    if (n == 0) continue;
    if (_lread(in, g_buffer, n) != n || _lwrite(out, g_buffer, n) != n) result = CopyResult::Short;
    else *written += static_cast<long>(n);
  }
  _lclose(in);
  return result;
}

// Makes a new file of a free temporary name, ~RDL000.TMP to ~RDL999.TMP, in dir, its path into
// temp (kPathBytes). The merged file is written there and takes its recorded name only once it
// has checked out, so that no file of that name is ever one that did not. Made by one call, the
// new file is not cut: a cut file on ext4 (under Wine) has all its data written out at its last
// close, hundreds of megabytes waited for.
HFILE CreateTemporary(const char* dir, char* temp) {
  static const char kName[] = "~RDL000.TMP";
  const std::size_t n = std::strlen(dir);
  if (n + sizeof(kName) > kPathBytes) return HFILE_ERROR;
  std::strcpy(temp, dir);
  std::strcpy(temp + n, kName);
  for (int k = 0; k < 1000; ++k) {
    temp[n + 4] = static_cast<char>('0' + k / 100);
    temp[n + 5] = static_cast<char>('0' + k / 10 % 10);
    temp[n + 6] = static_cast<char>('0' + k % 10);
    HANDLE h = CreateFileA(temp, GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_NEW,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h != INVALID_HANDLE_VALUE) return static_cast<HFILE>(reinterpret_cast<INT_PTR>(h));
    // Only a taken name is worth another try: a folder that takes no file takes none of them.
    if (!Exists(temp)) break;
  }
  return HFILE_ERROR;
}

// Gives the checked file at temp the recorded name. MoveFileA fails rather than replace a file
// of that name that appeared meanwhile; the temporary file is then deleted and the failure shown.
bool PutInPlace(const char* temp, const char* dest, const char* name) {
  if (MoveFileA(temp, dest)) return true;
  DeleteFileA(temp);
  if (Exists(dest)) ReportWith(kDestinationExists, dest, kCaptionWarning, MB_ICONEXCLAMATION);
  else ReportWith(kCannotCreate, name, kCaptionError, MB_ICONHAND);
  return false;
}

void SetWaiting(HWND waitingLine, const char* text, LPCSTR cursor) {
  SetCursor(LoadCursorA(nullptr, cursor));
  if (text) SendMessageA(waitingLine, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text));
}

// Creates, fills and checks the merged file, gives it its time and then its name. A failure
// deletes the file before it is shown, so that nothing is left while the message waits.
void Rebuild(HWND waitingLine, const char* waitingText, const char* dir, const char* prefix,
             const char* dest, const char* name, const pieceset::InfoValues& vals,
             const CalTime& mergedTime) {
  char temp[kPathBytes];
  HFILE out = CreateTemporary(dir, temp);
  if (out == HFILE_ERROR) {
    ReportWith(kCannotCreate, name, kCaptionError, MB_ICONHAND);
    return;
  }
  SetWaiting(waitingLine, waitingText, IDC_WAIT);

  long written = 0;
  CopyResult r = CopyResult::Ok;
  for (int k = 1; k <= vals.count && r == CopyResult::Ok; ++k) {
    char piece[kPathBytes];
    pieceset::ComposePiecePath(piece, sizeof(piece), dir, prefix, k);
    r = CopyPiece(piece, out, vals.size, &written);
  }
  if (r == CopyResult::Ok && _llseek(out, 0, FILE_END) != vals.size) r = CopyResult::Short;
  _lclose(out);
  if (r != CopyResult::Ok) {
    DeleteFileA(temp);
    SetWaiting(waitingLine, nullptr, IDC_ARROW);
    Report(r == CopyResult::CannotOpen ? kCannotOpenPiece : kSizeDiffers, kCaptionError, MB_ICONHAND);
    return;
  }
  const bool timed = SetMergedTime(temp, mergedTime);
  if (PutInPlace(temp, dest, name) && !timed) Report(kCannotSetTime, kCaptionError, MB_ICONHAND);
  SetWaiting(waitingLine, nullptr, IDC_ARROW);
}

// The file calls of the rebuild from the parity piece.
intptr_t IoOpen(const char* path, DWORD access, DWORD share) {
  HANDLE h = CreateFileA(path, access, share, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  return h == INVALID_HANDLE_VALUE ? -1 : reinterpret_cast<intptr_t>(h);
}
intptr_t IoOpenRead(void*, const char* path) { return IoOpen(path, GENERIC_READ, FILE_SHARE_READ); }
intptr_t IoOpenWrite(void*, const char* path) { return IoOpen(path, GENERIC_WRITE, 0); }
long IoRead(void*, intptr_t f, void* buf, long n) {
  DWORD got = 0;
  return ReadFile(reinterpret_cast<HANDLE>(f), buf, static_cast<DWORD>(n), &got, nullptr) ? static_cast<long>(got) : -1;
}
long IoWrite(void*, intptr_t f, const void* buf, long n) {
  DWORD put = 0;
  return WriteFile(reinterpret_cast<HANDLE>(f), buf, static_cast<DWORD>(n), &put, nullptr) ? static_cast<long>(put) : -1;
}
bool IoSeek(void*, intptr_t f, uint32_t at) {
  return SetFilePointer(reinterpret_cast<HANDLE>(f), static_cast<LONG>(at), nullptr, FILE_BEGIN) == at;
}
void IoClose(void*, intptr_t f) { CloseHandle(reinterpret_cast<HANDLE>(f)); }
const pieceset::PieceIo kIo = {nullptr, IoOpenRead, IoOpenWrite, IoRead, IoWrite, IoSeek, IoClose};

// The one bad piece that no sound parity piece can rebuild, or every bad piece when more.
void ReportBad() {
  char what[256], counted[512], message[512];
  if (g_bad.count >= 2) {
    pieceset::ListBad(g_bad, what, sizeof(what));
    ComposeMessage(message, sizeof(message), Tx(kTooManyBad), what);
  } else {
    pieceset::DescribeBad(what, sizeof(what), g_bad.piece[0], g_bad.state[0], kBadPiece);
    ComposeMessage(counted, sizeof(counted), Tx(kNoParity), static_cast<long>(g_checks.count + 1));
    ComposeMessage(message, sizeof(message), counted, what);
  }
  MessageBoxA(g_owner, message, Tx(kCaptionError), MB_ICONHAND);
}

void ShowInLine(HWND waitingLine, const Text& text, int piece) {
  char line[128];
  ComposeMessage(line, sizeof(line), Tx(text), static_cast<long>(piece));
  SendMessageA(waitingLine, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(line));
  UpdateWindow(waitingLine);
}

// The pieces as one reading of the folder finds them.
pieceset::FolderPieces g_pieces;

void ReadPieces(const char* dir, const char* prefix, int last) {
  pieceset::BeginFolderPieces(&g_pieces, last);
  char pattern[kPathBytes + 4];
  if (std::strlen(dir) + 4 > sizeof(pattern)) return;
  std::strcpy(pattern, dir);
  std::strcat(pattern, "*.*");
  WIN32_FIND_DATAA found;
  HANDLE h = FindFirstFileA(pattern, &found);
  if (h != INVALID_HANDLE_VALUE) {
    do {
      pieceset::NoteFolderEntry(&g_pieces, found.cFileName,
                                (static_cast<uint64_t>(found.nFileSizeHigh) << 32) | found.nFileSizeLow,
                                found.dwFileAttributes);
    } while (FindNextFileA(h, &found));
    FindClose(h);
  }
  pieceset::EndFolderPieces(&g_pieces, dir, prefix);
}

bool ParityThere() {
  const int parity = g_checks.count + 1;
  return g_pieces.there[parity] &&
         pieceset::JudgedByCrc(pieceset::JudgeLength(g_checks, parity, g_pieces.length[parity]));
}

// Judges every piece by its length in the check line; true when the merge cannot end well
// (two bad pieces, or one and no parity piece), so the pieces are only to be checked.
bool JudgePieces() {
  std::memset(&g_bad, 0, sizeof(g_bad));
  for (int k = 1; k <= g_checks.count; ++k) {
    g_state[k] = g_pieces.there[k] ? pieceset::JudgeLength(g_checks, k, g_pieces.length[k])
                                   : PieceState::Missing;
    if (!pieceset::JudgedByCrc(g_state[k])) pieceset::NoteBad(&g_bad, k, g_state[k]);
  }
  return g_bad.count >= 2 || (g_bad.count == 1 && !ParityThere());
}

enum class Checked { Ok, Unreadable, WriteFailed };

struct PassCrc {
  UINT bytes;
  uint32_t* crc;
};

void UpdateCrc(void* ctx) {
  auto* p = static_cast<PassCrc*>(ctx);
  *p->crc = Crc32Update(*p->crc, g_buffer, p->bytes);
}

// Reads piece path of length bytes whole, its CRC into *crc, appending it to out when write.
// The CRC of a pass is worked out while the pass is written.
Checked CopyCheckedPiece(const char* path, HFILE out, uint32_t length, bool write, uint32_t* crc) {
  *crc = 0;
  HFILE in = _lopen(path, OF_READ);
  if (in == HFILE_ERROR) return Checked::Unreadable;
  Checked r = Checked::Ok;
  for (uint32_t done = 0; done < length && r == Checked::Ok;) {
    const UINT n = length - done < kChunkBytes ? length - done : kChunkBytes;
    if (_lread(in, g_buffer, n) != n) {
      r = Checked::Unreadable;
      break;
    }
    PassCrc pass{n, crc};
    BeginSideWork(UpdateCrc, &pass);
    if (write && _lwrite(out, g_buffer, n) != n) r = Checked::WriteFailed;
    EndSideWork();
    done += n;
  }
  _lclose(in);
  return r;
}

// The merge of a set with a check line; true when a bad piece has been rebuilt. A doomed set
// is read through without a merged file, so that every bad piece is named. As in Rebuild, the
// file is written under a temporary name and a failure deletes it before it is shown.
bool RebuildChecked(HWND waitingLine, const char* waitingText, const char* dir, const char* prefix,
                    const char* dest, const char* name, const CalTime& mergedTime, bool doomed) {
  char temp[kPathBytes] = {0};
  HFILE out = HFILE_ERROR;
  if (!doomed) {
    out = CreateTemporary(dir, temp);
    if (out == HFILE_ERROR) {
      ReportWith(kCannotCreate, name, kCaptionError, MB_ICONHAND);
      return false;
    }
  }
  SetWaiting(waitingLine, waitingText, IDC_WAIT);
  bool writeFailed = false;
  for (int k = 1; k <= g_checks.count && !writeFailed; ++k) {
    if (!pieceset::JudgedByCrc(g_state[k])) continue;
    char piece[kPathBytes];
    pieceset::ComposePiecePath(piece, sizeof(piece), dir, prefix, k);
    // After a bad piece the next one goes to its own place, leaving room for the rebuild.
    const bool write = out != HFILE_ERROR && g_bad.count < 2;
    uint32_t crc = 0;
    Checked r = Checked::WriteFailed;
    if (!write || _llseek(out, static_cast<LONG>((k - 1) * g_checks.pieceBytes), FILE_BEGIN) != HFILE_ERROR) {
      r = CopyCheckedPiece(piece, out, pieceset::PieceLength(g_checks, k), write, &crc);
    }
    if (r == Checked::WriteFailed) writeFailed = true;
    else if (r == Checked::Unreadable || crc != g_checks.crc[k]) {
      g_state[k] = PieceState::Damaged;  // longer or not: its own bytes differ
      pieceset::NoteBad(&g_bad, k, g_state[k]);
    }
  }
  if (out != HFILE_ERROR) _lclose(out);
  int rebuilt = 0;
  bool rebuildFailed = false;
  bool ok = !doomed && !writeFailed && g_bad.count < 2 &&
            (g_bad.count == 0 || pieceset::ParityIsSound(kIo, dir, prefix, g_checks));
  if (ok && g_bad.count == 1) {
    rebuilt = g_bad.piece[0];
    ShowInLine(waitingLine, kRebuilding, rebuilt);
    ok = pieceset::RebuildPiece(kIo, dir, prefix, g_checks, rebuilt, temp) == pieceset::RebuildResult::Ok;
    rebuildFailed = !ok;
  }
  uint64_t length = 0;
  const bool sized = ok && LengthOf(temp, &length) && length == static_cast<uint64_t>(g_checks.size);
  if (!sized) {
    if (!doomed) DeleteFileA(temp);
    SetWaiting(waitingLine, nullptr, IDC_ARROW);
    if (writeFailed || ok) {
      Report(kSizeDiffers, kCaptionError, MB_ICONHAND);
    } else if (rebuildFailed) {
      char message[512];
      ComposeMessage(message, sizeof(message), Tx(kRebuildFailed), static_cast<long>(rebuilt));
      MessageBoxA(g_owner, message, Tx(kCaptionError), MB_ICONHAND);
    } else {
      ReportBad();
    }
    return false;
  }
  const bool timed = SetMergedTime(temp, mergedTime);
  const bool placed = PutInPlace(temp, dest, name);
  if (placed && !timed) Report(kCannotSetTime, kCaptionError, MB_ICONHAND);
  SetWaiting(waitingLine, nullptr, IDC_ARROW);
  if (placed && rebuilt) ShowInLine(waitingLine, kRebuilt, rebuilt);
  return placed && rebuilt != 0;
}

}  // namespace

bool RunMerge(HWND owner, HWND waitingLine, const char* waitingText, const char* dir,
              OsKind kind) {
  g_owner = owner;
  g_dbcs = g_uiLanguage == 1;

  char root[4] = {dir[0], ':', '\\', 0};
  if (!dir[0] || !IsFixedDrive(root)) {
    Report(kNotHardDisk, kCaptionError, MB_ICONEXCLAMATION);
    return false;
  }

  char info[kPathBytes];
  const char* prefix = "file-";
  if (!pieceset::ComposePiecePath(info, sizeof(info), dir, prefix, 0) || !Exists(info)) {
    prefix = "FILE-";
    if (!pieceset::ComposePiecePath(info, sizeof(info), dir, prefix, 0) || !Exists(info)) {
      Report(kNoInfoFile, kCaptionError, MB_ICONHAND);
      return false;
    }
  }

  static char data[pieceset::kReadLimit];
  DWORD len = 0;
  bool complete = false;
  if (ReadInfoBytes(info, data, &len, &complete) != InfoRead::Ok) {
    Report(kCannotOpenInfo, kCaptionError, MB_ICONHAND);
    return false;
  }
  pieceset::InfoRecord rec;
  pieceset::InfoValues vals;
  if (pieceset::ReadStandalone(data, len, complete, g_dbcs, &rec, &vals) !=
      pieceset::StandaloneResult::Ok) {
    Report(kIncorrectInfo, kCaptionError, MB_ICONHAND);
    return false;
  }

  char dest[kPathBytes] = {0};
  if (std::strlen(dir) + std::strlen(rec.name) >= sizeof(dest)) {
    // Too long for the system's paths: it could never be created.
    ReportWith(kCannotCreate, rec.name, kCaptionError, MB_ICONHAND);
    return false;
  }
  std::strcpy(dest, dir);
  std::strcat(dest, rec.name);
  if (Exists(dest)) {
    ReportWith(kDestinationExists, dest, kCaptionWarning, MB_ICONEXCLAMATION);
    return false;
  }

  bool ntfs = IsNtfsVolume(root);
  CalTime infoTime{};
  if (!vals.hasTime && !InfoFileTime(info, &infoTime)) {
    Report(kCannotOpenInfo, kCaptionError, MB_ICONHAND);
    return false;
  }
  CalTime mergedTime = pieceset::ResolveMergedTime(vals, infoTime, ntfs);

  const bool checked = pieceset::ReadChecks(data, len, vals, &g_checks);
  ReadPieces(dir, prefix, checked ? g_checks.count + 1 : vals.count);
  const bool doomed = checked && JudgePieces();
  if (!checked) {
    for (int k = 1; k <= vals.count; ++k) {
      if (!g_pieces.there[k]) {
        ReportMissingPiece(k);
        return false;
      }
    }
  }

  if (!doomed && !HasRoomFor(root, static_cast<unsigned long long>(vals.size) + 1000, kind)) {
    Report(kNoFreeSpace, kCaptionError, MB_ICONHAND);
    return false;
  }

  if (checked) return RebuildChecked(waitingLine, waitingText, dir, prefix, dest, rec.name, mergedTime, doomed);
  Rebuild(waitingLine, waitingText, dir, prefix, dest, rec.name, vals, mergedTime);
  return false;
}

}  // namespace rundelo
