#!/usr/bin/env bash
# What the block checks cost and what a repair by block costs, under Wine, in one run:
#  - Tovra's division, which writes the block checks, against the division of a Tovra built
#    before them (the one of commit 1d9edb5, bench/earlier.sh, or the TOVRA.EXE in
#    TOVRA_BEFORE_BIN), the same file on the same disk;
#  - a merge of Tovra's set (check line, parity piece, block checks) against a merge of the
#    same pieces as a set without a check line (FILE-0 cut after the record, no parity piece,
#    no block checks), by Tovra and by Rundelo;
#  - the merge of that set with three pieces damaged here by dd (a zeroed sector in FILE-1, a
#    2000-byte scratch in FILE-3, ten bad bytes in FILE-5, in different blocks), each repaired,
#    against the checked merge of the sound set;
#  - the merge of that set with three data pieces lost (the first, one in the middle and the
#    last), rebuilt through its three parity pieces, against the checked merge of the sound set;
#  - when TOVRA_MERGE_BEFORE_BIN names the folder of an earlier build's TOVRA.EXE and
#    RUNDELO.EXE, their checked merge of the sound set against this build's.
# Tovra is driven through the test robot as bench/divide_merge.sh drives it and timed from the
# OK of its dialog; before a repair the time the robot takes to answer its question is left out.
# Rundelo is timed from its start to its end, and to the last write in its folder (inotify),
# which leaves out the note it shows after a repair. Each timed run starts after a sync from
# just-touched memory; the runs are taken in turn; every output is compared with the source by
# cmp. Prints best, median and spread of each, and the ratios with their goals.
# Usage: bench/repair.sh [megabytes [runs]]   (default 150 and 5; 30 at least: three parity
#        pieces, and FILE-5 is damaged)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${TOVRA_BUILD_DIR:-$root/build}
export TOVRA_MERGE_BEFORE_BIN=${TOVRA_MERGE_BEFORE_BIN:-}
mb=${1:-150}
runs=${2:-5}
source "$root/bench/winbench.sh" repair
for f in TOVRA.EXE RUNDELO.EXE ROBOT.EXE; do
  [ -f "$TOVRA_BIN/$f" ] || { echo "no $TOVRA_BIN/$f: build the win32 tree first (tools/build.sh win32)"; exit 1; }
done
export TOVRA_BEFORE_BIN=${TOVRA_BEFORE_BIN:-$(bash "$root/bench/earlier.sh" 1d9edb5)}
[ -f "$TOVRA_BEFORE_BIN/TOVRA.EXE" ] || {
  echo "no \$TOVRA_BEFORE_BIN/TOVRA.EXE: name the folder of a TOVRA.EXE built before the block checks"; exit 1; }

PYTHONPATH="$root/tests/wine:$root/bench" python3 - "$mb" "$runs" <<'PY'
import os, shutil, subprocess, sys, time, unittest
from benchlib import WriteWatch, last_file, line, ratio_line, timed_click, warm_memory
from tovra import TovraCase, IDC_BTN_DIVISION, IDC_BTN_MERGER, IDC_DIV_144
from winetest import IDNO, IDOK, IDYES, bin_path

size = int(sys.argv[1]) * 1000000
RUNS = int(sys.argv[2])
piece = 1440000
n = -(-size // piece)
# (piece, offset, bytes, source of the bytes): three stretches in three different stripes.
DAMAGE = ((1, 102400, 512, '/dev/zero'), (3, 500123, 2000, '/dev/urandom'),
          (5, 1000007, 10, '/dev/urandom'))
LOST = (1, n // 2, n)
BEFORE = os.environ['TOVRA_MERGE_BEFORE_BIN']


def pieces(folder):
    return sorted(f for f in os.listdir(folder) if f.startswith('file-'))


def cmp(a, b):
    subprocess.run(['cmp', a, b], check=True)


def damage(folder, sound):
    """The pieces of sound in folder again, then the stretches of DAMAGE spoilt by dd."""
    for f in pieces(sound):
        shutil.copy(os.path.join(sound, f), os.path.join(folder, f))
    for k, offset, count, source in DAMAGE:
        subprocess.run(['dd', 'if=' + source, 'of=' + os.path.join(folder, 'file-%d' % k),
                        'bs=1', 'seek=%d' % offset, 'count=%d' % count, 'conv=notrunc',
                        'status=none'], check=True)
        with open(os.path.join(sound, 'file-%d' % k), 'rb') as a, \
                open(os.path.join(folder, 'file-%d' % k), 'rb') as b:
            assert a.read() != b.read(), 'dd left file-%d as it was' % k


class Bench(TovraCase):
    def setUp(self):
        super().setUp()
        self.sets = {}
        for letter, name in (('t', 'now'), ('u', 'before'), ('v', 'plain'), ('q', 'checked'),
                             ('x', 'damaged'), ('y', 'lost')):
            folder, root = self.drive(letter, name=name, exe=None if name == 'before' else 'TOVRA.EXE')
            self.sets[name] = (folder, root)
        shutil.copy(os.path.join(os.environ['TOVRA_BEFORE_BIN'], 'TOVRA.EXE'),
                    os.path.join(self.sets['before'][0], 'TOVRA.EXE'))
        self.source = os.path.join(self.tmp, 'source.bin')
        subprocess.run('head -c %d /dev/urandom > "%s"' % (size, self.source), shell=True, check=True)
        for name in ('now', 'before'):
            shutil.copy(self.source, os.path.join(self.sets[name][0], 'bench.bin'))

    def ready(self, name, exe='TOVRA.EXE'):
        """Tovra started at the drive of name, bench.bin or file-0 selected; the watch."""
        folder, root = self.sets[name]
        t = self.start_tovra(root, exe=exe)
        t.select(folder, 'bench.bin' if name in ('now', 'before') else 'file-0')
        return t, WriteWatch(folder)

    def divide(self, name, last=None):
        """The division of bench.bin at name, timed; last is the last file it must write, None
        for the earlier Tovra, whose message must name the last it wrote."""
        folder = self.sets[name][0]
        for f in pieces(folder):
            os.remove(os.path.join(folder, f))
        t, watch = self.ready(name)
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
        written = max(int(f[5:]) for f in pieces(folder))
        self.assertEqual(text, t.text('div_success', written))
        if last is not None:
            self.assertEqual(written, last)
        r = subprocess.run('cat %s | cmp - bench.bin' % ' '.join(
            'file-%d' % k for k in range(1, n + 1)), shell=True, cwd=folder)
        self.assertEqual(r.returncode, 0, 'pieces differ from the source')
        return work, total

    def tovra_merge(self, name, last, repaired=None, exe='TOVRA.EXE'):
        """repaired: the pieces the question before the repair names."""
        folder = self.sets[name][0]
        out = os.path.join(folder, 'bench.bin')
        if os.path.exists(out):
            os.remove(out)
        t, watch = self.ready(name, exe)
        t.press(IDC_BTN_MERGER)
        dlg = t.dialog('Merge File', '')
        subprocess.run(['sync'])
        warm_memory()
        work, total, win = timed_click(t.app, dlg, IDOK, watch)
        if repaired:
            text = t.app.msgbox(win.hwnd).text
            self.assertTrue(text.startswith('Files, %s, are damaged' % repaired), text)
            asked = total
            work, total, win = timed_click(t.app, win.hwnd, IDYES, watch)
            work, total = asked + work, asked + total
        self.assertEqual(t.app.msgbox(win.hwnd).text, t.text('mrg_success', 'bench.bin'))
        t.app.click(win.hwnd, IDOK)
        t.expect('mrg_delete', last, button=IDNO)
        t.exit()
        cmp(out, self.source)
        return work, total

    def rundelo_merge(self, name, exe='RUNDELO.EXE'):
        """Seconds until Rundelo's last write in its folder and until it ends."""
        folder, root = self.sets[name]
        out = os.path.join(folder, 'bench.bin')
        if os.path.exists(out):
            os.remove(out)
        watch = WriteWatch(folder)
        subprocess.run(['sync'])
        warm_memory()
        watch.reset()
        t0 = time.perf_counter()
        subprocess.run(['wine', root + exe], cwd=folder, stdin=subprocess.DEVNULL,
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, check=True, timeout=600)
        total = time.perf_counter() - t0
        cmp(out, self.source)
        return watch.last_write() - t0, total

    def runTest(self):
        times = {}

        def note(key, pair):
            for suffix, value in zip((' work', ''), pair):
                times.setdefault(key + suffix, []).append(value)

        for run in range(RUNS):
            note('divide before', self.divide('before'))
            note('divide', self.divide('now', last_file(n)))
            if run == 0:
                now, plain, checked = (self.sets[k][0] for k in ('now', 'plain', 'checked'))
                for f in pieces(now):
                    shutil.copy(os.path.join(now, f), os.path.join(checked, f))
                for k in range(1, n + 1):
                    shutil.copy(os.path.join(now, 'file-%d' % k), os.path.join(plain, 'file-%d' % k))
                with open(os.path.join(now, 'file-0'), 'rb') as f:
                    record = f.read().split(b'\n')[0] + b'\n'
                with open(os.path.join(plain, 'file-0'), 'wb') as f:
                    f.write(record)
                lost = self.sets['lost'][0]
                for f in pieces(now):
                    if f not in ['file-%d' % k for k in LOST]:
                        shutil.copy(os.path.join(now, f), os.path.join(lost, f))
                for name in ('plain', 'checked', 'damaged', 'lost'):
                    shutil.copy(bin_path('RUNDELO.EXE'), os.path.join(self.sets[name][0], 'RUNDELO.EXE'))
                if BEFORE:
                    for exe, copy in (('TOVRA.EXE', 'TOVRAOLD.EXE'), ('RUNDELO.EXE', 'RUNDOLD.EXE')):
                        shutil.copy(os.path.join(BEFORE, exe), os.path.join(checked, copy))
            note('Tovra unchecked', self.tovra_merge('plain', n))
            note('Tovra checked', self.tovra_merge('checked', last_file(n)))
            if BEFORE:
                note('Tovra checked before', self.tovra_merge('checked', n + 2, exe='TOVRAOLD.EXE'))
            damage(self.sets['damaged'][0], self.sets['checked'][0])
            note('Tovra repair', self.tovra_merge('damaged', last_file(n), repaired='FILE-1, FILE-3, FILE-5'))
            note('Tovra repair lost', self.tovra_merge('lost', last_file(n),
                                                       repaired=', '.join('FILE-%d' % k for k in LOST)))
            note('Rundelo unchecked', self.rundelo_merge('plain'))
            note('Rundelo checked', self.rundelo_merge('checked'))
            if BEFORE:
                note('Rundelo checked before', self.rundelo_merge('checked', 'RUNDOLD.EXE'))
            damage(self.sets['damaged'][0], self.sets['checked'][0])
            note('Rundelo repair', self.rundelo_merge('damaged'))
            note('Rundelo repair lost', self.rundelo_merge('lost'))

        print('file: %d bytes, %d pieces of %d bytes, %d runs; damage: %s' % (
            size, n, piece, RUNS, ', '.join('%d bytes of FILE-%d at %d' % (c, k, o)
                                            for k, o, c, _ in DAMAGE)))
        print('("work": until the last write in the folder; else until Tovra\'s message or '
              'Rundelo\'s end)')
        for name, values in times.items():
            print(line(name, values, size))
        print('ratios of throughput, the reference first (under 1: slower than it):')
        for what, reference, measured, goal in (
                ('division with block checks / before them', 'divide before', 'divide', 1.1),
                ('Tovra checked / unchecked merge', 'Tovra unchecked', 'Tovra checked', 1.1),
                ('Rundelo checked / unchecked merge', 'Rundelo unchecked', 'Rundelo checked', 1.1),
                ('Tovra repair of 3 / checked merge', 'Tovra checked', 'Tovra repair', 1.2),
                ('Rundelo repair of 3 / checked merge', 'Rundelo checked', 'Rundelo repair', 1.2),
                ('Tovra repair of 3 lost / checked merge', 'Tovra checked', 'Tovra repair lost', 2.0),
                ('Rundelo repair of 3 lost / checked merge', 'Rundelo checked', 'Rundelo repair lost', 2.0),
                ('Tovra checked merge / before', 'Tovra checked before', 'Tovra checked', 1.05),
                ('Rundelo checked merge / before', 'Rundelo checked before', 'Rundelo checked', 1.05)):
            if reference not in times:
                continue
            # Rundelo's end after a repair waits for its note to be read.
            for suffix in (' work',) if measured.startswith('Rundelo repair') else (' work', ''):
                print(ratio_line('%s%s' % (what, suffix.replace(' ', ', file ')),
                                 times[reference + suffix], times[measured + suffix])
                      + '   goal: at least %.2f' % (1 / goal))


result = unittest.TextTestRunner(verbosity=0).run(Bench())
sys.exit(0 if result.wasSuccessful() else 1)
PY
