#!/usr/bin/env bash
# Tovra's division and merger of one large file under Wine against split -b 1440000 and cat,
# in the same run, on the same disk (a temp folder of the build tree mapped as a fixed drive).
# Tovra is driven through the test robot and timed twice from the OK of its dialog: until its
# busy banner goes (the file work) and until its success message (after the new listing of
# the folder). Best of three runs each; prints throughputs and the ratios Tovra / reference.
# Usage: bench/divide_merge.sh [megabytes]   (default 600; at least 500 to mean anything)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${TOVRA_BUILD_DIR:-$root/build}
export TOVRA_BIN=${TOVRA_BIN:-$build/win32/bin}
mb=${1:-600}
for f in TOVRA.EXE ROBOT.EXE; do
  [ -f "$TOVRA_BIN/$f" ] || { echo "no $TOVRA_BIN/$f: build the win32 tree first (tools/build.sh win32)"; exit 1; }
done

source "$root/tools/winenv.sh"
work=$(mktemp -d "$build/bench-divide.XXXXXX")
cleanup() {
  winenv_stop
  rm -rf "$work"
}
trap cleanup EXIT
winenv_start
export TOVRA_TMP="$work"

PYTHONPATH="$root/tests/wine" python3 - "$mb" <<'PY'
import os, subprocess, sys, time, unittest
from test_divide_support import TovraCase, IDOK, IDNO, DIVISION, MERGER

size = int(sys.argv[1]) * 1000000
piece = 1440000
n = -(-size // piece)


def timed_ok(case, dlg, text):
    """Clicks OK in dlg; returns the seconds until the red busy banner has gone and until the
    message box that ends the command, whose text it asserts before closing it."""
    app = case.app
    _, client = app.rect(case.main)
    x, y = client[0] + 449, client[1] + 39  # inside the banner's rounded box
    t0 = time.perf_counter()
    app.click(dlg, IDOK)
    # Polled gently: the robot and the display share the two cores with the program.
    while app.pixel(x, y) != (255, 0, 0):
        if time.perf_counter() - t0 > 60:
            raise AssertionError('no busy banner')
        time.sleep(0.01)
    while app.pixel(x, y) == (255, 0, 0):
        time.sleep(0.02)
    busy = time.perf_counter() - t0
    win = app.wait_window(timeout=600, cls='#32770')
    total = time.perf_counter() - t0
    case.assertEqual(app.msgbox(win.hwnd).text, text)
    app.click(win.hwnd, IDOK)
    app.wait_gone(win.hwnd)
    return busy, total


def seconds(fn):
    t0 = time.perf_counter()
    fn()
    return time.perf_counter() - t0


class Bench(TovraCase):
    def runTest(self):
        folder, root = self.drive('t', name='disk')
        ref = os.path.join(self.tmp, 'ref')
        os.makedirs(ref)
        source = os.path.join(folder, 'bench.bin')
        subprocess.run('head -c %d /dev/urandom > "%s"' % (size, source), shell=True, check=True)
        pieces = [os.path.join(folder, 'file-%d' % k) for k in range(1, n + 1)]
        self.tovra(root)
        best = {}

        def keep(name, t):
            if isinstance(t, tuple):
                keep(name + ' busy', t[0])
                t = t[1]
            best[name] = min(best.get(name, t), t)

        for run in range(3):
            # split: the reference for the division.
            for f in os.listdir(ref):
                os.remove(os.path.join(ref, f))
            subprocess.run(['sync'])
            keep('split', seconds(lambda: subprocess.run(
                ['split', '-b', str(piece), '-a', '3', source, os.path.join(ref, 'x')], check=True)))

            # Tovra's division, from OK to the success message.
            subprocess.run(['sync'])
            self.select(folder, 'bench.bin')
            self.press(DIVISION)
            if run:
                self.expect('exist_q', button=6)
            dlg = self.dialog('Divide File', '')
            self.app.click(dlg, 135)
            keep('divide', timed_ok(self, dlg, self.text('div_success', n)))
            self.expect('next_fd', button=IDNO)
            r = subprocess.run('cat %s | cmp - "%s"' % (' '.join(pieces), source), shell=True)
            assert r.returncode == 0, 'pieces differ from the source'

            # cat: the reference for the merger.
            out = os.path.join(ref, 'cat.bin')
            subprocess.run(['sync'])
            keep('cat', seconds(lambda: subprocess.run('cat %s > "%s"' % (' '.join(pieces), out),
                                                      shell=True, check=True)))

            # Tovra's merger of its own pieces, the source moved aside.
            os.rename(source, os.path.join(self.tmp, 'bench.bin'))
            subprocess.run(['sync'])
            self.select(folder, 'file-0', shown=os.listdir(folder) + ['bench.bin'])
            self.press(MERGER)
            dlg = self.dialog('Merge File', '')
            keep('merge', timed_ok(self, dlg, self.text('mrg_success', 'bench.bin')))
            self.expect('mrg_delete', n, button=IDNO)
            subprocess.run(['cmp', source, os.path.join(self.tmp, 'bench.bin')], check=True)
            os.remove(os.path.join(self.tmp, 'bench.bin'))

        mbs = lambda t: size / 1e6 / t
        print('file: %d bytes, %d pieces of %d bytes' % (size, n, piece))
        labels = {'divide busy': 'Tovra divide, until the banner goes',
                  'divide': 'Tovra divide, until its message',
                  'merge busy': 'Tovra merge, until the banner goes',
                  'merge': 'Tovra merge, until its message'}
        for name in ('split', 'divide busy', 'divide', 'cat', 'merge busy', 'merge'):
            print('%-37s %6.2f s %8.1f MB/s' % (labels.get(name, name), best[name], mbs(best[name])))
        for what, ref in (('divide', 'split'), ('merge', 'cat')):
            print('ratio Tovra %s / %s throughput: %.2f (file work), %.2f (until the message)'
                  % (what, ref, best[ref] / best[what + ' busy'], best[ref] / best[what]))


# the dialogs' own expectations hold for English
result = unittest.TextTestRunner(verbosity=0).run(Bench())
sys.exit(0 if result.wasSuccessful() else 1)
PY
