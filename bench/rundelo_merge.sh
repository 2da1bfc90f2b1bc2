#!/usr/bin/env bash
# Rundelo's merge under Wine against cat on the same piece set (made with split, floppy-sized
# pieces, in a temp folder of the build tree). Rundelo's time includes starting it under Wine.
# Best of two runs each; prints both throughputs and the ratio Rundelo / cat.
# Usage: bench/rundelo_merge.sh [megabytes]   (default 600; at least 500 to mean anything)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${TOVRA_BUILD_DIR:-$root/build}
exe=${TOVRA_BIN:-$build/win32/bin}/RUNDELO.EXE
mb=${1:-600}
[ -f "$exe" ] || { echo "no $exe: build the win32 tree first (tools/build.sh win32)"; exit 1; }

source "$root/tools/winenv.sh"
work=$(mktemp -d "$build/bench-rundelo.XXXXXX")
letter=""
cleanup() {
  [ -n "$letter" ] && rm -f "$WINEPREFIX/dosdevices/$letter:"
  winenv_stop
  rm -rf "$work"
}
trap cleanup EXIT
winenv_start

size=$((mb * 1000000))
set_dir="$work/set"
mkdir "$set_dir"
head -c "$size" /dev/urandom > "$work/source.bin"
split -b 1440000 -a 3 --numeric-suffixes=1 "$work/source.bin" "$set_dir/file-"
n=0
for f in "$set_dir"/file-[0-9][0-9][0-9]; do
  k=$((10#${f##*-}))
  [ "$f" = "$set_dir/file-$k" ] || mv "$f" "$set_dir/file-$k"
  n=$k
done
printf 'BENCH.BIN;%d;%d;1;2;3;4;5;2001;\n' "$size" "$n" > "$set_dir/file-0"
cp "$exe" "$set_dir/RUNDELO.EXE"
for l in m n o p q r s t u v w; do
  if [ ! -e "$WINEPREFIX/dosdevices/$l:" ]; then letter=$l; break; fi
done
[ -n "$letter" ] || { echo "no free drive letter in $WINEPREFIX"; exit 1; }
ln -s "$set_dir" "$WINEPREFIX/dosdevices/$letter:"   # no drive kind given: a fixed disk
pieces=()
for k in $(seq 1 "$n"); do pieces+=("$set_dir/file-$k"); done

ms() { echo $(( $(date +%s%N) / 1000000 )); }
run_cat() { cat "${pieces[@]}" > "$work/cat.bin"; }
run_rundelo() { (cd "$set_dir" && wine "$letter:\\RUNDELO.EXE" </dev/null >/dev/null 2>&1); }

best_cat=""; best_rundelo=""
for _ in 1 2; do
  rm -f "$work/cat.bin"; sync
  t0=$(ms); run_cat; t=$(( $(ms) - t0 ))
  if [ -z "$best_cat" ] || [ "$t" -lt "$best_cat" ]; then best_cat=$t; fi
  rm -f "$set_dir/BENCH.BIN"; sync
  t0=$(ms); run_rundelo; t=$(( $(ms) - t0 ))
  if [ -z "$best_rundelo" ] || [ "$t" -lt "$best_rundelo" ]; then best_rundelo=$t; fi
  cmp "$set_dir/BENCH.BIN" "$work/source.bin"
  cmp "$work/cat.bin" "$work/source.bin"
done

python3 - "$size" "$n" "$best_cat" "$best_rundelo" <<'EOF'
import sys
size, n, cat_ms, rundelo_ms = (int(a) for a in sys.argv[1:])
mbs = lambda ms: size / 1e6 / (ms / 1000)
print(f'piece set: {size} bytes in {n} pieces of 1440000 bytes')
print(f'cat:      {cat_ms:6d} ms  {mbs(cat_ms):8.1f} MB/s')
print(f'Rundelo:  {rundelo_ms:6d} ms  {mbs(rundelo_ms):8.1f} MB/s  (under Wine, start included)')
print(f'ratio Rundelo / cat throughput: {cat_ms / rundelo_ms:.2f}')
EOF
