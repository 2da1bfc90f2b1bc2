#!/usr/bin/env bash
# What the further parity pieces cost a division, under Wine, in one run: Tovra's division of a
# file into 1.44MB pieces, which for more than 20 pieces writes three parity pieces, against
# the division of the same file on the same disk by the Tovra of d365fc9, which writes one
# (built from its sources once, as the Wine tests of the earlier readers build it). Tovra is
# driven through the test robot as bench/repair.sh drives it and timed from the OK of its dialog
# to its success message, and to the last write in the folder (inotify). Each timed run starts
# after a sync from just-touched memory; the two are taken in turn; the pieces of both are
# compared with the source by cmp, and today's parity pieces beyond the first are checked to be
# there. Prints best, median and spread of each, and the ratio with its goal.
# Usage: bench/parity_division.sh [megabytes [runs]]   (default 500 and 5)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${TOVRA_BUILD_DIR:-$root/build}
export TOVRA_BIN=${TOVRA_BIN:-$build/win32/bin}
mb=${1:-500}
runs=${2:-5}
for f in TOVRA.EXE ROBOT.EXE; do
  [ -f "$TOVRA_BIN/$f" ] || { echo "no $TOVRA_BIN/$f: build the win32 tree first (tools/build.sh win32)"; exit 1; }
done

source "$root/bench/winbench.sh" parity

PYTHONPATH="$root/tests/wine:$root/bench" python3 - "$mb" "$runs" <<'PY'
import os, shutil, subprocess, sys, unittest
from benchlib import WriteWatch, last_file, line, ratio_line, timed_click, warm_memory
from test_parity import old_readers
from tovra import TovraCase, IDC_BTN_DIVISION, IDC_DIV_144
from winetest import IDNO, IDOK

BEFORE = 'd365fc9'
size = int(sys.argv[1]) * 1000000
RUNS = int(sys.argv[2])
piece = 1440000
n = -(-size // piece)


def pieces(folder):
    return sorted(f for f in os.listdir(folder) if f.startswith('file-'))


class Bench(TovraCase):
    def setUp(self):
        super().setUp()
        before = old_readers(self, BEFORE)
        self.sets = {}
        for letter, name in (('t', 'now'), ('u', 'before')):
            self.sets[name] = self.drive(letter, name=name, exe=None if name == 'before' else 'TOVRA.EXE')
        shutil.copy(os.path.join(before, 'TOVRA.EXE'), os.path.join(self.sets['before'][0], 'TOVRA.EXE'))
        source = os.path.join(self.tmp, 'source.bin')
        subprocess.run('head -c %d /dev/urandom > "%s"' % (size, source), shell=True, check=True)
        for folder, _ in self.sets.values():
            shutil.copy(source, os.path.join(folder, 'bench.bin'))

    def divide(self, name, last):
        folder, root = self.sets[name]
        for f in pieces(folder):
            os.remove(os.path.join(folder, f))
        t = self.start_tovra(root)
        t.select(folder, 'bench.bin')
        watch = WriteWatch(folder)
        t.press(IDC_BTN_DIVISION)
        dlg = t.dialog('Divide File', '')
        t.app.click(dlg, IDC_DIV_144)
        subprocess.run(['sync'])
        warm_memory()
        work, total, win = timed_click(t.app, dlg, IDOK, watch)
        self.assertEqual(t.app.msgbox(win.hwnd).text, t.text('div_success', last))
        t.app.click(win.hwnd, IDOK)
        t.expect('next_fd', button=IDNO)
        t.exit()
        self.assertEqual(pieces(folder), sorted('file-%d' % k for k in range(last + 1)))
        r = subprocess.run('cat %s | cmp - bench.bin' % ' '.join(
            'file-%d' % k for k in range(1, n + 1)), shell=True, cwd=folder)
        self.assertEqual(r.returncode, 0, 'pieces differ from the source')
        return work, total

    def runTest(self):
        times = {}
        for _ in range(RUNS):
            for key, name, last in (('one parity piece (%s)' % BEFORE, 'before', n + 2),
                                    ('three parity pieces', 'now', last_file(n))):
                for suffix, value in zip((' work', ''), self.divide(name, last)):
                    times.setdefault(key + suffix, []).append(value)
        print('file: %d bytes, %d pieces of %d bytes, %d runs' % (size, n, piece, RUNS))
        print('("work": until the last write in the folder; else until the success message)')
        for name, values in times.items():
            print(line(name, values, size))
        print('ratio of throughput, the reference first (under 1: slower than it):')
        for suffix in (' work', ''):
            print(ratio_line('division, three parity pieces / one%s' % suffix.replace(' ', ', file '),
                             times['one parity piece (%s)%s' % (BEFORE, suffix)],
                             times['three parity pieces' + suffix]) + '   goal: at least 0.70')


result = unittest.TextTestRunner(verbosity=0).run(Bench())
sys.exit(0 if result.wasSuccessful() else 1)
PY
