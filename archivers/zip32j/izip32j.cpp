// IZIP32J.DLL: the ZIP creation engine that ZIP32J.DLL loads for each Zip call.
#include "dllcommon.h"
#include "ops.h"

extern "C" int WINAPI IzipCreate(LPCSTR command, LPSTR output, DWORD outputSize) {
  return arcdll::RunCommand(arc::RunZipCommand, command, output, outputSize);
}
