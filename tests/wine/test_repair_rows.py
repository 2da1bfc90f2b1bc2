"""Repair through two and three parity pieces in the real programs, on sets Tovra divides: two
lost pieces of a set of 12 (two parity pieces) merged by both programs, three blocks damaged at
one place of a set of 25 (three parity pieces) rebuilt by both, four lost pieces of it refused
by both with nothing left beside the pieces; every output compared with the source by cmp, the
new messages read from the screen in both languages."""

import os
import shutil
import subprocess
import unittest

from rundelo import text as rtext
from rundelo import window_note
from tovra import IDC_DIV_USER, TovraCase, last_of, pattern, write
from winetest import IDNO, IDYES, bin_path

# (pieces, bytes of a piece, size): 12 pieces of 20,000 bytes, the last of 12,345, with the
# parity pieces FILE-13 and FILE-15 (FILE-14 the block checks); 25 of 30,000, the last of
# 12,345, with FILE-26, FILE-28 and FILE-29 (FILE-27).
TWELVE = (12, 20000, 11 * 20000 + 12345)
TWENTY_FIVE = (25, 30000, 24 * 30000 + 12345)


def blocks_of(size, piece, k, n):
    """Blocks of 10,000 bytes of piece k."""
    length = piece if k < n else size - (n - 1) * piece
    return -(-length // 10000)


def damage_block(folder, k, at, length=7):
    """length bytes of piece k turned to their complement at byte at, by dd."""
    path = os.path.join(folder, 'file-%d' % k)
    with open(path, 'rb') as f:
        f.seek(at)
        bad = bytes(b ^ 0xFF for b in f.read(length))
    source = os.path.join(folder, '..', 'bad-bytes-%d' % k)
    with open(source, 'wb') as f:
        f.write(bad)
    subprocess.run(['dd', 'if=' + source, 'of=' + path, 'bs=%d' % length, 'count=1',
                    'seek=%d' % at, 'oflag=seek_bytes', 'conv=notrunc', 'status=none'], check=True)
    os.remove(source)


class RepairRows(TovraCase):

    def divided(self, shape):
        """(folder of the pieces Tovra divided a file of shape into, the file)."""
        n, piece, size = shape
        folder, root = self.drive('s', name='divided-%d' % n)
        original = write(self.tmp, 'original-%d' % n, pattern(size, n))
        shutil.copy(original, os.path.join(folder, 'data.bin'))
        t = self.start_tovra(root)
        t.divide(folder, 'data.bin', IDC_DIV_USER, user_item=piece // 10000 - 1)
        t.expect('div_success', last_of(n), timeout=60)
        t.expect('next_fd', button=IDNO)
        t.app.stop()
        return folder, original

    def damaged_copy(self, pieces, n, letter, program, damage):
        """The set on a drive of its own beside program, with the pieces named lost deleted and
        damage done. Returns (folder, root)."""
        folder, root = self.drive(letter, name='%s-%s' % (program, letter), exe=None)
        for k in range(last_of(n) + 1):
            shutil.copy(os.path.join(pieces, 'file-%d' % k), folder)
        damage(folder)
        shutil.copy(bin_path(program), folder)
        return folder, root

    def rebuilt_by_both(self, shape, damage, named, blocks, runs):
        """Each run (letter, program, language) merges a damaged copy: Tovra after its question
        naming the pieces and the blocks, Rundelo by itself with its note; then cmp."""
        n = shape[0]
        pieces, original = self.divided(shape)
        for letter, program, lang in runs:
            with self.subTest(program=program, lang=lang):
                folder, root = self.damaged_copy(pieces, n, letter, program, damage)
                if program == 'TOVRA.EXE':
                    t = self.start_tovra(root, lang)
                    t.merge(folder)
                    if len(named) == 1:
                        t.expect('rebuild_rows_q', t.text('missing', named[0]), blocks, button=IDYES,
                                 timeout=60)
                    else:
                        t.expect('rebuild_many_rows_q', ', '.join('FILE-%d' % k for k in named), blocks,
                                 button=IDYES, timeout=60)
                    t.expect('mrg_success', 'data.bin', timeout=60)
                    t.expect('mrg_delete', last_of(n), button=IDNO)
                    t.no_window()
                    t.app.stop()
                else:
                    app = self.start(root + program, root, lang)
                    note = rtext('rebuilt_rows', lang) % ', '.join('FILE-%d' % k for k in named)
                    self.assertEqual(window_note(app, note, timeout=60), note)
                    self.assertEqual(app.wait_exit(timeout=30), 0)
                self.assert_same_bytes(os.path.join(folder, 'data.bin'), original)

    def test_two_lost_pieces_of_a_set_of_twelve(self):
        n, piece, size = TWELVE

        def lose(folder):
            for k in (3, 12):
                os.remove(os.path.join(folder, 'file-%d' % k))
        blocks = blocks_of(size, piece, 3, n) + blocks_of(size, piece, 12, n)
        self.rebuilt_by_both(TWELVE, lose, [3, 12], blocks,
                             (('t', 'TOVRA.EXE', 'en'), ('u', 'RUNDELO.EXE', 'ja')))

    def test_one_lost_piece_and_a_lost_parity_piece_of_a_set_of_twelve(self):
        def lose(folder):
            for k in (5, 13):
                os.remove(os.path.join(folder, 'file-%d' % k))
        self.rebuilt_by_both(TWELVE, lose, [5], 2,
                             (('t', 'TOVRA.EXE', 'ja'), ('u', 'RUNDELO.EXE', 'en')))

    def test_three_blocks_damaged_at_one_place_of_a_set_of_twenty_five(self):
        # Block 1 of FILE-2, FILE-9 and FILE-17, at different bytes.
        def damage(folder):
            for k, at in ((2, 10003), (9, 15000), (17, 19990)):
                damage_block(folder, k, at)
        self.rebuilt_by_both(TWENTY_FIVE, damage, [2, 9, 17], 3,
                             (('t', 'TOVRA.EXE', 'ja'), ('u', 'RUNDELO.EXE', 'en'),
                              ('v', 'TOVRA.EXE', 'en'), ('x', 'RUNDELO.EXE', 'ja')))

    def test_four_lost_pieces_are_refused_with_nothing_left(self):
        n = TWENTY_FIVE[0]
        pieces, _ = self.divided(TWENTY_FIVE)
        lost = (1, 5, 20, 28)  # FILE-28: the second parity piece

        def lose(folder):
            for k in lost:
                os.remove(os.path.join(folder, 'file-%d' % k))
        named = ', '.join('FILE-%d' % k for k in lost)
        for letter, program, lang in (('t', 'TOVRA.EXE', 'en'), ('u', 'RUNDELO.EXE', 'ja'),
                                      ('v', 'TOVRA.EXE', 'ja'), ('x', 'RUNDELO.EXE', 'en')):
            with self.subTest(program=program, lang=lang):
                folder, root = self.damaged_copy(pieces, n, letter, program, lose)
                aside = os.path.join(self.tmp, 'aside-' + letter)
                shutil.copytree(folder, aside)
                if program == 'TOVRA.EXE':
                    t = self.start_tovra(root, lang)
                    t.merge(folder)
                    t.expect('beyond_parity', named, 3, timeout=60)
                    t.no_window()
                    t.app.stop()
                else:
                    app = self.start(root + program, root, lang)
                    app.expect_msgbox(rtext('beyond_parity', lang) % (named, 3), rtext('error', lang),
                                      'hand', timeout=60)
                    self.assertEqual(app.wait_exit(), 0)
                # No merged file, no file begun for it, and every piece as it was.
                self.assertEqual(sorted(os.listdir(folder)), sorted(os.listdir(aside)))
                for name in os.listdir(aside):
                    self.assert_same_bytes(os.path.join(folder, name), os.path.join(aside, name))


if __name__ == '__main__':
    unittest.main()
