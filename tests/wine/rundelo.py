"""Rundelo seen from outside, for its Wine tests: piece sets made with split and a
hand-written record, the program placed beside them on a mapped drive, its messages in both
languages, and checks made from the Unix side."""

import calendar
import hashlib
import os
import random
import shutil
import subprocess
import time

from winetest import WineTestCase, bin_path

# A fixed zone without summer time: Wine converts local time with the process's TZ.
TZ = 'JST-9'
TZ_OFFSET = 9 * 3600

EN, JA = 'en', 'ja'
LANGS = (EN, JA)
WAITING_LINE = 101  # the one control of the window

TEXTS = {
    'not_hard_disk': ('Unable to merge the files other than in the hard disk.',
                      'ハードディスク以外ではファイルの結合はできません.'),
    'no_info': ('NO information file, FILE-0, exists.', '情報ファイル(FILE-0)がありません.'),
    'cannot_open_info': ('Unable to open the information file, FILE-0.',
                         '情報ファイル FILE-0 を開けません.'),
    'incorrect': ('Incorrect file, FILE-0.', 'FILE-0 は不正です.'),
    'exists': ('Destination file already exists in the directory.\n'
               'Please delete the following file;\n',
               '結合されたファイルが存在しています.\n下記のファイルを削除してください;'),
    'missing': ('Divided file, FILE-%d, is missing.', '分割されたファイル(FILE-%d)が不足しています.'),
    'free_space': ('Free diskspace is not enough.', 'ディスクの空容量が不足です.'),
    'cannot_create': ('Unable to create a destination file;\n', '下記の結合ファイルを作成できません;\n'),
    'cannot_open_piece': ('Unable to open a divided file.', '分割されたファイルを開けません.'),
    'size': ('Merged file size is not equal to original one.',
             '結合されたファイルのサイズが元と異なります.'),
    'time': ('Unable to change the timestamp of the merged file.',
             '結合されたファイルのタイム・スタンプを変更できません.'),
    'waiting': ('Please wait a moment...', 'ちょっとお待ちください...'),
    'rebuilt': ('Rebuilt %s from the parity file.', '%s をパリティファイルから復元しました.'),
    'same_place': ('Divided files, %s, are damaged or missing.\nUnable to rebuild the blocks damaged '
                   'at the same place in more than one file.',
                   '分割されたファイル(%s)が破壊されているか不足しています.\n'
                   '２個以上のファイルの同じ位置で破壊されたブロックは復元できません.'),
    'rebuilt_rows': ('Rebuilt %s from the parity files.', '%s をパリティファイルから復元しました.'),
    'beyond_parity': ('Divided files, %s, are damaged or missing.\nUnable to rebuild the blocks damaged '
                      'at the same place in more than %d files, the parity files included.',
                      '分割されたファイル(%s)が破壊されているか不足しています.\n'
                      'パリティファイルを含めて %d 個を超えるファイルの同じ位置で破壊されたブロックは復元できません.'),
    'path_too_long': ("The folder's path is too long.", 'フォルダのパスが長すぎます.'),
    'cannot_write': ('Unable to write to the merged file.', '結合されたファイルに書き込めません.'),
    'cannot_read_merged': ('Unable to read the merged file.', '結合されたファイルを読めません.'),
    'left_as': ('The merged file is left as %s.', '結合されたファイルは %s として残っています.'),
    'error': ('Error', 'エラー'),
    'warning': ('Warning', '警告'),
}


def text(key, lang):
    return TEXTS[key][LANGS.index(lang)]


def record(name, size, count, when=None):
    """The record as the dividing program writes it: name;size;count;s;m;h;D;M;Y; and LF.
    when is (year, month, day, hour, minute, second); name is str (cp1252) or bytes."""
    raw = name if isinstance(name, bytes) else name.encode('cp1252')
    fields = [raw, b'%d' % size, b'%d' % count]
    if when is not None:
        y, mo, d, h, mi, s = when
        fields += [b'%d' % v for v in (s, mi, h, d, mo, y)]
    return b''.join(f + b';' for f in fields) + b'\n'


def window_note(app, want, timeout=30):
    """The waiting line's text once it holds want (or after timeout seconds), as the window
    shows it for a moment after the merge."""
    main = app.wait_window(cls='Rundelo')
    end = time.monotonic() + timeout
    line = ''
    while want not in line and time.monotonic() < end:
        line = app.get_text(main.hwnd, WAITING_LINE)
        time.sleep(0.1)
    return line


def local_epoch(when):
    """Seconds since 1970 of a local calendar time in TZ."""
    return calendar.timegm(when) - TZ_OFFSET


def japanese_locale():
    """A folder holding a compiled ja_JP.UTF-8 locale for LOCPATH. Without it the C library
    has no such locale, Wine takes code page 932 from the name alone, and file names outside
    ASCII cannot be turned into Unix names."""
    folder = os.path.join(os.environ['TOVRA_TMP'], 'locale')
    if not os.path.isfile(os.path.join(folder, 'ja_JP.UTF-8', 'LC_CTYPE')):
        os.makedirs(folder, exist_ok=True)
        subprocess.run(['localedef', '-i', 'ja_JP', '-f', 'UTF-8',
                        os.path.join(folder, 'ja_JP.UTF-8')], check=True,
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    return folder


def digest(path):
    h = hashlib.sha256()
    with open(path, 'rb') as f:
        for block in iter(lambda: f.read(1 << 20), b''):
            h.update(block)
    return h.hexdigest()


class RundeloCase(WineTestCase):
    """A test folder X:\\ mapped as a fixed drive, with helpers for piece sets."""

    def setUp(self):
        super().setUp()
        old_tz = os.environ.get('TZ')
        os.environ['TZ'] = TZ
        self.addCleanup(self._restore_tz, old_tz)
        self.drive = os.path.join(self.tmp, 'drive')
        os.makedirs(self.drive)
        self.root = self.map_drive('x', self.drive)
        self.sources = os.path.join(self.tmp, 'sources')
        os.makedirs(self.sources)

    @staticmethod
    def _restore_tz(old):
        if old is None:
            os.environ.pop('TZ', None)
        else:
            os.environ['TZ'] = old

    def start(self, exe, cwd, lang=EN, args=''):
        saved = os.environ.get('LOCPATH')
        if lang == JA:
            os.environ['LOCPATH'] = japanese_locale()
        try:
            return super().start(exe, cwd, lang, args)
        finally:
            if saved is None:
                os.environ.pop('LOCPATH', None)
            else:
                os.environ['LOCPATH'] = saved

    # ---- piece sets ----

    def source(self, size, seed=1):
        """A file of size pseudo-random bytes outside every piece set."""
        path = os.path.join(self.sources, 'src-%d-%d.bin' % (size, seed))
        if not os.path.exists(path):
            with open(path, 'wb') as f:
                f.write(random.Random(seed).randbytes(size))
        return path

    def split(self, folder, source, piece_bytes, prefix='file-'):
        """Pieces prefix1..prefixN of source made by split; returns N."""
        os.makedirs(folder, exist_ok=True)
        subprocess.run(['split', '-b', str(piece_bytes), '-a', '3', '--numeric-suffixes=1',
                        source, os.path.join(folder, prefix)], check=True)
        count = 0
        for entry in sorted(os.listdir(folder)):
            number = entry[len(prefix):]
            if entry.startswith(prefix) and len(number) == 3 and number.isdigit():
                os.rename(os.path.join(folder, entry),
                          os.path.join(folder, prefix + str(int(number))))
                count += 1
        return count

    def write_info(self, folder, data, name='file-0'):
        os.makedirs(folder, exist_ok=True)
        path = os.path.join(folder, name)
        with open(path, 'wb') as f:
            f.write(data)
        return path

    def piece_set(self, folder, name='DATA.BIN', size=3500000, piece_bytes=1440000,
                  when=(1999, 3, 7, 14, 5, 9), prefix='file-', seed=1):
        """Source, pieces and record in folder (a Unix path); returns the source path."""
        src = self.source(size, seed)
        count = self.split(folder, src, piece_bytes, prefix)
        self.write_info(folder, record(name, size, count, when), prefix + '0')
        return src

    def place(self, folder, exe_name='RUNDELO.EXE'):
        os.makedirs(folder, exist_ok=True)
        shutil.copyfile(bin_path('RUNDELO.EXE'), os.path.join(folder, exe_name))

    def win(self, *parts):
        """Windows path on X: of a path below the drive folder."""
        return self.root + '\\'.join(parts)

    def run_in(self, sub, lang=EN, exe_name='RUNDELO.EXE', cwd=None):
        """Starts the program placed in drive folder sub ('' for the root)."""
        folder = self.win(sub) if sub else self.root
        exe = folder.rstrip('\\') + '\\' + exe_name
        return self.start(exe, cwd if cwd is not None else folder, lang)

    # ---- checks ----

    def listing(self, top=None):
        """Every file and folder below top with what the system could change about it."""
        top = top or self.drive
        out = {}
        for dirpath, dirnames, filenames in os.walk(top):
            for n in dirnames + filenames:
                p = os.path.join(dirpath, n)
                st = os.lstat(p)
                attrs = tuple(sorted((a, os.getxattr(p, a)) for a in os.listxattr(p)))
                if os.path.isdir(p):  # a file begun and deleted again changes its folder's time
                    out[os.path.relpath(p, top)] = (st.st_mode, attrs)
                    continue
                content = digest(p) if st.st_size < (64 << 20) else None
                out[os.path.relpath(p, top)] = (st.st_mode, st.st_size, st.st_mtime_ns, attrs,
                                                content)
        return out

    def assert_unchanged(self, before, top=None):
        self.assertEqual(self.listing(top), before)

    def assert_mtime(self, path, when):
        self.assertEqual(os.stat(path).st_mtime_ns, local_epoch(when) * 10**9)

    def expect_box(self, app, key, lang, caption='error', icon='hand', tail='', number=None,
                   keep_open=False):
        body = text(key, lang)
        if number is not None:
            body = body % number
        return app.expect_msgbox(body + tail, text(caption, lang), icon, keep_open=keep_open)

    def assert_clean_exit(self, app):
        self.assertEqual(app.wait_exit(), 0)
