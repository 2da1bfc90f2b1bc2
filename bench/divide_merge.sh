#!/usr/bin/env bash
# Tovra's division and merger of one large file under Wine against split -b 1440000 and cat,
# in the same run, on the same disk (a temp folder of the build tree mapped as a fixed drive);
# with TOVRA_BEFORE_BIN (the folder of an earlier TOVRA.EXE) that Tovra too, on another drive,
# the two taken in turn. Tovra is driven through the test robot and timed from the OK of its
# dialog: until the last file it writes is closed (the file work, seen by inotify) and until
# its success message is shown (after the new listing of the folder, told to the robot by the
# system's show event); nothing asks the program or the screen while the clock runs. Each timed
# run starts after a sync from just-touched memory (benchlib.warm_memory). Every output is
# compared with the source by cmp. Five runs each; prints best, median and spread, and the
# ratios Tovra / reference. Beside them a bare Windows copy of the same pieces (COPYBENCH.EXE:
# each piece in one ReadFile and one WriteFile, no checks, no window, timed inside it): what the
# system's calls under Wine cost by themselves, against which Tovra's file work is set too.
# Usage: bench/divide_merge.sh [megabytes [runs]]   (default 500 and 5; at least 500 to mean
# anything)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${TOVRA_BUILD_DIR:-$root/build}
mb=${1:-500}
runs=${2:-5}
source "$root/bench/winbench.sh" divide
for f in TOVRA.EXE ROBOT.EXE COPYBENCH.EXE; do
  [ -f "$TOVRA_BIN/$f" ] || { echo "no $TOVRA_BIN/$f: build the win32 tree first (tools/build.sh win32)"; exit 1; }
done

PYTHONPATH="$root/tests/wine:$root/bench" python3 - "$mb" "$runs" <<'PY'
import os, shutil, subprocess, sys, time, unittest
from benchlib import WriteWatch, last_file, line, ratio_line, timed_click, warm_memory
from tovra import TovraCase, IDC_BTN_DIVISION, IDC_BTN_MERGER, IDC_DIV_144
from winetest import IDNO, IDOK

size = int(sys.argv[1]) * 1000000
RUNS = int(sys.argv[2])
BEFORE = os.environ.get('TOVRA_BEFORE_BIN')
piece = 1440000
n = -(-size // piece)


def same_as_source(command, source):
    """Compares the output of the shell command with the source by cmp."""
    subprocess.run('%s | cmp - "%s"' % (command, source), shell=True, check=True)


def windows_path(path, folder=False):
    return 'Z:' + path.replace('/', '\\') + ('\\' if folder else '')


def bare(*args):
    """Seconds COPYBENCH.EXE reports for args, after a sync from just-touched memory."""
    subprocess.run(['sync'])
    warm_memory()
    out = subprocess.run(['wine', os.path.join(os.environ['TOVRA_BIN'], 'COPYBENCH.EXE')] + list(args),
                         check=True, capture_output=True, text=True).stdout
    return float(out.strip())


def seconds(args, **kw):
    subprocess.run(['sync'])
    warm_memory()
    t0 = time.perf_counter()
    subprocess.run(args, check=True, **kw)
    return time.perf_counter() - t0


class Bench(TovraCase):
    def side(self, letter, name, bin_folder=None):
        """A drive for one Tovra (today's, or the one in bin_folder) with the source linked into
        it: (folder, root, watch of the folder)."""
        folder, root = self.drive(letter, name=name, exe=None if bin_folder else 'TOVRA.EXE')
        if bin_folder:
            shutil.copy(os.path.join(bin_folder, 'TOVRA.EXE'), os.path.join(folder, 'TOVRA.EXE'))
        os.link(self.source, os.path.join(folder, 'bench.bin'))
        return folder, root, WriteWatch(folder)

    def divide(self, folder, root, watch, last):
        """The division of bench.bin by the Tovra at root, the last run's pieces deleted first;
        the seconds of its file work and until its message. last is the last file it must
        write, None for an earlier Tovra, whose message must name the last it wrote."""
        for f in os.listdir(folder):
            if f.startswith('file-'):
                os.remove(os.path.join(folder, f))
        t = self.start_tovra(root)
        t.select(folder, 'bench.bin')
        t.press(IDC_BTN_DIVISION)
        dlg = t.dialog('Divide File', '')
        t.app.click(dlg, IDC_DIV_144)
        subprocess.run(['sync'])
        warm_memory()
        work, total, win = timed_click(t.app, dlg, IDOK, watch)
        text = t.app.msgbox(win.hwnd).text
        t.app.click(win.hwnd, IDOK)
        t.expect('next_fd', button=IDNO)
        t.exit()
        written = max(int(f[5:]) for f in os.listdir(folder) if f.startswith('file-'))
        self.assertEqual(text, t.text('div_success', written))
        if last is not None:
            self.assertEqual(written, last)
        same_as_source('cd "%s" && cat %s' % (folder, ' '.join(self.pieces)), self.source)
        return work, total, written

    def merge(self, folder, root, watch, last):
        """The merge of the pieces in folder by the Tovra at root, bench.bin moved aside first
        and back after; the seconds of its file work and until its message."""
        source = os.path.join(folder, 'bench.bin')
        os.remove(source)
        t = self.start_tovra(root)
        t.select(folder, 'file-0')
        t.press(IDC_BTN_MERGER)
        dlg = t.dialog('Merge File', '')
        subprocess.run(['sync'])
        warm_memory()
        work, total, win = timed_click(t.app, dlg, IDOK, watch)
        self.assertEqual(t.app.msgbox(win.hwnd).text, t.text('mrg_success', 'bench.bin'))
        t.app.click(win.hwnd, IDOK)
        t.expect('mrg_delete', last, button=IDNO)
        t.exit()
        subprocess.run(['cmp', source, self.source], check=True)
        return work, total

    def runTest(self):
        ref = os.path.join(self.tmp, 'ref')
        os.makedirs(ref)
        self.source = os.path.join(self.tmp, 'source.bin')
        subprocess.run('head -c %d /dev/urandom > "%s"' % (size, self.source), shell=True,
                       check=True)
        self.pieces = ['file-%d' % k for k in range(1, n + 1)]
        sides = [('Tovra', self.side('t', 'now'), last_file(n))]
        if BEFORE:
            sides.append(('earlier Tovra', self.side('u', 'before', BEFORE), None))
        times = {}

        def note(key, value):
            times.setdefault(key, []).append(value)

        for run in range(RUNS):
            for f in os.listdir(ref):
                os.remove(os.path.join(ref, f))
            note('split', seconds(['split', '-b', str(piece), '-a', '3', self.source,
                                   os.path.join(ref, 'x')]))
            same_as_source('cat "%s"/x*' % ref, self.source)
            # Which Tovra goes first changes from run to run.
            for who, (folder, root, watch), last in sides[run % 2:] + sides[:run % 2]:
                work, total, written = self.divide(folder, root, watch, last)
                note(who + ' divide work', work)
                note(who + ' divide', total)
                if who == 'Tovra':
                    note('cat', seconds('cat %s > "%s"' % (' '.join(self.pieces),
                                                           os.path.join(ref, 'cat.bin')),
                                        shell=True, cwd=folder))
                    subprocess.run(['cmp', os.path.join(ref, 'cat.bin'), self.source], check=True)
                    joined = os.path.join(ref, 'join.bin')
                    note('bare join', bare('join', windows_path(folder, True), str(n),
                                           windows_path(joined)))
                    subprocess.run(['cmp', joined, self.source], check=True)
                    os.remove(joined)
                    split_to = os.path.join(ref, 'bare')
                    shutil.rmtree(split_to, ignore_errors=True)
                    os.makedirs(split_to)
                    note('bare split', bare('split', windows_path(self.source),
                                            windows_path(split_to, True), str(piece)))
                    same_as_source('cd "%s" && cat %s' % (split_to, ' '.join(self.pieces)),
                                   self.source)
                    shutil.rmtree(split_to)
                work, total = self.merge(folder, root, watch, written)
                note(who + ' merge work', work)
                note(who + ' merge', total)

        print('file: %d bytes, %d pieces of %d bytes, %d runs' % (size, n, piece, RUNS))
        if BEFORE:
            print('earlier Tovra: %s' % BEFORE)
        for name, values in times.items():
            if name.startswith('bare'):
                name = 'bare Windows ' + name[5:] + ' (COPYBENCH)'
            elif name not in ('split', 'cat'):
                name = name[:-5] + ', file work' if name.endswith(' work') else name + ', until its message'
            print(line(name, values, size))
        for who, _, _ in sides:
            for what, reference in (('divide', 'split'), ('merge', 'cat')):
                print(ratio_line('%s %s / %s, file work' % (who, what, reference),
                                 times[reference], times['%s %s work' % (who, what)]))
                print(ratio_line('%s %s / %s, until the message' % (who, what, reference),
                                 times[reference], times['%s %s' % (who, what)])
                      + '   goal: at least 0.50')
            for what, bare_copy in (('divide', 'bare split'), ('merge', 'bare join')):
                print(ratio_line('%s %s / %s, file work' % (who, what, bare_copy),
                                 times[bare_copy], times['%s %s work' % (who, what)]))


result = unittest.TextTestRunner(verbosity=0).run(Bench())
sys.exit(0 if result.wasSuccessful() else 1)
PY
