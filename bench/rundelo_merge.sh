#!/usr/bin/env bash
# Rundelo's merge under Wine against cat on the same piece set (made with split, floppy-sized
# pieces, in a temp folder of the build tree). Rundelo's time includes starting it under Wine.
# cat copies in the kernel (copy_file_range), so a like-for-like line is printed as well: dd
# copying each piece in 1440000-byte reads and writes, as Rundelo does (one dd per piece, so
# its process starts are included). Wine's own start-up is timed on a one-piece set.
# All pieces are read once first so every side starts from the same warm cache; each output is
# removed and synced before its run, from just-touched memory; five runs each, taken in turn; best, median, spread.
# Usage: bench/rundelo_merge.sh [megabytes]   (default 500; at least 500 to mean anything)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${TOVRA_BUILD_DIR:-$root/build}
exe=${TOVRA_BIN:-$build/win32/bin}/RUNDELO.EXE
mb=${1:-500}
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
one_dir="$work/one"
mkdir "$one_dir"
cp "$set_dir/file-1" "$exe" "$one_dir/"
printf 'ONE.BIN;1440000;1;1;2;3;4;5;2001;\n' > "$one_dir/file-0"
one_letter=""
for l in w v u t s r q p o n m; do
  if [ "$l" != "$letter" ] && [ ! -e "$WINEPREFIX/dosdevices/$l:" ]; then one_letter=$l; break; fi
done
[ -n "$one_letter" ] || { echo "no second free drive letter in $WINEPREFIX"; exit 1; }
ln -s "$one_dir" "$WINEPREFIX/dosdevices/$one_letter:"
cleanup_one() { rm -f "$WINEPREFIX/dosdevices/$one_letter:"; cleanup; }
trap cleanup_one EXIT

ms() { echo $(( $(date +%s%N) / 1000000 )); }
run_cat() { cat "${pieces[@]}" > "$work/cat.bin"; }
run_dd() { for p in "${pieces[@]}"; do dd if="$p" bs=1440000 status=none; done > "$work/dd.bin"; }
run_rundelo() { (cd "$set_dir" && wine "$letter:\\RUNDELO.EXE" </dev/null >/dev/null 2>&1); }
run_one() { (cd "$one_dir" && wine "$one_letter:\\RUNDELO.EXE" </dev/null >/dev/null 2>&1); }

declare -A times
# time_it name output-file command: removes and syncs the output, starts from just-touched
# memory (see benchlib.warm_memory), adds the seconds to the list.
time_it() {
  local name=$1 out=$2; shift 2
  rm -f "$out"; sync
  PYTHONPATH="$root/bench" python3 -c 'import benchlib; benchlib.warm_memory()'
  local t0; t0=$(date +%s%N); "$@"; local t1; t1=$(date +%s%N)
  times[$name]+="$(( (t1 - t0) / 1000 )) "
}

cat "${pieces[@]}" > /dev/null
for _ in 1 2 3 4 5; do
  time_it cat "$work/cat.bin" run_cat
  time_it dd "$work/dd.bin" run_dd
  time_it rundelo "$set_dir/BENCH.BIN" run_rundelo
  time_it one "$one_dir/ONE.BIN" run_one
  cmp "$set_dir/BENCH.BIN" "$work/source.bin"
  cmp "$work/cat.bin" "$work/source.bin"
  cmp "$work/dd.bin" "$work/source.bin"
  cmp "$one_dir/ONE.BIN" "$set_dir/file-1"
done

echo "file system of the build tree: $(df --output=fstype "$work" | tail -1)"
PYTHONPATH="$root/bench" python3 - "$size" "$n" "${times[cat]}" "${times[dd]}" \
  "${times[rundelo]}" "${times[one]}" <<'EOF'
import sys
from benchlib import line, ratio_line
size, n = int(sys.argv[1]), int(sys.argv[2])
cat, dd, rundelo, one = ([int(u) / 1e6 for u in a.split()] for a in sys.argv[3:])
print(f'piece set: {size} bytes in {n} pieces of 1440000 bytes, {len(cat)} runs')
print(line('cat', cat, size))
print(line('dd bs=1440000, one dd per piece', dd, size))
print(line('Rundelo (under Wine, start included)', rundelo, size))
print(line('Rundelo on a one-piece set (start-up)', one))
print(ratio_line('ratio Rundelo / cat throughput', cat, rundelo))
print(ratio_line('ratio Rundelo / dd (like for like)', dd, rundelo))
EOF
