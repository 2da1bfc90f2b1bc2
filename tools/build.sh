#!/usr/bin/env bash
# Builds the native tree (portable core, sanitizers, fuzzers) and the Windows tree.
# Usage: tools/build.sh [native|win32|all|programs|twin]   (default all)
#   programs: only what ships (the two Windows programs, the archiver libraries, the help
#             files), for running and packaging them
#   twin:     the x86_64 twin of the Windows tree in twin64/win32 of the build folder: the same
#             sources and tests, for Wine's 64-bit side where i686 programs cannot run
#             (tools/test.sh); nothing of it ships
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${TOVRA_BUILD_DIR:-$root/build}
what=${1:-all}
jobs=$(nproc)

if [ "$what" = twin ]; then bash "$root/tools/setup.sh" twin; else bash "$root/tools/setup.sh"; fi

# A Windows tree keeps the toolchain it was made with: the twin's kit (tests/wine/test_kit.py
# makes it through tools/package.sh) is then built of the twin's programs. The command line's
# Wine test runs the native tree's command, wherever the Windows tree stands.
windows_tree() {
  local first=()
  [ -f "$1/CMakeCache.txt" ] || first=(-DCMAKE_TOOLCHAIN_FILE="$root/cmake/$2")
  cmake -S "$root" -B "$1" -G Ninja -DCMAKE_BUILD_TYPE=Release -DTOVRA_NATIVE_TREE="$build/native" \
        "${first[@]}" >/dev/null
}

if [ "$what" = native ] || [ "$what" = all ]; then
  cmake -S "$root" -B "$build/native" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTOVRA_FUZZ=OFF >/dev/null
  cmake --build "$build/native" -j "$jobs"
  cmake -S "$root" -B "$build/fuzz" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
        -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ -DTOVRA_FUZZ=ON >/dev/null
  cmake --build "$build/fuzz" -j "$jobs"
fi
if [ "$what" = win32 ] || [ "$what" = all ] || [ "$what" = programs ]; then
  windows_tree "$build/win32" mingw-i686.cmake
  if [ "$what" = programs ]; then
    cmake --build "$build/win32" -j "$jobs" --target TOVRA RUNDELO UNLHA32 ZIP32J IZIP32J UNZIP32 help_files
  else
    cmake --build "$build/win32" -j "$jobs"
  fi
fi
if [ "$what" = twin ]; then
  windows_tree "$build/twin64/win32" mingw-x86_64.cmake
  cmake --build "$build/twin64/win32" -j "$jobs"
fi
