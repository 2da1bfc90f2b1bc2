"""Piece sets with a check line and a parity piece in the real programs: one bad piece (a
flipped byte, a cut, a deleted piece) rebuilt by Tovra after its question and by Rundelo by
itself, byte for byte by cmp; two bad pieces named and no merged file; the programs of earlier
builds (built from their sources during the run) merging new sets of one, two and three parity
pieces, rebuilding one damaged piece where they could, and a set of theirs merging as before."""

import os
import re
import shutil
import subprocess
import tempfile
import unittest

from rundelo import EN, JA, RundeloCase, window_note
from rundelo import text as rtext
from tovra import (IDC_DIV_USER, TovraCase, check_line, last_of, parity_of, pattern,
                   read_pieces, write)
from winetest import IDNO, IDYES, bin_path

# 4 data pieces of 30,000 bytes, the last of 10,007, and the parity piece file-5.
SIZE, PIECE, N = 100007, 30000, 4
RECORD = b'data.bin;%d;%d;8;5;14;7;3;1999;\n' % (SIZE, N)
OLD_COMMIT = '1d9edb5'
# Earlier builds: the last number of a set their merger asks to delete (the pieces, then the
# parity piece and the block checks once they knew them), and the question before they rebuild
# one damaged piece: none (no checks), of the whole piece, of its damaged blocks.
EARLIER = {
    '1d9edb5': (lambda n: n, None),
    '26f35dd': (lambda n: n + 1, lambda t, k, n: ('rebuild_q', t.text('p_damaged', k), n + 1)),
    'd365fc9': (lambda n: n + 2, lambda t, k, n: ('rebuild_blocks_q', t.text('p_damaged', k), 1)),
}


def make_set(folder, data=None, prefix='file-'):
    """The set a division writes, made here with zlib's CRC-32; returns the data."""
    data = data or pattern(SIZE, 9)
    pieces = [data[at:at + PIECE] for at in range(0, len(data), PIECE)]
    for k, p in enumerate(pieces + [parity_of(pieces)], 1):
        write(folder, '%s%d' % (prefix, k), p)
    write(folder, prefix + '0', RECORD + check_line(pieces))
    return data


def flip(folder, k, at=777):
    path = os.path.join(folder, 'file-%d' % k)
    with open(path, 'r+b') as f:
        f.seek(at)
        b = f.read(1)
        f.seek(at)
        f.write(bytes([b[0] ^ 0x21]))


def cut(folder, k, keep=5000):
    os.truncate(os.path.join(folder, 'file-%d' % k), keep)


def drop(folder, k):
    os.remove(os.path.join(folder, 'file-%d' % k))


def pad(folder, k):
    """Pads piece k as XMODEM does at its last block: 0x1A up to a multiple of 128 bytes."""
    path = os.path.join(folder, 'file-%d' % k)
    with open(path, 'ab') as f:
        f.write(b'\x1a' * (-os.path.getsize(path) % 128))


def pad_all(folder):
    for k in range(1, N + 2):
        pad(folder, k)


# Damage, then (bad piece and its message key) when one piece is to be rebuilt.
ONE_BAD = [
    ('flipped', lambda f: flip(f, 2), (2, 'p_damaged')),
    ('cut', lambda f: cut(f, 4), (4, 'p_short')),
    ('deleted', lambda f: drop(f, 1), (1, 'missing')),
    ('parity deleted', lambda f: drop(f, 5), None),
]


def listing(folder):
    return {n: os.path.getsize(os.path.join(folder, n)) for n in os.listdir(folder)}


class TovraRebuild(TovraCase):

    def test_one_bad_piece_is_rebuilt_after_the_question(self):
        for i, (what, damage, bad) in enumerate(ONE_BAD):
            lang = 'ja' if what == 'cut' else 'en'
            with self.subTest(what=what, lang=lang):
                folder, root = self.drive('tuvs'[i], name='set-%d' % i)
                data = make_set(folder)
                original = write(self.tmp, 'original-%d' % i, data)
                damage(folder)
                t = self.start_tovra(root, lang)
                t.merge(folder)
                if bad:
                    t.expect('rebuild_q', t.text(bad[1], bad[0]), N + 1, button=IDYES)
                t.expect('mrg_success', 'data.bin')
                last = N + 1 if what != 'parity deleted' else N
                t.expect('mrg_delete', last, button=IDNO)
                t.no_window()
                self.assert_same_bytes(os.path.join(folder, 'data.bin'), original)
                t.app.stop()

    def test_refusals_name_the_pieces_and_leave_no_merged_file(self):
        cases = [
            ('two damaged', 'en', lambda f: (flip(f, 1), cut(f, 3)), ('too_many', 'FILE-1, FILE-3')),
            ('deleted and flipped', 'ja', lambda f: (drop(f, 2), flip(f, 4, 5)),
             ('too_many', 'FILE-2, FILE-4')),
            ('damaged without parity', 'en', lambda f: (flip(f, 3), drop(f, 5)), None),
            ('declined', 'en', lambda f: flip(f, 2), 'no'),
        ]
        for i, (what, lang, damage, want) in enumerate(cases):
            with self.subTest(what=what):
                folder, root = self.drive('tuvs'[i], name='refused-%d' % i)
                make_set(folder)
                damage(folder)
                before = listing(folder)
                t = self.start_tovra(root, lang)
                t.merge(folder)
                if want == 'no':
                    t.expect('rebuild_q', t.text('p_damaged', 2), N + 1, button=IDNO)
                elif want is None:
                    t.expect('no_parity', t.text('p_damaged', 3), N + 1)
                else:
                    t.expect(*want)
                t.no_window()
                self.assertEqual(listing(folder), before)
                t.app.stop()

    def test_nothing_under_the_recorded_name_until_the_merge_has_checked_out(self):
        # Ended while it asks about the rebuild: the merged file so far is not data.bin.
        folder, root = self.drive('t', name='ended')
        make_set(folder)
        flip(folder, 2)
        before = listing(folder)
        t = self.start_tovra(root)
        t.merge(folder)
        t.app.expect_msgbox(t.text('rebuild_q', t.text('p_damaged', 2), N + 1), 'Question',
                            'question', keep_open=True)
        self.assertEqual(sorted(set(os.listdir(folder)) - set(before)), ['~TVR000.TMP'])
        t.app.kill()
        self.assertEqual(t.app.wait_exit(), 255)  # ended from outside, not by itself
        self.assertNotIn('data.bin', os.listdir(folder))
        t.app.stop()

        # A file of the name made while it asks is not replaced: its other name, outside the
        # drive, still sees its bytes.
        folder, root = self.drive('u', name='appeared')
        make_set(folder)
        flip(folder, 3)
        before = listing(folder)
        theirs = write(self.tmp, 'theirs.bin', b'made meanwhile')
        t = self.start_tovra(root)
        t.merge(folder)
        t.expect('rebuild_q', t.text('p_damaged', 3), N + 1, button=IDYES,
                 before=lambda: os.link(theirs, os.path.join(folder, 'data.bin')))
        t.expect('exists', 'data.bin')
        t.no_window()
        self.assertEqual(os.stat(theirs).st_nlink, 2)
        with open(theirs, 'rb') as f:
            self.assertEqual(f.read(), b'made meanwhile')
        self.assertEqual(listing(folder), dict(before, **{'data.bin': 14}))

    def test_pieces_padded_by_a_serial_transfer_merge_without_a_question(self):
        for i, flipped in enumerate((None, 2)):
            with self.subTest(flipped=flipped):
                folder, root = self.drive('tu'[i], name='padded-%d' % i)
                original = write(self.tmp, 'original-%d' % i, make_set(folder))
                pad_all(folder)
                self.assertEqual(os.path.getsize(os.path.join(folder, 'file-5')), 30080)
                if flipped:
                    flip(folder, flipped)
                t = self.start_tovra(root)
                t.merge(folder)
                if flipped:  # rebuilt from the padded parity piece
                    t.expect('rebuild_q', t.text('p_damaged', flipped), N + 1, button=IDYES)
                t.expect('mrg_success', 'data.bin')
                t.expect('mrg_delete', N + 1, button=IDNO)
                t.no_window()
                self.assert_same_bytes(os.path.join(folder, 'data.bin'), original)
                t.app.stop()


class RundeloRebuild(RundeloCase):

    def test_one_bad_piece_is_rebuilt_and_the_window_says_so(self):
        for i, (what, damage, bad) in enumerate(ONE_BAD):
            lang = JA if what == 'deleted' else EN
            with self.subTest(what=what, lang=lang):
                sub = 'set-%d' % i
                folder = os.path.join(self.drive, sub)
                data = make_set(folder)
                original = os.path.join(self.sources, 'original-%d' % i)
                with open(original, 'wb') as f:
                    f.write(data)
                damage(folder)
                self.place(folder)
                app = self.run_in(sub, lang)
                if bad:
                    note = rtext('rebuilt', lang) % ('FILE-%d' % bad[0])
                    self.assertEqual(window_note(app, note), note)
                self.assert_clean_exit(app)
                self.assert_same_bytes(os.path.join(folder, 'data.bin'), original)

    def test_refusals_name_the_pieces_and_leave_no_merged_file(self):
        many = {EN: 'Divided files, %s, are damaged or missing.\nUnable to rebuild more than one file.',
                JA: '分割されたファイル(%s)が破壊されているか不足しています.\n２個以上のファイルは復元できません.'}
        lone = {EN: 'Divided file, FILE-3, is damaged.\n'
                    'Unable to rebuild it without the sound parity file, FILE-5.',
                JA: '分割されたファイル(FILE-3)が破壊されています.\n'
                    '正常なパリティファイル FILE-5 がないため、復元できません.'}
        cases = [
            ('two damaged', EN, lambda f: (flip(f, 1), cut(f, 3)), many[EN] % 'FILE-1, FILE-3'),
            ('cut and long', JA, lambda f: (cut(f, 2), write(f, 'file-4', pattern(10008))),
             many[JA] % 'FILE-2, FILE-4'),
            ('damaged without parity', JA, lambda f: (flip(f, 3), drop(f, 5)), lone[JA]),
        ]
        for i, (what, lang, damage, message) in enumerate(cases):
            with self.subTest(what=what):
                sub = 'refused-%d' % i
                folder = os.path.join(self.drive, sub)
                make_set(folder)
                damage(folder)
                self.place(folder)
                before = self.listing(folder)
                app = self.run_in(sub, lang)
                app.expect_msgbox(message, rtext('error', lang), 'hand')
                self.assert_clean_exit(app)
                self.assert_unchanged(before, folder)

    def test_a_refusal_on_the_screen_leaves_nothing_under_the_recorded_name(self):
        # Three damaged pieces, and the program ended while it says so: no data.bin, and
        # nothing else either.
        sub = 'three'
        folder = os.path.join(self.drive, sub)
        make_set(folder)
        for k in (1, 2, 3):
            flip(folder, k)
        self.place(folder)
        before = self.listing(folder)
        app = self.run_in(sub, EN)
        app.expect_msgbox('Divided files, FILE-1, FILE-2, FILE-3, are damaged or missing.\n'
                          'Unable to rebuild more than one file.', 'Error', 'hand', keep_open=True)
        app.kill()
        self.assertEqual(app.wait_exit(), 255)  # ended from outside, not by itself
        self.assert_unchanged(before, folder)

    def test_pieces_padded_by_a_serial_transfer_merge(self):
        for i, flipped in enumerate((None, 3)):
            with self.subTest(flipped=flipped):
                sub = 'padded-%d' % i
                folder = os.path.join(self.drive, sub)
                original = write(self.sources, 'original-%d' % i, make_set(folder))
                pad_all(folder)
                if flipped:
                    flip(folder, flipped)
                self.place(folder)
                app = self.run_in(sub, EN)
                if flipped:
                    note = rtext('rebuilt', EN) % 'FILE-3'
                    self.assertEqual(window_note(app, note), note)
                self.assert_clean_exit(app)
                self.assert_same_bytes(os.path.join(folder, 'data.bin'), original)


def old_readers(case, commit=OLD_COMMIT):
    """TOVRA.EXE and RUNDELO.EXE of an earlier build, made once from its sources (git
    archive, so the repository gets no worktree of it) in the build tree."""
    repo = os.path.join(os.path.dirname(os.path.abspath(__file__)), '..', '..')
    top = os.path.join(os.path.dirname(os.environ['TOVRA_BIN'].rstrip('/')), 'old-readers-' + commit)
    bins = os.path.join(top, 'build', 'bin')
    if not all(os.path.exists(os.path.join(bins, n)) for n in ('TOVRA.EXE', 'RUNDELO.EXE')):
        shutil.rmtree(top, ignore_errors=True)
        os.makedirs(bins)
        # That build cannot be made below a path with spaces; it is then made in a temporary
        # folder of its own and only its two programs are kept.
        work = tempfile.mkdtemp(prefix='tovra-old-') if re.search(r'\s', top) else top
        try:
            src = os.path.join(work, 'src')
            os.makedirs(src, exist_ok=True)
            archive = subprocess.run(['git', '-C', repo, 'archive', commit],
                                     stdout=subprocess.PIPE, check=True)
            subprocess.run(['tar', '-x', '-C', src], input=archive.stdout, check=True)
            log = os.path.join(top, 'build.log')
            with open(log, 'wb') as out:
                steps = (['cmake', '-S', 'src', '-B', 'build', '-G', 'Ninja',
                          '-DCMAKE_BUILD_TYPE=Release',
                          '-DCMAKE_TOOLCHAIN_FILE=' + os.path.join(src, 'cmake', 'mingw-i686.cmake')],
                         ['cmake', '--build', 'build', '-j2', '--target', 'TOVRA', 'RUNDELO'])
                for step in steps:
                    r = subprocess.run(step, cwd=work, stdout=out, stderr=subprocess.STDOUT)
                    if r.returncode:
                        break
            case.assertEqual(r.returncode, 0, 'building %s failed, see %s' % (commit, log))
            if work != top:
                for n in ('TOVRA.EXE', 'RUNDELO.EXE'):
                    shutil.copy(os.path.join(work, 'build', 'bin', n), bins)
        finally:
            if work != top:
                shutil.rmtree(work, ignore_errors=True)
    return bins


class OldReaders(TovraCase):

    def test_earlier_build_merges_a_set_the_new_division_wrote(self):
        bins = old_readers(self)
        folder, root = self.drive()
        data = pattern(SIZE, 4)
        original = write(self.tmp, 'original', data)
        write(folder, 'data.bin', data)
        t = self.start_tovra(root)
        t.divide(folder, 'data.bin', IDC_DIV_USER, user_item=2)
        t.expect('div_success', N + 2)
        t.expect('next_fd', button=IDNO)
        t.app.stop()
        self.assert_pieces_make(folder, N, original)
        names = ['file-%d' % k for k in range(N + 3)]

        # The earlier Tovra merges pieces 1 to n and counts the set as before.
        old_t, root_o = self.drive('u', name='old-tovra', exe=None)
        for n in names:
            subprocess.run(['cp', os.path.join(folder, n), old_t], check=True)
        subprocess.run(['cp', os.path.join(bins, 'TOVRA.EXE'), old_t], check=True)
        t = self.start_tovra(root_o)
        t.merge(old_t)
        t.expect('mrg_success', 'data.bin')
        t.expect('mrg_delete', N, button=IDNO)
        t.no_window()
        self.assert_same_bytes(os.path.join(old_t, 'data.bin'), original)
        t.app.stop()

        # The earlier Rundelo beside the same set.
        old_r, root_r = self.drive('v', name='old-rundelo', exe=None)
        for n in names:
            subprocess.run(['cp', os.path.join(folder, n), old_r], check=True)
        subprocess.run(['cp', os.path.join(bins, 'RUNDELO.EXE'), old_r], check=True)
        app = self.start(root_r + 'RUNDELO.EXE', root_r)
        self.assertEqual(app.wait_exit(timeout=60), 0)
        self.assert_same_bytes(os.path.join(old_r, 'data.bin'), original)

    def new_sets(self):
        """Sets of 12 and of 25 pieces of 10 kB (two and three parity pieces) that today's
        division wrote: {n: (folder, original)}."""
        sets = {}
        for i, n in enumerate((12, 25)):
            folder, root = self.drive('qs'[i], name='new-set-%d' % n)
            data = pattern(10000 * n - 7 * i - 3, n)
            write(folder, 'data.bin', data)
            t = self.start_tovra(root)
            t.divide(folder, 'data.bin', IDC_DIV_USER, user_item=0)
            t.expect('div_success', last_of(n))
            t.expect('next_fd', button=IDNO)
            t.app.stop()
            self.assertEqual(sorted(f for f in os.listdir(folder) if f.startswith('file-')),
                             sorted('file-%d' % k for k in range(last_of(n) + 1)))
            sets[n] = (folder, write(self.tmp, 'original-%d' % n, data))
        return sets

    def earlier_build_merges_and_repairs_new_sets(self, commit):
        last, question = EARLIER[commit]
        bins = old_readers(self, commit)
        sets = self.new_sets()
        folder, root = self.drive('u', name='earlier', exe=None)

        def place(n, program, damaged):
            for f in os.listdir(folder):
                os.remove(os.path.join(folder, f))
            for f in os.listdir(sets[n][0]):
                if f.startswith('file-'):
                    shutil.copy(os.path.join(sets[n][0], f), folder)
            shutil.copy(os.path.join(bins, program), folder)
            if damaged:
                flip(folder, 3)

        for n, (_, original) in sets.items():
            for damaged in (False, True) if question else (False,):
                with self.subTest(n=n, damaged=damaged, program='Tovra'):
                    place(n, 'TOVRA.EXE', damaged)
                    t = self.start_tovra(root)
                    t.merge(folder)
                    if damaged:
                        t.expect(*question(t, 3, n), button=IDYES)
                    t.expect('mrg_success', 'data.bin')
                    t.expect('mrg_delete', last(n), button=IDNO)
                    t.no_window()
                    self.assert_same_bytes(os.path.join(folder, 'data.bin'), original)
                    t.app.stop()
                with self.subTest(n=n, damaged=damaged, program='Rundelo'):
                    place(n, 'RUNDELO.EXE', damaged)
                    app = self.start(root + 'RUNDELO.EXE', root)
                    self.assertEqual(app.wait_exit(timeout=60), 0)
                    self.assert_same_bytes(os.path.join(folder, 'data.bin'), original)

    def test_build_before_the_checks_merges_new_sets(self):
        self.earlier_build_merges_and_repairs_new_sets('1d9edb5')

    def test_build_with_the_check_line_merges_new_sets_and_rebuilds_a_piece(self):
        self.earlier_build_merges_and_repairs_new_sets('26f35dd')

    def test_build_with_the_block_checks_merges_new_sets_and_rebuilds_a_piece(self):
        self.earlier_build_merges_and_repairs_new_sets('d365fc9')

    def test_set_the_earlier_build_wrote_merges_as_before(self):
        bins = old_readers(self)
        folder, root = self.drive(exe=None)
        subprocess.run(['cp', os.path.join(bins, 'TOVRA.EXE'), folder], check=True)
        data = pattern(SIZE, 5)
        original = write(self.tmp, 'original', data)
        write(folder, 'data.bin', data)
        t = self.start_tovra(root)
        t.divide(folder, 'data.bin', IDC_DIV_USER, user_item=2)
        t.expect('div_success', N)
        t.expect('next_fd', button=IDNO)
        t.app.stop()
        self.assertFalse(os.path.exists(os.path.join(folder, 'file-%d' % (N + 1))))
        names = ['file-%d' % k for k in range(N + 1)]

        new_t, root_n = self.drive('u', name='new-tovra')
        for n in names:
            subprocess.run(['cp', os.path.join(folder, n), new_t], check=True)
        t = self.start_tovra(root_n)
        t.merge(new_t)
        t.expect('mrg_success', 'data.bin')
        t.expect('mrg_delete', N, button=IDNO)
        t.no_window()
        self.assert_same_bytes(os.path.join(new_t, 'data.bin'), original)
        t.app.stop()

        new_r, root_r = self.drive('v', name='new-rundelo', exe=None)
        for n in names:
            subprocess.run(['cp', os.path.join(folder, n), new_r], check=True)
        subprocess.run(['cp', bin_path('RUNDELO.EXE'), new_r], check=True)
        app = self.start(root_r + 'RUNDELO.EXE', root_r)
        self.assertEqual(app.wait_exit(timeout=60), 0)
        self.assert_same_bytes(os.path.join(new_r, 'data.bin'), original)


if __name__ == '__main__':
    unittest.main()
