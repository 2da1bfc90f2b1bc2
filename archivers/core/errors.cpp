#include "errors.h"

namespace arc {

const char* ErrorText(int code) {
  switch (code) {
    case kOk: return "ok";
    case kErrDiskSpace: return "not enough disk space";
    case kErrFileCrc: return "CRC error in file data";
    case kErrFileOpen: return "cannot open file";
    case kErrMakeDir: return "cannot make directory";
    case kErrCannotWrite: return "cannot write file";
    case kErrHeaderCrc: return "header CRC error";
    case kErrArchiveOpen: return "cannot open archive";
    case kErrNotArchive: return "not an archive";
    case kErrCannotRead: return "cannot read archive";
    case kErrBadCommand: return "bad command";
    case kErrUnknownMethod: return "unsupported method";
    case kErrBrokenData: return "damaged compressed data";
    case kErrUnsafeName: return "unsafe entry name refused";
    case kErrTooLarge: return "file too large";
    case kErrNoMatch: return "no matching entry";
    case kErrNotSmaller: return "data does not shrink";
  }
  return "error";
}

}  // namespace arc
