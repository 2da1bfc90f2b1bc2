"""The Copy command of the real program: the destination's forms, the drive checks, the media
question and loop of a floppy, the room on it, the overwrite question, and failed copies that
leave nothing behind, in both languages."""

import os
import time

from tovra import (IDC_BTN_COPY, IDC_CPY_DEST, IDC_CPY_SOURCE, FloppyPile, TovraCase, write)
from winetest import IDCANCEL, IDNO, IDOK, IDYES

TITLE = ('Copy File', 'ファイルのコピー')
TEXT = {
    'bad': ('Please assign a correct path to copy the file.', 'コピー先のパス名が正しくありません.'),
    'drive': ('Unable to copy the file to the assigned drive.',
              '指定のドライブへはファイルのコピーはできません.'),
    'missing': ('Unable to find the path to copy the assigned file.',
                'ファイルのコピー先のパス名が存在しません.'),
    'same': ('Destination is same as the source.', 'コピー先とコピー元が同じです.'),
    'media': ('Does the drive %s have a media ready to use?\nConfirm a media and press <YES> button.',
              'ドライブ %s にはメディアが準備できていますか？\n準備後に、<YES>ボタンを押してください.'),
    'insert': ('Insert a media in the drive.\nThen, press <OK> button.',
               'メディアをドライブに入れて下さい.\n挿入後、<OK>ボタンを押してください'),
    'space': ('Free diskspace is not enough.', 'コピー先のディスクの空容量が不足です.'),
    'overwrite': ('Destination file already exists.\nDo you overwrite on it?',
                  'コピー先に同名のファイルが存在します.\n重ね書きしますか？'),
    'failed': ('Unable to copy %s.\nNothing has been left at the destination.',
               '%s をコピーできませんでした.\nコピー先には何も残っていません.'),
}
LOOK = {'bad': ('Error', 'exclamation'), 'drive': ('Error', 'exclamation'),
        'missing': ('Error', 'exclamation'), 'same': ('Error', 'hand'),
        'media': ('CAUTION', 'exclamation'), 'insert': ('Warning', 'exclamation'),
        'space': ('Warning', 'exclamation'), 'overwrite': ('Warning', 'exclamation'),
        'failed': ('Error', 'hand')}
CAPTION = {'Error': 'エラー', 'Warning': '警告', 'CAUTION': '注意'}


class Copy(TovraCase):

    def box(self, t, key, *args, button=None, before=None):
        caption, icon = LOOK[key]
        text = TEXT[key][0 if t.lang == 'en' else 1]
        return t.app.expect_msgbox(text % args if args else text,
                                   caption if t.lang == 'en' else CAPTION[caption], icon,
                                   button=button, before=before, timeout=60)

    def copy_to(self, t, folder, name, destination):
        t.select(folder, name)
        t.press(IDC_BTN_COPY)
        dlg = t.dialog(*TITLE)
        self.assertEqual(t.app.get_text(dlg, IDC_CPY_SOURCE), name)
        t.app.set_text(dlg, IDC_CPY_DEST, destination)
        t.app.click(dlg, IDOK)
        t.app.wait_gone(dlg)

    def test_refusals(self):
        folder, root = self.drive()
        write(folder, 'a.txt', b'a')
        self.drive('r', kind='cdrom', exe=None)
        cases = [('DIR', 'bad'), ('\\\\SERVER\\SHARE', 'bad'), ('1:\\X', 'bad'), ('C', 'bad'),
                 ('R:\\', 'drive'), ('Q:', 'drive'), ('T:\\NONE', 'missing'), ('T:\\', 'same'),
                 ('t:', 'same')]
        for lang in ('en', 'ja'):
            t = self.start_tovra(root, lang)
            for destination, key in cases:
                with self.subTest(lang=lang, destination=destination):
                    self.copy_to(t, folder, 'a.txt', destination)
                    self.box(t, key)
            t.exit()

    def test_to_a_hard_disk_with_the_overwrite_question(self):
        folder, root = self.drive()
        data = os.urandom(50000)
        write(folder, 'src.bin', data)
        other, _ = self.drive('u', exe=None)
        os.makedirs(os.path.join(other, 'DIR'))
        t = self.start_tovra(root)
        self.attrib('T:\\src.bin', '+r', '+h')
        self.copy_to(t, folder, 'src.bin', 'U:\\dir\\')
        t.settle()
        copied = os.path.join(other, 'DIR', 'src.bin')
        self.assert_same_bytes(copied, os.path.join(folder, 'src.bin'))
        self.assertEqual(self.attrib('U:\\DIR\\src.bin'), {'A'})
        write(other, 'DIR/src.bin', b'old')
        self.copy_to(t, folder, 'src.bin', 'U:\\DIR')
        self.box(t, 'overwrite', button=IDCANCEL)
        self.assertEqual(open(copied, 'rb').read(), b'old')
        self.copy_to(t, folder, 'src.bin', 'U:')
        t.settle()
        self.copy_to(t, folder, 'src.bin', 'U:\\DIR')
        self.box(t, 'overwrite', button=IDOK)
        t.settle()
        self.assertEqual(open(copied, 'rb').read(), data)
        self.assert_same_bytes(os.path.join(other, 'src.bin'), os.path.join(folder, 'src.bin'))
        self.assertEqual(sorted(os.listdir(os.path.join(other, 'DIR'))), ['src.bin'])

    def test_replacing_a_file_that_another_program_holds(self):
        # The old file is renamed aside, the copy takes its name, and the old one is deleted,
        # gone once the other program lets it go. Today's bytes are never written into it:
        # its other name, outside the drive, still reads as before.
        folder, root = self.drive()
        data = os.urandom(50000)
        write(folder, 'src.bin', data)
        other, _ = self.drive('u', exe=None)
        old = write(self.tmp, 'old.bin', b'old')
        os.link(old, os.path.join(other, 'src.bin'))
        holder = self.robot()
        holder.hold('U:\\src.bin')
        holder.wait_held()
        t = self.start_tovra(root)
        self.copy_to(t, folder, 'src.bin', 'U:')
        self.box(t, 'overwrite', button=IDOK)
        t.settle()
        t.no_window()
        holder.stop()
        with open(os.path.join(other, 'src.bin'), 'rb') as f:
            self.assertEqual(f.read(), data)
        # The system deletes the old file once the last handle to it is gone.
        end = time.monotonic() + 10
        while os.listdir(other) != ['src.bin'] and time.monotonic() < end:
            time.sleep(0.1)
        self.assertEqual(os.listdir(other), ['src.bin'])
        with open(old, 'rb') as f:
            self.assertEqual(f.read(), b'old')
        self.assertEqual(os.stat(old).st_nlink, 1)

    def floppy_steps(self, lang):
        folder, root = self.drive()
        data = os.urandom(600000)
        write(folder, 'f.bin', data)
        write(folder, 'big.bin', os.urandom(1000000))
        pile = FloppyPile(self)
        t = self.start_tovra(root, lang)
        self.copy_to(t, folder, 'f.bin', 'A:')
        self.box(t, 'media', 'A:\\', button=IDNO)  # not ready: nothing more
        t.no_window()
        self.copy_to(t, folder, 'f.bin', 'A:\\')
        self.box(t, 'media', 'A:\\', button=IDYES)
        self.box(t, 'insert', button=IDOK)  # still no disk: asked again
        disk = pile.new_disk()
        self.box(t, 'insert', button=IDOK, before=lambda: pile.insert(disk))
        t.settle()
        self.assert_same_bytes(os.path.join(disk, 'f.bin'), os.path.join(folder, 'f.bin'))
        self.copy_to(t, folder, 'big.bin', 'A:\\')
        self.box(t, 'media', 'A:\\', button=IDYES)
        self.box(t, 'space')
        self.assertEqual(os.listdir(disk), ['f.bin'])

    def test_floppy_without_a_disk_then_with_one_then_too_small(self):
        self.floppy_steps('en')

    def test_floppy_in_japanese(self):
        self.floppy_steps('ja')

    def test_a_failed_copy_leaves_nothing(self):
        for lang in ('en', 'ja'):
            with self.subTest(lang=lang):
                folder, root = self.drive(name='d-' + lang, letter='t' if lang == 'en' else 'u')
                write(folder, 'big.bin', os.urandom(300000))
                # A hard disk is not asked for its room: the copy itself runs out of it.
                small, _ = self.drive('v' if lang == 'en' else 'x', size=100000, exe=None,
                                      name='small-' + lang)
                t = self.start_tovra(root, lang)
                self.copy_to(t, folder, 'big.bin', ('V:' if lang == 'en' else 'X:'))
                self.box(t, 'failed', 'big.bin')
                self.assertEqual(os.listdir(small), [])
                t.exit()
