#!/usr/bin/env bash
# Prints the folder of TOVRA.EXE and RUNDELO.EXE built from an earlier commit's sources, for
# the benches that run them beside today's. They are made once, from git archive (the
# repository gets no worktree of them), below the Windows tree of TOVRA_BIN, in the folder where
# the Wine tests of the earlier readers make the same (old-readers-COMMIT/build/bin).
# Usage: bench/earlier.sh COMMIT
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
commit=$1
top="$(dirname "${TOVRA_BIN:-${TOVRA_BUILD_DIR:-$root/build}/win32/bin}")/old-readers-$commit"
bins="$top/build/bin"
if [ ! -f "$bins/TOVRA.EXE" ] || [ ! -f "$bins/RUNDELO.EXE" ]; then
  rm -rf "$top"
  mkdir -p "$bins"
  # Those sources cannot be built below a path with spaces: they are then built in a temporary
  # folder and only the two programs kept.
  if [[ "$top" =~ [[:space:]] ]]; then work=$(mktemp -d); else work=$top; fi
  log="$top/build.log"
  mkdir -p "$work/src"
  git -C "$root" archive "$commit" | tar -x -C "$work/src"
  if ! (cd "$work" &&
        cmake -S src -B build -G Ninja -DCMAKE_BUILD_TYPE=Release \
              -DCMAKE_TOOLCHAIN_FILE="$work/src/cmake/mingw-i686.cmake" &&
        cmake --build build -j2 --target TOVRA RUNDELO) >"$log" 2>&1; then
    echo "building $commit failed, see $log" >&2
    [ "$work" = "$top" ] || rm -rf "$work"
    exit 1
  fi
  if [ "$work" != "$top" ]; then
    cp "$work/build/bin/TOVRA.EXE" "$work/build/bin/RUNDELO.EXE" "$bins/"
    rm -rf "$work"
  fi
fi
echo "$bins"
