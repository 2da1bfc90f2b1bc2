#!/usr/bin/env bash
# Builds everything and runs every test: native unit tests under sanitizers, bounded fuzzing,
# and the Windows tests under Wine on a virtual display.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${TOVRA_BUILD_DIR:-$root/build}
bash "$root/tools/build.sh" all

source "$root/tools/winenv.sh"
trap winenv_stop EXIT
winenv_start

status=0
ctest --test-dir "$build/native" --output-on-failure -j "$(nproc)" || status=1
ctest --test-dir "$build/fuzz" --output-on-failure -j "$(nproc)" || status=1
ctest --test-dir "$build/win32" --output-on-failure -j "$(nproc)" || status=1
exit $status
