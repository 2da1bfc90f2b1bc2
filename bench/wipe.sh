#!/usr/bin/env bash
# Complete deletion of one large file: Tovra's wipe (four passes, each synced) under Wine against
# shred -n 3 -z (three random passes and one of zeros, each synced), on the same disk in the same
# run. Best of three each; prints throughputs and the ratio Tovra / shred.
# Usage: bench/wipe.sh [megabytes]   (default 500)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${TOVRA_BUILD_DIR:-$root/build}
bin=$build/win32/bin
mb=${1:-500}
[ -f "$bin/WIPEBENCH.EXE" ] || { echo "no $bin/WIPEBENCH.EXE: build the win32 tree first (tools/build.sh win32)"; exit 1; }

source "$root/tools/winenv.sh"
work=$(mktemp -d "$build/bench-wipe.XXXXXX")
cleanup() {
  winenv_stop
  rm -rf "$work"
}
trap cleanup EXIT
winenv_start

file=$work/victim.bin
make_victim() { head -c $((mb * 1000000)) /dev/urandom > "$file"; sync; }
best_tovra=999999 best_shred=999999
for run in 1 2 3; do
  make_victim
  t0=$(date +%s.%N)
  shred -n 3 -z "$file"
  t1=$(date +%s.%N)
  best_shred=$(awk -v a="$t0" -v z="$t1" -v b="$best_shred" 'BEGIN {d = z - a; print (d < b) ? d : b}')
  rm -f "$file"

  make_victim
  t=$(wine "$bin/WIPEBENCH.EXE" "Z:${file//\//\\}" | tr -d '\r')
  [ ! -e "$file" ] || { echo "Tovra's wipe left the file"; exit 1; }
  best_tovra=$(awk -v a="$t" -v b="$best_tovra" 'BEGIN {print (a < b) ? a : b}')
done
mbs() { awk -v s="$1" -v m="$mb" 'BEGIN {printf "%.1f", 4 * m / s}'; }
echo "file: $mb MB, four passes each"
printf 'shred -n 3 -z     %7.2f s  %7s MB/s written\n' "$best_shred" "$(mbs "$best_shred")"
printf 'Tovra wipe        %7.2f s  %7s MB/s written\n' "$best_tovra" "$(mbs "$best_tovra")"
awk -v a="$best_shred" -v b="$best_tovra" 'BEGIN {printf "ratio Tovra / shred throughput: %.2f\n", a / b}'
