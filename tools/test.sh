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
passed=0
failed=0
for tree in native fuzz win32; do
  log="$build/$tree/ctest.log"
  ctest --test-dir "$build/$tree" --output-on-failure -j "$(nproc)" 2>&1 | tee "$log" || true
  line=$(grep -E '^[0-9]+% tests passed, [0-9]+ tests failed out of [0-9]+' "$log" | tail -n 1)
  if [ -z "$line" ]; then status=1; echo "no ctest summary for $tree"; continue; fi
  f=$(echo "$line" | sed -E 's/.* ([0-9]+) tests failed out of ([0-9]+).*/\1/')
  t=$(echo "$line" | sed -E 's/.* tests failed out of ([0-9]+).*/\1/')
  passed=$((passed + t - f)); failed=$((failed + f))
  [ "$f" -eq 0 ] || status=1
done
echo "$passed passed, $failed failed"
exit $status
