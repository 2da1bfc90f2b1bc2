#include "rundelo_merge.h"

#include <cstring>

#include "pieceset.h"
#include "core.h"
#include "system.h"
#include "texts.h"

namespace rundelo {
namespace {


HWND g_owner;
bool g_dbcs;
char g_buffer[kChunkBytes + 1];

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

// Makes the merged file with _lcreat and at once opens it again for writing. Creating
// truncates the new file to nothing, and some file systems (ext4 under Wine) then write all of
// its data out at the last close of that open, before we could end: hundreds of megabytes
// waited for. Closing the empty file first ends that at no cost.
HFILE OpenMerged(const char* dest) {
  HFILE created = _lcreat(dest, 0);
  if (created == HFILE_ERROR) return HFILE_ERROR;
  _lclose(created);
  HFILE out = _lopen(dest, OF_WRITE);
  if (out == HFILE_ERROR) DeleteFileA(dest);
  return out;
}

void SetWaiting(HWND waitingLine, const char* text, LPCSTR cursor) {
  SetCursor(LoadCursorA(nullptr, cursor));
  if (text) SendMessageA(waitingLine, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text));
}

// Creates, fills and checks the merged file, then gives it its time.
void Rebuild(HWND waitingLine, const char* waitingText, const char* dir, const char* prefix,
             const char* dest, const char* name, const pieceset::InfoValues& vals,
             const CalTime& mergedTime) {
  HFILE out = OpenMerged(dest);
  if (out == HFILE_ERROR) {
    ReportWith(kCannotCreate, name, kCaptionError, MB_ICONHAND);
    return;
  }
  SetWaiting(waitingLine, waitingText, IDC_WAIT);

  long written = 0;
  for (int k = 1; k <= vals.count; ++k) {
    char piece[kPathBytes];
    pieceset::ComposePiecePath(piece, sizeof(piece), dir, prefix, k);
    CopyResult r = CopyPiece(piece, out, vals.size, &written);
    if (r != CopyResult::Ok) {
      SetWaiting(waitingLine, nullptr, IDC_ARROW);
      Report(r == CopyResult::CannotOpen ? kCannotOpenPiece : kSizeDiffers, kCaptionError,
             MB_ICONHAND);
      _lclose(out);
      DeleteFileA(dest);
      return;
    }
  }
  if (_llseek(out, 0, FILE_END) != vals.size) {
    SetWaiting(waitingLine, nullptr, IDC_ARROW);
    Report(kSizeDiffers, kCaptionError, MB_ICONHAND);
    _lclose(out);
    DeleteFileA(dest);
    return;
  }
  _lclose(out);
  if (!SetMergedTime(dest, mergedTime)) Report(kCannotSetTime, kCaptionError, MB_ICONHAND);
  SetWaiting(waitingLine, nullptr, IDC_ARROW);
}

}  // namespace

void RunMerge(HWND owner, HWND waitingLine, const char* waitingText, const char* dir,
              OsKind kind) {
  g_owner = owner;
  g_dbcs = g_uiLanguage == 1;

  char root[4] = {dir[0], ':', '\\', 0};
  if (!dir[0] || !IsFixedDrive(root)) {
    Report(kNotHardDisk, kCaptionError, MB_ICONEXCLAMATION);
    return;
  }

  char info[kPathBytes];
  const char* prefix = "file-";
  if (!pieceset::ComposePiecePath(info, sizeof(info), dir, prefix, 0) || !Exists(info)) {
    prefix = "FILE-";
    if (!pieceset::ComposePiecePath(info, sizeof(info), dir, prefix, 0) || !Exists(info)) {
      Report(kNoInfoFile, kCaptionError, MB_ICONHAND);
      return;
    }
  }

  static char data[pieceset::kReadLimit];
  DWORD len = 0;
  bool complete = false;
  if (ReadInfoBytes(info, data, &len, &complete) != InfoRead::Ok) {
    Report(kCannotOpenInfo, kCaptionError, MB_ICONHAND);
    return;
  }
  pieceset::InfoRecord rec;
  pieceset::InfoValues vals;
  if (pieceset::ReadStandalone(data, len, complete, g_dbcs, &rec, &vals) !=
      pieceset::StandaloneResult::Ok) {
    Report(kIncorrectInfo, kCaptionError, MB_ICONHAND);
    return;
  }

  char dest[kPathBytes] = {0};
  if (std::strlen(dir) + std::strlen(rec.name) >= sizeof(dest)) {
    // Too long for the system's paths: it could never be created.
    ReportWith(kCannotCreate, rec.name, kCaptionError, MB_ICONHAND);
    return;
  }
  std::strcpy(dest, dir);
  std::strcat(dest, rec.name);
  if (Exists(dest)) {
    ReportWith(kDestinationExists, dest, kCaptionWarning, MB_ICONEXCLAMATION);
    return;
  }

  bool ntfs = IsNtfsVolume(root);
  CalTime infoTime{};
  if (!vals.hasTime && !InfoFileTime(info, &infoTime)) {
    Report(kCannotOpenInfo, kCaptionError, MB_ICONHAND);
    return;
  }
  CalTime mergedTime = pieceset::ResolveMergedTime(vals, infoTime, ntfs);

  for (int k = 1; k <= vals.count; ++k) {
    char piece[kPathBytes];
    if (!pieceset::ComposePiecePath(piece, sizeof(piece), dir, prefix, k) || !Exists(piece)) {
      ReportMissingPiece(k);
      return;
    }
  }

  if (!HasRoomFor(root, static_cast<unsigned long long>(vals.size) + 1000, kind)) {
    Report(kNoFreeSpace, kCaptionError, MB_ICONHAND);
    return;
  }

  Rebuild(waitingLine, waitingText, dir, prefix, dest, rec.name, vals, mergedTime);
}

}  // namespace rundelo
