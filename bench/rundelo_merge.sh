#!/usr/bin/env bash
# Rundelo's merge under Wine against cat on the same piece set (made with split, floppy-sized
# pieces, in a temp folder of the build tree), and against an earlier Rundelo on the same set:
# the one built before Rundelo was built for size, from commit 1d9edb5 (bench/earlier.sh), or
# the RUNDELO.EXE in RUNDELO_BEFORE_BIN. A Rundelo's time includes starting it under Wine.
# cat copies in the kernel (copy_file_range), so a like-for-like line is printed as well: dd
# copying each piece in 1440000-byte reads and writes (one dd per piece, so its process starts
# are included). Wine's own start-up is timed on a one-piece set.
# All pieces are read once first so every side starts from the same warm cache; each output is
# removed and synced before its run, from just-touched memory; the runs are taken in turn, each
# output compared with the source by cmp; best, median, spread.
# Usage: bench/rundelo_merge.sh [megabytes [runs]]   (default 500 and 5; 500 at least to mean
# anything, 1400 for a set of 973 pieces)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${TOVRA_BUILD_DIR:-$root/build}
mb=${1:-500}
runs=${2:-5}
source "$root/bench/winbench.sh" rundelo
exe=$TOVRA_BIN/RUNDELO.EXE
[ -f "$exe" ] || { echo "no $exe: build the win32 tree first (tools/build.sh win32)"; exit 1; }
before=${RUNDELO_BEFORE_BIN:-$(bash "$root/bench/earlier.sh" 1d9edb5)}/RUNDELO.EXE

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
# The earlier Rundelo beside today's, under another name: it finds its folder as today's does.
cp "$exe" "$set_dir/RUNDELO.EXE"
cp "$before" "$set_dir/BEFORE.EXE"
letter=$(map_drive "$set_dir")
pieces=()
for k in $(seq 1 "$n"); do pieces+=("$set_dir/file-$k"); done
one_dir="$work/one"
mkdir "$one_dir"
cp "$set_dir/file-1" "$exe" "$one_dir/"
printf 'ONE.BIN;%d;1;1;2;3;4;5;2001;\n' "$(stat -c %s "$one_dir/file-1")" > "$one_dir/file-0"
one_letter=$(map_drive "$one_dir")

run_cat() { cat "${pieces[@]}" > "$work/cat.bin"; }
run_dd() { for p in "${pieces[@]}"; do dd if="$p" bs=1440000 status=none; done > "$work/dd.bin"; }
run_rundelo() { (cd "$set_dir" && wine_run "$letter:\\$1"); }
run_one() { (cd "$one_dir" && wine_run "$one_letter:\\RUNDELO.EXE"); }

declare -A times
# time_it name output-file command...: removes and syncs the output, starts from just-touched
# memory (see benchlib.warm_memory), adds the seconds to the list.
time_it() {
  local name=$1 out=$2; shift 2
  rm -f "$out"; sync
  PYTHONPATH="$root/bench" python3 -c 'import benchlib; benchlib.warm_memory()'
  local t0; t0=$(date +%s%N); "$@"; local t1; t1=$(date +%s%N)
  times[$name]+="$(( (t1 - t0) / 1000 )) "
}

cat "${pieces[@]}" > /dev/null
for run in $(seq "$runs"); do
  time_it cat "$work/cat.bin" run_cat
  time_it dd "$work/dd.bin" run_dd
  # Which Rundelo goes first changes from run to run.
  order=(RUNDELO.EXE BEFORE.EXE)
  [ $((run % 2)) = 1 ] || order=(BEFORE.EXE RUNDELO.EXE)
  for e in "${order[@]}"; do
    time_it "$e" "$set_dir/BENCH.BIN" run_rundelo "$e"
    cmp "$set_dir/BENCH.BIN" "$work/source.bin"
  done
  time_it one "$one_dir/ONE.BIN" run_one
  cmp "$work/cat.bin" "$work/source.bin"
  cmp "$work/dd.bin" "$work/source.bin"
  cmp "$one_dir/ONE.BIN" "$set_dir/file-1"
done

echo "file system of the build tree: $(df --output=fstype "$work" | tail -1)"
echo "load average before the summary: $(cut -d' ' -f1-3 /proc/loadavg)"
PYTHONPATH="$root/bench" python3 - "$size" "$n" "$before" "${times[cat]}" "${times[dd]}" \
  "${times[RUNDELO.EXE]}" "${times[BEFORE.EXE]}" "${times[one]}" <<'EOF'
import sys
from benchlib import line, ratio_line
size, n, before = int(sys.argv[1]), int(sys.argv[2]), sys.argv[3]
cat, dd, rundelo, earlier, one = ([int(u) / 1e6 for u in a.split()] for a in sys.argv[4:])
print(f'piece set: {size} bytes in {n} pieces of 1440000 bytes, {len(cat)} runs')
print(f'earlier Rundelo: {before}')
print(line('cat', cat, size))
print(line('dd bs=1440000, one dd per piece', dd, size))
print(line('Rundelo (under Wine, start included)', rundelo, size))
print(line('earlier Rundelo (the same)', earlier, size))
print(line('Rundelo on a one-piece set (start-up)', one))
print(ratio_line('ratio Rundelo / cat throughput', cat, rundelo))
print(ratio_line('ratio Rundelo / dd (like for like)', dd, rundelo))
print(ratio_line('ratio Rundelo / earlier Rundelo', earlier, rundelo) + '   goal: at least 1.00')
EOF
