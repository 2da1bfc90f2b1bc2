// The piece set: FILE-0 (one text record) and the data pieces FILE-1..FILE-n.
// Portable code: the record writer, the two readers, the time rule and path composition.
// The Win32 programs do the file I/O and the message boxes around it.
#pragma once
#include <cstddef>
#include <cstdint>

#include "base/caltime.h"
#include "base/paths.h"

namespace pieceset {

constexpr int kBlockBytes = 10000;
constexpr int kMaxPieces = 999;
// The last number a set of kMaxPieces uses: its three parity pieces and its block checks.
constexpr int kMaxSetNumber = kMaxPieces + 4;
constexpr int kRecordBytes = 512;   // composed record
// Bytes a caller reads from FILE-0 before parsing: the record and the check line after it.
constexpr std::size_t kReadLimit = 12288;

// The nine fields as text, each zero-terminated; sized as the readers' buffers.
struct InfoRecord {
  char name[258];
  char size[16];
  char count[8];
  char time[6][8];  // second, minute, hour, day, month, year, in record order
};

// Checked values of a record that passed a reader.
struct InfoValues {
  long size;        // 0..2147483647
  int count;        // 1..999
  bool hasTime;     // the record's own time fields are to be used
  CalTime time;     // valid only when hasTime
};

// EmptyField: the record is read, but its name, size or piece count is empty; the Merge command
// refuses it once it has asked and found FILE-1.
enum class MainResult { Ok, MissedToRead, Damaged, EmptyField };
enum class StandaloneResult { Ok, Incorrect };

// Composes the record text "%s;%ld;%d;%d;%d;%d;%d;%d;%d;\n" into out (cap bytes).
// Returns its length, or 0 if it does not fit or the name is not a plain file name.
std::size_t FormatRecord(char* out, std::size_t cap, const char* name, long size, int count,
                         const CalTime& lastWrite, bool dbcs932);

// Tovra's reader. data holds the first bytes of FILE-0 (at most kReadLimit); complete says
// whether that is the whole file. Fills rec and, on Ok, vals.
MainResult ReadMain(const char* data, std::size_t len, bool complete, bool dbcs932,
                    InfoRecord* rec, InfoValues* vals);

// Rundelo's stricter reader, same arguments.
StandaloneResult ReadStandalone(const char* data, std::size_t len, bool complete, bool dbcs932,
                                InfoRecord* rec, InfoValues* vals);

// The merged file's time: the record's fields when vals.hasTime, else the information
// file's own last-write time (local). Seconds are rounded down to even unless NTFS.
CalTime ResolveMergedTime(const InfoValues& vals, const CalTime& infoFileTime, bool ntfs);

// True for a name that may be created inside the piece set's directory and nowhere else:
// not empty, not "." or "..", no path separators, drive colons, wildcards, control
// characters or device names. With dbcs932, trail bytes of Shift-JIS characters are not
// taken for separators.
bool IsPlainFileName(const char* name, bool dbcs932);

// Prefix of the main program: "file-" when the selected name contains "file-0" exactly,
// else "FILE-".
const char* PrefixForSelectedName(const char* selectedName);

// dir (ending in a backslash) + prefix + decimal k into out (cap bytes, cleared first).
// Returns false when it would not fit.
bool ComposePiecePath(char* out, std::size_t cap, const char* dir, const char* prefix, int k);

// The number 0..kMaxSetNumber of a name spelled prefix + decimal in any letter case
// ("File-12" -> 12), else -1; 1000 to 1003 are the parity pieces and the block checks of a set
// of 999. Leading zeros and signs do not make a piece name.
int PieceNumberOfName(const char* name);

// What one reading of a folder tells of pieces 1 to last: looking each piece up instead costs
// far more on a set of hundreds.
struct FolderPieces {
  int last;
  bool there[kMaxSetNumber + 1];
  uint64_t length[kMaxSetNumber + 1];
  uint32_t attributes[kMaxSetNumber + 1];
};
// Starts a reading for pieces 1 to last.
void BeginFolderPieces(FolderPieces* t, int last);
// Notes one entry of the folder; a name that is not a piece's is passed over.
void NoteFolderEntry(FolderPieces* t, const char* name, uint64_t length, uint32_t attributes);
// Ends the reading: a piece whose path in dir would not fit, and so could not be opened,
// counts as not there.
void EndFolderPieces(FolderPieces* t, const char* dir, const char* prefix);

}  // namespace pieceset
