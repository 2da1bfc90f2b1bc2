#include <windows.h>

#include "base/sse.h"

typedef BOOL(WINAPI* FeatureQuery)(DWORD);

bool SystemKeepsSse() {
  // Looked up at run time: the oldest systems lack the call. A system that does not know the
  // feature answers no.
  FeatureQuery query = reinterpret_cast<FeatureQuery>(reinterpret_cast<void*>(
      GetProcAddress(GetModuleHandleA("KERNEL32.DLL"), "IsProcessorFeaturePresent")));
  return query && query(PF_XMMI_INSTRUCTIONS_AVAILABLE);
}
