"""The Copy command of the real program: the destination's forms, the drive checks, the source
and the running program under other names, the media question and loop of a floppy, the room
on it, the overwrite question, failed copies that leave nothing behind, and pieces with
unreadable sectors brought from a floppy, in both languages, merged afterwards with their zeros
repaired."""

import os
import shutil
import subprocess
import time

from tovra import (IDC_BTN_ATTRIBUTES, IDC_BTN_COPY, IDC_BTN_DELETE, IDC_BTN_RENAME,
                   IDC_BTN_TIMESTAMP, IDC_CPY_DEST, IDC_CPY_SOURCE, FloppyPile, Tovra, TovraCase,
                   write)
from winetest import IDCANCEL, IDNO, IDOK, IDYES, bin_path

TITLE = ('Copy File', 'ファイルのコピー')
TEXT = {
    'bad': ('Please assign a correct path to copy the file.', 'コピー先のパス名が正しくありません.'),
    'drive': ('Unable to copy the file to the assigned drive.',
              '指定のドライブへはファイルのコピーはできません.'),
    'missing': ('Unable to find the path to copy the assigned file.',
                'ファイルのコピー先のパス名が存在しません.'),
    'same': ('Destination is same as the source.', 'コピー先とコピー元が同じです.'),
    'program': ('Unable to replace, change or delete %s,\nbecause it is TOVRA.EXE now running.',
                '%s は実行中の TOVRA.EXE であるため、\n置き換え、変更、削除はできません.'),
    'media': ('Does the drive %s have a media ready to use?\nConfirm a media and press <YES> button.',
              'ドライブ %s にはメディアが準備できていますか？\n準備後に、<YES>ボタンを押してください.'),
    'insert': ('Insert a media in the drive.\nThen, press <OK> button.',
               'メディアをドライブに入れて下さい.\n挿入後、<OK>ボタンを押してください'),
    'space': ('Free diskspace is not enough.', 'コピー先のディスクの空容量が不足です.'),
    'overwrite': ('Destination file already exists.\nDo you overwrite on it?',
                  'コピー先に同名のファイルが存在します.\n重ね書きしますか？'),
    'failed': ('Unable to copy %s.\nNothing has been left at the destination.',
               '%s をコピーできませんでした.\nコピー先には何も残っていません.'),
    'differs': ('The copy of %s on the disk differs from the file.\nThe bad copy has been removed.',
                'ディスク上の %s のコピーが元のファイルと異なります.\n不正なコピーは削除されました.'),
    'unreadable': ('Unable to read a part of %s.\nDo you copy what can be read, filling the rest '
                   'with zeros?',
                   '%s の一部を読み込めません.\n読み込めない部分を 0 で埋めて、コピーしますか？'),
    'zeros': ('%s has been copied, but %d bytes of it could not be read.\nThey are zeros in the copy.',
              '%s をコピーしましたが、その内の %d バイトを読み込めませんでした.\n'
              'コピーではその部分は 0 になっています.'),
}
LOOK = {'bad': ('Error', 'exclamation'), 'drive': ('Error', 'exclamation'),
        'missing': ('Error', 'exclamation'), 'same': ('Error', 'hand'),
        'program': ('Warning', 'exclamation'), 'differs': ('Error', 'hand'),
        'media': ('CAUTION', 'exclamation'), 'insert': ('Warning', 'exclamation'),
        'space': ('Warning', 'exclamation'), 'overwrite': ('Warning', 'exclamation'),
        'failed': ('Error', 'hand'), 'unreadable': ('Warning', 'exclamation'),
        'zeros': ('Warning', 'exclamation')}
CAPTION = {'Error': 'エラー', 'Warning': '警告', 'CAUTION': '注意'}


class CopyCase(TovraCase):

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


class Copy(CopyCase):

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

    def test_the_source_and_the_running_program_under_other_names(self):
        # Tovra runs as PROG\TOVRA.EXE; Linux hard links give the source and the program second
        # names the spelling does not show. Each is refused before anything is asked, and nothing
        # on the drive changes: no name, no inode, no byte.
        for lang in ('en', 'ja'):
            with self.subTest(lang=lang):
                folder, root = self.drive(name='d-' + lang, letter='t' if lang == 'en' else 'u',
                                          exe=None)
                program = os.path.join(folder, 'PROG', 'TOVRA.EXE')
                os.makedirs(os.path.dirname(program))
                shutil.copy(bin_path('TOVRA.EXE'), program)
                source = write(folder, 'a.txt', b'source')
                write(folder, 'TOVRA.EXE', b'another program')
                write(folder, 'run.exe', b'another program')
                os.makedirs(os.path.join(folder, 'LINKS'))
                os.makedirs(os.path.join(folder, 'SUB'))
                os.link(source, os.path.join(folder, 'LINKS', 'a.txt'))
                os.link(program, os.path.join(folder, 'LINKS', 'run.exe'))
                os.link(program, os.path.join(folder, 'linked.exe'))
                before = self.snapshot(folder)
                app = self.start(root + 'PROG\\TOVRA.EXE', root, lang)
                t = Tovra(self, app, app.wait_window(cls='Tovra', title='Tovra', timeout=30))
                t.settle()
                for name, destination, key, args in (
                        ('a.txt', root + 'LINKS', 'same', ()),
                        ('a.txt', root + '.', 'same', ()),
                        ('a.txt', root + 'SUB\\..', 'same', ()),
                        ('TOVRA.EXE', root + 'PROG', 'program', (root + 'PROG\\TOVRA.EXE',)),
                        ('TOVRA.EXE', root + 'SUB\\..\\prog\\', 'program',
                         (root + 'prog\\TOVRA.EXE',)),
                        ('run.exe', root + 'links', 'program', (root + 'links\\run.exe',))):
                    self.copy_to(t, folder, name, destination)
                    self.box(t, key, *args)
                    t.no_window()
                # The program's file under another name is refused by every command that would
                # change it, before its dialog.
                for button in (IDC_BTN_RENAME, IDC_BTN_DELETE, IDC_BTN_TIMESTAMP,
                               IDC_BTN_ATTRIBUTES):
                    t.select(folder, 'linked.exe')
                    t.press(button)
                    self.box(t, 'program', root + 'linked.exe')
                    t.no_window()
                self.assertEqual(self.snapshot(folder), before)
                self.assert_same_bytes(program, bin_path('TOVRA.EXE'))
                app.kill()

    def snapshot(self, folder):
        """Every path below folder with its inode, size, time and link count."""
        seen = {}
        for top, dirs, files in os.walk(folder):
            for name in dirs + files:
                st = os.stat(os.path.join(top, name))
                seen[os.path.relpath(os.path.join(top, name), folder)] = (
                    st.st_ino, st.st_size, st.st_mtime_ns, st.st_nlink)
        return seen

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


class UnreadableSectors(CopyCase):
    """A piece brought from a floppy with sectors that do not read, served by the test bed's
    file system: Copy offers what can be read, fills the rest with zeros and says how much."""

    SIZE = 1440000
    BAD = [(1000, 1100), (700000, 704096), (1439900, 1439901)]

    def expected(self, piece, bad=None):
        """The piece with zeros in every 512-byte sector that a bad range (of bad, else of
        BAD) touches, and their byte count."""
        data = bytearray(piece)
        zeroed = set()
        for start, end in bad or self.BAD:
            zeroed.update(range(start // 512, (end + 511) // 512))
        for sector in zeroed:
            at = sector * 512
            data[at:at + 512] = bytes(len(data[at:at + 512]))
        return bytes(data), sum(len(data[s * 512:s * 512 + 512]) for s in zeroed)

    def copy_from_bad_disk(self, lang, to_floppy):
        folder, root = self.drive()
        disk = os.path.join(self.tmp, 'disk')
        piece = os.urandom(self.SIZE)
        write(disk, 'file-3', piece)
        write(disk, 'file-4', os.urandom(self.SIZE))
        a_root, mount = self.bad_sector_drive('a', disk, {'file-3': self.BAD})
        # The system's own reads see the bad sectors as a floppy drive would.
        r = subprocess.run(['cmp', os.path.join(mount, 'file-3'), os.path.join(disk, 'file-3')],
                           stdout=subprocess.PIPE, stderr=subprocess.STDOUT)
        self.assertIn(b'Input/output error', r.stdout)
        if to_floppy:
            dest_root, dest = self.floppy_drive('b')
        else:
            dest_root, dest = root, folder
        t = self.start_tovra(root, lang)
        t.choose([i.text[:2] for i in t.items()[1]].index('A:'))
        self.box(t, 'media', a_root, button=IDYES)
        t.settle()
        expected, unread = self.expected(piece)
        self.assertEqual(unread, 1024 + 4608 + 256)

        # A piece that reads whole copies as before, without a word.
        self.copy_to(t, mount, 'file-4', root)
        t.settle()
        t.no_window()
        self.assert_same_bytes(os.path.join(folder, 'file-4'), os.path.join(disk, 'file-4'))

        if not to_floppy:
            # No: nothing is left, as after any failed copy.
            before = sorted(os.listdir(dest))
            self.copy_to(t, mount, 'file-3', dest_root)
            self.box(t, 'unreadable', 'file-3', button=IDNO)
            self.box(t, 'failed', 'file-3')
            t.no_window()
            self.assertEqual(sorted(os.listdir(dest)), before)

        self.copy_to(t, mount, 'file-3', dest_root)
        if to_floppy:
            self.box(t, 'media', dest_root, button=IDYES)
        self.box(t, 'unreadable', 'file-3', button=IDYES)
        self.box(t, 'zeros', 'file-3', unread)
        t.no_window()
        self.assertIn('file-3', os.listdir(dest))
        self.assertFalse([n for n in os.listdir(dest) if n.upper().endswith('.TMP')])
        # The copy is the piece outside the bad sectors and zeros inside them.
        write(self.tmp, 'expected', expected)
        self.assert_same_bytes(os.path.join(dest, 'file-3'), os.path.join(self.tmp, 'expected'))
        t.exit()

    def test_to_a_hard_disk(self):
        self.copy_from_bad_disk('en', to_floppy=False)

    def test_to_another_floppy_read_back_in_japanese(self):
        self.copy_from_bad_disk('ja', to_floppy=True)

    def test_a_short_copy_from_a_cd_rom_is_not_kept(self):
        # Wine's own copy stops quietly at a sector it cannot read: the copy is shorter than the
        # file, and a copy from a drive that is not removable is not offered what can be read.
        folder, root = self.drive()
        disk = os.path.join(self.tmp, 'disk')
        write(disk, 'file-3', os.urandom(self.SIZE))
        r_root, mount = self.bad_sector_drive('r', disk, {'file-3': [(700000, 700001)]},
                                              kind='cdrom')
        t = self.start_tovra(root, 'ja')
        t.choose([i.text[:2] for i in t.items()[1]].index('R:'))
        self.box(t, 'media', r_root, button=IDYES)
        t.settle()
        self.copy_to(t, mount, 'file-3', root)
        self.box(t, 'failed', 'file-3')
        t.no_window()
        self.assertEqual(os.listdir(folder), ['TOVRA.EXE'])

    def test_every_sector_that_reads_is_read_back_past_many_unreadable_ones(self):
        # 70 unreadable sectors, every fourth from sector 10 on, and a weak one between the 67th
        # and the 68th that reads otherwise each time: the copy to a floppy, read back, differs
        # there from the file, and is removed.
        folder, root = self.drive()
        disk = os.path.join(self.tmp, 'disk')
        write(disk, 'file-3', os.urandom(self.SIZE))
        bad = [((10 + 4 * k) * 512 + 100, (10 + 4 * k) * 512 + 101) for k in range(70)]
        weak = (276 * 512 + 7, 276 * 512 + 8, 'weak')
        a_root, mount = self.bad_sector_drive('a', disk, {'file-3': bad + [weak]})
        b_root, b_folder = self.floppy_drive('b')
        t = self.start_tovra(root)
        t.choose([i.text[:2] for i in t.items()[1]].index('A:'))
        self.box(t, 'media', a_root, button=IDYES)
        t.settle()
        self.copy_to(t, mount, 'file-3', b_root)
        self.box(t, 'media', b_root, button=IDYES)
        self.box(t, 'unreadable', 'file-3', button=IDYES)
        self.box(t, 'differs', 'file-3')
        t.no_window()
        self.assertEqual(os.listdir(b_folder), [])

    def test_pieces_copied_with_zeros_merge_after_the_repair(self):
        # A set Tovra divided, on a floppy where two pieces have bad sectors: their copies'
        # zeros are damaged blocks the merge rebuilds, three of them, for the second piece's
        # sectors reach back across the start of its block 70.
        lang = 'ja'
        folder, root = self.drive()
        original = write(self.tmp, 'original', os.urandom(3000000))
        shutil.copy(original, os.path.join(folder, 'data.bin'))
        t = self.start_tovra(root, lang)
        t.divide(folder, 'data.bin')
        t.expect('div_success', 5)
        t.expect('next_fd', button=IDNO)
        t.app.stop()
        disk = os.path.join(self.tmp, 'disk')
        os.makedirs(disk)
        for k in range(6):
            os.rename(os.path.join(folder, 'file-%d' % k), os.path.join(disk, 'file-%d' % k))
        bad = {'file-1': [(1000, 1100)], 'file-2': [(700000, 704096)]}
        a_root, mount = self.bad_sector_drive('a', disk, bad)
        # The pieces that read whole come over as any file does.
        target, u_root = self.drive('u', name='gathered')
        for k in (0, 3, 4, 5):
            shutil.copy(os.path.join(disk, 'file-%d' % k), target)
        t = self.start_tovra(u_root, lang)
        drives = [i.text[:2] for i in t.items()[1]]
        t.choose(drives.index('A:'))
        self.box(t, 'media', a_root, button=IDYES)
        t.settle()
        for name, spans in sorted(bad.items()):
            with open(os.path.join(disk, name), 'rb') as f:
                _, unread = self.expected(f.read(), spans)
            self.copy_to(t, mount, name, u_root)
            self.box(t, 'unreadable', name, button=IDYES)
            self.box(t, 'zeros', name, unread)
        t.choose(drives.index('U:'))
        t.merge(target)
        t.expect('rebuild_many_q', 'FILE-1, FILE-2', 3, button=IDYES, timeout=60)
        t.expect('mrg_success', 'data.bin', timeout=60)
        t.expect('mrg_delete', 5, button=IDNO)
        t.no_window()
        self.assert_same_bytes(os.path.join(target, 'data.bin'), original)
