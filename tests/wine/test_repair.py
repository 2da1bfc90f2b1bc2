"""Repair by block in the real programs, on a set Tovra divides into 1.44 MB pieces and dd
damages: three pieces damaged at different places rebuilt after Tovra's question and by
Rundelo by itself, byte for byte by cmp, in both languages; two pieces damaged at the same
place refused by both, naming the pieces, with nothing left beside them and the pieces as
they were."""

import os
import shutil
import subprocess
import unittest

from rundelo import text as rtext
from rundelo import window_note
from tovra import TovraCase, write
from winetest import IDNO, IDYES, bin_path

# Four pieces of 1,440,000 bytes and one of 1,240,000; FILE-6 the parity piece, FILE-7 the
# block checks of 10,000-byte blocks.
SIZE, N = 7000000, 5


def dd(folder, k, at, source, length):
    """length bytes of source written over piece k at byte at, by dd."""
    subprocess.run(['dd', 'if=' + source, 'of=' + os.path.join(folder, 'file-%d' % k),
                    'bs=%d' % length, 'count=1', 'seek=%d' % at, 'oflag=seek_bytes',
                    'iflag=fullblock', 'conv=notrunc', 'status=none'], check=True)


def zeroed_sector(k, at):
    return lambda folder: dd(folder, k, at, '/dev/zero', 512)


def scratch(k, at, length):
    return lambda folder: dd(folder, k, at, '/dev/urandom', length)


def bad_bytes(k, at, length=10):
    """length bytes turned to their complement, so each surely differs."""
    def damage(folder):
        with open(os.path.join(folder, 'file-%d' % k), 'rb') as f:
            f.seek(at)
            bad = bytes(b ^ 0xFF for b in f.read(length))
        source = os.path.join(folder, '..', 'bad-bytes')
        with open(source, 'wb') as f:
            f.write(bad)
        dd(folder, k, at, source, length)
        os.remove(source)
    return damage


# Blocks 5, 30 and 100: one block each, three stripes.
THREE_PLACES = [zeroed_sector(1, 512 * 100), scratch(3, 300500, 2000), bad_bytes(5, 1000003)]
# Block 50 of FILE-2 and of FILE-4, at different bytes.
ONE_PLACE = [bad_bytes(2, 500100), zeroed_sector(4, 512 * 986)]


class Repair(TovraCase):

    def divided(self):
        """(folder of the pieces Tovra divided a file of SIZE random bytes into, the file)."""
        folder, root = self.drive('s', name='divided')
        original = write(self.tmp, 'original', os.urandom(SIZE))
        shutil.copy(original, os.path.join(folder, 'data.bin'))
        t = self.start_tovra(root)
        t.divide(folder, 'data.bin')
        t.expect('div_success', N + 2, timeout=60)
        t.expect('next_fd', button=IDNO)
        t.app.stop()
        return folder, original

    def damaged_copy(self, pieces, letter, program, damage):
        """The pieces on a drive of their own beside program, damaged. Returns (folder, root)."""
        folder, root = self.drive(letter, name='%s-%s' % (program, letter), exe=None)
        for k in range(N + 3):
            shutil.copy(os.path.join(pieces, 'file-%d' % k), folder)
        for d in damage:
            d(folder)
        shutil.copy(bin_path(program), folder)
        return folder, root

    def test_damage_in_three_pieces_is_repaired(self):
        pieces, original = self.divided()
        for letter, program, lang in (('t', 'TOVRA.EXE', 'en'), ('u', 'RUNDELO.EXE', 'ja'),
                                      ('v', 'TOVRA.EXE', 'ja'), ('x', 'RUNDELO.EXE', 'en')):
            with self.subTest(program=program, lang=lang):
                folder, root = self.damaged_copy(pieces, letter, program, THREE_PLACES)
                if program == 'TOVRA.EXE':
                    t = self.start_tovra(root, lang)
                    t.merge(folder)
                    t.expect('rebuild_many_q', 'FILE-1, FILE-3, FILE-5', 3, button=IDYES,
                             timeout=60)
                    t.expect('mrg_success', 'data.bin', timeout=60)
                    t.expect('mrg_delete', N + 2, button=IDNO)
                    t.no_window()
                    t.app.stop()
                else:
                    app = self.start(root + program, root, lang)
                    note = rtext('rebuilt', lang) % 'FILE-1, FILE-3, FILE-5'
                    self.assertEqual(window_note(app, note, timeout=60), note)
                    self.assertEqual(app.wait_exit(timeout=30), 0)
                self.assert_same_bytes(os.path.join(folder, 'data.bin'), original)

    def test_damage_at_one_place_in_two_pieces_is_refused(self):
        pieces, _ = self.divided()
        for letter, program, lang in (('t', 'TOVRA.EXE', 'ja'), ('u', 'RUNDELO.EXE', 'en')):
            with self.subTest(program=program, lang=lang):
                folder, root = self.damaged_copy(pieces, letter, program, ONE_PLACE)
                aside = os.path.join(self.tmp, 'aside-' + letter)
                shutil.copytree(folder, aside)
                if program == 'TOVRA.EXE':
                    t = self.start_tovra(root, lang)
                    t.merge(folder)
                    t.expect('same_place', 'FILE-2, FILE-4', timeout=60)
                    t.no_window()
                    t.app.stop()
                else:
                    app = self.start(root + program, root, lang)
                    app.expect_msgbox(rtext('same_place', lang) % 'FILE-2, FILE-4',
                                      rtext('error', lang), 'hand', timeout=60)
                    self.assertEqual(app.wait_exit(), 0)
                # No merged file, no file begun for it, and every piece as it was.
                self.assertEqual(sorted(os.listdir(folder)), sorted(os.listdir(aside)))
                for name in os.listdir(aside):
                    self.assert_same_bytes(os.path.join(folder, name), os.path.join(aside, name))


if __name__ == '__main__':
    unittest.main()
