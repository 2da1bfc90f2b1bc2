#!/usr/bin/env bash
# The cost of checking: Rundelo under Wine merging the same data as a set without a check line
# (merged as before, unchecked) and as a set with one (each piece's CRC-32 checked as it is
# copied), in the same run, on the same disk; cat of the same pieces as the reference. The sets
# are made here by split and Python's zlib, not by our code. Every output is compared with the
# source by cmp. All pieces are read once first so every side starts from a warm cache; each
# output is removed and synced before its run, from just-touched memory; the runs are taken in turn, and the best and the
# median of each are printed (the machine may be shared). A rebuild of one deleted piece is timed
# once for information.
# Usage: bench/checked_merge.sh [megabytes [runs]]   (default 500 and 9)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${TOVRA_BUILD_DIR:-$root/build}
mb=${1:-500}
runs=${2:-9}
source "$root/bench/winbench.sh" checked
exe=$TOVRA_BIN/RUNDELO.EXE
[ -f "$exe" ] || { echo "no $exe: build the win32 tree first (tools/build.sh win32)"; exit 1; }

size=$((mb * 1000000))
head -c "$size" /dev/urandom > "$work/source.bin"
mkdir "$work/plain"
split -b 1440000 -a 3 --numeric-suffixes=1 "$work/source.bin" "$work/plain/file-"
n=$(python3 - "$work/plain" <<'EOF'
import os, sys
d = sys.argv[1]
names = sorted(x for x in os.listdir(d) if x.startswith('file-'))
for x in names:
    os.rename(os.path.join(d, x), os.path.join(d, 'file-%d' % int(x[5:])))
print(len(names))
EOF
)
printf 'BENCH.BIN;%d;%d;1;2;3;4;5;2001;\n' "$size" "$n" > "$work/plain/file-0"
cp -r "$work/plain" "$work/checked"
# The check line and parity piece as the README gives them, computed with zlib.
python3 - "$work/checked" "$n" "$size" <<'EOF'
import os, sys, zlib
d, n, size = sys.argv[1], int(sys.argv[2]), int(sys.argv[3])
crcs, whole, parity, width = [], 0, 0, 1440000
for k in range(1, n + 1):
    with open(os.path.join(d, 'file-%d' % k), 'rb') as f:
        p = f.read()
    crcs.append(zlib.crc32(p))
    whole = zlib.crc32(p, whole)
    parity ^= int.from_bytes(p.ljust(width, b'\0'), 'little')
parity = parity.to_bytes(width, 'little')
with open(os.path.join(d, 'file-%d' % (n + 1)), 'wb') as f:
    f.write(parity)
line = b'CRC32;%d;%d;%d;%08X;' % (size, n, width, whole)
line += b''.join(b'%08X;' % c for c in crcs + [zlib.crc32(parity)])
line += b'%08X;\n' % zlib.crc32(line)
with open(os.path.join(d, 'file-0'), 'ab') as f:
    f.write(line)
EOF
cp -r "$work/checked" "$work/rebuild"
rm "$work/rebuild/file-$((n / 2))"
for d in plain checked rebuild; do cp "$exe" "$work/$d/RUNDELO.EXE"; done

declare -A drive
for d in plain checked rebuild; do drive[$d]=$(map_drive "$work/$d"); done

pieces=()
for k in $(seq 1 "$n"); do pieces+=("$work/plain/file-$k"); done
ms() { echo $(( $(date +%s%N) / 1000000 )); }
cat_script='out=$1; shift; cat "$@" > "$out"'
rundelo_script='cd "$1" && timeout 900 wine "$2:\\RUNDELO.EXE" </dev/null >/dev/null 2>&1'

declare -A wall cpu
# time_it name output-file script args...: removes and syncs the output, starts from
# just-touched memory (see benchlib.warm_memory), runs the script with the args, and notes its
# wall time and processor time (user and system, of the script and everything it starts).
time_it() {
  local name=$1 out=$2 script=$3; shift 3
  rm -f "$out"; sync
  PYTHONPATH="$root/bench" python3 -c 'import benchlib; benchlib.warm_memory()'
  local t0; t0=$(ms)
  /usr/bin/time -f '%U %S' -o "$work/cpu" bash -c "$script" _ "$@"
  local t=$(( $(ms) - t0 ))
  wall[$name]="${wall[$name]:-} $t"
  cpu[$name]="${cpu[$name]:-} $(awk '{printf "%d", ($1 + $2) * 1000}' "$work/cpu")"
}
merge() { time_it "$1" "$work/$1/BENCH.BIN" "$rundelo_script" "$work/$1" "${drive[$1]}"; }

cat "${pieces[@]}" "$work/checked/file-$((n + 1))" > /dev/null
for _ in $(seq "$runs"); do
  time_it cat "$work/cat.bin" "$cat_script" "$work/cat.bin" "${pieces[@]}"
  merge plain
  merge checked
  for f in "$work/cat.bin" "$work/plain/BENCH.BIN" "$work/checked/BENCH.BIN"; do
    cmp "$f" "$work/source.bin"
  done
done
merge rebuild
cmp "$work/rebuild/BENCH.BIN" "$work/source.bin"

echo "file system of the build tree: $(df --output=fstype "$work" | tail -1)"
python3 - "$size" "$n" "${wall[cat]}" "${wall[plain]}" "${wall[checked]}" "${wall[rebuild]}" \
  "${cpu[plain]}" "${cpu[checked]}" <<'EOF'
import statistics, sys
size, n = int(sys.argv[1]), int(sys.argv[2])
cat, plain, checked, rebuild, plain_cpu, checked_cpu = ([int(x) for x in a.split()] for a in sys.argv[3:])
mbs = lambda ms: size / 1e6 / (ms / 1000)
med = statistics.median
print(f'piece set: {size} bytes in {n} pieces of 1440000 bytes, {len(plain)} runs each')
print('                      best ms    MB/s  median ms')
for name, t in (('cat', cat), ('Rundelo, unchecked', plain), ('Rundelo, checked', checked)):
    print(f'{name:20s} {min(t):8d} {mbs(min(t)):7.1f} {med(t):10.0f}')
print('(Rundelo under Wine, its start included)')
print(f'Rundelo, one piece rebuilt: {rebuild[0]} ms (once; includes the 4 s note)')
print(f'ratio checked / unchecked wall time: best {min(checked) / min(plain):.3f}, '
      f'median {med(checked) / med(plain):.3f}')
print(f'ratio checked / unchecked processor time (user and system): best '
      f'{min(checked_cpu) / max(min(plain_cpu), 1):.3f}, median {med(checked_cpu) / max(med(plain_cpu), 1):.3f}')
print(f'ratio Rundelo checked / cat throughput: {min(cat) / min(checked):.2f}')
EOF
