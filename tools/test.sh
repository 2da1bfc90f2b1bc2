#!/usr/bin/env bash
# Builds everything and runs every test: native unit tests under sanitizers, bounded fuzzing,
# and the Windows tests under Wine on a virtual display. The Windows tests run on the i686 build
# that ships where this machine runs 32-bit x86 programs, else on its x86_64 twin under Wine's
# 64-bit side; TOVRA_WINDOWS=i686 or TOVRA_WINDOWS=x86_64 chooses either on any machine.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${TOVRA_BUILD_DIR:-$root/build}
bash "$root/tools/setup.sh"

source "$root/tools/winenv.sh"
case "${TOVRA_WINDOWS:-}" in
  '') if [ -n "${TOVRA_NO_WINE:-}" ]; then windows=x86_64 why=$TOVRA_NO_WINE; else windows=i686; fi ;;
  i686) windows=i686 ;;
  x86_64) windows=x86_64 why="TOVRA_WINDOWS=x86_64 asked for it" ;;
  *) echo "TOVRA_WINDOWS must be i686 or x86_64, not $TOVRA_WINDOWS"; exit 2 ;;
esac

bash "$root/tools/build.sh" all
win=$build/win32
if [ "$windows" = x86_64 ]; then
  bash "$root/tools/build.sh" twin
  win=$build/twin64/win32
  winenv_twin
fi
trap winenv_stop EXIT
winenv_start

status=0
run=0; passed=0; failed=0; skipped=0
# ctest_tree DIR [CTEST ARGS]: runs the tree's tests and adds up their results. A test run
# again (--repeat) counts by its last run; one that passed only when run again is named.
again=()
ctest_tree() {
  local dir=$1; shift
  local log=$dir/ctest.log
  ctest --test-dir "$dir" --output-on-failure -j "$(nproc)" "$@" 2>&1 | tee "$log" || true
  if ! grep -qE '^[0-9]+% tests passed, [0-9]+ tests failed out of [0-9]+' "$log"; then
    status=1; echo "no ctest summary for $dir"; return
  fi
  # One result line per run: "[n/N ]Test #k: name ....   Passed|***Skipped|***Failed ...".
  local results r p s
  results=$(grep -E '^ *([0-9]+/[0-9]+ )?Test +#[0-9]+: ' "$log" | sed -E 's|^ *([0-9]+/[0-9]+ )?||' |
    awk '!($2 in last) { order[n++] = $2 } { if ($0 !~ / Passed +[0-9.]+ sec/ && $0 !~ /\*\*\*Skipped/) fell[$2] = 1; last[$2] = $0 }
         END { for (i = 0; i < n; i++) print last[order[i]] ((order[i] in fell) ? " AGAIN" : "") }' || true)
  while read -r name; do
    [ -z "$name" ] || again+=("$name")
  done < <(printf '%s\n' "$results" | grep -E ' Passed +[0-9.]+ sec AGAIN$' | awk '{print $3}' || true)
  r=$(printf '%s\n' "$results" | grep -c 'Test' || true)
  p=$(printf '%s\n' "$results" | grep -cE ' Passed +[0-9.]+ sec' || true)
  s=$(printf '%s\n' "$results" | grep -c '\*\*\*Skipped' || true)
  run=$((run + r)); passed=$((passed + p)); skipped=$((skipped + s)); failed=$((failed + r - p - s))
  [ $((r - p - s)) -eq 0 ] || status=1
}

# The tests that hold only for the shipped i686 files, each named in the Windows tree.
only_names=(); only_files=(); only_lines=()
held=$(ctest --test-dir "$win" -N | sed -n 's/^ *Test *#[0-9]*: //p')
while read -r name kind reason; do
  [ -n "$name" ] && [ "${name:0:1}" != '#' ] || continue
  if ! grep -qx "$name" <<<"$held"; then
    echo "tests/i686_only.txt names $name, which the Windows tree does not hold"
    status=1; run=$((run + 1)); failed=$((failed + 1))
  fi
  only_names+=("$name")
  if [ "$kind" = files ]; then only_files+=("$name"); else only_lines+=("$name: $reason"); fi
done <"$root/tests/i686_only.txt"
any() { local IFS='|'; echo "^($*)\$"; }

ctest_tree "$build/native"
ctest_tree "$build/fuzz"
if [ "$windows" = i686 ]; then
  ctest_tree "$build/win32" --repeat until-pass:2
else
  [ ${#only_files[@]} -eq 0 ] || ctest_tree "$build/win32" -R "$(any "${only_files[@]}")"
  ctest_tree "$win" -E "$(any "${only_names[@]}")" --repeat until-pass:2
  for line in "${only_lines[@]}"; do
    echo "skipped on the x86_64 twin: $line"
    run=$((run + 1)); skipped=$((skipped + 1))
  done
fi

if [ "$windows" = x86_64 ]; then
  echo "Windows tests: x86_64 twin under wine64: $why"
elif [ -n "${TOVRA_NO_WINE:-}" ]; then
  echo "Windows tests: i686 under Wine, skipped: $TOVRA_NO_WINE"
else
  echo "Windows tests: i686 under Wine"
fi
for name in "${again[@]}"; do echo "passed only when run again: $name"; done
echo "$run tests run: $passed passed, $failed failed, $skipped skipped"
exit $status
