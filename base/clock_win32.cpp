// Apart from the other calendar calls, so that a program that only reads times (Rundelo)
// does not import the call that sets the clock.
#include <windows.h>

#include "base/caltime.h"

bool SetLocalClock(const CalTime& t, int millisecond) {
  // The day of the week is not read.
  const SYSTEMTIME st = {static_cast<WORD>(t.year), static_cast<WORD>(t.month), 0,
                         static_cast<WORD>(t.day), static_cast<WORD>(t.hour),
                         static_cast<WORD>(t.minute), static_cast<WORD>(t.second),
                         static_cast<WORD>(millisecond)};
  return SetLocalTime(&st) != 0;
}
