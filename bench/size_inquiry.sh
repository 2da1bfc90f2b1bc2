#!/usr/bin/env bash
# Tovra's File Size inquiry of a tree of 50,000 files under Wine against `du -sb` on the same
# tree (a temp folder of the build tree mapped as a fixed drive), in the same run. Tovra is
# timed from the OK of its dialog until its result dialog; five runs each after a first pass
# that fills the caches for both; prints best, median and spread, and the ratio of times.
# Usage: bench/size_inquiry.sh [files]   (default 50000)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${TOVRA_BUILD_DIR:-$root/build}
export TOVRA_BIN=${TOVRA_BIN:-$build/win32/bin}
files=${1:-50000}
for f in TOVRA.EXE ROBOT.EXE; do
  [ -f "$TOVRA_BIN/$f" ] || { echo "no $TOVRA_BIN/$f: build the win32 tree first (tools/build.sh win32)"; exit 1; }
done

source "$root/tools/winenv.sh"
work=$(mktemp -d "$build/bench-size.XXXXXX")
cleanup() {
  winenv_stop
  rm -rf "$work"
}
trap cleanup EXIT
winenv_start
export TOVRA_TMP="$work"

PYTHONPATH="$root/tests/wine:$root/bench" python3 - "$files" <<'PY'
import os, subprocess, sys, time, unittest
from benchlib import RUNS, figures, line
from tovra import TovraCase, IDC_BTN_FILESIZE, IDC_RES_DIRS, IDC_RES_FILES, IDC_RES_SIZE
from winetest import IDOK

files = int(sys.argv[1])
per_folder = 100


class Bench(TovraCase):
    def runTest(self):
        folder, root = self.drive('t', name='disk')
        tree = os.path.join(folder, 'tree')
        for k in range(files):
            sub = os.path.join(tree, 'd%03d' % (k // 1000), 'e%02d' % (k // per_folder % 10))
            if k % per_folder == 0:
                os.makedirs(sub)
            with open(os.path.join(sub, 'f%05d.dat' % k), 'wb') as f:
                f.write(b'x' * (k % 3000))
        du = subprocess.run(['du', '-sb', tree], stdout=subprocess.PIPE,
                            check=True).stdout.split()[0]
        t = self.start_tovra(root)
        times = {'du -sb': [], 'Tovra': []}
        for run in range(RUNS + 1):
            t0 = time.perf_counter()
            subprocess.run(['du', '-sb', tree], stdout=subprocess.DEVNULL, check=True)
            du_time = time.perf_counter() - t0

            t.select(folder, 'tree')
            t.press(IDC_BTN_FILESIZE)
            dlg = t.dialog('Inquire File Size', '')
            t0 = time.perf_counter()
            t.app.click(dlg, IDOK)
            result = t.dialog('Inquiry Result', '')
            tovra_time = time.perf_counter() - t0
            shown = [int(t.app.get_text(result, i)) for i in (IDC_RES_SIZE, IDC_RES_FILES,
                                                               IDC_RES_DIRS)]
            # du -sb counts the folders' own sizes too; the files alone are the sum below.
            self.assertEqual(shown[1:], [files, files // 1000 + files // per_folder])
            self.assertEqual(shown[0], sum(k % 3000 for k in range(files)))
            t.app.click(result, IDOK)
            t.app.wait_gone(result)
            if run:
                times['du -sb'].append(du_time)
                times['Tovra'].append(tovra_time)
        print('tree: %d files in %d folders, %s bytes by du -sb, %d runs'
              % (files, files // 1000 + files // per_folder, du.decode(), RUNS))
        for name, values in times.items():
            print(line(name, values))
        (tb, tm, _), (db, dm, _) = figures(times['Tovra']), figures(times['du -sb'])
        print('ratio of times Tovra / du -sb: %.2f (best)  %.2f (median)' % (tb / db, tm / dm))


result = unittest.TextTestRunner(verbosity=0).run(Bench())
sys.exit(0 if result.wasSuccessful() else 1)
PY
