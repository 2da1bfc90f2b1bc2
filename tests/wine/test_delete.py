"""The Delete command of the real program: the recycle bin of the test's own home, complete
deletion proven through hard links the program cannot see, the mode kept for the run, and the
refusals, in both languages."""

import os
import subprocess

from tovra import (IDC_BTN_DELETE, IDC_DRIVESELECTOR, IDC_DEL_COMPLETE, IDC_DEL_RECYCLE, IDC_DEL_TARGET, Tovra,
                   TovraCase, unopenable, write)
from winetest import IDCANCEL, IDNO, IDOK, IDYES

TITLE = ('Delte File / Directory', 'ファイル/ディレクトリの削除')
TEXT = {
    'protected': ('Unable to delete the directory,\nbecause TOVRA.EXE exists.',
                  'TOVRA.EXE が内在しているため、\nディレクトリの削除はできません.'),
    'drive': ('Unable to delete the file or folder in the assigned drive.',
              '指定のドライブではファイル/フォルダーの削除はできません.'),
    'file': ('Delete File :\n\n%s', 'ファイルの削除 :\n\n%s'),
    'folder': ('Delete Directory :\n\n%s', 'ディレクトリの削除 :\n\n%s'),
    'left': ('%d file(s) or folder(s) could not be overwritten or deleted and were left as they '
             'are.\nThe first of them:\n%s',
             '%d 個のファイル/フォルダーは上書きまたは削除ができず、そのまま残されました.\n最初のもの:\n%s'),
}
LVM_GETTOPINDEX = 0x1027
CAPTION = {'Warning': ('Warning', '警告'), 'Error': ('Error', 'エラー'),
           'Confirm': ('Confirm Deletion', '削除の確認')}


class Delete(TovraCase):

    def setUp(self):
        super().setUp()
        # The recycle bin of a home of the test's own.
        home = os.path.join(self.tmp, 'home')
        os.makedirs(os.path.join(home, 'data'))
        for var, value in (('HOME', home), ('XDG_DATA_HOME', os.path.join(home, 'data'))):
            if var in os.environ:
                self.addCleanup(os.environ.__setitem__, var, os.environ[var])
            else:
                self.addCleanup(os.environ.pop, var, None)
            os.environ[var] = value
        self.trash = os.path.join(home, 'data', 'Trash', 'files')

    def box(self, t, key, caption, icon, *args, button=None):
        lang = 0 if t.lang == 'en' else 1
        text = TEXT[key][lang] % args if args else TEXT[key][lang]
        return t.app.expect_msgbox(text, CAPTION[caption][lang], icon, button=button, timeout=60)

    def app_choose(self, t, root):
        """Chooses the drive of root in the selector, answering the media question."""
        t.app.combo_select(t.main.hwnd, IDC_DRIVESELECTOR,
                           [i.text[:2] for i in t.items()[1]].index(root[:2]))
        t.expect('media', root, button=IDYES)
        t.settle()

    def open_dialog(self, t, folder, name, mode=None):
        t.select(folder, name)
        t.press(IDC_BTN_DELETE)
        dlg = t.dialog(*TITLE)
        self.assertEqual(t.app.get_text(dlg, IDC_DEL_TARGET), name)
        if mode is not None:
            t.app.click(dlg, mode)
        return dlg

    def test_to_the_recycle_bin_of_the_own_home(self):
        for lang in ('en', 'ja'):
            with self.subTest(lang=lang):
                folder, root = self.drive(name='d-' + lang, letter='t' if lang == 'en' else 'u')
                write(folder, 'old.txt', b'old')
                write(folder, 'sub/in.txt', b'in')
                t = self.start_tovra(root, lang)
                for name in ('old.txt', 'sub'):
                    dlg = self.open_dialog(t, folder, name, IDC_DEL_RECYCLE)
                    t.app.click(dlg, IDOK)
                    # The shell asks its own question; the program adds none.
                    shell = t.app.wait_window(cls='#32770', timeout=20)
                    ids = {c.id for c in t.app.controls(shell.hwnd)}
                    self.assertTrue({IDYES, IDNO} <= ids)
                    t.app.click(shell.hwnd, IDYES)
                    t.settle()
                    self.assertFalse(os.path.exists(os.path.join(folder, name)))
                self.assertTrue({'old.txt', 'sub'} <= set(os.listdir(self.trash)))
                t.exit()

    def test_complete_deletion_leaves_zeros_behind(self):
        folder, root = self.drive()
        links = os.path.join(self.tmp, 'links')  # outside the folder the program sees
        os.makedirs(links)
        sizes = {'ro.txt': 1000, 'empty': 0, 'b32768': 32768, 'c32769': 32769,
                 'tree/d.bin': 70000, 'tree/deep/e.bin': 5}
        for name, size in sizes.items():
            path = write(folder, name, os.urandom(size))
            os.link(path, os.path.join(links, name.replace('/', '_')))
        write(folder, 'tree/.keep', b'kept')
        write(folder, 'tree/.dot/x', b'kept too')
        t = self.start_tovra(root)
        self.attrib('T:\\ro.txt', '+r')
        for name, key in (('ro.txt', 'file'), ('b32768', 'file'), ('c32769', 'file'),
                          ('empty', 'file'), ('tree', 'folder')):
            dlg = self.open_dialog(t, folder, name, IDC_DEL_COMPLETE)
            t.app.click(dlg, IDOK)
            self.box(t, key, 'Confirm', 'question', 'T:\\' + name, button=IDOK)
            t.settle()
        for name, size in sizes.items():
            with open(os.path.join(links, name.replace('/', '_')), 'rb') as f:
                data = f.read()
            self.assertEqual((len(data), data.count(0)), (size, size), name)
        self.assertEqual(sorted(os.listdir(folder)), ['TOVRA.EXE', 'tree'])
        self.assertEqual(sorted(os.listdir(os.path.join(folder, 'tree'))), ['.dot', '.keep'])

    def test_what_cannot_be_wiped_stays_and_is_named(self):
        for lang in ('en', 'ja'):
            with self.subTest(lang=lang):
                folder, root = self.drive(name='w-' + lang, letter='t' if lang == 'en' else 'u')
                write(folder, 'tree/ok.txt', b'x' * 100)
                unopenable(os.path.join(folder, 'tree', 'sock'))
                t = self.start_tovra(root, lang)
                dlg = self.open_dialog(t, folder, 'tree', IDC_DEL_COMPLETE)
                t.app.click(dlg, IDOK)
                self.box(t, 'folder', 'Confirm', 'question', root + 'tree', button=IDOK)
                self.box(t, 'left', 'Warning', 'exclamation', 1, root + 'tree\\sock')
                self.assertEqual(os.listdir(os.path.join(folder, 'tree')), ['sock'])
                t.exit()

    def test_mode_is_kept_for_the_run_also_after_cancel(self):
        folder, root = self.drive()
        write(folder, 'a.txt')
        t = self.start_tovra(root)
        expected = [(IDC_DEL_COMPLETE, IDC_DEL_RECYCLE), (IDC_DEL_RECYCLE, IDC_DEL_COMPLETE)]
        dlg = self.open_dialog(t, folder, 'a.txt')
        self.assertEqual((t.app.get_check(dlg, IDC_DEL_RECYCLE),
                          t.app.get_check(dlg, IDC_DEL_COMPLETE)), (1, 0))
        for click, other in expected:
            t.app.click(dlg, click)
            t.app.click(dlg, IDCANCEL)
            t.app.wait_gone(dlg)
            dlg = self.open_dialog(t, folder, 'a.txt')
            self.assertEqual((t.app.get_check(dlg, click), t.app.get_check(dlg, other)), (1, 0))
        t.app.click(dlg, IDCANCEL)
        self.assertTrue(os.path.exists(os.path.join(folder, 'a.txt')))

    def test_cancel_at_the_confirmation_leaves_the_list_as_it_was(self):
        folder, root = self.drive()
        for i in range(60):
            write(folder, 'f%02d.txt' % i)
        t = self.start_tovra(root)
        dlg = self.open_dialog(t, folder, 'f55.txt', IDC_DEL_COMPLETE)
        shown = (t.selected_row(), t.app.send(t.list.hwnd, LVM_GETTOPINDEX))
        self.assertGreater(shown[1], 0)  # scrolled down to the row
        t.app.click(dlg, IDOK)
        self.box(t, 'file', 'Confirm', 'question', root + 'f55.txt', button=IDCANCEL)
        t.settle()
        self.assertEqual((t.selected_row(), t.app.send(t.list.hwnd, LVM_GETTOPINDEX)), shown)
        self.assertTrue(os.path.exists(os.path.join(folder, 'f55.txt')))
        t.exit()

    def test_refusals_before_any_dialog(self):
        for lang in ('en', 'ja'):
            with self.subTest(lang=lang):
                folder, root = self.drive(name='p-' + lang, letter='t' if lang == 'en' else 'u',
                                          exe=None)
                cd, cdroot = self.drive(letter='r' if lang == 'en' else 's', kind='cdrom',
                                        name='cd-' + lang, exe=None)
                write(cd, 'f.txt')
                inner = os.path.join(folder, 'a', 'b')
                os.makedirs(inner)
                subprocess.run(['cp', os.environ['TOVRA_BIN'] + '/TOVRA.EXE', inner], check=True)
                # The program under a name the spelling does not show: a hard link.
                os.makedirs(os.path.join(folder, 'c'))
                os.link(os.path.join(inner, 'TOVRA.EXE'), os.path.join(folder, 'c', 'run.exe'))
                write(folder, 'f.txt')
                app = self.start(root + 'a\\b\\TOVRA.EXE', root, lang)
                t = Tovra(self, app, app.wait_window(cls='Tovra', title='Tovra', timeout=30))
                t.settle()
                for mode in (IDC_DEL_RECYCLE, IDC_DEL_COMPLETE):
                    dlg = self.open_dialog(t, folder, 'f.txt', mode)
                    t.app.click(dlg, IDCANCEL)
                    for holder in ('a', 'c'):
                        t.select(folder, holder)
                        t.press(IDC_BTN_DELETE)
                        self.box(t, 'protected', 'Warning', 'exclamation')
                self.assertTrue(os.path.exists(os.path.join(inner, 'TOVRA.EXE')))
                self.assertEqual(os.stat(os.path.join(inner, 'TOVRA.EXE')).st_nlink, 2)
                self.app_choose(t, cdroot)
                t.select(cd, 'f.txt')
                t.press(IDC_BTN_DELETE)
                self.box(t, 'drive', 'Error', 'exclamation')
                app.kill()
