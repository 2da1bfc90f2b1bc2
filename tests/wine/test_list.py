"""Tovra's file list under Wine: cells, order, the 2000-row cap, clicks and button states."""

import os
import shutil
import unittest

from tovra import (FILE_BUTTONS, IDC_BTN_ABOUT, IDC_BTN_DIRECTORY, IDC_BTN_EXIT, IDC_BTN_HELP,
                   IDC_BTN_UPONELEVEL, TovraCase, list_order, local_stamp, set_dos_attributes,
                   write)
from winetest import bin_path

M = 'M:\\'

SPRING = local_stamp(2001, 3, 5, 14, 7, 9)
EVE = local_stamp(1999, 12, 31, 23, 59, 58)
TIME_TEXT = {('en', SPRING): '03/05/2001  14:07:09', ('ja', SPRING): '2001/03/05  14:07:09',
             ('en', EVE): '12/31/1999  23:59:58', ('ja', EVE): '1999/12/31  23:59:58'}
HEADERS = {'en': ['Name', 'Size (B)', 'Type', 'Modified', 'Attributes'],
           'ja': ['名前', 'ｻｲｽﾞ (B)', '種類', '更新日時', '属性']}
FOLDER = {'en': '<Folder>', 'ja': '<ﾌｫﾙﾀﾞｰ>'}
RECYCLER = {'en': '<Recycler>', 'ja': '<ごみ箱>'}
SO_FOLDER, HYO_FILE = 'ソフト', '表.txt'  # ソ and 表 end in the byte 0x5C

# The button table: which of the ten file buttons each kind of selection leaves usable.
ON = {
    'none': set(),
    'file': set(FILE_BUTTONS) - {'Decompress', 'File Size'},
    'FILE-0': set(FILE_BUTTONS) - {'Division', 'Decompress', 'File Size'},
    'archive': set(FILE_BUTTONS) - {'Compress', 'File Size'},
    'own': set(),
    'folder': {'Rename', 'Delete', 'File Size', 'Timestamp', 'Attributes'},
}


def states(kind):
    return {b: b in ON[kind] for b in FILE_BUTTONS}


class Cells(TovraCase):

    def build(self, lang):
        root = self.drive('m')[0]
        folders = {'.cfg': 0, 'alpha': 0, 'Beta': 0, 'Recycled': 0, 'RECYCLER': 0, 'zeta[1]': 0}
        for name in folders:
            os.makedirs(os.path.join(root, name))
        os.makedirs(os.path.join(root, 'alpha', 'inner'))
        files = {'_u.txt': 1, '~t.txt': 2, 'a1.txt': 12, 'b.txt': 3, 'B.TXT': 4, 'big.bin': 5000000000,
                 'c.txt': 99999, 'FILE-0': 60, 'floppy.img': 1440000, 'rhsa.txt': 7, 'ro.txt': 8,
                 'x.zip': 100, 'y.LZH': 101, 'zero.bin': 0}
        if lang == 'ja':
            os.makedirs(os.path.join(root, SO_FOLDER))
            files[HYO_FILE] = 5
        for name, size in files.items():
            write(root, name, size, SPRING)
        os.chmod(os.path.join(root, 'ro.txt'), 0o444)
        set_dos_attributes(os.path.join(root, 'rhsa.txt'), 0x6)
        os.chmod(os.path.join(root, 'rhsa.txt'), 0o444)
        set_dos_attributes(os.path.join(root, 'Beta'), 0x4)
        for name in os.listdir(root):
            if os.path.isdir(os.path.join(root, name)):
                os.utime(os.path.join(root, name), (EVE, EVE))
        os.chmod(os.path.join(root, 'zeta[1]'), 0o555)
        self.addCleanup(os.chmod, os.path.join(root, 'zeta[1]'), 0o755)
        return root

    def check_language(self, lang):
        root = self.build(lang)
        tovra = self.start_tovra(M, lang=lang)
        cols, width = tovra.headers()
        self.assertEqual([t for _, t in cols], HEADERS[lang])
        self.assertEqual([w for w, _ in cols], [210, 80, 70, 135, width - 495])

        spring, eve = TIME_TEXT[(lang, SPRING)], TIME_TEXT[(lang, EVE)]
        exe = os.path.getsize(os.path.join(root, 'TOVRA.EXE'))
        expected = [
            ['.cfg', '', FOLDER[lang], eve, 'H'],
            ['alpha', '', FOLDER[lang], eve, ''],
            ['Beta', '', FOLDER[lang], eve, 'S'],
            ['Recycled', '', RECYCLER[lang], eve, ''],
            ['RECYCLER', '', RECYCLER[lang], eve, ''],
            ['zeta[1]', '', FOLDER[lang], eve, 'R'],
            ['_u.txt', '         1', '', spring, 'A'],
            ['~t.txt', '         2', '', spring, 'A'],
            ['a1.txt', '        12', '', spring, 'A'],
            ['b.txt', '         3', '', spring, 'A'],
            ['B.TXT', '         4', '', spring, 'A'],
            ['big.bin', '5000000000', '', spring, 'A'],
            ['c.txt', '     99999', '', spring, 'A'],
            ['FILE-0', '        60', '', spring, 'A'],
            ['floppy.img', '   1440000', '', spring, 'A'],
            ['rhsa.txt', '         7', '', spring, 'RHSA'],
            ['ro.txt', '         8', '', spring, 'RA'],
            ['TOVRA.EXE', '%10d' % exe, '', None, 'A'],
            ['x.zip', '       100', '', spring, 'A'],
            ['y.LZH', '       101', '', spring, 'A'],
            ['zero.bin', '         0', '', spring, 'A'],
        ]
        rows = tovra.rows()
        if lang == 'ja':
            # Their place among the Latin names is the system's; their cells are checked here.
            so = [r for r in rows if r[0] == SO_FOLDER]
            hyo = [r for r in rows if r[0] == HYO_FILE]
            self.assertEqual(so, [[SO_FOLDER, '', FOLDER[lang], eve, '']])
            self.assertEqual(hyo, [[HYO_FILE, '         5', '', spring, 'A']])
            self.assertLess(rows.index(so[0]), 7, 'folders come first')
            self.assertGreater(rows.index(hyo[0]), 6)
            rows = [r for r in rows if r[0] not in (SO_FOLDER, HYO_FILE)]
        exe_row = rows[17]
        self.assertRegex(exe_row[3], r'^\d\d\d\d/\d\d/\d\d  \d\d:\d\d:\d\d$' if lang == 'ja'
                         else r'^\d\d/\d\d/\d\d\d\d  \d\d:\d\d:\d\d$')
        expected[17][3] = exe_row[3]
        self.assertEqual(rows, expected)
        return tovra

    def test_english_cells_and_order(self):
        self.check_language('en')

    def test_japanese_cells_and_order(self):
        tovra = self.check_language('ja')
        # The folder whose name ends in 0x5C opens and lists like any other.
        row = tovra.names().index(SO_FOLDER)
        tovra.dblclick_row(row)
        self.assertEqual(tovra.rows(), [])
        sel, items = tovra.items()
        self.assertEqual(items[sel].raw, SO_FOLDER.encode('cp932'))
        self.assertEqual(items[sel].indent, 1)

    def test_entries_gone_before_their_reread_leave_no_row(self):
        root = self.drive('m')[0]
        # Names with a trailing dot or blank are enumerated but cannot be looked up again.
        for name in ('a.txt', 'm.txt', 'trail.', 'space ', 'z.txt'):
            write(root, name, 3)
        for name in ('dir.', 'Dsub', 'Esub'):
            os.makedirs(os.path.join(root, name))
        tovra = self.start_tovra(M)
        self.assertEqual(tovra.names(), ['Dsub', 'Esub', 'a.txt', 'm.txt', 'TOVRA.EXE', 'z.txt'])
        # A click on a row whose file has gone since the listing fills nothing.
        tovra.click_row(1)
        self.assertEqual(tovra.file_buttons(), states('folder'))
        os.remove(os.path.join(root, 'm.txt'))
        tovra.click_row(3)
        self.assertEqual(tovra.selected_rows(), [3])
        self.assertEqual(tovra.file_buttons(), states('folder'))


class RowCap(TovraCase):

    def test_folders_first_then_files_up_to_2000_rows(self):
        root = self.drive('m')[0]
        for i in range(12):
            os.makedirs(os.path.join(root, 'dir%02d' % i))
        for i in range(2100):
            write(root, 'f%04d.txt' % i, 0)
        tovra = self.start_tovra(M)
        names = tovra.names()
        self.assertEqual(len(names), 2000)
        self.assertEqual(names[:12], ['dir%02d' % i for i in range(12)])
        files = names[12:]
        self.assertEqual(files, sorted(files))
        self.assertEqual(len(set(files)), len(files))
        on_disk = set(os.listdir(root))
        self.assertTrue(set(files) <= on_disk)

    def test_2000_folders_leave_no_room_for_files(self):
        root = self.drive('m')[0]
        for i in range(2005):
            os.makedirs(os.path.join(root, 'd%04d' % i))
        tovra = self.start_tovra(M)
        names = tovra.names()
        self.assertEqual(len(names), 2000)
        self.assertNotIn('TOVRA.EXE', names)
        self.assertEqual(names, sorted(names))
        self.assertTrue(all(n.startswith('d') for n in names))

    def test_2000_files_of_ten_kinds_show_the_shells_icons(self):
        # Programs of the same kind with icons of their own, among files of the shell's kinds.
        root = self.drive('m')[0]
        programs = ['RUNDELO.EXE', 'ROBOT.EXE', 'FIXTURE.EXE']
        for i, exe in enumerate(programs * 3):
            shutil.copy(bin_path(exe), os.path.join(root, 'p%d%s' % (i, exe)))
        kinds = ('txt', 'zip', 'lzh', 'bin', 'doc', 'bmp', 'dll', 'ini', 'htm')
        for i in range(2000 - 10):
            write(root, 'f%04d.%s' % (i, kinds[i % len(kinds)]), 1)
        tovra = self.start_tovra(M, rows=2000)
        # A row's icon is looked up as the list first draws it: each row is scrolled into view
        # and compared before anything asks the list for the rows (and so for their images).
        names = list_order(os.listdir(root))
        self.assertEqual(len(names), 2000)
        seen = [tovra.app.call('lv-shell-icon %d - %d %s' % (
                    tovra.list.hwnd, row, (M + name).encode(tovra.app.codepage).hex()))
                for row, name in enumerate(names)]
        self.assertEqual([(n, a) for n, a in zip(names, seen) if a != 'icon same'], [])
        self.assertEqual(tovra.names(), names)


class Clicks(TovraCase):

    def test_each_kind_of_row_gives_its_button_states(self):
        root = self.drive('m')[0]
        os.makedirs(os.path.join(root, 'folder'))
        for name in ('a.lzh.bak', 'a.Lzh', 'File-0', 'FILE-0.txt', 'plain.txt', 'x.ZIP'):
            write(root, name)
        tovra = self.start_tovra(M)
        names = tovra.names()
        self.assertEqual(names, ['folder', 'a.Lzh', 'a.lzh.bak', 'File-0', 'FILE-0.txt',
                                 'plain.txt', 'TOVRA.EXE', 'x.ZIP'])
        self.assertEqual(tovra.file_buttons(), states('none'))
        for name, kind in (('plain.txt', 'file'), ('folder', 'folder'), ('TOVRA.EXE', 'own'),
                           ('File-0', 'FILE-0'), ('x.ZIP', 'archive'), ('FILE-0.txt', 'file'),
                           ('a.lzh.bak', 'archive'), ('a.Lzh', 'file'), ('folder', 'folder')):
            with self.subTest(name=name):
                tovra.click_row(names.index(name))
                self.assertEqual(tovra.selected_rows(), [names.index(name)])
                self.assertEqual(tovra.file_buttons(), states(kind))
        # The five buttons outside the rules stay usable throughout.
        for i in (IDC_BTN_DIRECTORY, IDC_BTN_ABOUT, IDC_BTN_HELP, IDC_BTN_EXIT, IDC_BTN_UPONELEVEL):
            self.assertTrue(tovra.app.enabled(tovra.bar.hwnd, i)[0], i)
        tovra.click_blank()
        self.assertEqual(tovra.selected_rows(), [])
        self.assertEqual(tovra.file_buttons(), states('none'))

    def test_double_click_on_a_file_opens_nothing_and_keeps_the_states(self):
        root = self.drive('m')[0]
        write(root, 'a.zip')
        tovra = self.start_tovra(M)
        tovra.click_row(1)  # TOVRA.EXE: everything off
        tovra.dblclick_row(0)
        # Its first click read the archive; the double-click emptied the record while the row
        # stays selected, and with both names empty the buttons stay as they were.
        self.assertEqual(tovra.selected_rows(), [0])
        self.assertEqual(tovra.file_buttons(), states('archive'))
        self.assertEqual(tovra.names(), ['a.zip', 'TOVRA.EXE'])
        self.assertEqual(tovra.items()[1][tovra.items()[0]].text, 'M:[FIXED-DRIVE]')


if __name__ == '__main__':
    unittest.main()
