#!/usr/bin/env bash
# Tovra's first listing of a folder of 2000 files under Wine, beside `ls -l` on the same folder.
# The folder (in a temp folder of the build tree) is the root of a mapped drive holding a copy of
# TOVRA.EXE, so it is the start directory. Tovra's time runs from its start until its thread
# answers again after the listing, minus the same for a folder with only TOVRA.EXE (start-up).
# Five runs each, taken in turn; prints best, median and spread of each, and the ratio.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${TOVRA_BUILD_DIR:-$root/build}
bin=${TOVRA_BIN:-$build/win32/bin}
for f in TOVRA.EXE ROBOT.EXE; do
  [ -f "$bin/$f" ] || { echo "no $bin/$f: build the win32 tree first (tools/build.sh win32)"; exit 1; }
done

source "$root/tools/winenv.sh"
work=$(mktemp -d "$build/bench-list.XXXXXX")
letter=""
cleanup() {
  [ -n "$letter" ] && wine "$bin/ROBOT.EXE" remove-drive "$letter" >/dev/null 2>&1 || true
  winenv_stop
  rm -rf "$work"
}
trap cleanup EXIT
winenv_start

mkdir "$work/full" "$work/empty"
for i in $(seq -w 0 1999); do printf 'file %s\n' "$i" > "$work/full/file$i.txt"; done
cp "$bin/TOVRA.EXE" "$work/full/"
cp "$bin/TOVRA.EXE" "$work/empty/"

# Seconds from starting Tovra on drive L: (mapped to $1) until it answers after its first listing.
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
print('%.3f' % (time.time() - t0))
call('quit')
PY
  wine "$bin/ROBOT.EXE" remove-drive l >/dev/null
  letter=""
}

ls_time() {
  local t0 t1; t0=$(date +%s%N); ls -l "$work/full" >/dev/null; t1=$(date +%s%N)
  python3 -c "print('%.4f' % (($t1 - $t0) / 1e9))"
}

full=() empty=() lsl=()
for _ in 1 2 3 4 5; do
  full+=("$(tovra_time "$work/full")")
  empty+=("$(tovra_time "$work/empty")")
  lsl+=("$(ls_time)")
done
PYTHONPATH="$root/bench" python3 - "${full[*]}" "${empty[*]}" "${lsl[*]}" <<'PY'
import sys
from benchlib import figures, line
full, empty, ls = ([float(t) for t in a.split()] for a in sys.argv[1:])
print('folder of 2000 files (+ TOVRA.EXE), %d runs each' % len(full))
print(line('Tovra start to answer after listing', full))
print(line('Tovra start-up with an empty folder', empty))
print('%-40s best %7.3f s  median %7.3f s' % ('Tovra first listing (difference)',
      figures(full)[0] - figures(empty)[0], figures(full)[1] - figures(empty)[1]))
print(line('ls -l on the same folder', ls))
PY
