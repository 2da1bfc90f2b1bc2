// Names between this system and the record. Files here are named in UTF-8; the record holds
// the name in the code page of the Windows PC that merges it, Shift-JIS (932) or Western
// (1252). A name in neither, or not UTF-8 at all, is taken byte for byte.
#pragma once
#include <string>

#include "args.h"

namespace cli {

struct RecordName {
  bool ok;          // the name can be written in the record
  std::string bytes;
  bool dbcs932;     // Shift-JIS: its trail bytes are no separators
};

// The record's name for a file named here: unchanged when it is ASCII or not UTF-8; else in
// the code page asked for, or with Auto in 932 and failing that 1252. Not ok when the code page
// lacks one of its characters.
RecordName RecordNameOf(const std::string& local, Codepage codepage);

// Whether bytes read as the code page (932: Shift-JIS) leave no byte unmapped.
bool FitsCodepage(const std::string& bytes, Codepage codepage);
bool IsUtf8(const std::string& bytes);

// The name here of a record's name read as the code page: with Auto, UTF-8 stays, Shift-JIS
// (932) is tried before 1252, and what neither maps stays as it is.
std::string LocalNameOf(const std::string& recordBytes, Codepage codepage);

// A name as a message shows it: as it is on a UTF-8 terminal when it is UTF-8 and printable;
// else every byte that is not printable ASCII written \xNN (a control byte always is, so no
// name can move the cursor or hide itself).
std::string Shown(const std::string& name, bool utf8Terminal);

}  // namespace cli
