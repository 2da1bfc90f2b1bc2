"""Repair by block in the real programs, on a set Tovra divides into 1.44 MB pieces and dd
damages: three pieces damaged at different places rebuilt after Tovra's question and by
Rundelo by itself, byte for byte by cmp, in both languages; two pieces damaged at the same
place refused by both, naming the pieces, with nothing left beside them and the pieces as
they were. What fails while such a set is merged is named: the merged file held by another
program when it is to be rebuilt, one the disk cannot give back, a write, and a merged file
that cannot be deleted."""

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

    def assert_as_before(self, folder, aside):
        """Nothing left beside the pieces, and every piece as it was."""
        self.assertEqual(sorted(os.listdir(folder)), sorted(os.listdir(aside)))
        for name in os.listdir(aside):
            self.assert_same_bytes(os.path.join(folder, name), os.path.join(aside, name))

    def test_a_merged_file_held_by_another_program_when_it_is_to_be_rebuilt(self):
        # Deleted, the merged file waits for the other program to let go of it. Wine, unlike
        # Windows, lets such a file be opened again, which is how the programs tell a file that
        # stays: here they name it as left, and it goes once the other program lets go.
        pieces, _ = self.divided()
        for letter, program, lang, temp in (('t', 'TOVRA.EXE', 'ja', '~TVR000.TMP'),
                                            ('u', 'RUNDELO.EXE', 'en', '~RDL000.TMP')):
            with self.subTest(program=program, lang=lang):
                folder, root = self.damaged_copy(pieces, letter, program, THREE_PLACES)
                aside = os.path.join(self.tmp, 'aside-' + letter)
                shutil.copytree(folder, aside)
                holder = self.robot()
                holder.hold(root + temp)
                if program == 'TOVRA.EXE':
                    t = self.start_tovra(root, lang)
                    t.merge(folder)
                    t.expect('rebuild_many_q', 'FILE-1, FILE-3, FILE-5', 3, button=IDYES,
                             timeout=60)
                    t.expect('reopen_merged', 'data.bin', timeout=60)
                    t.expect('left_as', root + temp)
                    t.no_window()
                    t.app.stop()
                else:
                    app = self.start(root + program, root, lang)
                    app.expect_msgbox(rtext('cannot_read_merged', lang), rtext('error', lang), 'hand',
                                      timeout=60)
                    app.expect_msgbox(rtext('left_as', lang) % (root + temp), rtext('warning', lang),
                                      'exclamation')
                    self.assertEqual(app.wait_exit(), 0)
                holder.stop()
                self.assert_as_before(folder, aside)

    def test_a_merged_file_that_cannot_be_read_back_for_a_rebuild(self):
        # A disk that gives back wrongly what was written to it: the rebuild reads block 5 of
        # FILE-2 from the merged file for block 5 of FILE-1, and that read fails.
        pieces, _ = self.divided()
        at = 1440000 + 50000
        for letter, program, lang, temp in (('t', 'TOVRA.EXE', 'en', '~TVR000.TMP'),
                                            ('u', 'RUNDELO.EXE', 'ja', '~RDL000.TMP')):
            with self.subTest(program=program, lang=lang):
                folder = os.path.join(self.tmp, 'unreadable-' + letter)
                os.makedirs(folder)
                for k in range(N + 3):
                    shutil.copy(os.path.join(pieces, 'file-%d' % k), folder)
                for d in THREE_PLACES:
                    d(folder)
                shutil.copy(bin_path(program), folder)
                aside = os.path.join(self.tmp, 'aside-' + letter)
                shutil.copytree(folder, aside)
                root, mount = self.bad_sector_drive(letter, folder, {temp: [(at, at + 1)]},
                                                    kind='fixed', writable=True)
                if program == 'TOVRA.EXE':
                    self._folders = dict(getattr(self, '_folders', {}), **{root: mount})
                    t = self.start_tovra(root, lang)
                    t.merge(mount)
                    t.expect('rebuild_many_q', 'FILE-1, FILE-3, FILE-5', 3, button=IDYES,
                             timeout=60)
                    t.expect('read_merged', 'data.bin', timeout=60)
                    t.no_window()
                    t.app.stop()
                else:
                    app = self.start(root + program, root, lang)
                    app.expect_msgbox(rtext('cannot_read_merged', lang), rtext('error', lang), 'hand',
                                      timeout=60)
                    self.assertEqual(app.wait_exit(), 0)
                self.assert_as_before(folder, aside)

    def test_a_write_that_fails_is_named(self):
        # Rundelo's merge by the check line on a disk that fills up while it writes.
        pieces, _ = self.divided()
        for letter, lang in (('t', 'en'), ('u', 'ja')):
            with self.subTest(lang=lang):
                folder, root = self.damaged_copy(pieces, letter, 'RUNDELO.EXE', [])
                aside = os.path.join(self.tmp, 'aside-' + letter)
                shutil.copytree(folder, aside)
                app = self.start_with_file_size_limit(root + 'RUNDELO.EXE', root, lang, 1000000)
                app.expect_msgbox(rtext('cannot_write', lang), rtext('error', lang), 'hand',
                                  timeout=60)
                self.assertEqual(app.wait_exit(), 0)
                self.assert_as_before(folder, aside)

    def test_a_merged_file_that_cannot_be_deleted_is_named(self):
        # A folder where files can be made but not renamed or deleted: the whole merged file
        # stays under its temporary name.
        pieces, original = self.divided()
        for letter, program, lang, temp in (('t', 'TOVRA.EXE', 'en', '~TVR000.TMP'),
                                            ('u', 'RUNDELO.EXE', 'ja', '~RDL000.TMP')):
            with self.subTest(program=program, lang=lang):
                folder, root = self.damaged_copy(pieces, letter, program, [])
                self.append_only(folder)
                if program == 'TOVRA.EXE':
                    t = self.start_tovra(root, lang)
                    t.merge(folder)
                    t.expect('create_merged', 'data.bin', timeout=60)
                    t.expect('left_as', root + temp)
                    t.no_window()
                    t.app.stop()
                else:
                    app = self.start(root + program, root, lang)
                    app.expect_msgbox(rtext('cannot_create', lang) + 'data.bin', rtext('error', lang),
                                      'hand', timeout=60)
                    app.expect_msgbox(rtext('left_as', lang) % (root + temp), rtext('warning', lang),
                                      'exclamation')
                    self.assertEqual(app.wait_exit(), 0)
                self.assertNotIn('data.bin', os.listdir(folder))
                self.assert_same_bytes(os.path.join(folder, temp), original)


if __name__ == '__main__':
    unittest.main()
