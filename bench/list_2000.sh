#!/usr/bin/env bash
# Tovra's first listing of a folder of 2000 files under Wine, beside `ls -l` on the same folder,
# for two folders: 2000 `.txt` files (plain), and 2000 files of ten kinds as users have them
# (mixed): a tenth of them programs, each with an icon of its own, and one in a hundred with a
# trailing dot or blank, whose names must be looked up again (they get no row). Each folder (in a
# temp folder of the build tree) is the root of a mapped drive holding a copy of TOVRA.EXE, so it
# is the start directory. Tovra's time runs from its start until its thread answers again after
# the listing, minus the same for a folder with only TOVRA.EXE (start-up); the rows listed are
# checked after each run. Five runs each, taken in turn; prints best, median and spread.
# Usage: bench/list_2000.sh [files [runs]]   (default 2000 and 5; files a multiple of 200)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${TOVRA_BUILD_DIR:-$root/build}
count=${1:-2000}
runs=${2:-5}
source "$root/bench/winbench.sh" list
bin=$TOVRA_BIN
for f in TOVRA.EXE RUNDELO.EXE ROBOT.EXE; do
  [ -f "$bin/$f" ] || { echo "no $bin/$f: build the win32 tree first (tools/build.sh win32)"; exit 1; }
done
# Drive L: is this script's while it runs.
trap 'wine "$bin/ROBOT.EXE" remove-drive l >/dev/null 2>&1 || true; cleanup' EXIT

mkdir "$work/plain" "$work/mixed" "$work/empty" "$work/programs"
for i in $(seq 0 $((count - 1))); do
  printf -v name 'file%04d.txt' "$i"
  printf 'file %s\n' "$i" > "$work/plain/$name"
done
cp "$bin/TOVRA.EXE" "$work/plain/"
cp "$bin/TOVRA.EXE" "$work/empty/"
# Kind i % 10 for file i; the programs are links to two programs with icons of their own (the
# shell is asked for each by its own path), TOVRA.EXE the last of them.
cp "$bin/TOVRA.EXE" "$bin/RUNDELO.EXE" "$work/programs/"
kinds=(txt doc zip lzh htm ini dll bin dat exe)
for i in $(seq 0 $((count - 2))); do
  kind=${kinds[i % 10]}
  printf -v name 'f%04d.%s' "$i" "$kind"
  if [ $((i % 100)) = 50 ]; then
    [ $((i % 200)) = 50 ] && name+='.' || name+=' '
  fi
  if [ "$kind" = exe ]; then
    [ $((i % 20)) = 9 ] && ln "$work/programs/TOVRA.EXE" "$work/mixed/$name" \
                        || ln "$work/programs/RUNDELO.EXE" "$work/mixed/$name"
  else
    printf 'file %s\n' "$i" > "$work/mixed/$name"
  fi
done
cp "$bin/TOVRA.EXE" "$work/mixed/"

# Seconds from starting Tovra on drive L: (mapped to $1) until it answers after its first
# listing, and the rows it listed.
tovra_time() {
  wine "$bin/ROBOT.EXE" define-drive l fixed "$1" >/dev/null
  python3 - "$bin/ROBOT.EXE" <<'PY'
import subprocess, sys, time
robot = subprocess.Popen(['wine', sys.argv[1]], stdin=subprocess.PIPE, stdout=subprocess.PIPE,
                         stderr=subprocess.DEVNULL)
def call(line):
    robot.stdin.write((line + '\n').encode()); robot.stdin.flush()
    answer = robot.stdout.readline().decode().strip()
    return answer
hexa = lambda s: s.encode('cp1252').hex()
t0 = time.time()
assert call('start %s %s' % (hexa('L:\\'), hexa('L:\\TOVRA.EXE'))).startswith('ok')
answer = call('wait-window 60000 class=%s title=%s' % (hexa('Tovra'), hexa('Tovra')))
hwnd = answer.split()[1].split('=')[1]
# The list comes from messages posted at creation; a sent message is answered once they are done.
while True:
    kids = call('controls %s' % hwnd)
    if hexa('SysListView32') in kids and call('send %s 0 0 0' % hwnd).startswith('ok'):
        break
    time.sleep(0.05)
elapsed = time.time() - t0
listview = [k.split(',')[1] for k in kids.split()[1:] if k.split(',')[2] == hexa('SysListView32')]
rows = call('send %s 4100 0 0' % listview[0]).split('=')[1]  # LVM_GETITEMCOUNT
print('%.3f %s' % (elapsed, rows))
call('quit')
PY
  wine "$bin/ROBOT.EXE" remove-drive l >/dev/null
}

ls_time() {
  local t0 t1; t0=$(date +%s%N); ls -l "$1" >/dev/null; t1=$(date +%s%N)
  python3 -c "print('%.4f' % (($t1 - $t0) / 1e9))"
}

plain=() mixed=() empty=() ls_plain=() ls_mixed=()
for _ in $(seq "$runs"); do
  plain+=("$(tovra_time "$work/plain")")
  mixed+=("$(tovra_time "$work/mixed")")
  empty+=("$(tovra_time "$work/empty")")
  ls_plain+=("$(ls_time "$work/plain")")
  ls_mixed+=("$(ls_time "$work/mixed")")
done
PYTHONPATH="$root/bench" python3 - "$count" "${plain[*]}" "${mixed[*]}" "${empty[*]}" \
    "${ls_plain[*]}" "${ls_mixed[*]}" <<'PY'
import sys
from benchlib import figures, line
count = int(sys.argv[1])
plain, mixed, empty = ([float(t) for t in a.split()[0::2]] for a in sys.argv[2:5])
rows = {name: set(a.split()[1::2]) for name, a in zip(('plain', 'mixed', 'empty'), sys.argv[2:5])}
ls_plain, ls_mixed = ([float(t) for t in a.split()] for a in sys.argv[5:])
# The files and TOVRA.EXE, at most the first 2000 the enumeration meets. count - 1 files and
# TOVRA.EXE, one in a hundred of no row.
expected = {'plain': {str(min(count + 1, 2000))}, 'mixed': {str(count - count // 100)},
            'empty': {'1'}}
print('%d runs each' % len(plain))
print(line('Tovra start-up with an empty folder', empty))
for name, title, full, ls in (
        ('plain', '%d .txt files (+ TOVRA.EXE)' % count, plain, ls_plain),
        ('mixed', '%d files of ten kinds, %d programs, %d names looked up again'
         % (count, count // 10, count // 100), mixed, ls_mixed)):
    print('%s folder: %s' % (name, title))
    print(line('  Tovra start to answer after listing', full))
    print('%-40s best %7.3f s  median %7.3f s' % ('  Tovra first listing (difference)',
          figures(full)[0] - figures(empty)[0], figures(full)[1] - figures(empty)[1]))
    print(line('  ls -l on the same folder', ls))
bad = {n: sorted(r) for n, r in rows.items() if r != expected[n]}
if bad:
    sys.exit('rows listed differ from those expected %s: %s' % (expected, bad))
PY
