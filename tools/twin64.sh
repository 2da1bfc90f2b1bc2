#!/usr/bin/env bash
# Runs chosen Windows tests of this checkout on the x86_64 twin of the Windows tree, by hand: the
# twin that tools/test.sh takes where this machine runs no 32-bit x86 programs (or when
# TOVRA_WINDOWS=x86_64 asks for it), set up the same way (tools/build.sh twin, tools/winenv.sh).
# Nothing of it ships; a result that hangs on pointer size says nothing of the shipped i686 files.
#
# Usage: tools/twin64.sh [--no-build | --build-only] [CTEST ARGS]
#   builds the twin in build/twin64/win32 (or below TOVRA_BUILD_DIR) and runs ctest there with the
#   given arguments (say -R 'engine_merge|rundelo_'), on a virtual display and a wineserver of its
#   own that it ends; without arguments, only the build and the prefix
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${TOVRA_BUILD_DIR:-$root/build}
case "${1:-}" in
  --no-build) shift ;;
  --build-only) bash "$root/tools/build.sh" twin; exit 0 ;;
  -h|--help) sed -n '7,10p' "$0" | sed 's/^# \{0,1\}//'; exit 0 ;;
  *) bash "$root/tools/build.sh" twin ;;
esac

source "$root/tools/winenv.sh"
winenv_twin
unset DISPLAY
export TOVRA_OWN_DISPLAY=1
trap winenv_stop EXIT
winenv_start
[ $# -gt 0 ] || { echo "twin64: built, prefix in $WINEPREFIX"; exit 0; }
ctest --test-dir "$build/twin64/win32" --output-on-failure "$@"
