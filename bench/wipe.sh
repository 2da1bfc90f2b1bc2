#!/usr/bin/env bash
# Complete deletion of one large file: Tovra's wipe (four passes, each synced) under Wine against
# shred -n 3 -z (three random passes and one of zeros, each synced), on the same disk in the same
# run. Five runs each, taken in turn; prints best, median and spread, and the ratio Tovra / shred.
# Usage: bench/wipe.sh [megabytes]   (default 500)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${TOVRA_BUILD_DIR:-$root/build}
bin=$build/win32/bin
mb=${1:-500}
[ -f "$bin/WIPEBENCH.EXE" ] || { echo "no $bin/WIPEBENCH.EXE: build the win32 tree first (tools/build.sh win32)"; exit 1; }

source "$root/bench/winbench.sh" wipe

file=$work/victim.bin
make_victim() { head -c $((mb * 1000000)) /dev/urandom > "$file"; sync; }
shred_times="" tovra_times=""
for run in 1 2 3 4 5; do
  make_victim
  t0=$(date +%s.%N)
  shred -n 3 -z "$file"
  t1=$(date +%s.%N)
  shred_times+="$(awk -v a="$t0" -v z="$t1" 'BEGIN {print z - a}') "
  rm -f "$file"

  make_victim
  t=$(wine "$bin/WIPEBENCH.EXE" "Z:${file//\//\\}" | tr -d '\r')
  [ ! -e "$file" ] || { echo "Tovra's wipe left the file"; exit 1; }
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
