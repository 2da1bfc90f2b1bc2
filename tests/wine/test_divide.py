"""Division in the real program: sizes, the record, the checks in their order, clean-up."""

import os
import re
import subprocess
import unittest

from test_divide_support import *
from winetest import bin_path


def pieces_in(folder):
    return sorted(n for n in os.listdir(folder) if re.fullmatch(r'(?i)file-\d+', n))


class DivideSizes(TovraCase):

    def test_four_floppy_sizes_and_a_user_defined_size(self):
        folder, root = self.drive()
        stamp = local_stamp(1999, 3, 7, 14, 5, 9)
        source = self.write(folder, 'data.lzh', pattern(3500000), stamp)
        keep = self.write(self.tmp, 'original', pattern(3500000))
        self.tovra(root)
        # 1.44MB, then each other size after the existing-pieces question.
        runs = [(135, None, 1440000), (136, None, 1200000), (137, None, 720000),
                (138, None, 640000), (139, 34, 350000)]
        for i, (radio, item, piece) in enumerate(runs):
            with self.subTest(piece=piece):
                n = -(-3500000 // piece)
                self.select(folder, 'data.lzh')
                self.press(DIVISION)
                if i:
                    self.expect('exist_q', button=IDYES)
                dlg = self.dialog('Divide File', 'ファイルの分割')
                self.app.click(dlg, radio)
                if item is not None:
                    self.app.combo_select(dlg, 140, item)
                self.app.click(dlg, IDOK)
                self.expect('div_success', n)
                self.expect('next_fd', button=IDNO)
                self.assertEqual(sorted(os.listdir(folder)),
                                 sorted(['TOVRA.EXE', 'data.lzh'] + ['file-%d' % k for k in range(n + 1)]))
                with open(os.path.join(folder, 'file-0'), 'rb') as f:
                    self.assertEqual(f.read(), b'data.lzh;3500000;%d;9;5;14;7;3;1999;\n' % n)
                for k in range(1, n):
                    self.assertEqual(os.path.getsize(os.path.join(folder, 'file-%d' % k)), piece)
                self.cat_cmp(folder, n, keep)
                self.cmp(source, keep)
                self.assertEqual(os.path.getmtime(source), stamp)

    def test_edges_of_the_piece_count(self):
        folder, root = self.drive()
        sizes = {'a1.bin': 1440000, 'a2.bin': 1440001, 'a3.bin': 1460000, 'a4.bin': 9990000,
                 'a5.bin': 9990001}
        for i, (name, size) in enumerate(sizes.items()):
            self.write(folder, name, pattern(size, i))
        # A sparse file past 4 GiB that would look like two pieces if its size wrapped.
        with open(os.path.join(folder, 'a6.bin'), 'wb') as f:
            f.truncate((1 << 32) + 2000000)
        self.tovra(root)
        self.divide(folder, 'a6.bin', 135)
        self.expect('over999')

        # Exactly one division size, and 1000 pieces of 10 kB: refused, nothing written.
        self.divide(folder, 'a1.bin', 135)
        self.expect('under')
        self.divide(folder, 'a5.bin', 139, user_item=0)
        self.expect('over999')
        self.no_window()
        self.assertEqual(pieces_in(folder), [])

        # One byte more than a division size: a second piece of one byte.
        self.divide(folder, 'a2.bin', 135)
        self.expect('div_success', 2)
        self.expect('next_fd', button=IDNO)
        self.assertEqual(os.path.getsize(os.path.join(folder, 'file-2')), 1)
        self.cat_cmp(folder, 2, os.path.join(folder, 'a2.bin'))

        # A last piece of whole blocks.
        self.select(folder, 'a3.bin')
        self.press(DIVISION)
        self.expect('exist_q', button=IDYES)
        dlg = self.dialog('Divide File', 'ファイルの分割')
        self.app.click(dlg, IDOK)  # the size chosen last: 1.44MB
        self.expect('div_success', 2)
        self.expect('next_fd', button=IDNO)
        self.assertEqual(os.path.getsize(os.path.join(folder, 'file-2')), 20000)
        self.cat_cmp(folder, 2, os.path.join(folder, 'a3.bin'))

        # 999 pieces of 10 kB.
        self.select(folder, 'a4.bin')
        self.press(DIVISION)
        self.expect('exist_q', button=IDYES)
        dlg = self.dialog('Divide File', 'ファイルの分割')
        self.app.click(dlg, 139)
        self.app.combo_select(dlg, 140, 0)
        self.app.click(dlg, IDOK)
        self.expect('div_success', 999, timeout=120)
        self.expect('next_fd', button=IDNO)
        self.assertEqual(len(pieces_in(folder)), 1000)
        self.cat_cmp(folder, 999, os.path.join(folder, 'a4.bin'))
        with open(os.path.join(folder, 'file-0'), 'rb') as f:
            self.assertTrue(f.read().startswith(b'a4.bin;9990000;999;'))


class DivideRefusals(TovraCase):

    def refused_off_hard_disk(self, lang):
        for kind, letter in (('network', 'n'), ('cdrom', 'r'), ('floppy', 'f')):
            with self.subTest(kind=kind):
                folder, root = self.drive(letter, kind, name=kind)
                self.write(folder, 'data.bin', pattern(3000000))
                self.write(folder, 'myfile-a.txt', b'x')
                self.tovra(root, lang)
                self.divide(folder, 'data.bin', expect_dialog=False)
                self.expect('not_hd_div')
                self.no_window()
                self.assertEqual(sorted(os.listdir(folder)), ['TOVRA.EXE', 'data.bin', 'myfile-a.txt'])
                self.app.stop()

    def test_off_hard_disk_english(self):
        self.refused_off_hard_disk('en')

    def test_off_hard_disk_japanese(self):
        self.refused_off_hard_disk('ja')

    def semicolon(self, lang):
        folder, root = self.drive()
        self.write(folder, 'a;b.bin', pattern(3000000))
        self.write(folder, 'file-7', b'an old piece')
        self.tovra(root, lang)
        self.divide(folder, 'a;b.bin', expect_dialog=False)
        # Refused before the existing-pieces question: nothing is written or deleted.
        self.expect('semicolon', 'a;b.bin')
        self.no_window()
        self.assertEqual(sorted(os.listdir(folder)), ['TOVRA.EXE', 'a;b.bin', 'file-7'])

    def test_semicolon_english(self):
        self.semicolon('en')

    def test_semicolon_japanese(self):
        self.semicolon('ja')

    def test_japanese_messages_of_the_main_path(self):
        folder, root = self.drive()
        self.write(folder, 'data.bin', pattern(1440000 * 2 + 5))
        self.write(folder, 'small.bin', pattern(640000))
        self.tovra(root, 'ja')
        self.divide(folder, 'small.bin', 138)
        self.expect('under')
        self.divide(folder, 'data.bin', 135)
        self.expect('div_success', 3)
        self.expect('next_fd', button=IDNO)
        self.select(folder, 'data.bin')
        self.press(DIVISION)
        self.expect('exist_q', button=IDNO)
        self.no_window()
        self.assertEqual(len(pieces_in(folder)), 4)
        self.cat_cmp(folder, 3, os.path.join(folder, 'data.bin'))


class DivideExistingPieces(TovraCase):

    def test_question_and_clean_up(self):
        folder, root = self.drive()
        self.write(folder, 'FILE-5', pattern(3000000))  # the source, named like a piece
        others = ['myfile-a.txt', 'file-1000', 'file-01']
        for name in others:
            self.write(folder, name, b'kept')
        for k in (0, 1, 3, 999):
            self.write(folder, 'file-%d' % k, b'old')
        self.write(folder, 'FILE-12', b'old')
        self.write(folder, 'file-4', b'read-only')
        self.assertIn('R', self.attrib(root + 'file-4', '+r'))
        self.tovra(root)

        # No keeps everything.
        self.select(folder, 'FILE-5')
        self.press(DIVISION)
        self.expect('exist_q', button=IDNO)
        self.no_window()
        self.assertEqual(len(os.listdir(folder)), 11)

        # Yes deletes only the names of pieces, not a read-only one and not the source.
        self.select(folder, 'FILE-5')
        self.press(DIVISION)
        self.expect('exist_q', button=IDYES)
        dlg = self.dialog('Divide File', 'ファイルの分割')
        self.assertEqual(sorted(os.listdir(folder)),
                         sorted(['TOVRA.EXE', 'FILE-5', 'file-4'] + others))
        self.app.click(dlg, IDOK)
        self.expect('div_success', 3)
        self.expect('next_fd', button=IDNO)
        self.cat_cmp(folder, 3, os.path.join(folder, 'FILE-5'))
        with open(os.path.join(folder, 'file-0'), 'rb') as f:
            self.assertTrue(f.read().startswith(b'FILE-5;3000000;3;'))
        with open(os.path.join(folder, 'file-4'), 'rb') as f:
            self.assertEqual(f.read(), b'read-only')

    def test_source_that_its_own_pieces_would_overwrite(self):
        folder, root = self.drive()
        self.write(folder, 'file-2', pattern(3000000))
        keep = self.write(self.tmp, 'original', pattern(3000000))
        self.tovra(root)
        self.select(folder, 'file-2')
        self.press(DIVISION)
        self.expect('exist_q', button=IDYES)
        dlg = self.dialog('Divide File', 'ファイルの分割')
        self.app.click(dlg, IDOK)
        self.expect('like_piece', 'file-2')
        self.no_window()
        self.assertEqual(sorted(os.listdir(folder)), ['TOVRA.EXE', 'file-2'])
        self.cmp(os.path.join(folder, 'file-2'), keep)

    def test_read_only_hidden_source_keeps_its_attributes(self):
        folder, root = self.drive()
        self.write(folder, 'data.bin', pattern(2000000))
        self.assertEqual(self.attrib(root + 'data.bin', '+r', '+h') & {'R', 'H'}, {'R', 'H'})
        self.tovra(root)
        self.divide(folder, 'data.bin', 135)
        self.expect('div_success', 2)
        self.expect('next_fd', button=IDNO)
        self.cat_cmp(folder, 2, os.path.join(folder, 'data.bin'))
        self.assertEqual(self.attrib(root + 'data.bin') & {'R', 'H'}, {'R', 'H'})
        self.assertFalse(self.attrib(root + 'file-1') & {'R', 'H'})


class DivideFailures(TovraCase):

    def tmpfs_drive(self, source_size, free):
        """A small fixed drive holding TOVRA.EXE and data.bin with about free bytes left."""
        page = 4096
        tovra = os.path.getsize(bin_path('TOVRA.EXE'))
        size = (-(-tovra // page) + -(-source_size // page)) * page + free
        folder, root = self.drive(size=size)
        self.write(folder, 'data.bin', pattern(source_size))
        st = os.statvfs(folder)
        return folder, root, st.f_bavail * st.f_frsize

    def test_no_room_for_the_pieces(self):
        folder, root, free = self.tmpfs_drive(300000, 256 * 1024)
        self.assertLess(free, 301000)
        self.tovra(root)
        self.divide(folder, 'data.bin', 139, user_item=0)
        self.expect('no_space')
        self.no_window()
        self.assertEqual(pieces_in(folder), [])

    def test_disk_full_while_writing_a_piece(self):
        # Room for the file plus the margin, but not for 30 pieces of 10,000 bytes that each
        # take three pages of 4096 bytes.
        folder, root, free = self.tmpfs_drive(300000, 320 * 1024)
        self.assertGreaterEqual(free, 301000)
        failing = 1 + (free - 4096) // 12288
        self.tovra(root)
        self.divide(folder, 'data.bin', 139, user_item=0)
        self.expect('write_piece', failing)
        self.no_window()
        # Every piece written is gone; FILE-0 stays for the next division to offer to delete.
        self.assertEqual(pieces_in(folder), ['file-0'])
        self.select(folder, 'data.bin', shown=['TOVRA.EXE', 'data.bin'])
        self.press(DIVISION)
        self.expect('exist_q', button=IDYES)
        dlg = self.dialog('Divide File', 'ファイルの分割')
        self.app.click(dlg, IDCANCEL)
        self.app.wait_gone(dlg)
        self.assertEqual(pieces_in(folder), [])

    def test_piece_or_record_that_cannot_be_created(self):
        for letter, blocked, message in (('t', 'file-2', ('create_piece', 2)),
                                         ('u', 'file-0', ('create_info',))):
            with self.subTest(blocked=blocked):
                folder, root = self.drive(letter, name='drive-' + blocked)
                self.write(folder, 'data.bin', pattern(3000000))
                os.makedirs(os.path.join(folder, blocked))  # a folder in the piece's place
                self.tovra(root)
                self.select(folder, 'data.bin')
                self.press(DIVISION)
                self.expect('exist_q', button=IDYES)
                dlg = self.dialog('Divide File', 'ファイルの分割')
                self.app.click(dlg, IDOK)
                self.expect(*message)
                self.no_window()
                left = ['file-0'] if blocked != 'file-0' else []
                self.assertEqual(pieces_in(folder), sorted(left + [blocked]))
                self.app.stop()


if __name__ == '__main__':
    unittest.main()
