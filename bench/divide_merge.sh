#!/usr/bin/env bash
# Tovra's division and merger of one large file under Wine against split -b 1440000 and cat,
# in the same run, on the same disk (a temp folder of the build tree mapped as a fixed drive).
# Tovra is driven through the test robot and timed twice from the OK of its dialog: until the
# last file it writes is closed (the file work, seen by inotify) and until its success message
# is shown (after the new listing of the folder, told to the robot by the system's show event);
# nothing asks the program or the screen while the clock runs. Each timed run starts after a
# sync from just-touched memory (benchlib.warm_memory). Five runs each; prints best, median and
# spread, and the ratios Tovra / reference.
# Usage: bench/divide_merge.sh [megabytes]   (default 500; at least 500 to mean anything)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${TOVRA_BUILD_DIR:-$root/build}
export TOVRA_BIN=${TOVRA_BIN:-$build/win32/bin}
mb=${1:-500}
for f in TOVRA.EXE ROBOT.EXE; do
  [ -f "$TOVRA_BIN/$f" ] || { echo "no $TOVRA_BIN/$f: build the win32 tree first (tools/build.sh win32)"; exit 1; }
done

source "$root/bench/winbench.sh" divide

PYTHONPATH="$root/tests/wine:$root/bench" python3 - "$mb" <<'PY'
import os, subprocess, sys, time, unittest
from benchlib import RUNS, WriteWatch, line, ratio_line, timed_click, warm_memory
from tovra import TovraCase, IDC_BTN_DIVISION, IDC_BTN_MERGER, IDC_DIV_144
from winetest import IDNO, IDOK

size = int(sys.argv[1]) * 1000000
piece = 1440000
n = -(-size // piece)


def timed_ok(t, dlg, watch, text):
    """Clicks OK in dlg; returns the seconds until the last write in the folder before the
    message box that ends the command, and until that box, whose text it asserts."""
    work, total, win = timed_click(t.app, dlg, IDOK, watch)
    t.case.assertEqual(t.app.msgbox(win.hwnd).text, text)
    t.app.click(win.hwnd, IDOK)
    t.app.wait_gone(win.hwnd)
    return work, total


def seconds(args, **kw):
    subprocess.run(['sync'])
    warm_memory()
    t0 = time.perf_counter()
    subprocess.run(args, check=True, **kw)
    return time.perf_counter() - t0


class Bench(TovraCase):
    def runTest(self):
        folder, root = self.drive('t', name='disk')
        ref = os.path.join(self.tmp, 'ref')
        os.makedirs(ref)
        source = os.path.join(folder, 'bench.bin')
        subprocess.run('head -c %d /dev/urandom > "%s"' % (size, source), shell=True, check=True)
        pieces = ['file-%d' % k for k in range(1, n + 1)]
        t = self.start_tovra(root)
        watch = WriteWatch(folder)
        times = {k: [] for k in ('split', 'divide work', 'divide', 'cat', 'merge work', 'merge')}
        for run in range(RUNS):
            for f in os.listdir(ref):
                os.remove(os.path.join(ref, f))
            times['split'].append(seconds(['split', '-b', str(piece), '-a', '3', source,
                                           os.path.join(ref, 'x')]))

            # The last run's pieces go here, as split's output above does, so that both write
            # into what their own deletion freed; Tovra still lists them.
            listed = os.listdir(folder)
            for f in listed:
                if f.startswith('file-'):
                    os.remove(os.path.join(folder, f))
            t.select(folder, 'bench.bin', shown=listed)
            t.press(IDC_BTN_DIVISION)
            dlg = t.dialog('Divide File', '')
            t.app.click(dlg, IDC_DIV_144)
            subprocess.run(['sync'])
            warm_memory()
            work, total = timed_ok(t, dlg, watch, t.text('div_success', n + 1))
            times['divide work'].append(work)
            times['divide'].append(total)
            t.expect('next_fd', button=IDNO)
            r = subprocess.run('cat %s | cmp - bench.bin' % ' '.join(pieces), shell=True,
                               cwd=folder)
            self.assertEqual(r.returncode, 0, 'pieces differ from the source')

            times['cat'].append(seconds('cat %s > "%s"' % (' '.join(pieces),
                                                           os.path.join(ref, 'cat.bin')),
                                        shell=True, cwd=folder))

            # Tovra's merger of its own pieces, the source moved aside.
            kept = os.path.join(self.tmp, 'bench.bin')
            os.rename(source, kept)
            t.select(folder, 'file-0', shown=os.listdir(folder) + ['bench.bin'])
            t.press(IDC_BTN_MERGER)
            dlg = t.dialog('Merge File', '')
            subprocess.run(['sync'])
            warm_memory()
            work, total = timed_ok(t, dlg, watch, t.text('mrg_success', 'bench.bin'))
            times['merge work'].append(work)
            times['merge'].append(total)
            t.expect('mrg_delete', n + 1, button=IDNO)
            subprocess.run(['cmp', source, kept], check=True)
            os.remove(kept)

        print('file: %d bytes, %d pieces of %d bytes, %d runs' % (size, n, piece, RUNS))
        labels = {'divide work': 'Tovra divide, file work',
                  'divide': 'Tovra divide, until its message',
                  'merge work': 'Tovra merge, file work',
                  'merge': 'Tovra merge, until its message'}
        for name, values in times.items():
            print(line(labels.get(name, name), values, size))
        for what, reference in (('divide', 'split'), ('merge', 'cat')):
            print(ratio_line('ratio %s / %s, file work' % (what, reference),
                             times[reference], times[what + ' work']))
            print(ratio_line('ratio %s / %s, until the message' % (what, reference),
                             times[reference], times[what]))


result = unittest.TextTestRunner(verbosity=0).run(Bench())
sys.exit(0 if result.wasSuccessful() else 1)
PY
