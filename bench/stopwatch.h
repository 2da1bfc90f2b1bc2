// The clock the bench programs time their work by, in seconds.
#pragma once
#include <windows.h>

inline LARGE_INTEGER StartClock() {
  LARGE_INTEGER t0;
  QueryPerformanceCounter(&t0);
  return t0;
}

inline double SecondsSince(LARGE_INTEGER t0) {
  LARGE_INTEGER f, t1;
  QueryPerformanceCounter(&t1);
  QueryPerformanceFrequency(&f);
  return static_cast<double>(t1.QuadPart - t0.QuadPart) / f.QuadPart;
}
