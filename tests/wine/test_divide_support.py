"""What the division, merger and floppy tests share: Tovra on a drive of its own, row clicks
in its file list, the expected texts of both languages, and floppy disks that the test puts in
and takes out of a drive. Holds no tests itself."""

import os
import shutil
import subprocess
import time

from winetest import IDCANCEL, IDNO, IDOK, IDYES, WineTestCase, bin_path

LVM_FIRST = 0x1000
LVM_GETITEMCOUNT = LVM_FIRST + 4
LVM_GETNEXTITEM = LVM_FIRST + 12
LVM_ENSUREVISIBLE = LVM_FIRST + 19
LVM_GETTOPINDEX = LVM_FIRST + 39
LVM_APPROXIMATEVIEWRECT = LVM_FIRST + 64
LVNI_SELECTED = 2
DIVISION, MERGER = 118, 119  # icon-bar buttons

# (English, Japanese) texts, captions and icons of the messages, as the user reads them.
T = {
    'not_hd_div': ('Unable to divide the file other than in the hard disk.',
                   'ハードディスク以外ではファイルの分割はできません.'),
    'exist_q': ('Destination files (FILE-0, ... ,FILE-i)\nexist in the directory.\n'
                'Do you continue the file division by deleting them ?',
                '分割されたファイル (FILE-0, ... ,FILE-i)\nがフォルダーに存在しています.\n'
                'これらを削除して、ファイル分割を続けますか？'),
    'under': ('Source filesize is under the division size.',
              '分割するファイルのサイズが指定分割サイズ以下です.'),
    'over999': ('Number of divided files is over 999.', '分割されるファイルの数が９９９個以上です.'),
    'no_space': ('Free diskspace is not enough.', 'ディスクの空容量が不足です.'),
    'create_info': ('Unable to create a destination file, FILE-0.',
                    'コピー先ファイル FILE-0 を作成できません.'),
    'create_piece': ('Unable to create a destination file, FILE-%d.',
                     '分割先ファイル FILE-%d を作成できません.'),
    'write_piece': ('Unable to write to the destination file, FILE-%d.',
                    '分割先ファイル FILE-%d への書き込みができません.'),
    'div_success': ('Success!\nFILE-0,...,FILE-%d have been created.',
                    '成功！\nFILE-0,...,FILE-%d が作成されました.'),
    'next_fd': ('Next do you copy the divided files to FDs ?', '次に、ファイルを FD にコピーしますか？'),
    'semicolon': ('Unable to divide a file whose name contains a semicolon (;), %s.\n'
                  'Please rename it first.',
                  '名前にセミコロン(;)を含むファイル、%s は分割できません.\n先に名前を変更してください.'),
    'like_piece': ('Unable to divide a file named like one of its pieces, %s.\nPlease rename it first.',
                   '分割先ファイルと同じ名前のファイル、%s は分割できません.\n先に名前を変更してください.'),
    # merger
    'open_info': ('Unable to open the information file, FILE-0.', '情報ファイル FILE-0 を開けません.'),
    'missed': ('Missed to read FILE-0.', 'FILE-0 の誤読です.'),
    'damaged': ('Found the damaged file, FILE-0.', 'FILE-0 が破壊されています.'),
    'assign': ('Please assign a file, FILE-0 (or, file-0).', 'FILE-0 (または file-0 )を指定してください.'),
    'not_hd_mrg': ('Unable to merge the files other than in the hard disk.',
                   'ハードディスク以外ではファイルの結合はできません.'),
    'exists': ('Destination file already exists.\nPlease delete %s.',
               '結合されたファイルが存在しています.\nファイル、%s を削除してください.'),
    'no_file1': ('Unable to find a file, FILE-1.', 'FILE-1 を見つけられません.'),
    'missing': ('A file, FILE-%d, is missing.', 'ファイル(FILE-%d)が不足しています.'),
    'create_merged': ('Unable to create a destination file, %s.', '結合するファイル、%s を作成できません.'),
    'open_piece': ('Unable to open the source file, FILE-%d.', 'ソースファイル FILE-%d を開けません.'),
    'read_piece': ('Unable to read the source file, FILE-%d.', 'ソースファイル FILE-%d を読めません.'),
    'unsuccess': ('Unsuccess!\nFilesize is not equal to the original filesize.',
                  '不成功！\n作成されたファイルのサイズが元と異なります.'),
    'mrg_success': ('Success!\nFile, %s, has been created.', '成功！\nファイル、%s が作成されました.'),
    'mrg_delete': ('Do you delete FILE-0, ... , FILE-%d ?', 'FILE-0, ... , FILE-%d を削除しますか？'),
    # floppy copy
    'not_fdd': ('The selected drive is not an FDD.', '選択されたドライブは FDD ではありません.'),
    'confirm': ('Please confirm an FD inserted in the FDD and then press <OK> button.',
                'FDD に FD が挿入されていることを確認し、<OK>ボタンを押してください.'),
    'insert': ('Insert an FD in the FDD and then press <OK> button.',
               'FD を FDD に入れて、<OK>ボタンを押してください.'),
    'fd_full': ('Free diskspace of FD is not enough.\nDo you continue to copy with an another FD ?',
                'FDの空容量が不足です.\n別のFDに入れ換えて続けますか ?'),
    'change': ('Insert an another FD and then press <OK> button.',
               '別のFD を入れて、<OK>ボタンを押してください.'),
    'next_disk': ('Please insert a next FD in the FDD and then press <OK> button.',
                  '次の FD を FDD に入れて、<OK>ボタンを押してください.'),
    'interrupted': ('Coping to FD was interrupted.', 'FD へのコピーは中断されました.'),
    'fd_done': ('File copy to FD has been completed.\nDo you delete FILE-0, ... , FILE-%d on the disk ?',
                'FD へのファイルコピーが終了しました.\nディスク上の FILE-0, ... , FILE-%d を削除しますか？'),
    'copy_failed': ('Unable to copy FILE-%d to the FD correctly.\nDo you retry it with an another FD ?',
                    'FILE-%d を FD に正しくコピーできませんでした.\n別のFDで、もう一度コピーしますか ?'),
}

CAPTION = {
    'Error': 'エラー', 'Warning': '警告', 'Question': '質問', 'Inquiry': '問合せ',
    'Congratulations': 'オメデトウ', 'Caution': '注意', 'Confirmation': '確認', 'Request': '要求',
    'Information': 'お知らせ',
}

# Message -> (caption, icon)
LOOK = {
    'not_hd_div': ('Error', 'exclamation'), 'exist_q': ('Question', 'question'),
    'under': ('Warning', 'exclamation'), 'over999': ('Warning', 'exclamation'),
    'no_space': ('Warning', 'exclamation'), 'create_info': ('Error', 'hand'),
    'create_piece': ('Error', 'hand'), 'write_piece': ('Error', 'hand'),
    'div_success': ('Congratulations', 'asterisk'), 'next_fd': ('Inquiry', 'question'),
    'semicolon': ('Warning', 'exclamation'), 'like_piece': ('Warning', 'exclamation'),
    'open_info': ('Error', 'hand'), 'missed': ('Error', 'hand'), 'damaged': ('Error', 'hand'),
    'assign': ('Caution', 'exclamation'), 'not_hd_mrg': ('Error', 'exclamation'),
    'exists': ('Warning', 'exclamation'), 'no_file1': ('Error', 'hand'),
    'missing': ('Error', 'hand'), 'create_merged': ('Error', 'hand'),
    'open_piece': ('Error', 'hand'), 'read_piece': ('Error', 'hand'),
    'unsuccess': ('Error', 'exclamation'), 'mrg_success': ('Congratulations', 'asterisk'),
    'mrg_delete': ('Inquiry', 'question'),
    'not_fdd': ('Warning', 'hand'), 'confirm': ('Confirmation', 'question'),
    'insert': ('Request', 'exclamation'), 'fd_full': ('Warning', 'exclamation'),
    'change': ('Confirmation', 'question'), 'next_disk': ('Request', 'exclamation'),
    'interrupted': ('Information', 'asterisk'), 'fd_done': ('Inquiry', 'question'),
    'copy_failed': ('Error', 'hand'),
}


def pattern(size, seed=1):
    """Bytes that differ from piece to piece, so a swapped or shifted piece shows."""
    block = bytes((i * 7 + seed * 13 + (i >> 8)) & 0xFF for i in range(65521))
    reps = size // len(block) + 1
    return (block * reps)[:size]


def local_stamp(y, mo, d, h, mi, s):
    return time.mktime((y, mo, d, h, mi, s, 0, 0, -1))


def list_order(names, folders=()):
    """Rows of the file list: folders, then files, each sorted without regard to case (the
    tests use names whose order the system's collation gives the same way)."""
    return sorted(folders, key=str.lower) + sorted(names, key=str.lower)


class TovraCase(WineTestCase):
    """A test with TOVRA.EXE at the root of a drive of its own, started in one language."""

    lang = 'en'

    def drive(self, letter='t', kind='fixed', size=None, name='drive'):
        """A folder mapped as drive letter (a tmpfs of size bytes when given) with TOVRA.EXE in
        it. Returns (Unix folder, Windows root)."""
        folder = os.path.join(self.tmp, name)
        os.makedirs(folder)
        if size is not None:
            r = subprocess.run(['mount', '-t', 'tmpfs', '-o', 'size=%d' % size, 'tmpfs', folder],
                               stdout=subprocess.PIPE, stderr=subprocess.STDOUT)
            if r.returncode != 0:
                self.skipTest('cannot mount a tmpfs: %s' % r.stdout.decode(errors='replace'))
            self.addCleanup(self._unmount, folder)
        shutil.copy(bin_path('TOVRA.EXE'), folder)
        return folder, self.map_drive(letter, folder, kind)

    def write(self, folder, name, data, mtime=None):
        path = os.path.join(folder, name)
        with open(path, 'wb') as f:
            f.write(data)
        if mtime is not None:
            os.utime(path, (mtime, mtime))
        return path

    def tovra(self, root, lang=None):
        """Starts Tovra from root; returns the app and waits for its first listing."""
        self.lang = lang or self.lang
        app = self.start(root + 'TOVRA.EXE', root, lang=self.lang)
        self.app = app
        self.main = app.wait_window(cls='Tovra').hwnd
        deadline = time.time() + 10
        ctrls = app.controls(self.main)
        while not any(c.cls == 'SysHeader32' for c in ctrls):
            if time.time() > deadline:
                self.fail('Tovra shows no file list')
            time.sleep(0.1)
            ctrls = app.controls(self.main)
        self.listview = next(c.hwnd for c in ctrls if c.cls == 'SysListView32')
        self.header = next(c for c in ctrls if c.cls == 'SysHeader32')
        self.bar = next(c.hwnd for c in ctrls if c.cls == 'IconBarWindow')
        return app

    def rows(self):
        return self.app.send(self.listview, LVM_GETITEMCOUNT)

    def select(self, folder, name, shown=None):
        """Clicks the row of name in the list that shows folder as it is on the disk now, or
        with the names shown when the program has not listed it again since."""
        entries = os.listdir(folder) if shown is None else shown
        files = [n for n in entries if not os.path.isdir(os.path.join(folder, n))
                 or os.path.islink(os.path.join(folder, n))]
        dirs = [n for n in entries if n not in files]
        order = list_order(files, dirs)
        index = order.index(name)
        deadline = time.time() + 10
        while self.rows() != len(order):
            if time.time() > deadline:
                self.fail('the list shows %d rows, the folder has %d: %s' % (self.rows(), len(order), order))
            time.sleep(0.1)
        app = self.app
        app.send(self.listview, LVM_ENSUREVISIBLE, index, 0)
        top = app.send(self.listview, LVM_GETTOPINDEX)
        row_h = app.send(self.listview, LVM_APPROXIMATEVIEWRECT, 1, 0xFFFFFFFF) >> 16
        _, client = app.rect(self.listview)
        y = self.header.rect[3] + (index - top) * row_h + row_h // 2
        for attempt in range(4):
            # A click can be lost while a closing box hands the focus back; a retry comes
            # after the double-click time, so two clicks never make a double-click.
            app.mouse(client[0] + 24, y)
            deadline = time.time() + 1.5
            while time.time() < deadline:
                if app.send(self.listview, LVM_GETNEXTITEM, 0xFFFFFFFF, LVNI_SELECTED) == index:
                    return
                time.sleep(0.05)
        self.fail('row %d (%s) did not get selected' % (index, name))

    def press(self, button):
        self.app.click(self.bar, button)

    def text(self, key, *args):
        t = T[key][0 if self.lang == 'en' else 1]
        return t % args if args else t

    def expect(self, key, *args, button=None, timeout=20, before=None):
        """The message key (with its composed parts) in the current language, with its caption
        and icon; runs before (a disk change, say) and then presses button (default OK or the
        first one)."""
        caption, icon = LOOK[key]
        if caption == 'Inquiry':
            caption = 'Question' if self.lang == 'en' else CAPTION[caption]
        elif self.lang == 'ja':
            caption = CAPTION[caption]
        app = self.app
        win = app.wait_window(timeout, cls='#32770')
        box = app.msgbox(win.hwnd)
        self.assertEqual((box.text, box.caption, box.icon), (self.text(key, *args), caption, icon))
        if button is None:
            button = IDOK if IDOK in box.buttons else min(box.buttons)
        self.assertIn(button, box.buttons)
        if before is not None:
            before()
        app.click(win.hwnd, button)
        app.wait_gone(win.hwnd)
        return box

    def dialog(self, title_en, title_ja):
        win = self.app.wait_window(cls='#32770', timeout=20)
        self.assertEqual(win.title, title_en if self.lang == 'en' else title_ja)
        return win.hwnd

    def assert_not_cut(self, dlg, picture):
        """Saves a picture of the screen and asserts that no label or radio button of dlg has
        ink in the last two pixel columns of its place: a text that does not fit shows cut
        there, since the labels do not wrap."""
        self.screenshot(picture)
        checked = 0
        for c in self.app.controls(dlg):
            kind = c.style & 0x1F
            label = c.cls == 'Static' and c.text and kind in (0x0, 0xC)
            radio = c.cls == 'Button' and kind in (0x4, 0x9)
            if not (label or radio):
                continue
            left, top, right, bottom = c.rect
            out = subprocess.run(['convert', picture, '-crop', '2x%d+%d+%d' % (bottom - top, right - 2, top),
                                  '-depth', '8', 'txt:-'], stdout=subprocess.PIPE, check=True).stdout
            dark = [line for line in out.decode().splitlines()[1:]
                    if sum(int(v) for v in line.split('(')[1].split(')')[0].split(',')[:3]) < 384]
            self.assertEqual(dark, [], 'text of control %d (%r) does not fit' % (c.id, c.text))
            checked += 1
        self.assertGreater(checked, 0)

    def no_window(self, seconds=1.0):
        """Asserts that no new message box or dialog comes up."""
        try:
            win = self.app.wait_window(timeout=seconds, cls='#32770')
        except AssertionError:
            return
        box = self.app.msgbox(win.hwnd)
        self.fail('unexpected window: %r %r' % (box.caption, box.text))

    def divide(self, folder, name, radio=135, user_item=None, expect_dialog=True):
        """Selects name, presses Division and accepts the dialog with a size."""
        self.select(folder, name)
        self.press(DIVISION)
        if not expect_dialog:
            return None
        dlg = self.dialog('Divide File', 'ファイルの分割')
        self.assertEqual(self.app.get_text(dlg, 134), name)
        self.app.click(dlg, radio)
        if user_item is not None:
            self.app.combo_select(dlg, 140, user_item)
        self.app.click(dlg, IDOK)
        self.app.wait_gone(dlg)
        return dlg

    def cat_cmp(self, folder, n, original):
        """cat FILE-1 .. FILE-n | cmp - original, by the system's tools."""
        pieces = ' '.join('"%s"' % os.path.join(folder, 'file-%d' % k) for k in range(1, n + 1))
        r = subprocess.run('cat %s | cmp - "%s"' % (pieces, original), shell=True,
                           stdout=subprocess.PIPE, stderr=subprocess.STDOUT)
        self.assertEqual(r.returncode, 0, r.stdout.decode(errors='replace'))

    def cmp(self, a, b):
        r = subprocess.run(['cmp', a, b], stdout=subprocess.PIPE, stderr=subprocess.STDOUT)
        self.assertEqual(r.returncode, 0, r.stdout.decode(errors='replace'))

    def attrib(self, path_windows, *flags):
        """Sets attributes (flags such as '+r', one call each) with the system's own attrib
        command, then returns the set of letters it reports for the file."""
        for flag in flags:
            subprocess.run(['wine', 'cmd', '/c', 'attrib', flag, path_windows],
                           stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, timeout=60)
        r = subprocess.run(['wine', 'cmd', '/c', 'attrib', path_windows], stdout=subprocess.PIPE,
                           stderr=subprocess.DEVNULL, timeout=60)
        line = r.stdout.decode('latin-1').strip()
        head = line[:line.find(path_windows[:2])] if path_windows[:2] in line else ''
        return set(head.replace(' ', ''))


class FloppyPile:
    """Floppy disks for drive A: each disk a tmpfs of 1,457,664 bytes; the drive maps a link
    that the test points at the disk in the drive, or removes to leave the drive empty."""

    BYTES = 1457664

    def __init__(self, case, letter='a'):
        self.case = case
        self.base = os.path.join(case.tmp, 'floppies')
        os.makedirs(self.base)
        self.link = os.path.join(self.base, 'in-drive')
        self.disks = []
        case.map_drive(letter, self.link, 'floppy')

    def new_disk(self):
        folder = os.path.join(self.base, 'disk-%d' % (len(self.disks) + 1))
        os.makedirs(folder)
        r = subprocess.run(['mount', '-t', 'tmpfs', '-o', 'size=%d' % self.BYTES, 'tmpfs', folder],
                           stdout=subprocess.PIPE, stderr=subprocess.STDOUT)
        if r.returncode != 0:
            self.case.skipTest('cannot mount a tmpfs floppy: %s' % r.stdout.decode(errors='replace'))
        self.case.addCleanup(self.case._unmount, folder)
        self.disks.append(folder)
        return folder

    def insert(self, folder=None):
        """Puts a disk (a new blank one by default) into the drive."""
        folder = folder or self.new_disk()
        self.eject()
        os.symlink(folder, self.link)
        return folder

    def eject(self):
        if os.path.lexists(self.link):
            os.remove(self.link)

    def contents(self):
        return [sorted(os.listdir(d)) for d in self.disks]


__all__ = ['TovraCase', 'FloppyPile', 'pattern', 'local_stamp', 'list_order', 'T', 'IDOK',
           'IDCANCEL', 'IDYES', 'IDNO', 'DIVISION', 'MERGER']
