#!/usr/bin/env bash
# A local verification aid for machines that run no 32-bit x86 code (no wine32, no WoW64): builds
# a tree's Windows programs and tests for x86_64 and runs its Wine tests under wine64. Nothing of
# it ships and CI does not use it; a result that hangs on pointer size or on an i686-only check
# says nothing about the shipped i686 programs.
#
# Usage: tools/twin64.sh [--no-build | --build-only] TREE [TEST ...]
#   TREE  a source tree (a worktree); TREE/build64 is its build folder as TOVRA_BUILD_DIR names
#         one (the Windows tree in TREE/build64/win32, as tools/build.sh lays it out)
#   TEST  test_x.py, test_x, a CTest name (fileops_delete) or "all" (every Wine test of the tree);
#         none: only the build and the prefix
# The Wine prefix is made once in $TWIN64_PREFIX (default build/twin64-prefix of this checkout) and copied afresh
# into TREE/build64/win32/wineprefix for every run; the run has its own Xvfb and wineserver and
# ends them. Each test's output goes to TREE/build64/twin64-logs/TEST.log; a table ends the run.
set -euo pipefail
twin=$(cd "$(dirname "$0")/.." && pwd)
build_mode=both
case "${1:-}" in
  --no-build) build_mode=none; shift ;;
  --build-only) build_mode=only; shift ;;
esac
[ $# -ge 1 ] && [ -d "${1:-}" ] || { sed -n '7,13p' "$0" | sed 's/^# \{0,1\}//'; exit 2; }
tree=$(cd "$1" && pwd); shift
build=$tree/build64
base=${TWIN64_PREFIX:-$twin/build/twin64-prefix}
mkdir -p "$build"

# What the twin needs beyond the test command's set-up: Wine's 64-bit side and the x86_64 compilers.
need=()
[ -x /usr/lib/wine/wine64 ] || need+=(wine64)
command -v x86_64-w64-mingw32-g++-win32 >/dev/null || need+=(g++-mingw-w64-x86-64-win32)
command -v x86_64-w64-mingw32-g++-posix >/dev/null || need+=(g++-mingw-w64-x86-64-posix)
if [ ${#need[@]} -gt 0 ]; then
  apt-get update -qq && DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "${need[@]}" >/dev/null
fi

# One run per tree at a time: the runs of one tree share its build and prefix copy.
exec 9>"$build/.twin64.lock"
flock -n 9 || { echo "twin64: another run uses $build"; exit 1; }

# The tests and winenv.sh call wine and wineserver by name; Debian's wrappers would pick the
# 32-bit loader that cannot start here. These do what the wrappers do on a wine64-only system.
bin=$build/twin64-path
mkdir -p "$bin"
cat >"$bin/wine" <<'EOF'
#!/bin/sh
export WINELOADER=${WINELOADER:-/usr/lib/wine/wine64}
export WINEDEBUG=${WINEDEBUG:-fixme-all}
exec /usr/lib/wine/wine64 "$@"
EOF
cat >"$bin/wineserver" <<'EOF'
#!/bin/sh
exec /usr/lib/wine/wineserver64 -p0 "$@"
EOF
printf '#!/bin/sh\nexec wine wineboot "$@"\n' >"$bin/wineboot"
# The archiver import libraries come from .def files with stdcall names (name@N); x86_64 has
# no such decoration, so the twin's dlltool reads the names without it.
cat >"$bin/dlltool" <<'EOF'
#!/bin/bash
args=("$@")
def=$(mktemp)
trap 'rm -f "$def"' EXIT
for i in "${!args[@]}"; do
  if [ "${args[i]}" = -d ]; then
    sed 's/@[0-9]*[[:space:]]*$//' "${args[i+1]}" >"$def"
    args[i+1]=$def
  fi
done
/usr/bin/x86_64-w64-mingw32-dlltool "${args[@]}"
EOF
chmod +x "$bin/wine" "$bin/wineserver" "$bin/wineboot" "$bin/dlltool"
export PATH="$bin:$PATH"

if [ "$build_mode" != none ]; then
  export CMAKE_CXX_COMPILER_LAUNCHER=ccache CMAKE_C_COMPILER_LAUNCHER=ccache CCACHE_BASEDIR=/work
  t0=$(date +%s)
  cmake -S "$tree" -B "$build/win32" -G Ninja -DCMAKE_BUILD_TYPE=Release \
        -DCMAKE_TOOLCHAIN_FILE="$twin/cmake/mingw-x86_64.cmake" \
        -DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache \
        -DARC_DLLTOOL="$bin/dlltool" >/dev/null
  cmake --build "$build/win32" -j "$(nproc)"
  echo "twin64: built $build in $(( $(date +%s) - t0 )) s"
  [ "$build_mode" = both ] || exit 0
fi

# The base prefix, made once for every tree (wineboot takes half a minute or more here).
exec 8>"$base.lock"
flock 8
if [ ! -f "$base/system.reg" ]; then
  echo "twin64: making the Wine prefix $base"
  t0=$(date +%s)
  rm -rf "$base.new"
  mkdir -p "$base.new"
  WINEPREFIX=$base.new WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" wineboot -i </dev/null >/dev/null 2>&1 || true
  # Without a window manager Wine waits 2 s at every hidden window unless it draws the frames.
  WINEPREFIX=$base.new WINEDEBUG=-all wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f \
    </dev/null >/dev/null 2>&1 || true
  WINEPREFIX=$base.new wineserver -w
  [ -f "$base.new/system.reg" ] || { echo "twin64: wineboot made no prefix"; exit 1; }
  mv "$base.new" "$base"
  echo "twin64: prefix made in $(( $(date +%s) - t0 )) s"
fi
prefix=$build/win32/wineprefix
rm -rf "$prefix"
cp -a "$base" "$prefix"
flock -u 8
# A 64-bit prefix keeps the help viewer in system32 only; the tests start it where a 32-bit
# prefix has it.
cp -n "$prefix/drive_c/windows/system32/winhlp32.exe" "$prefix/drive_c/windows/"

[ $# -ge 1 ] || { echo "twin64: no tests named"; exit 0; }

# Test names to script files, through the tree's own list (tovra_wine_test NAME SCRIPT).
table=$(cat "$tree"/tests/wine/*.cmake |
        sed -n 's/^ *tovra_wine_test( *\([^ )]*\) \+\([^ )]*\) *).*/\1 \2/p')
scripts=()
for t in "$@"; do
  if [ "$t" = all ]; then
    while read -r _ s; do scripts+=("$s"); done <<<"$table"
    continue
  fi
  s=$(awk -v t="$t" '$1 == t || $2 == t || $2 == t ".py" { print $2; exit }' <<<"$table")
  [ -n "$s" ] || s=${t%.py}.py
  [ -f "$tree/tests/wine/$s" ] || { echo "twin64: no Wine test $t in $tree"; exit 2; }
  scripts+=("$s")
done

# The environment tools/winenv.sh gives, with the copied prefix and a display of our own.
export TOVRA_BUILD_DIR=$build
source "$tree/tools/winenv.sh"
export WINEPREFIX=$prefix
export TOVRA_BIN=$build/win32/bin TOVRA_TMP=$build/win32/testtmp
unset TOVRA_NO_WINE DISPLAY
export TOVRA_OWN_DISPLAY=1
trap winenv_stop EXIT
winenv_start

logs=$build/twin64-logs
mkdir -p "$logs"
results=()
t_all=$(date +%s)
for s in "${scripts[@]}"; do
  log=$logs/${s%.py}.log
  t0=$(date +%s)
  rc=0
  (cd "$tree/tests/wine" && timeout -k 10 900 python3 runner.py "$s") >"$log" 2>&1 </dev/null || rc=$?
  secs=$(( $(date +%s) - t0 ))
  case $rc in
    0) verdict=passed ;;
    77) verdict=skipped ;;
    124) verdict=timeout ;;
    *) verdict=failed ;;
  esac
  ran=$(sed -n 's/^Ran \([0-9]*\) tests\{0,1\} in.*/\1/p' "$log")
  # Subtests count once each in "FAILED (failures=n, errors=m)".
  bad=$(sed -n 's/^FAILED (\(.*\))$/\1/p' "$log")
  first=""
  if [ "$verdict" != passed ]; then
    head_line=$(grep -m1 -E '^(FAIL|ERROR): ' "$log" || true)
    err_line=$(grep -m1 -E '^[A-Za-z_.]*(Error|Exception|Exit)\b' "$log" || tail -n 1 "$log")
    first="[$bad] $head_line | $err_line"
  fi
  echo "twin64: $s $verdict (${ran:-?} tests, $secs s)"
  results+=("$(printf '%-36s %-8s %4s s  %s' "$s" "$verdict" "$secs" "$first")")
done
echo
echo "twin64 results for $tree ($(( $(date +%s) - t_all )) s; logs in $logs):"
printf '%s\n' "${results[@]}"
