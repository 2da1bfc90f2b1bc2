#!/usr/bin/env bash
# Complete deletion of one large file: Tovra's wipe (four passes, each synced) under Wine against
# shred -n 3 -z (three random passes and one of zeros, each synced), on the same disk in the same
# run. What each leaves is read through a hard link the programs do not know of: zeros,
# compared by cmp. Five runs each, taken in turn; prints best, median and
# spread, and the ratio Tovra / shred.
# Usage: bench/wipe.sh [megabytes [runs]]   (default 500 and 5)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${TOVRA_BUILD_DIR:-$root/build}
mb=${1:-500}
runs=${2:-5}
source "$root/bench/winbench.sh" wipe
bin=$TOVRA_BIN
[ -f "$bin/WIPEBENCH.EXE" ] || { echo "no $bin/WIPEBENCH.EXE: build the win32 tree first (tools/build.sh win32)"; exit 1; }

size=$((mb * 1000000))
file=$work/victim.bin
seen=$work/seen.bin
make_victim() { head -c "$size" /dev/urandom > "$file"; ln -f "$file" "$seen"; sync; }
# What a wipe left: zeros over the whole file, at least as long as it was (shred rounds it up
# to a full block).
check_zeros() {
  local left; left=$(stat -c %s "$seen")
  [ "$left" -ge "$size" ] || { echo "$1 cut the file to $left bytes"; exit 1; }
  head -c "$left" /dev/zero | cmp - "$seen"
  rm -f "$seen"
}
shred_times="" tovra_times=""
for run in $(seq "$runs"); do
  make_victim
  t0=$(date +%s.%N)
  shred -n 3 -z "$file"
  t1=$(date +%s.%N)
  shred_times+="$(awk -v a="$t0" -v z="$t1" 'BEGIN {print z - a}') "
  rm -f "$file"
  check_zeros shred

  make_victim
  t=$(timeout 900 wine "$bin/WIPEBENCH.EXE" "Z:${file//\//\\}" | tr -d '\r')
  [ ! -e "$file" ] || { echo "Tovra's wipe left the file"; exit 1; }
  check_zeros "Tovra's wipe"
  tovra_times+="$t "
done
PYTHONPATH="$root/bench" python3 - "$mb" "$shred_times" "$tovra_times" <<'PY'
import sys
from benchlib import line, ratio_line
mb = int(sys.argv[1])
shred, tovra = ([float(t) for t in a.split()] for a in sys.argv[2:])
written = 4 * mb * 1000000  # four passes each
print('file: %d MB, four passes each, %d runs (MB/s: bytes written)' % (mb, len(shred)))
print(line('shred -n 3 -z', shred, written))
print(line('Tovra wipe', tovra, written))
print(ratio_line('ratio Tovra / shred throughput', shred, tovra))
PY
