"""Division in the real program: sizes, the record, the checks in their order, clean-up."""

import os
import re
import unittest

from tovra import (IDC_BTN_DIVISION, IDC_DIV_120, IDC_DIV_144, IDC_DIV_64, IDC_DIV_72,
                   IDC_DIV_SIZELIST, IDC_DIV_USER, TovraCase, local_stamp, pattern, write)
from winetest import IDCANCEL, IDNO, IDOK, IDYES, bin_path


def pieces_in(folder):
    return sorted(n for n in os.listdir(folder) if re.fullmatch(r'(?i)file-\d+', n))


class DivideSizes(TovraCase):

    def test_four_floppy_sizes_and_a_user_defined_size(self):
        folder, root = self.drive()
        stamp = local_stamp(1999, 3, 7, 14, 5, 9)
        source = write(folder, 'data.lzh', pattern(3500000), stamp)
        keep = write(self.tmp, 'original', pattern(3500000))
        t = self.start_tovra(root)
        # 1.44MB, then each other size after the existing-pieces question.
        runs = [(IDC_DIV_144, None, 1440000), (IDC_DIV_120, None, 1200000),
                (IDC_DIV_72, None, 720000), (IDC_DIV_64, None, 640000), (IDC_DIV_USER, 34, 350000)]
        for i, (radio, item, piece) in enumerate(runs):
            with self.subTest(piece=piece):
                n = -(-3500000 // piece)
                t.select(folder, 'data.lzh')
                t.press(IDC_BTN_DIVISION)
                if i:
                    t.expect('exist_q', button=IDYES)
                dlg = t.dialog('Divide File', 'ファイルの分割')
                t.app.click(dlg, radio)
                if item is not None:
                    t.app.combo_select(dlg, IDC_DIV_SIZELIST, item)
                t.app.click(dlg, IDOK)
                t.expect('div_success', n + 2)
                t.expect('next_fd', button=IDNO)
                self.assertEqual(sorted(os.listdir(folder)),
                                 sorted(['TOVRA.EXE', 'data.lzh'] + ['file-%d' % k for k in range(n + 3)]))
                with open(os.path.join(folder, 'file-0'), 'rb') as f:
                    self.assertEqual(f.read().split(b'\n')[0],
                                     b'data.lzh;3500000;%d;9;5;14;7;3;1999;' % n)
                for k in range(1, n):
                    self.assertEqual(os.path.getsize(os.path.join(folder, 'file-%d' % k)), piece)
                self.assert_pieces_make(folder, n, keep)
                self.assert_same_bytes(source, keep)
                self.assertEqual(os.path.getmtime(source), stamp)

    def test_edges_of_the_piece_count(self):
        folder, root = self.drive()
        sizes = {'a1.bin': 1440000, 'a2.bin': 1440001, 'a3.bin': 1460000, 'a4.bin': 9990000,
                 'a5.bin': 9990001}
        for i, (name, size) in enumerate(sizes.items()):
            write(folder, name, pattern(size, i))
        # A sparse file past 4 GiB that would look like two pieces if its size wrapped.
        with open(os.path.join(folder, 'a6.bin'), 'wb') as f:
            f.truncate((1 << 32) + 2000000)
        t = self.start_tovra(root)
        t.divide(folder, 'a6.bin', IDC_DIV_144)
        t.expect('over999')

        # Exactly one division size, and 1000 pieces of 10 kB: refused, nothing written.
        t.divide(folder, 'a1.bin', IDC_DIV_144)
        t.expect('under')
        t.divide(folder, 'a5.bin', IDC_DIV_USER, user_item=0)
        t.expect('over999')
        t.no_window()
        self.assertEqual(pieces_in(folder), [])

        # One byte more than a division size: a second piece of one byte.
        t.divide(folder, 'a2.bin', IDC_DIV_144)
        t.expect('div_success', 4)
        t.expect('next_fd', button=IDNO)
        self.assertEqual(os.path.getsize(os.path.join(folder, 'file-2')), 1)
        self.assert_pieces_make(folder, 2, os.path.join(folder, 'a2.bin'))

        # A last piece of whole blocks.
        t.select(folder, 'a3.bin')
        t.press(IDC_BTN_DIVISION)
        t.expect('exist_q', button=IDYES)
        dlg = t.dialog('Divide File', 'ファイルの分割')
        t.app.click(dlg, IDOK)  # the size chosen last: 1.44MB
        t.expect('div_success', 4)
        t.expect('next_fd', button=IDNO)
        self.assertEqual(os.path.getsize(os.path.join(folder, 'file-2')), 20000)
        self.assert_pieces_make(folder, 2, os.path.join(folder, 'a3.bin'))

        # 999 pieces of 10 kB.
        t.select(folder, 'a4.bin')
        t.press(IDC_BTN_DIVISION)
        t.expect('exist_q', button=IDYES)
        dlg = t.dialog('Divide File', 'ファイルの分割')
        t.app.click(dlg, IDC_DIV_USER)
        t.app.combo_select(dlg, IDC_DIV_SIZELIST, 0)
        t.app.click(dlg, IDOK)
        t.expect('div_success', 1003, timeout=120)  # three parity pieces and the block checks
        t.expect('next_fd', button=IDNO)
        self.assertEqual(len(pieces_in(folder)), 1004)
        self.assert_pieces_make(folder, 999, os.path.join(folder, 'a4.bin'))
        with open(os.path.join(folder, 'file-0'), 'rb') as f:
            self.assertTrue(f.read().startswith(b'a4.bin;9990000;999;'))


class DivideRefusals(TovraCase):

    def refused_off_hard_disk(self, lang):
        for kind, letter in (('network', 'n'), ('cdrom', 'r'), ('floppy', 'f')):
            with self.subTest(kind=kind):
                folder, root = self.drive(letter, kind, name=kind)
                write(folder, 'data.bin', pattern(3000000))
                write(folder, 'myfile-a.txt', b'x')
                t = self.start_tovra(root, lang)
                t.divide(folder, 'data.bin', expect_dialog=False)
                t.expect('not_hd_div')
                t.no_window()
                self.assertEqual(sorted(os.listdir(folder)), ['TOVRA.EXE', 'data.bin', 'myfile-a.txt'])
                t.app.stop()

    def test_off_hard_disk_english(self):
        self.refused_off_hard_disk('en')

    def test_off_hard_disk_japanese(self):
        self.refused_off_hard_disk('ja')

    def semicolon(self, lang):
        folder, root = self.drive()
        write(folder, 'a;b.bin', pattern(3000000))
        write(folder, 'file-7', b'an old piece')
        t = self.start_tovra(root, lang)
        t.divide(folder, 'a;b.bin', expect_dialog=False)
        # Refused before the existing-pieces question: nothing is written or deleted.
        t.expect('semicolon', 'a;b.bin')
        t.no_window()
        self.assertEqual(sorted(os.listdir(folder)), ['TOVRA.EXE', 'a;b.bin', 'file-7'])

    def test_semicolon_english(self):
        self.semicolon('en')

    def test_semicolon_japanese(self):
        self.semicolon('ja')

    def test_japanese_messages_of_the_main_path(self):
        folder, root = self.drive()
        write(folder, 'data.bin', pattern(1440000 * 2 + 5))
        write(folder, 'small.bin', pattern(640000))
        t = self.start_tovra(root, 'ja')
        t.divide(folder, 'small.bin', IDC_DIV_64)
        t.expect('under')
        t.divide(folder, 'data.bin', IDC_DIV_144)
        t.expect('div_success', 5)
        t.expect('next_fd', button=IDNO)
        t.select(folder, 'data.bin')
        t.press(IDC_BTN_DIVISION)
        t.expect('exist_q', button=IDNO)
        t.no_window()
        self.assertEqual(len(pieces_in(folder)), 6)
        self.assert_pieces_make(folder, 3, os.path.join(folder, 'data.bin'))


class DivideExistingPieces(TovraCase):

    def test_question_and_clean_up(self):
        folder, root = self.drive()
        write(folder, 'FILE-7', pattern(3000000))  # the source, named like a piece
        others = ['myfile-a.txt', 'file-1004', 'file-01']
        for name in others:
            write(folder, name, b'kept')
        for k in (0, 1, 3, 999, 1000, 1003):
            write(folder, 'file-%d' % k, b'old')
        write(folder, 'FILE-12', b'old')
        # Past the set, its parity piece file-4 and its block checks file-5.
        write(folder, 'file-6', b'read-only')
        self.assertIn('R', self.attrib(root + 'file-6', '+r'))
        t = self.start_tovra(root)

        # No keeps everything.
        t.select(folder, 'FILE-7')
        t.press(IDC_BTN_DIVISION)
        t.expect('exist_q', button=IDNO)
        t.no_window()
        self.assertEqual(len(os.listdir(folder)), 13)

        # Yes deletes only the names of pieces, not a read-only one and not the source.
        t.select(folder, 'FILE-7')
        t.press(IDC_BTN_DIVISION)
        t.expect('exist_q', button=IDYES)
        dlg = t.dialog('Divide File', 'ファイルの分割')
        self.assertEqual(sorted(os.listdir(folder)),
                         sorted(['TOVRA.EXE', 'FILE-7', 'file-6'] + others))
        t.app.click(dlg, IDOK)
        t.expect('div_success', 5)
        t.expect('next_fd', button=IDNO)
        self.assert_pieces_make(folder, 3, os.path.join(folder, 'FILE-7'))
        with open(os.path.join(folder, 'file-0'), 'rb') as f:
            self.assertTrue(f.read().startswith(b'FILE-7;3000000;3;'))
        with open(os.path.join(folder, 'file-6'), 'rb') as f:
            self.assertEqual(f.read(), b'read-only')

    def test_source_that_its_own_pieces_would_overwrite(self):
        folder, root = self.drive()
        write(folder, 'file-2', pattern(3000000))
        keep = write(self.tmp, 'original', pattern(3000000))
        t = self.start_tovra(root)
        t.select(folder, 'file-2')
        t.press(IDC_BTN_DIVISION)
        t.expect('exist_q', button=IDYES)
        dlg = t.dialog('Divide File', 'ファイルの分割')
        t.app.click(dlg, IDOK)
        t.expect('like_piece', 'file-2')
        t.no_window()
        self.assertEqual(sorted(os.listdir(folder)), ['TOVRA.EXE', 'file-2'])
        self.assert_same_bytes(os.path.join(folder, 'file-2'), keep)

    def test_read_only_hidden_source_keeps_its_attributes(self):
        folder, root = self.drive()
        write(folder, 'data.bin', pattern(2000000))
        self.assertEqual(self.attrib(root + 'data.bin', '+r', '+h') & {'R', 'H'}, {'R', 'H'})
        t = self.start_tovra(root)
        t.divide(folder, 'data.bin', IDC_DIV_144)
        t.expect('div_success', 4)
        t.expect('next_fd', button=IDNO)
        self.assert_pieces_make(folder, 2, os.path.join(folder, 'data.bin'))
        self.assertEqual(self.attrib(root + 'data.bin') & {'R', 'H'}, {'R', 'H'})
        self.assertFalse(self.attrib(root + 'file-1') & {'R', 'H'})


class DivideFailures(TovraCase):

    def tmpfs_drive(self, source_size, free):
        """A small fixed drive holding TOVRA.EXE and data.bin with about free bytes left."""
        page = 4096
        tovra = os.path.getsize(bin_path('TOVRA.EXE'))
        size = (-(-tovra // page) + -(-source_size // page)) * page + free
        folder, root = self.drive(size=size)
        write(folder, 'data.bin', pattern(source_size))
        st = os.statvfs(folder)
        return folder, root, st.f_bavail * st.f_frsize

    def test_no_room_for_the_pieces(self):
        folder, root, free = self.tmpfs_drive(300000, 256 * 1024)
        self.assertLess(free, 301000)
        t = self.start_tovra(root)
        t.divide(folder, 'data.bin', IDC_DIV_USER, user_item=0)
        t.expect('no_space')
        t.no_window()
        self.assertEqual(pieces_in(folder), [])

    def test_disk_full_while_writing_a_piece(self):
        # Room for the file, its three parity pieces, the block checks and the margin, but not
        # for 30 pieces of 10,000 bytes that each take three pages of 4096 bytes.
        folder, root, free = self.tmpfs_drive(300000, 340 * 1024)
        self.assertGreaterEqual(free, 300000 + 30000 + 292 + 1000)
        failing = 1 + (free - 4096) // 12288
        t = self.start_tovra(root)
        t.divide(folder, 'data.bin', IDC_DIV_USER, user_item=0)
        t.expect('write_piece', failing)
        t.no_window()
        # Every piece written is gone; FILE-0 stays for the next division to offer to delete.
        self.assertEqual(pieces_in(folder), ['file-0'])
        t.select(folder, 'data.bin', shown=['TOVRA.EXE', 'data.bin'])
        t.press(IDC_BTN_DIVISION)
        t.expect('exist_q', button=IDYES)
        dlg = t.dialog('Divide File', 'ファイルの分割')
        t.app.click(dlg, IDCANCEL)
        t.app.wait_gone(dlg)
        self.assertEqual(pieces_in(folder), [])

    def test_piece_or_record_that_cannot_be_created(self):
        for letter, blocked, message in (('t', 'file-2', ('create_piece', 2)),
                                         ('u', 'file-0', ('create_info',))):
            with self.subTest(blocked=blocked):
                folder, root = self.drive(letter, name='drive-' + blocked)
                write(folder, 'data.bin', pattern(3000000))
                os.makedirs(os.path.join(folder, blocked))  # a folder in the piece's place
                t = self.start_tovra(root)
                t.select(folder, 'data.bin')
                t.press(IDC_BTN_DIVISION)
                t.expect('exist_q', button=IDYES)
                dlg = t.dialog('Divide File', 'ファイルの分割')
                t.app.click(dlg, IDOK)
                t.expect(*message)
                t.no_window()
                left = ['file-0'] if blocked != 'file-0' else []
                self.assertEqual(pieces_in(folder), sorted(left + [blocked]))
                t.app.stop()


if __name__ == '__main__':
    unittest.main()
