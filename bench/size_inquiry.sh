#!/usr/bin/env bash
# Tovra's File Size inquiry of a tree of 50,000 files under Wine against `du -sb` on the same
# tree (a temp folder of the build tree mapped as a fixed drive), and against the plainest walk
# the system allows under the same Wine: WALKBENCH.EXE doing nothing but FindFirstFileA and
# FindNextFileA over the tree. WALKBENCH.EXE also times the command's own walk without its
# windows, which tells the walk's share from that of the dialogs. Tovra is timed from the OK of
# its dialog until its result dialog shows (seen through the window events the system sends the
# robot), the walks by themselves; five runs each after a first pass that fills the caches for
# all; prints best, median and spread, and the ratios of times.
# Usage: bench/size_inquiry.sh [files [runs]]   (default 50000 and 5)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${TOVRA_BUILD_DIR:-$root/build}
files=${1:-50000}
runs=${2:-5}
source "$root/bench/winbench.sh" size
for f in TOVRA.EXE ROBOT.EXE WALKBENCH.EXE; do
  [ -f "$TOVRA_BIN/$f" ] || { echo "no $TOVRA_BIN/$f: build the win32 tree first (tools/build.sh win32)"; exit 1; }
done

PYTHONPATH="$root/tests/wine:$root/bench" python3 - "$files" "$runs" <<'PY'
import os, subprocess, sys, time, unittest
from benchlib import figures, line
from tovra import TovraCase, IDC_BTN_FILESIZE, IDC_RES_DIRS, IDC_RES_FILES, IDC_RES_SIZE
from winetest import IDOK, bin_path

files = int(sys.argv[1])
RUNS = int(sys.argv[2])
per_folder = 100
PLAIN, OWN, TOVRA = ('plain walk (FindFirst/FindNextFileA)', "Tovra's walk without windows",
                     'Tovra File Size (OK to result)')


class Bench(TovraCase):
    def walk(self, tree, *mode):
        """Seconds of one walk by WALKBENCH.EXE, and what it counted."""
        out = subprocess.run(['wine', bin_path('WALKBENCH.EXE'), tree] + list(mode),
                             stdout=subprocess.PIPE, check=True).stdout.split()
        return float(out[0]), [int(n) for n in out[1:]]

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
        # du -sb counts the folders' own sizes too; the files alone are the sum below.
        counted = [sum(k % 3000 for k in range(files)), files,
                   files // 1000 + files // per_folder]
        t = self.start_tovra(root)
        times = {'du -sb': [], PLAIN: [], OWN: [], TOVRA: []}
        for run in range(RUNS + 1):
            t0 = time.perf_counter()
            subprocess.run(['du', '-sb', tree], stdout=subprocess.DEVNULL, check=True)
            du_time = time.perf_counter() - t0

            plain_time, plain = self.walk(root + 'tree')
            own_time, own = self.walk(root + 'tree', 'tovra')
            self.assertEqual(plain, counted)
            self.assertEqual(own, counted)

            t.select(folder, 'tree')
            t.press(IDC_BTN_FILESIZE)
            dlg = t.dialog('Inquire File Size', '')
            t.app.watch_shown()
            t0 = time.perf_counter()
            t.app.click(dlg, IDOK)
            result = t.app.wait_shown(timeout=600, cls='#32770')
            tovra_time = time.perf_counter() - t0
            self.assertEqual(result.title, 'Inquiry Result')
            shown = [int(t.app.get_text(result.hwnd, i)) for i in (IDC_RES_SIZE, IDC_RES_FILES,
                                                                   IDC_RES_DIRS)]
            self.assertEqual(shown, counted)
            t.app.click(result.hwnd, IDOK)
            t.app.wait_gone(result.hwnd)
            if run:
                for name, value in (('du -sb', du_time), (PLAIN, plain_time), (OWN, own_time),
                                    (TOVRA, tovra_time)):
                    times[name].append(value)
        print('tree: %d files in %d folders, %s bytes by du -sb, %d runs'
              % (files, counted[2], du.decode(), RUNS))
        for name, values in times.items():
            print(line(name, values))

        def ratio(label, a, b):
            (ab, am, _), (bb, bm, _) = figures(times[a]), figures(times[b])
            print('ratio of times %s: %.2f (best)  %.2f (median)' % (label, ab / bb, am / bm))
        ratio('Tovra / du -sb', TOVRA, 'du -sb')
        ratio('Tovra / plain walk', TOVRA, PLAIN)
        ratio("Tovra's walk without windows / plain walk", OWN, PLAIN)


result = unittest.TextTestRunner(verbosity=0).run(Bench())
sys.exit(0 if result.wasSuccessful() else 1)
PY
