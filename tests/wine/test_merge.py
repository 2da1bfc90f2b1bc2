"""Merging in the real program: Tovra's own pieces, pieces made by split with a hand-written
record, Rundelo on Tovra's pieces, and every message of the merger and its reader."""

import os
import shutil
import subprocess
import unittest

from tovra import (IDC_BTN_MERGER, IDC_DIV_72, IDC_MRG_DEST, TovraCase, local_stamp, pattern,
                   unopenable, write)
from winetest import IDNO, IDOK, IDYES, bin_path


def write_pieces(folder, data, piece, prefix='file-'):
    n = 0
    for at in range(0, len(data), piece):
        n += 1
        write(folder, '%s%d' % (prefix, n), data[at:at + piece])
    return n


class MergeRoundTrips(TovraCase):

    def test_tovra_pieces_merged_by_tovra_and_by_rundelo(self):
        stamp = local_stamp(2001, 3, 5, 14, 7, 9)
        src, root_t = self.drive('t', name='source')
        write(src, 'data.lzh', pattern(3000000), stamp)
        original = write(self.tmp, 'original', pattern(3000000))
        t = self.start_tovra(root_t)
        t.divide(src, 'data.lzh', IDC_DIV_72)
        t.expect('div_success', 6)
        t.expect('next_fd', button=IDNO)
        t.app.stop()
        pieces = ['file-%d' % k for k in range(7)]  # with the parity piece

        # Tovra on another drive, pieces copied there.
        dst, root_u = self.drive('u', name='target')
        for p in pieces:
            shutil.copy(os.path.join(src, p), dst)
        t = self.start_tovra(root_u)
        t.select(dst, 'file-0')
        t.press(IDC_BTN_MERGER)
        dlg = t.dialog('Merge File', 'ファイルの結合')
        self.assertEqual(t.app.get_text(dlg, IDC_MRG_DEST), 'data.lzh')
        t.app.click(dlg, IDOK)
        t.expect('mrg_success', 'data.lzh')
        t.expect('mrg_delete', 6, button=IDYES)
        t.expect('mrg_next', button=IDNO)  # a merged .lzh is offered for extraction
        t.no_window()
        merged = os.path.join(dst, 'data.lzh')
        self.assert_same_bytes(merged, original)
        # The drive reports NTFS, so the odd second of the record stays.
        self.assertEqual(os.path.getmtime(merged), stamp)
        self.assertEqual(sorted(os.listdir(dst)), ['TOVRA.EXE', 'data.lzh'])
        t.app.stop()

        # Rundelo placed beside the same pieces.
        other, root_v = self.drive('v', name='rundelo')
        for p in pieces:
            shutil.copy(os.path.join(src, p), other)
        shutil.copy(bin_path('RUNDELO.EXE'), other)
        app = self.start(root_v + 'RUNDELO.EXE', root_v)
        self.assertEqual(app.wait_exit(timeout=60), 0)
        self.assert_same_bytes(os.path.join(other, 'data.lzh'), original)
        self.assertEqual(os.path.getmtime(os.path.join(other, 'data.lzh')), stamp)

    def test_split_pieces_with_a_hand_written_record(self):
        folder, root = self.drive()
        data = pattern(4 * 1440000 + 12345, 3)
        original = write(self.tmp, 'big.dat', data)
        r = subprocess.run(['split', '-b', '1440000', '-a', '1', '--numeric-suffixes=1', original,
                            os.path.join(folder, 'FILE-')])
        self.assertEqual(r.returncode, 0)
        self.assertEqual(sorted(os.listdir(folder))[:2], ['FILE-1', 'FILE-2'])
        # The short form: three fields, carriage return and line feed; no time of its own.
        stamp = local_stamp(2002, 8, 9, 10, 11, 13)
        write(folder, 'FILE-0', b'big.dat;%d;5;\r\n' % len(data), stamp)
        t = self.start_tovra(root)
        t.merge(folder, 'FILE-0')
        t.expect('mrg_success', 'big.dat')
        t.expect('mrg_delete', 5, button=IDNO)
        self.assert_same_bytes(os.path.join(folder, 'big.dat'), original)
        self.assertEqual(os.path.getmtime(os.path.join(folder, 'big.dat')), stamp)
        self.assertEqual(len(os.listdir(folder)), 8)

    def test_mixed_case_information_file_and_read_only_pieces(self):
        folder, root = self.drive()
        data = pattern(1440000 + 15000, 4)
        n = write_pieces(folder, data, 1440000)
        write(folder, 'File-0', b'parts.bin;%d;%d;8;5;14;7;3;1999;\n' % (len(data), n))
        for k in range(1, n + 1):
            self.attrib(root + 'file-%d' % k, '+r')
        self.assertEqual(self.attrib(root + 'File-0', '+r', '+h') & {'R', 'H'}, {'R', 'H'})
        t = self.start_tovra(root)
        t.merge(folder, 'File-0')
        t.expect('mrg_success', 'parts.bin')
        # Every piece now has the information file's attributes, which keeps its own.
        for k in range(1, n + 1):
            self.assertEqual(self.attrib(root + 'file-%d' % k) & {'R', 'H'}, {'R', 'H'})
        self.assertEqual(self.attrib(root + 'File-0') & {'R', 'H'}, {'R', 'H'})
        merged = os.path.join(folder, 'parts.bin')
        with open(merged, 'rb') as f:
            self.assertEqual(f.read(), data)
        self.assertEqual(os.path.getmtime(merged), local_stamp(1999, 3, 7, 14, 5, 8))
        # Yes removes the set, read-only and hidden pieces too.
        t.expect('mrg_delete', n, button=IDYES)
        t.no_window()
        self.assertEqual(sorted(os.listdir(folder)), ['TOVRA.EXE', 'parts.bin'])

    def test_japanese_main_path(self):
        folder, root = self.drive()
        data = pattern(2 * 720000 + 1, 5)
        n = write_pieces(folder, data, 720000)
        write(folder, 'file-0', b'kabu.bin;%d;%d;\n' % (len(data), n))
        write(folder, 'file-1x', b'not a piece')
        t = self.start_tovra(root, 'ja')
        t.select(folder, 'file-1x')
        t.press(IDC_BTN_MERGER)
        t.expect('assign')
        t.merge(folder)
        t.expect('mrg_success', 'kabu.bin')
        t.expect('mrg_delete', n, button=IDNO)
        with open(os.path.join(folder, 'kabu.bin'), 'rb') as f:
            self.assertEqual(f.read(), data)
        t.select(folder, 'file-0')
        t.press(IDC_BTN_MERGER)
        t.expect('exists', 'kabu.bin')
        t.no_window()


class MergeRefusals(TovraCase):
    """Each refusal leaves the pieces as they were and no merged file."""

    def setup_set(self, record, sizes=(20000, 20000, 10000), letter='t', kind='fixed', size=None):
        folder, root = self.drive(letter, kind, size=size)
        for k, s in enumerate(sizes, 1):
            write(folder, 'file-%d' % k, pattern(s, k))
        if record is not None:
            write(folder, 'file-0', record)
        return folder, root

    def refuse(self, folder, root, select, key, *args, dialog=False, lang='en'):
        before = {n: os.path.getsize(os.path.join(folder, n)) for n in os.listdir(folder)
                  if not os.path.islink(os.path.join(folder, n))}
        t = self.start_tovra(root, lang)
        t.select(folder, select)
        t.press(IDC_BTN_MERGER)
        if dialog:
            dlg = t.dialog('Merge File', 'ファイルの結合')
            t.app.click(dlg, IDOK)
        box = t.expect(key, *args)
        t.no_window()
        after = {n: os.path.getsize(os.path.join(folder, n)) for n in os.listdir(folder)
                 if not os.path.islink(os.path.join(folder, n))}
        self.assertEqual(after, before)
        return box

    def test_not_the_information_file(self):
        folder, root = self.setup_set(b'x.bin;50000;3;\n')
        self.refuse(folder, root, 'file-1', 'assign')

    def test_off_hard_disk(self):
        for lang in ('en', 'ja'):
            with self.subTest(lang=lang):
                letter = 'n' if lang == 'en' else 'm'
                folder, root = self.setup_set(b'x.bin;50000;3;\n', letter=letter, kind='network')
                self.refuse(folder, root, 'file-0', 'not_hd_mrg', lang=lang)

    def test_merged_name_exists_in_another_letter_case(self):
        folder, root = self.setup_set(b'data.bin;50000;3;\n')
        write(folder, 'DATA.BIN', b'precious')
        self.refuse(folder, root, 'file-0', 'exists', 'data.bin')

    def test_reader_refusals(self):
        cases = [('missed', b''), ('missed', b'no semicolon at all\n'),
                 ('damaged', b'..\\up.bin;50000;3;\n')]
        for i, (key, record) in enumerate(cases):
            with self.subTest(record=record):
                letter = 'ghijkl'[i]
                folder, root = self.setup_set(record, letter=letter)
                self.refuse(folder, root, 'file-0', key)

    def test_empty_record_fields_are_refused_after_the_dialog_and_the_first_piece(self):
        cases = [(b';50000;3;\n', (20000, 20000, 10000), 'damaged', 'en'),
                 (b'x.bin;;3;\n', (20000, 20000, 10000), 'damaged', 'ja'),
                 (b'x.bin;50000;;\n', (20000, 20000, 10000), 'damaged', 'en'),
                 (b';50000;3;\n', (), 'no_file1', 'en')]
        for i, (record, sizes, key, lang) in enumerate(cases):
            with self.subTest(record=record, pieces=len(sizes)):
                folder, root = self.setup_set(record, sizes, letter='ghij'[i])
                self.refuse(folder, root, 'file-0', key, dialog=True, lang=lang)

    def test_information_file_that_cannot_be_opened(self):
        folder, root = self.setup_set(None)
        unopenable(os.path.join(folder, 'file-0'))
        self.refuse(folder, root, 'file-0', 'open_info')

    def test_first_or_a_later_piece_missing(self):
        folder, root = self.setup_set(b'x.bin;50000;3;\n', sizes=())
        write(folder, 'file-2', pattern(20000))
        write(folder, 'file-3', pattern(10000))
        self.refuse(folder, root, 'file-0', 'no_file1', dialog=True)
        folder, root = self.setup_set(b'x.bin;70000;4;\n', sizes=(20000, 20000, 20000), letter='u')
        self.refuse(folder, root, 'file-0', 'missing', 4, dialog=True)

    def test_no_room_for_the_merged_file(self):
        page = 4096
        tovra = -(-os.path.getsize(bin_path('TOVRA.EXE')) // page) * page
        folder, root = self.setup_set(b'x.bin;300000;3;\n', sizes=(120000, 120000, 60000),
                                      size=tovra + 3 * page + 300000 + 200 * 1024)
        self.refuse(folder, root, 'file-0', 'no_space', dialog=True)

    def test_piece_that_cannot_be_opened(self):
        for letter, kind in (('t', 'socket'), ('u', 'folder')):
            with self.subTest(kind=kind):
                folder, root = self.setup_set(b'x.bin;50000;3;\n', letter=letter)
                os.remove(os.path.join(folder, 'file-2'))
                if kind == 'socket':
                    unopenable(os.path.join(folder, 'file-2'))
                else:
                    os.makedirs(os.path.join(folder, 'file-2'))
                self.refuse(folder, root, 'file-0', 'open_piece', 2, dialog=True)

    def test_piece_shorter_than_the_record_says(self):
        # The Japanese text holds a character whose second byte is a backslash.
        for letter, lang in (('t', 'en'), ('u', 'ja')):
            with self.subTest(lang=lang):
                folder, root = self.setup_set(b'x.bin;50000;3;\n', sizes=(20000, 15000, 10000),
                                              letter=letter)
                box = self.refuse(folder, root, 'file-0', 'read_piece', 2, dialog=True, lang=lang)
                if lang == 'ja':
                    self.assertTrue(box.text_raw.startswith(b'\x83\x5c\x81\x5b\x83\x58'))

    def test_merged_file_that_cannot_be_created(self):
        name = 'abcdefghi ' * 25 + 'xy.bin'  # 256 bytes: longer than a name may be
        folder, root = self.setup_set(name.encode() + b';50000;3;\n')
        self.refuse(folder, root, 'file-0', 'create_merged', name, dialog=True)


class MergeSizeCheck(TovraCase):

    def test_size_field_five_bytes_too_small(self):
        folder, root = self.drive()
        data = pattern(1440000 + 15000, 6)
        write_pieces(folder, data, 1440000)
        write(folder, 'file-0', b'short.bin;%d;2;1;2;3;4;5;2003;\n' % (len(data) - 5))
        t = self.start_tovra(root)
        t.merge(folder)
        t.expect('unsuccess')
        t.no_window()
        # Both blocks of the last piece were copied; the merged file stays, with its time.
        merged = os.path.join(folder, 'short.bin')
        with open(merged, 'rb') as f:
            self.assertEqual(f.read(), data)
        self.assertEqual(os.path.getmtime(merged), local_stamp(2003, 5, 4, 3, 2, 1))


if __name__ == '__main__':
    unittest.main()
