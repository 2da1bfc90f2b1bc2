#!/usr/bin/env bash
# Builds the native tree (portable core, sanitizers, fuzzers) and the Windows tree.
# Usage: tools/build.sh [native|win32|all|programs]   (default all)
#   programs: only what ships (the two Windows programs, the archiver libraries, the help
#             files), for running and packaging them
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${TOVRA_BUILD_DIR:-$root/build}
what=${1:-all}
jobs=$(nproc)

bash "$root/tools/setup.sh"

if [ "$what" = native ] || [ "$what" = all ]; then
  cmake -S "$root" -B "$build/native" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTOVRA_FUZZ=OFF >/dev/null
  cmake --build "$build/native" -j "$jobs"
  cmake -S "$root" -B "$build/fuzz" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
        -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ -DTOVRA_FUZZ=ON >/dev/null
  cmake --build "$build/fuzz" -j "$jobs"
fi
if [ "$what" = win32 ] || [ "$what" = all ] || [ "$what" = programs ]; then
  cmake -S "$root" -B "$build/win32" -G Ninja -DCMAKE_BUILD_TYPE=Release \
        -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-i686.cmake" >/dev/null
  if [ "$what" = programs ]; then
    cmake --build "$build/win32" -j "$jobs" --target TOVRA RUNDELO UNLHA32 ZIP32J IZIP32J UNZIP32 help_files
  else
    cmake --build "$build/win32" -j "$jobs"
  fi
fi
