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
run=0; passed=0; failed=0; skipped=0
for tree in native fuzz win32; do
  log="$build/$tree/ctest.log"
  ctest --test-dir "$build/$tree" --output-on-failure -j "$(nproc)" 2>&1 | tee "$log" || true
  if ! grep -qE '^[0-9]+% tests passed, [0-9]+ tests failed out of [0-9]+' "$log"; then
    status=1; echo "no ctest summary for $tree"; continue
  fi
  # One result line per test: "n/N Test #k: name ....   Passed|***Skipped|***Failed ...".
  results=$(grep -E '^ *[0-9]+/[0-9]+ Test +#[0-9]+: ' "$log" || true)
  r=$(printf '%s\n' "$results" | grep -c 'Test' || true)
  p=$(printf '%s\n' "$results" | grep -cE ' Passed +[0-9.]+ sec' || true)
  s=$(printf '%s\n' "$results" | grep -c '\*\*\*Skipped' || true)
  run=$((run + r)); passed=$((passed + p)); skipped=$((skipped + s)); failed=$((failed + r - p - s))
  [ $((r - p - s)) -eq 0 ] || status=1
done
[ -z "${TOVRA_NO_WINE:-}" ] || echo "Windows tests skipped: $TOVRA_NO_WINE"
echo "$run tests run: $passed passed, $failed failed, $skipped skipped"
exit $status
