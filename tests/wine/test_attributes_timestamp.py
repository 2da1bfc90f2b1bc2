"""The Attributes and Timestamp commands of the real program: the dialogs open with the target's
state, whole trees are changed and read back from Linux, the program's own file and names
beginning with a full stop are passed over, and folders on FAT under a 9x system are made anew
(a test build answers for the volume and the clock), in both languages."""

import datetime
import os
import shutil
import time

from tovra import (IDC_ATR_ARCHIVE, IDC_ATR_FILESONLY, IDC_ATR_HIDDEN, IDC_ATR_READONLY,
                   IDC_ATR_SUBFOLDERS, IDC_ATR_SYSTEM, IDC_BTN_ATTRIBUTES, IDC_BTN_TIMESTAMP,
                   IDC_TS_DAY, IDC_TS_HOUR, IDC_TS_MINUTE, IDC_TS_MONTH, IDC_TS_SECOND,
                   IDC_TS_SUBFOLDERS, IDC_TS_YEAR, FloppyPile, Tovra, TovraCase, local_stamp, write)
from winetest import FLOPPY_BYTES, IDOK, NINE_X_KEY, NT_KEY, bin_path, to_windows

TEXT = {
    'atr_drive': ('Unable to change the attributes of file or folder in the assigned drive.',
                  '指定のドライブではファイル/フォルダーの属性変更はできません.'),
    'atr_partly': ('Failed in the modification of attributes somewhere.\n'
                   'Possibly, tried to change the attributes of TOVRA.EXE itself.',
                   '属性の変更は、どこかで失敗しました.\nTOVRA.EXE の属性変更を試みた可能性があります.'),
    'ts_drive': ('Unable to change the timestamp of file or folder in the assigned drive.',
                 '指定のドライブではファイル/フォルダーのタイムスタンプ変更はできません.'),
    'ts_space': ('No free disk-space.', 'ディスクの空きスペースがありません.'),
    'ts_partly': ('Failed in the modification of timestamp somewhere.\n'
                  'Possibly, tried to change the timestamp of TOVRA.EXE itself.',
                  'タイムスタンプの変更は、どこかで失敗しました.\n'
                  'TOVRA.EXE のタイムスタンプ変更を試みた可能性があります.'),
}
ATTR_TITLE = ('Change Attributes', '属性の変更')
TIME_TITLE = ('Change Timestamp', 'タイムスタンプの変更')
FIELDS = (IDC_TS_YEAR, IDC_TS_MONTH, IDC_TS_DAY, IDC_TS_HOUR, IDC_TS_MINUTE, IDC_TS_SECOND)
FIRST = (1980, 1, 1, 0, 0, 0)


class AttributesAndTimestamp(TovraCase):

    def box(self, t, key):
        lang = 0 if t.lang == 'en' else 1
        t.app.expect_msgbox(TEXT[key][lang], ('Error', 'エラー')[lang], 'exclamation', timeout=60)

    def stamp(self, path):
        return time.localtime(os.stat(path).st_mtime)[:6]

    def attributes_dialog(self, t, folder, name):
        t.select(folder, name)
        t.press(IDC_BTN_ATTRIBUTES)
        return t.dialog(*ATTR_TITLE)

    def timestamp_dialog(self, t, folder, name):
        t.select(folder, name)
        t.press(IDC_BTN_TIMESTAMP)
        return t.dialog(*TIME_TITLE)

    def click(self, t, dlg, control):
        """A click in a dialog, handled before the test looks again."""
        t.app.click(dlg, control)
        t.settle(0.1)

    def choose_time(self, t, dlg, when):
        for field, value, first in zip(FIELDS, when, FIRST):
            t.app.combo_select(dlg, field, value - first)

    def tree(self, folder):
        write(folder, 'tree/a.txt', b'a', mtime=local_stamp(1999, 1, 2, 3, 4, 5))
        write(folder, 'tree/sub/b.txt', b'b', mtime=local_stamp(1999, 1, 2, 3, 4, 5))
        write(folder, 'tree/.dot/c.txt', b'c', mtime=local_stamp(1999, 1, 2, 3, 4, 5))
        write(folder, 'tree/.d', b'd', mtime=local_stamp(1999, 1, 2, 3, 4, 5))

    def test_dialogs_open_with_the_targets_state(self):
        folder, root = self.drive()
        write(folder, 'old.txt', mtime=local_stamp(1975, 6, 1, 12, 0, 0))
        write(folder, 'new.txt', mtime=local_stamp(2090, 6, 1, 12, 0, 0))
        write(folder, 'leap.txt', mtime=local_stamp(2000, 2, 10, 1, 2, 3))
        write(folder, 'plain.txt', mtime=local_stamp(2001, 2, 10, 1, 2, 3))
        t = self.start_tovra(root)
        self.attrib('T:\\old.txt', '+r', '+a')
        dlg = self.attributes_dialog(t, folder, 'old.txt')
        checks = [t.app.get_check(dlg, i) for i in (IDC_ATR_READONLY, IDC_ATR_HIDDEN,
                                                    IDC_ATR_SYSTEM, IDC_ATR_ARCHIVE)]
        self.assertEqual(checks, [1, 0, 0, 1])
        self.assertEqual(t.app.enabled(dlg, IDC_ATR_SUBFOLDERS)[0], False)
        self.assertEqual(t.app.enabled(dlg, IDC_ATR_FILESONLY)[0], False)
        t.app.close(dlg)
        for name, year, days in (('old.txt', '1980', None), ('new.txt', '2079', None),
                                 ('leap.txt', '2000', 29), ('plain.txt', '2001', 28)):
            dlg = self.timestamp_dialog(t, folder, name)
            sel, items = t.app.combo_items(dlg, IDC_TS_YEAR)
            self.assertEqual(items[sel], year, name)
            if days:
                self.assertEqual(len(t.app.combo_items(dlg, IDC_TS_DAY)[1]), days, name)
            self.assertFalse(t.app.enabled(dlg, IDC_TS_SUBFOLDERS)[0])
            t.app.close(dlg)
            t.app.wait_gone(dlg)

    def test_a_tree_of_attributes_with_and_without_files_only(self):
        folder, root = self.drive()
        self.tree(folder)
        t = self.start_tovra(root)
        # Wine itself shows dot names as hidden: they must come out as they went in.
        passed_over = ('T:\\tree\\.dot\\c.txt', 'T:\\tree\\.d')
        before = [self.attrib(f) for f in passed_over]
        for files_only, chosen, tree_letters in ((False, {'R', 'H', 'S'}, {'H', 'S'}),
                                                 (True, {'H'}, set())):
            dlg = self.attributes_dialog(t, folder, 'tree')
            for letter, box in (('R', IDC_ATR_READONLY), ('H', IDC_ATR_HIDDEN),
                                ('S', IDC_ATR_SYSTEM), ('A', IDC_ATR_ARCHIVE)):
                t.app.check(dlg, box, letter in chosen)
            self.click(t, dlg, IDC_ATR_SUBFOLDERS)
            self.assertEqual(t.app.enabled(dlg, IDC_ATR_FILESONLY)[0], True)
            if files_only:
                self.attrib('T:\\tree\\sub', '-h', '-s')
                self.click(t, dlg, IDC_ATR_FILESONLY)
            t.app.click(dlg, IDOK)
            t.app.wait_gone(dlg)
            t.settle()
            # Wine shows every plain file as archived, whatever was set.
            for f in ('T:\\tree\\a.txt', 'T:\\tree\\sub\\b.txt'):
                self.assertEqual(self.attrib(f) - {'A'}, chosen, f)
            # Nor does it keep a read-only mark on a folder.
            self.assertEqual(self.attrib('T:\\tree\\sub') - {'A', 'R'}, tree_letters)
            self.assertEqual([self.attrib(f) for f in passed_over], before)

    def test_a_tree_of_times_passes_over_the_program_and_dot_names(self):
        folder, root = self.drive()
        self.tree(folder)
        t = self.start_tovra(root)
        dlg = self.timestamp_dialog(t, folder, 'tree')
        self.choose_time(t, dlg, (2003, 4, 5, 6, 7, 37))
        self.click(t, dlg, IDC_TS_SUBFOLDERS)
        t.app.click(dlg, IDOK)
        t.settle()
        for f in ('tree', 'tree/a.txt', 'tree/sub', 'tree/sub/b.txt'):
            self.assertEqual(self.stamp(os.path.join(folder, f)), (2003, 4, 5, 6, 7, 37), f)
        for f in ('tree/.dot/c.txt', 'tree/.d'):
            self.assertEqual(self.stamp(os.path.join(folder, f)), (1999, 1, 2, 3, 4, 5), f)

    def test_a_tree_that_holds_the_running_program(self):
        for lang in ('en', 'ja'):
            with self.subTest(lang=lang):
                folder, root = self.drive(name='d-' + lang, letter='t' if lang == 'en' else 'u',
                                          exe=None)
                self.tree(folder)
                shutil.copy(bin_path('TOVRA.EXE'), os.path.join(folder, 'tree', 'sub'))
                # And under a name the spelling does not show: a hard link, whose changes would
                # be the program's.
                os.link(os.path.join(folder, 'tree', 'sub', 'TOVRA.EXE'),
                        os.path.join(folder, 'tree', 'linked.exe'))
                app = self.start(root + 'tree\\sub\\TOVRA.EXE', root, lang)
                t = Tovra(self, app, app.wait_window(cls='Tovra', title='Tovra', timeout=30))
                t.settle()
                for command, box, key in ((self.attributes_dialog, IDC_ATR_SUBFOLDERS, 'atr_partly'),
                                          (self.timestamp_dialog, IDC_TS_SUBFOLDERS, 'ts_partly')):
                    before = t.rows()
                    dlg = command(t, folder, 'tree')
                    if box == IDC_ATR_SUBFOLDERS:
                        self.click(t, dlg, IDC_ATR_SYSTEM)
                    else:
                        self.choose_time(t, dlg, (2004, 1, 1, 0, 0, 0))
                    self.click(t, dlg, box)
                    t.app.click(dlg, IDOK)
                    self.box(t, key)
                    self.assertEqual(t.rows(), before)  # the cell is not refreshed
                self.assertIn('S', self.attrib(root + 'tree\\a.txt'))
                self.assertNotIn('S', self.attrib(root + 'tree\\sub\\TOVRA.EXE'))
                self.assertEqual(self.stamp(os.path.join(folder, 'tree/a.txt'))[0], 2004)
                self.assertNotEqual(self.stamp(os.path.join(folder, 'tree/sub/TOVRA.EXE'))[0], 2004)
                app.kill()

    def choose_drive(self, t, root):
        t.choose([i.text[:2] for i in t.items()[1]].index(root[:2]))
        t.expect('media', root, button=6)  # Yes
        t.settle()

    def test_refusals_before_the_dialog(self):
        cd, cdroot = self.drive('r', kind='cdrom', exe=None)
        write(cd, 'on-cd.txt')
        pile = FloppyPile(self)
        disk = pile.insert()
        # A full floppy: not one cluster free.
        with open(os.path.join(disk, 'full.bin'), 'wb', buffering=0) as f:
            for chunk in (4096, 512, 1):
                try:
                    while True:
                        f.write(b'\0' * chunk)
                        f.flush()
                except OSError:
                    pass
        for lang in ('en', 'ja'):
            with self.subTest(lang=lang):
                folder, root = self.drive(name='d-' + lang, letter='t' if lang == 'en' else 'u')
                t = self.start_tovra(root, lang)
                self.choose_drive(t, cdroot)
                t.select(cd, 'on-cd.txt')
                for button, key in ((IDC_BTN_ATTRIBUTES, 'atr_drive'), (IDC_BTN_TIMESTAMP, 'ts_drive')):
                    t.press(button)
                    self.box(t, key)
                self.choose_drive(t, 'A:\\')
                t.select(disk, 'full.bin')
                t.press(IDC_BTN_TIMESTAMP)
                self.box(t, 'ts_space')
                t.exit()

    def recreate(self, letter, when, clock='held'):
        """A folder on FAT under Win98 given the time when by TOVRA98.EXE; returns its drive's
        folder, the program and what the clock was set to."""
        folder, root = self.drive(letter, exe=None)
        shutil.copy(bin_path('TOVRA98.EXE'), os.path.join(folder, 'TOVRA.EXE'))
        write(folder, 'dir/x.txt', b'x', mtime=local_stamp(1999, 1, 2, 3, 4, 5))
        write(folder, 'dir/.kept', b'k')
        log = os.path.join(self.tmp, 'clock-%s.log' % letter)
        os.environ['TOVRA_CLOCK'] = clock
        os.environ['TOVRA_CLOCK_LOG'] = to_windows(log)
        t = self.start_tovra(root)
        self.attrib(root + 'dir', '+h')
        dlg = self.timestamp_dialog(t, folder, 'dir')
        self.choose_time(t, dlg, when)
        t.app.click(dlg, IDOK)
        t.app.wait_gone(dlg)
        return folder, root, t, log

    def win98(self):
        self.reg_delete(NT_KEY, 'CurrentVersion')
        self.reg_set(NINE_X_KEY, 'ProductName', 'Microsoft Windows 98')
        for var in ('TOVRA_CLOCK', 'TOVRA_CLOCK_LOG'):
            self.addCleanup(os.environ.pop, var, None)

    def test_folders_on_fat_under_win98_are_made_anew(self):
        self.win98()
        cases = (('t', (2001, 3, 1, 0, 0, 0), '2001-02-28 23:59:59', (2001, 3, 1, 0, 0, 0)),
                 ('u', (2000, 3, 1, 0, 0, 1), '2000-02-29 23:59:59', (2000, 3, 1, 0, 0, 0)),
                 ('v', (2001, 1, 1, 0, 0, 0), '2000-12-31 23:59:59', (2001, 1, 1, 0, 0, 0)))
        for letter, when, t1, stamp in cases:
            with self.subTest(when=when):
                folder, root, t, log = self.recreate(letter, when)
                t.settle()
                with open(log) as f:
                    sets = [line.split(' at ') for line in f.read().splitlines()]
                self.assertEqual((len(sets), sets[0][0]), (2, t1 + '.000'))  # set, and set back
                # Back to the machine's own time, milliseconds and all.
                back, machine = (datetime.datetime.strptime(v, '%Y-%m-%d %H:%M:%S.%f')
                                 for v in sets[1])
                self.assertLess(abs((machine - back).total_seconds()), 0.1, sets[1])
                self.assertEqual(self.stamp(os.path.join(folder, 'dir')), stamp)
                self.assertEqual(sorted(os.listdir(os.path.join(folder, 'dir'))), ['.kept', 'x.txt'])
                self.assertEqual(self.attrib(root + 'dir') - {'A'}, {'H'})
                self.assertEqual(sorted(os.listdir(folder)), ['TOVRA.EXE', 'dir'])  # no "!!!"
                t.exit()

    def test_a_refused_clock_leaves_the_folder_as_it_was(self):
        self.win98()
        for letter, when, clock in (('t', (1980, 1, 1, 0, 0, 1), 'held'),
                                    ('u', (2001, 3, 1, 0, 0, 0), 'system')):
            with self.subTest(when=when, clock=clock):
                folder, root, t, _ = self.recreate(letter, when, clock)
                self.box(t, 'ts_partly')
                self.assertEqual(sorted(os.listdir(os.path.join(folder, 'dir'))), ['.kept', 'x.txt'])
                self.assertEqual(self.stamp(os.path.join(folder, 'dir', 'x.txt')), (1999, 1, 2, 3, 4, 5))
                self.assertEqual(self.attrib(root + 'dir') - {'A'}, {'H'})
                self.assertEqual(sorted(os.listdir(folder)), ['TOVRA.EXE', 'dir'])
                t.exit()
