#!/usr/bin/env bash
# Tovra's first listing of a folder of 2000 files under Wine, beside `ls -l` on the same folder,
# for two folders: 2000 `.txt` files (plain), and 2000 files of ten kinds as users have them
# (mixed): a tenth of them programs, each with an icon of its own, and 20 with a trailing dot
# or blank, whose names must be looked up again (they get no row). Each folder (in a temp folder
# of the build tree) is the root of a mapped drive holding a copy of TOVRA.EXE, so it is the
# start directory. Tovra's time runs from its start until its thread answers again after the
# listing, minus the same for a folder with only TOVRA.EXE (start-up); the rows listed are
# checked after each run. Five runs each, taken in turn; prints best, median and spread.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${TOVRA_BUILD_DIR:-$root/build}
bin=${TOVRA_BIN:-$build/win32/bin}
for f in TOVRA.EXE RUNDELO.EXE ROBOT.EXE; do
  [ -f "$bin/$f" ] || { echo "no $bin/$f: build the win32 tree first (tools/build.sh win32)"; exit 1; }
done

source "$root/tools/winenv.sh"
[ -z "${TOVRA_NO_WINE:-}" ] || { echo "no figures: $TOVRA_NO_WINE"; exit 1; }
work=$(mktemp -d "$build/bench-list.XXXXXX")
letter=""
cleanup() {
  [ -n "$letter" ] && wine "$bin/ROBOT.EXE" remove-drive "$letter" >/dev/null 2>&1 || true
  winenv_stop
  rm -rf "$work"
}
trap cleanup EXIT
winenv_start

mkdir "$work/plain" "$work/mixed" "$work/empty" "$work/programs"
for i in $(seq -w 0 1999); do printf 'file %s\n' "$i" > "$work/plain/file$i.txt"; done
cp "$bin/TOVRA.EXE" "$work/plain/"
cp "$bin/TOVRA.EXE" "$work/empty/"
# Kind i % 10 for file i; the programs are links to two programs with icons of their own (the
# shell is asked for each by its own path), TOVRA.EXE the last of them.
cp "$bin/TOVRA.EXE" "$bin/RUNDELO.EXE" "$work/programs/"
kinds=(txt doc zip lzh htm ini dll bin dat exe)
for i in $(seq 0 1998); do
  kind=${kinds[i % 10]}
  name=$(printf 'f%04d.%s' "$i" "$kind")
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
  letter=l
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
  letter=""
}

ls_time() {
  local t0 t1; t0=$(date +%s%N); ls -l "$1" >/dev/null; t1=$(date +%s%N)
  python3 -c "print('%.4f' % (($t1 - $t0) / 1e9))"
}

plain=() mixed=() empty=() ls_plain=() ls_mixed=()
for _ in 1 2 3 4 5; do
  plain+=("$(tovra_time "$work/plain")")
  mixed+=("$(tovra_time "$work/mixed")")
  empty+=("$(tovra_time "$work/empty")")
  ls_plain+=("$(ls_time "$work/plain")")
  ls_mixed+=("$(ls_time "$work/mixed")")
done
PYTHONPATH="$root/bench" python3 - "${plain[*]}" "${mixed[*]}" "${empty[*]}" "${ls_plain[*]}" \
    "${ls_mixed[*]}" <<'PY'
import sys
from benchlib import figures, line
plain, mixed, empty = ([float(t) for t in a.split()[0::2]] for a in sys.argv[1:4])
rows = {name: set(a.split()[1::2]) for name, a in zip(('plain', 'mixed', 'empty'), sys.argv[1:4])}
ls_plain, ls_mixed = ([float(t) for t in a.split()] for a in sys.argv[4:])
# 2001 files: the first 2000 the enumeration meets. 1999 files and TOVRA.EXE, 20 of no row.
expected = {'plain': {'2000'}, 'mixed': {'1980'}, 'empty': {'1'}}
print('%d runs each' % len(plain))
print(line('Tovra start-up with an empty folder', empty))
for name, title, full, ls in (
        ('plain', '2000 .txt files (+ TOVRA.EXE)', plain, ls_plain),
        ('mixed', '2000 files of ten kinds, 200 programs, 20 names looked up again', mixed,
         ls_mixed)):
    print('%s folder: %s' % (name, title))
    print(line('  Tovra start to answer after listing', full))
    print('%-40s best %7.3f s  median %7.3f s' % ('  Tovra first listing (difference)',
          figures(full)[0] - figures(empty)[0], figures(full)[1] - figures(empty)[1]))
    print(line('  ls -l on the same folder', ls))
bad = {n: sorted(r) for n, r in rows.items() if r != expected[n]}
if bad:
    sys.exit('rows listed differ from those expected %s: %s' % (expected, bad))
PY
