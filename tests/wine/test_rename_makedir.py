"""The Rename and Make directory commands of the real program: their refusals, names in other
letter cases, attributes kept, a rename that fails, and the listing afterwards, in both
languages."""

import os

from tovra import (IDC_BTN_DIRECTORY, IDC_BTN_RENAME, IDC_MKD_PATH, IDC_REN_FROM, IDC_REN_TO,
                   TovraCase, write)
from winetest import IDCANCEL, IDOK

TEXT = {
    'no_target': ('Unknown and unexpected error happened.', '原因不明の予期せぬエラーです.'),
    'ren_drive': ('Unable to rename the file or folder in the assigned drive.',
                  '指定のドライブではファイル/フォルダーの名前変更はできません.'),
    'bad_name': ('Please assign a correct file or folder name to be renamed.',
                 '変更するファイル/フォルダー名が正しくありません.'),
    'ren_exists': ('Destination file or folder already exists\nso that the renaming is not allowed.',
                   '同名のファイル/フォルダーが存在するので、\n名前の変更はできません.'),
    'ren_failed': ('Unable to rename %s.\nIt keeps its name.',
                   '%s の名前を変更できませんでした.\n元の名前のままです.'),
    'bad_path': ('Please assign a correct path to create a new directoy.',
                 'ディレクトリ作成のパス名が正しくありません.'),
    'mkd_drive': ('Unable to make a directory in the assigned drive.',
                  '指定のドライブにはディレクトリの作成はできません.'),
    'no_parent': ('Unable to find a parent directory\n%s\nfor the assigned directory to be created.',
                  '作成するディレクトリの親ディレクトリ\n%s\nが存在しません.'),
    'mkd_exists': ('Destination directory already exists.', '同名のディレクトリが既に存在しています.'),
    'create_failed': ('Unable to create a directory.', 'ディレクトリを作成できません.'),
}
WARNING = ('Warning', '警告')
ERROR = ('Error', 'エラー')


class RenameAndMakeDirectory(TovraCase):

    def box(self, t, key, *args, caption=ERROR, icon='exclamation', button=None):
        lang = 0 if t.lang == 'en' else 1
        text = TEXT[key][lang] % args if args else TEXT[key][lang]
        return t.app.expect_msgbox(text, caption[lang], icon, button=button)

    def rename(self, t, folder, name, new):
        t.select(folder, name)
        t.press(IDC_BTN_RENAME)
        dlg = t.dialog('Rename File', 'ファイル名の変更')
        self.assertEqual(t.app.get_text(dlg, IDC_REN_FROM), name)
        self.assertEqual(t.app.get_text(dlg, IDC_REN_TO), '')
        t.app.set_text(dlg, IDC_REN_TO, new)
        t.app.click(dlg, IDOK)
        t.app.wait_gone(dlg)

    def make(self, t, path):
        t.press(IDC_BTN_DIRECTORY)
        dlg = t.dialog('Create Directory', 'ディレクトリの作成')
        t.app.set_text(dlg, IDC_MKD_PATH, path)
        t.app.click(dlg, IDOK)
        t.app.wait_gone(dlg)

    def test_renames_and_their_refusals(self):
        for lang in ('en', 'ja'):
            with self.subTest(lang=lang):
                folder, root = self.drive(name='d-' + lang, letter='t' if lang == 'en' else 'u')
                for name in ('a.txt', 'Other.txt', 'ro.txt'):
                    write(folder, name)
                os.makedirs(os.path.join(folder, 'dir'))
                t = self.start_tovra(root, lang)
                for new, key in (('x:y', 'bad_name'), ('x\\y', 'bad_name'), ('../up', 'bad_name'),
                                 ('', 'bad_name'), ('OTHER.TXT', 'ren_exists'),
                                 ('DIR', 'ren_exists')):
                    self.rename(t, folder, 'a.txt', new)
                    self.box(t, key, button=IDCANCEL if key == 'ren_exists' else None)
                self.rename(t, folder, 'a.txt', 'bad*name')
                self.box(t, 'ren_failed', 'a.txt')
                self.assertIn('a.txt', os.listdir(folder))
                root_win = root[:2]
                before = self.attrib(root_win + '\\ro.txt', '+r', '+h')
                self.assertTrue({'R', 'H'} <= before)
                self.rename(t, folder, 'ro.txt', 'kept.txt')
                t.settle()
                self.assertEqual(self.attrib(root_win + '\\kept.txt'), before)
                self.rename(t, folder, 'dir', 'Folder')
                t.settle()
                self.assertEqual(sorted(os.listdir(folder)),
                                 sorted(['a.txt', 'Other.txt', 'kept.txt', 'Folder', 'TOVRA.EXE']))
                self.assertEqual(t.names()[0], 'Folder')
                t.exit()

    def test_directories_and_their_refusals(self):
        for lang in ('en', 'ja'):
            with self.subTest(lang=lang):
                folder, root = self.drive(name='d-' + lang, letter='t' if lang == 'en' else 'u')
                write(folder, 'file')
                other, oroot = self.drive('v' if lang == 'en' else 'x', exe=None,
                                          name='o-' + lang)
                self.drive('r' if lang == 'en' else 's', kind='cdrom', exe=None, name='c-' + lang)
                cd = 'R:\\X' if lang == 'en' else 'S:\\X'
                t = self.start_tovra(root, lang)
                d = root[:2]
                steps = [(d + '\\', 'bad_path'), (d, 'bad_path'), ('ABC', 'bad_path'),
                         (cd, 'mkd_drive'), (d + '\\A\\B', 'no_parent', d + '\\A'),
                         (d + '\\file\\B', 'create_failed'), (d + '\\file', 'mkd_exists')]
                for path, key, *args in steps:
                    self.make(t, path)
                    self.box(t, key, *args, caption=WARNING if key == 'mkd_exists' else ERROR)
                rows = t.row_count()
                self.make(t, oroot + 'ELSEWHERE')
                t.settle()
                self.assertTrue(os.path.isdir(os.path.join(other, 'ELSEWHERE')))
                self.assertEqual(t.row_count(), rows)  # another folder: no new listing
                self.make(t, d + '\\NEW\\')
                t.settle()
                self.assertTrue(os.path.isdir(os.path.join(folder, 'NEW')))
                self.assertEqual(t.names()[0], 'NEW')
                t.exit()

    def test_a_name_ending_in_a_second_byte_0x5c(self):
        folder, root = self.drive()
        t = self.start_tovra(root, 'ja')
        self.make(t, root + 'ソ\\')  # ソ is 0x83 0x5C: only the real backslash goes
        t.settle()
        self.assertEqual(t.names(), ['ソ', 'TOVRA.EXE'])
        self.assertTrue(os.path.isdir(os.path.join(folder, 'ソ')))
