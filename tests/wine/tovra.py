"""Tovra seen from outside, for every Wine test of it: the program at the root of a drive of
its own, its file list, drive selector and icon bar, its messages in both languages, and the
identifiers that resources/ids.h names (importable from here by those names).

    folder, root = self.drive()                 # in a TovraCase: T:\\ holding TOVRA.EXE
    t = self.start_tovra(root, 'ja')
    t.select(folder, 'data.bin')
    t.press(IDC_BTN_DIVISION)
    t.expect('under')                           # text, caption and icon; presses OK
"""

import os
import re
import shutil
import socket
import struct
import subprocess
import time
import zlib

from winetest import FLOPPY_BYTES, IDOK, RobotError, Screen, WineTestCase, bin_path, screen_size


def read_ids(path=os.path.join(os.path.dirname(os.path.abspath(__file__)), '..', '..',
                               'resources', 'ids.h')):
    """NAME -> value of each "#define NAME value" line."""
    with open(path) as f:
        lines = re.finditer(r'^#define\s+(\w+)\s+(\d+)\s*$', f.read(), re.M)
    return {m[1]: int(m[2]) for m in lines}


IDS = read_ids()
globals().update(IDS)

# Bar position (1 to 15, as IDC_BTN_DIVISION + position - 1) -> plain and lettered stems of
# the button pictures.
STEMS = {1: ('Divi', 'Divi'), 2: ('Merge', 'Merge'), 3: ('Credir', 'Credi'),
         4: ('Copy2', 'Copy2'), 5: ('Rename', 'Renam'), 6: ('Delete', 'Delet'),
         7: ('Comp', 'Comp'), 8: ('Decomp', 'Decom'), 9: ('FlSize', 'FlSiz'),
         10: ('TsChg', 'TsChg'), 11: ('Attrb', 'Attrb'), 12: ('About', 'About'),
         13: ('Help', 'Help'), 14: ('Exit', 'Exit'), 15: ('DirUp', 'DirUp')}
ALWAYS_ON = (3, 12, 13, 14, 15)
# The ten file buttons whose states follow the selection, in bar order.
FILE_BUTTONS = {'Division': IDC_BTN_DIVISION, 'Merger': IDC_BTN_MERGER, 'Copy': IDC_BTN_COPY,
                'Rename': IDC_BTN_RENAME, 'Delete': IDC_BTN_DELETE, 'Compress': IDC_BTN_COMPRESS,
                'Decompress': IDC_BTN_DECOMPRESS, 'File Size': IDC_BTN_FILESIZE,
                'Timestamp': IDC_BTN_TIMESTAMP, 'Attributes': IDC_BTN_ATTRIBUTES}
LABEL_FILL = (255, 255, 128)
BANNER_RED = (255, 0, 0)
WHITE = (255, 255, 255)

LVM_GETITEMCOUNT, LVM_GETNEXTITEM, LVNI_SELECTED = 0x1004, 0x100C, 2
CB_SHOWDROPDOWN, CB_GETITEMHEIGHT = 0x014F, 0x0154

# (English, Japanese) texts of the messages, as the user reads them.
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
    'reopen_merged': ('Unable to open the merged file, %s.', '結合されたファイル、%s を開けません.'),
    'read_merged': ('Unable to read the merged file, %s.', '結合されたファイル、%s を読めません.'),
    'left_as': ('The merged file is left as %s.', '結合されたファイルは %s として残っています.'),
    'open_piece': ('Unable to open the source file, FILE-%d.', 'ソースファイル FILE-%d を開けません.'),
    'read_piece': ('Unable to read the source file, FILE-%d.', 'ソースファイル FILE-%d を読めません.'),
    'unsuccess': ('Unsuccess!\nFilesize is not equal to the original filesize.',
                  '不成功！\n作成されたファイルのサイズが元と異なります.'),
    'mrg_success': ('Success!\nFile, %s, has been created.', '成功！\nファイル、%s が作成されました.'),
    'mrg_delete': ('Do you delete FILE-0, ... , FILE-%d ?', 'FILE-0, ... , FILE-%d を削除しますか？'),
    # checks and rebuild
    'p_damaged': ('A file, FILE-%d, is damaged.', 'ファイル(FILE-%d)が破壊されています.'),
    'p_short': ('A file, FILE-%d, is shorter than the original one.',
                'ファイル(FILE-%d)が元より短くなっています.'),
    'rebuild_q': ('%s\nDo you rebuild it from the parity file, FILE-%d ?',
                  '%s\nパリティファイル FILE-%d から復元しますか？'),
    'no_parity': ('%s\nUnable to rebuild it without the sound parity file, FILE-%d.',
                  '%s\n正常なパリティファイル FILE-%d がないため、復元できません.'),
    'too_many': ('Files, %s, are damaged or missing.\nUnable to rebuild more than one file.',
                 'ファイル(%s)が破壊されているか不足しています.\n２個以上のファイルは復元できません.'),
    # with block checks: the blocks to rebuild
    'rebuild_blocks_q': ('%s\nDo you rebuild %d block(s) of it from the parity file ?',
                         '%s\n%d 個のブロックをパリティファイルから復元しますか？'),
    'rebuild_many_q': ('Files, %s, are damaged or missing.\nDo you rebuild %d block(s) of them from the parity '
                       'file ?',
                       'ファイル(%s)が破壊されているか不足しています.\n%d 個のブロックをパリティファイルから復元しますか？'),
    'same_place': ('Files, %s, are damaged or missing.\nUnable to rebuild the blocks damaged at the same place '
                   'in more than one file.',
                   'ファイル(%s)が破壊されているか不足しています.\n２個以上のファイルの同じ位置で破壊されたブロックは復元できません.'),
    'no_parity_many': ('Files, %s, are damaged or missing.\nUnable to rebuild them without the sound parity '
                       'file, FILE-%d.',
                       'ファイル(%s)が破壊されているか不足しています.\n正常なパリティファイル FILE-%d がないため、復元できません.'),
    # with more than one parity piece
    'rebuild_rows_q': ('%s\nDo you rebuild %d block(s) of it from the parity files ?',
                       '%s\n%d 個のブロックをパリティファイルから復元しますか？'),
    'rebuild_many_rows_q': ('Files, %s, are damaged or missing.\nDo you rebuild %d block(s) of them from the '
                            'parity files ?',
                            'ファイル(%s)が破壊されているか不足しています.\n%d 個のブロックをパリティファイルから'
                            '復元しますか？'),
    'beyond_parity': ('Files, %s, are damaged or missing.\nUnable to rebuild the blocks damaged at the same '
                      'place in more than %d files, the parity files included.',
                      'ファイル(%s)が破壊されているか不足しています.\nパリティファイルを含めて %d '
                      '個を超えるファイルの同じ位置で破壊されたブロックは復元できません.'),
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
    # drive selector
    'media': ('Does the drive %s have a media ready to use?\nConfirm a media and press <YES> button.',
              'ドライブ %s にはメディアが準備できていますか？\n準備後に、<YES>ボタンを押してください.'),
    # help
    'no_help': ('Install the help file (RUZIVA.ROR)\nin the same directory.',
                'ヘルプ・ファイル(RORORA.RAV)を\n同じディレクトリにインストールしてください.'),
    # compress and decompress
    'not_hd_cmp': ('Unable to compress the file other than in the hard disk.',
                   'ハードディスク以外ではファイルの圧縮はできません.'),
    'space_doubtful': ('Free diskspace may not be enough.', 'ディスクの空容量が多分不足です.'),
    'unlha_failed': ('UnLha execution was unsuccessful.', 'UnLha の起動が不成功でした.'),
    'zip_failed': ('Zip execution was unsuccessful.', 'Zip の起動が不成功でした.'),
    'not_hd_dec': ('Unable to decompress the file other than in the hard disk.',
                   'ハードディスク以外ではファイルの解凍はできません.'),
    'unzip_failed': ('UnZip execution was unsuccessful.', 'UnZip の起動が不成功でした.'),
    'arc_delete': ('Do you delete the compressed file ?', '圧縮ファイルを削除しますか？'),
    'arc_unreadable': ('Unable to read the compressed file, %s.\nIt is not an archive, or it is '
                       'damaged or empty.\nNothing has been extracted.',
                       '圧縮ファイル、%s を読めません.\n圧縮ファイルでないか、壊れているか、空です.\n'
                       '何も解凍していません.'),
    'arc_leaves': ('The compressed file, %s, holds names that lead out of this folder.\n'
                   'Nothing has been extracted.',
                   '圧縮ファイル、%s にはこのフォルダーの外を指す名前があります.\n何も解凍していません.'),
    'arc_device': ('The compressed file, %s, holds names that the system keeps for devices, such '
                   'as CON or NUL.\nNothing has been extracted.',
                   '圧縮ファイル、%s には CON や NUL のようなデバイス用の名前があります.\n何も解凍していません.'),
    'arc_program': ('The compressed file, %s, holds a file that would replace TOVRA.EXE now '
                    'running.\nNothing has been extracted.',
                    '圧縮ファイル、%s には実行中の TOVRA.EXE を置き換えるファイルがあります.\n'
                    '何も解凍していません.'),
    'arc_replace': ('File, %s, already exists.\nDo you replace it, and any other file of the same '
                    'name, with the one in the compressed file?',
                    'ファイル、%s が既に存在します.\n圧縮ファイルの中の同じ名前のファイルで置き換えますか？'),
    'mrg_next': ('Next do you decompress the compressed file ?', '次に、圧縮ファイルを解凍しますか？'),
}

CAPTION = {
    'Error': 'エラー', 'Warning': '警告', 'Question': '質問', 'Inquiry': '問合せ',
    'Congratulations': 'オメデトウ', 'Caution': '注意', 'Confirmation': '確認', 'Request': '要求',
    'Information': 'お知らせ', 'CAUTION': '注意',
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
    'reopen_merged': ('Error', 'hand'), 'read_merged': ('Error', 'hand'),
    'left_as': ('Warning', 'exclamation'),
    'open_piece': ('Error', 'hand'), 'read_piece': ('Error', 'hand'),
    'unsuccess': ('Error', 'exclamation'), 'mrg_success': ('Congratulations', 'asterisk'),
    'mrg_delete': ('Inquiry', 'question'), 'rebuild_q': ('Inquiry', 'question'),
    'no_parity': ('Error', 'hand'), 'too_many': ('Error', 'hand'),
    'rebuild_blocks_q': ('Inquiry', 'question'), 'rebuild_many_q': ('Inquiry', 'question'),
    'same_place': ('Error', 'hand'), 'no_parity_many': ('Error', 'hand'),
    'rebuild_rows_q': ('Inquiry', 'question'), 'rebuild_many_rows_q': ('Inquiry', 'question'),
    'beyond_parity': ('Error', 'hand'),
    'not_fdd': ('Warning', 'hand'), 'confirm': ('Confirmation', 'question'),
    'insert': ('Request', 'exclamation'), 'fd_full': ('Warning', 'exclamation'),
    'change': ('Confirmation', 'question'), 'next_disk': ('Request', 'exclamation'),
    'interrupted': ('Information', 'asterisk'), 'fd_done': ('Inquiry', 'question'),
    'copy_failed': ('Error', 'hand'), 'media': ('CAUTION', 'exclamation'),
    'no_help': ('Warning', 'exclamation'),
    'not_hd_cmp': ('Error', 'exclamation'), 'space_doubtful': ('Warning', 'exclamation'),
    'unlha_failed': ('Information', 'asterisk'), 'zip_failed': ('Information', 'asterisk'),
    'not_hd_dec': ('Error', 'exclamation'), 'unzip_failed': ('Information', 'asterisk'),
    'arc_delete': ('Inquiry', 'question'), 'arc_unreadable': ('Error', 'hand'),
    'arc_leaves': ('Error', 'hand'), 'arc_device': ('Error', 'hand'), 'arc_replace': ('Warning', 'exclamation'),
    'arc_program': ('Error', 'hand'),
    'mrg_next': ('Inquiry', 'question'),
}


def pattern(size, seed=1):
    """Bytes that differ from piece to piece, so a swapped or shifted piece shows."""
    block = bytes((i * 7 + seed * 13 + (i >> 8)) & 0xFF for i in range(65521))
    reps = size // len(block) + 1
    return (block * reps)[:size]


def parity_of(pieces):
    """The XOR of the pieces, each padded with zeros to the longest."""
    width = max(len(p) for p in pieces)
    acc = 0
    for p in pieces:
        acc ^= int.from_bytes(p.ljust(width, b'\0'), 'little')
    return acc.to_bytes(width, 'little')


def parity_count(n):
    """The parity pieces of a set of n data pieces: one for each ten or part of ten, at most
    three."""
    return min(3, -(-n // 10))


def last_of(n):
    """The last number of the files a division of n pieces writes: the first parity piece
    n + 1, the block checks n + 2, then the further parity pieces."""
    return n + 1 + parity_count(n)


def check_line(pieces):
    """The check line a division writes after the record, for its data pieces in order."""
    data = b''.join(pieces)
    crcs = [zlib.crc32(data)] + [zlib.crc32(p) for p in pieces] + [zlib.crc32(parity_of(pieces))]
    line = b'CRC32;%d;%d;%d;' % (len(data), len(pieces), len(pieces[0]))
    line += b''.join(b'%08X;' % c for c in crcs)
    return line + b'%08X;\n' % zlib.crc32(line)


def read_pieces(folder, n, prefix='file-'):
    out = []
    for k in range(1, n + 1):
        with open(os.path.join(folder, '%s%d' % (prefix, k)), 'rb') as f:
            out.append(f.read())
    return out


def local_stamp(y, mo, d, h, mi, s):
    return time.mktime((y, mo, d, h, mi, s, 0, 0, -1))


def write(folder, name, data=b'x', mtime=None):
    """folder/name (its folders made as needed) holding data, or for a number a file of that
    many bytes, sparse beyond the first; with the given local mtime. Returns its path."""
    path = os.path.join(folder, name)
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, 'wb') as f:
        if isinstance(data, int):
            f.write(b'x' if data else b'')
            f.truncate(data)
        else:
            f.write(data)
    if mtime is not None:
        os.utime(path, (mtime, mtime))
    return path


def unopenable(path):
    """A directory entry that is listed but cannot be opened: a Unix socket."""
    here = os.getcwd()
    os.chdir(os.path.dirname(path))  # a socket's full path may be too long to bind
    try:
        s = socket.socket(socket.AF_UNIX)
        s.bind(os.path.basename(path))
        s.close()
    finally:
        os.chdir(here)


def set_dos_attributes(path, bits):
    """Hidden (2) and system (4) as Wine keeps them, in the file's extended attributes."""
    os.setxattr(path, 'user.DOSATTRIB', b'0x%x' % bits)


def list_order(names, folders=()):
    """Rows of the file list: folders, then files, each sorted without regard to case (the
    tests use names whose order the system's collation gives the same way)."""
    return sorted(folders, key=str.lower) + sorted(names, key=str.lower)


def picture_name(pos, letter, state):
    plain, lettered = STEMS[pos]
    return (lettered + letter if letter else plain) + state


def read_bmp(path):
    """Rows of (r, g, b) of an uncompressed 4-, 8- or 24-bit BMP, top row first."""
    with open(path, 'rb') as f:
        data = f.read()
    offset, = struct.unpack_from('<I', data, 10)
    size, width, height, _, bits, compression = struct.unpack_from('<IiiHHI', data, 14)
    assert compression == 0, path
    palette = []
    if bits <= 8:
        colours, = struct.unpack_from('<I', data, 46)
        colours = colours or (1 << bits)
        for i in range(colours):
            b, g, r, _ = data[14 + size + 4 * i:18 + size + 4 * i]
            palette.append((r, g, b))
    stride = (width * bits + 31) // 32 * 4
    rows = []
    for y in range(abs(height)):
        start = offset + stride * (abs(height) - 1 - y if height > 0 else y)
        line = data[start:start + stride]
        row = []
        for x in range(width):
            if bits == 4:
                byte = line[x // 2]
                row.append(palette[(byte >> 4) if x % 2 == 0 else (byte & 15)])
            elif bits == 8:
                row.append(palette[line[x]])
            else:
                b, g, r = line[3 * x:3 * x + 3]
                row.append((r, g, b))
        rows.append(row)
    return rows


def picture(pos, letter, state):
    """The generated button picture of bar position pos, as rows of (r, g, b)."""
    folder = os.path.join(os.path.dirname(os.environ['TOVRA_BIN'].rstrip('/')), 'pictures')
    return read_bmp(os.path.join(folder, picture_name(pos, letter, state) + '.bmp'))


def restore_screen_size():
    """A Wine desktop window leaves its size as the screen size of every later program of the
    same wineserver; a moment's desktop of the display's own size puts it back."""
    width, height = screen_size()
    subprocess.run(['wine', 'explorer', '/desktop=shellrestore,%dx%d' % (width, height),
                    'cmd', '/c', 'exit'], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                   timeout=60)


def centred(screen, size):
    """The origin rule: a signed division truncating toward zero."""
    return int((screen - size) / 2)


# ---- the help: its sources and the system help viewer that shows it ----

HELP_FILES = {'en': 'RUZIVA.ROR', 'ja': 'RORORA.RAV'}
VIEWER_CLASS, VIEWER_TEXT_CLASS = 'MS_WINHELP', 'RichEdit20A'
VIEWER_INDEX_BUTTON, INDEX_LIST, BM_CLICK = 501, 337, 0x00F5


def help_source(lang):
    """(title, [(topic, title)], {topic: [(link text, target)]}, [keywords]) of the help source
    of the language, read with patterns of their own rather than with the compiler."""
    path = os.path.join(os.path.dirname(os.path.abspath(__file__)), '..', '..', 'resources',
                        'help', 'help_%s.txt' % lang)
    with open(path, encoding='utf-8') as f:
        text = f.read()
    parts = re.split(r'^== (\S+): (.+)$', text, flags=re.M)
    topics, links = [], {}
    for i in range(1, len(parts), 3):
        topics.append((parts[i], parts[i + 1]))
        links[parts[i]] = re.findall(r'(?<!\\)\[([^\]]+)\]\(([^)]+)\)', parts[i + 2])
    keywords = [k.strip() for line in re.findall(r'^keywords: (.*)$', text, re.M)
                for k in line.split(';')]
    return re.search(r'^title: (.+)$', text, re.M)[1], topics, links, keywords


class traced:
    """Within it, robots start (with their programs) under WINEDEBUG=channels, so that their
    logs (App.log_path) hold those traces."""

    def __init__(self, channels):
        self.channels = channels

    def __enter__(self):
        self.before = os.environ.get('WINEDEBUG')
        os.environ['WINEDEBUG'] = '-all,' + self.channels

    def __exit__(self, *exc):
        if self.before is None:
            del os.environ['WINEDEBUG']
        else:
            os.environ['WINEDEBUG'] = self.before


TRACED_STRING = r'("(?:[^"\\]|\\.)*")'


def traced_bytes(quoted):
    """The bytes of a string as a Wine trace quotes it: "..." with \\xNN and C escapes."""
    out, s, i = bytearray(), quoted[1:-1], 0
    while i < len(s):
        if s[i] != '\\':
            out += s[i].encode('latin-1')
            i += 1
        elif s[i + 1] == 'x':
            out.append(int(s[i + 2:i + 4], 16))
            i += 4
        else:
            out += {'n': b'\n', 'r': b'\r', 't': b'\t'}.get(s[i + 1], s[i + 1].encode())
            i += 2
    return bytes(out)


def viewer_text(app, viewer):
    """The lines of the topic the viewer's window shows."""
    text = [c for c in app.controls(viewer.hwnd) if c.cls == VIEWER_TEXT_CLASS][0]
    return app.get_text(text.hwnd).split('\r\n')


def index_entries(app, viewer, other=False):
    """The keywords the viewer's Index button lists; the list is closed again."""
    button = [c for c in app.controls(viewer.hwnd) if c.id == VIEWER_INDEX_BUTTON][0]
    app.post(button.hwnd, BM_CLICK)
    sheet = app.wait_window(cls='#32770', timeout=10, other=other)
    page = [c for c in app.controls(sheet.hwnd) if c.cls == '#32770'][0]
    _, items = app.list_items(page.hwnd, INDEX_LIST)
    app.click(sheet.hwnd, 2)  # Cancel
    app.wait_gone(sheet.hwnd)
    return items


class Item:
    """An entry of the drive selector."""

    def __init__(self, indent, image, selected_image, raw, codepage):
        self.indent, self.image, self.selected_image, self.raw = indent, image, selected_image, raw
        self.text = raw.decode(codepage)

    def __repr__(self):
        return '%s%s' % ('>' * self.indent, self.text)


class Tovra:
    """The running program, once its bar, file list and drive selector exist. The list has no
    control identifier: the robot names it by its window handle."""

    def __init__(self, case, app, main, timeout=30):
        self.case, self.app, self.main, self.lang = case, app, main, app.lang
        end = time.monotonic() + timeout
        while True:
            controls = app.controls(main.hwnd)
            kind = {c.cls: c for c in controls}
            buttons = {c.id - IDC_BTN_DIVISION + 1: c for c in controls if c.cls.lower() == 'button'
                       and IDC_BTN_DIVISION <= c.id <= IDC_BTN_UPONELEVEL}
            if len(buttons) == 15 and all(k in kind for k in (
                    'IconBarWindow', 'SysListView32', 'SysHeader32', 'ComboBoxEx32')):
                break
            if time.monotonic() > end:
                raise AssertionError('main window without its bar, list or selector: %r'
                                     % (controls,))
            time.sleep(0.1)
        self.buttons = buttons
        self.bar, self.list = kind['IconBarWindow'], kind['SysListView32']
        self.header, self.selector = kind['SysHeader32'], kind['ComboBoxEx32']
        self.window, self.client = app.rect(main.hwnd)

    def settle(self, pause=0.4):
        """Returns once the program has handled the input or command just given: it is picked
        up within the pause, and a message sent afterwards is answered only once the
        program's thread is back in its loop (or in a modal box's)."""
        time.sleep(pause)
        deadline = time.monotonic() + 600
        while True:
            try:
                self.app.send(self.main.hwnd, 0)  # WM_NULL
                return
            except RobotError:
                if time.monotonic() > deadline:
                    raise AssertionError('program does not answer')
                time.sleep(0.5)  # still busy: a long listing

    # ---- the file list ----

    def row_count(self):
        return self.app.send(self.list.hwnd, LVM_GETITEMCOUNT)

    def selected_row(self):
        r = self.app.send(self.list.hwnd, LVM_GETNEXTITEM, 0xFFFFFFFF, LVNI_SELECTED)
        return r if r < 0x80000000 else -1

    def wait_rows(self, count, timeout=20):
        """Waits until the list shows count rows."""
        end = time.monotonic() + timeout
        while self.row_count() != count:
            if time.monotonic() > end:
                raise AssertionError('list shows %d rows, not %d' % (self.row_count(), count))
            time.sleep(0.1)
        self.settle(0)

    def click_row(self, row, action='click'):
        """Clicks a row with the mouse (click or dblclick) as a user would, scrolled into
        view; a click must select it."""
        # Two clicks within the double-click time make a double-click, which clears the
        # selection: a click soon after the last one waits that time out first.
        wait = getattr(self, '_last_click', 0) + 0.6 - time.monotonic()
        if action == 'click' and wait > 0:
            time.sleep(wait)
        for _ in range(4):
            # A click can be lost while a closing box hands the focus back; a retry comes
            # after the robot's 3 s wait, past the double-click time.
            clicked = self.app.lv_click(self.list.hwnd, '-', row, action)
            self._last_click = time.monotonic()
            if clicked or action == 'dblclick':
                break
        else:
            raise AssertionError('row %d did not get selected' % row)
        self.settle(0.4 if action == 'dblclick' else 0)
        if action == 'click':
            self.case.assertEqual(self.selected_row(), row)

    def dblclick_row(self, row):
        self.click_row(row, 'dblclick')

    def click_blank(self):
        """A click on the list below its last row."""
        _, client = self.app.rect(self.list.hwnd)
        self.app.mouse(client[0] + 300, client[3] - 5, 'click')
        self.settle()

    def select(self, folder, name, shown=None):
        """Clicks the row of name in the list of folder as it is on the disk now, or with the
        names shown when the program has not listed it again since."""
        entries = os.listdir(folder) if shown is None else shown
        files = [n for n in entries if not os.path.isdir(os.path.join(folder, n))
                 or os.path.islink(os.path.join(folder, n))]
        order = list_order(files, [n for n in entries if n not in files])
        self.wait_rows(len(order), timeout=10)
        self.click_row(order.index(name))

    def rows_raw(self):
        """(rows as lists of raw cells, selected rows, image index of each row)."""
        return self.app.lv_rows(self.list.hwnd, '-', raw=True)

    def rows(self):
        """Rows as decoded cells; asserts that row i shows image i."""
        rows, _, images = self.app.lv_rows(self.list.hwnd, '-')
        self.case.assertEqual(images, list(range(len(rows))), 'image index differs from row index')
        return rows

    def names(self):
        return [r[0] for r in self.rows()]

    def selected_rows(self):
        return self.rows_raw()[1]

    def headers(self):
        """([(width, header text)], width of the list window)."""
        return self.app.lv_columns(self.list.hwnd, '-')

    def row_icon(self, screen, row):
        return screen.icon(*self.app.lv_rect(self.list.hwnd, '-', row, 'icon'))

    # ---- the drive selector ----

    def items(self):
        """(selected index, selector entries); asserts that entry i shows image i."""
        sel, items = self.app.cbex_items(self.main.hwnd, IDC_DRIVESELECTOR, raw=True)
        items = [Item(*i, self.app.codepage) for i in items]
        for i, item in enumerate(items):
            self.case.assertEqual((item.image, item.selected_image), (i, i), 'image of item %d' % i)
        return sel, items

    def choose(self, index):
        """Chooses selector entry index as a user would (selection change notified)."""
        self.app.combo_select(self.main.hwnd, IDC_DRIVESELECTOR, index)
        self.settle()

    def selector_icon(self, screen):
        """The icon the closed selector shows beside the current entry."""
        _, (l, t, r, b) = self.app.rect(self.selector.hwnd)
        return screen.icon(l + 3, t + 3, l + 30, b - 3)

    def dropped_icons(self):
        """Icons of the selector's entries in its open list, by entry (None for the selected
        one, which is drawn highlighted)."""
        sel, items = self.items()
        self.app.send(self.selector.hwnd, CB_SHOWDROPDOWN, 1, 0)
        try:
            time.sleep(0.3)
            drop = [w for w in self.app.windows() if w.cls == 'ComboLBox']
            self.case.assertEqual(len(drop), 1)
            l, t, r, b = drop[0].rect
            screen = Screen()
            height = self.app.send(self.selector.hwnd, CB_GETITEMHEIGHT, 0, 0)
            self.case.assertGreater(height, 0)
            icons = []
            for i, item in enumerate(items):
                top = t + 1 + i * height
                icons.append(None if i == sel else
                             screen.icon(l + 1, top, l + 1 + 10 * item.indent + 24, top + height))
            return icons
        finally:
            self.app.send(self.selector.hwnd, CB_SHOWDROPDOWN, 0, 0)
            self.settle()

    # ---- the process ----

    def process_dir(self):
        """The program's own current directory, as the system keeps it for the process."""
        return self.app.process_dir()

    def thread_priority(self):
        return self.app.priority(self.main.hwnd)

    # ---- the icon bar ----

    def press(self, button):
        """Clicks a bar button (its identifier)."""
        self.app.click(self.bar.hwnd, button)

    def up(self):
        self.press(IDC_BTN_UPONELEVEL)
        self.settle()

    def exit(self):
        """Ends the program with its Exit button; asserts exit code 0."""
        self.press(IDC_BTN_EXIT)
        self.case.assertEqual(self.app.wait_exit(), 0)

    def file_buttons(self):
        """{button name: enabled} of the ten file buttons."""
        return {name: self.app.enabled(self.bar.hwnd, i)[0] for name, i in FILE_BUTTONS.items()}

    def enabled_positions(self):
        return {p for p in range(1, 16)
                if self.app.enabled(self.bar.hwnd, IDC_BTN_DIVISION + p - 1)[0]}

    def to_screen(self, x, y):
        return self.client[0] + x, self.client[1] + y

    def pixel(self, x, y):
        """A pixel in the main window's client coordinates."""
        return self.app.pixel(*self.to_screen(x, y))

    def button_pixels(self, pos, screen=None):
        return (screen or Screen()).block(self.buttons[pos].rect)

    def hover(self, x, y):
        """Moves the cursor to client point x, y (twice, so the move is surely seen)."""
        sx, sy = self.to_screen(x, y)
        self.app.mouse(sx + 1, sy, 'move')
        self.app.mouse(sx, sy, 'move')
        self.settle(0.3)

    def label_corner(self, anchor_x, anchor_y):
        """Screen position of the top-left corner of a label with the given anchor, by the
        shell's rule (one-pixel borders)."""
        w, c = self.window, self.client
        client_w, client_h = c[2] - c[0], c[3] - c[1]
        return w[2] - client_w - 1 + anchor_x, w[3] - client_h - 1 + anchor_y

    # ---- dialogs and messages ----

    def text(self, key, *args):
        t = T[key][0 if self.lang == 'en' else 1]
        return t % args if args else t

    def expect(self, key, *args, button=None, timeout=20, before=None):
        """The message key (with its composed parts) in the program's language, with its
        caption and icon; runs before (a disk change, say), then presses button (default OK
        or the first one). Returns the box."""
        caption, icon = LOOK[key]
        if caption == 'Inquiry' and self.lang == 'en':
            caption = 'Question'
        elif self.lang == 'ja':
            caption = CAPTION[caption]
        return self.app.expect_msgbox(self.text(key, *args), caption, icon, button=button,
                                      timeout=timeout, before=before)

    def dialog(self, title_en, title_ja):
        """The next dialog; asserts its title in the program's language. Returns its handle."""
        win = self.app.wait_window(cls='#32770', timeout=20)
        self.case.assertEqual(win.title, title_en if self.lang == 'en' else title_ja)
        return win.hwnd

    def no_window(self, seconds=1.0):
        """Asserts that no new message box or dialog comes up."""
        try:
            win = self.app.wait_window(timeout=seconds, cls='#32770')
        except AssertionError:
            return
        box = self.app.msgbox(win.hwnd)
        self.case.fail('unexpected window: %r %r' % (box.caption, box.text))

    def divide(self, folder, name, radio=IDC_DIV_144, user_item=None, expect_dialog=True):
        """Selects name, presses Division and accepts the dialog with a size."""
        self.select(folder, name)
        self.press(IDC_BTN_DIVISION)
        if not expect_dialog:
            return None
        dlg = self.dialog('Divide File', 'ファイルの分割')
        self.case.assertEqual(self.app.get_text(dlg, IDC_DIV_SOURCE), name)
        self.app.click(dlg, radio)
        if user_item is not None:
            self.app.combo_select(dlg, IDC_DIV_SIZELIST, user_item)
        self.app.click(dlg, IDOK)
        self.app.wait_gone(dlg)
        return dlg

    def merge(self, folder, name='file-0'):
        """Selects name, presses Merger and accepts the dialog."""
        self.select(folder, name)
        self.press(IDC_BTN_MERGER)
        dlg = self.dialog('Merge File', 'ファイルの結合')
        self.app.click(dlg, IDOK)
        return dlg

    def assert_not_cut(self, dlg, picture):
        """Saves a picture of the screen and asserts that no label or radio button of dlg has
        ink in the last two pixel columns of its place: a text that does not fit shows cut
        there, since the labels do not wrap."""
        screen = Screen(picture)
        checked = 0
        for c in self.app.controls(dlg):
            kind = c.style & 0x1F
            label = c.cls == 'Static' and c.text and kind in (0x0, 0xC)
            radio = c.cls == 'Button' and kind in (0x4, 0x9)
            if not (label or radio):
                continue
            left, top, right, bottom = c.rect
            dark = [(x, y) for x in (right - 2, right - 1) for y in range(top, bottom)
                    if sum(screen.at(x, y)) < 384]
            self.case.assertEqual(dark, [], 'text of control %d (%r) does not fit' % (c.id, c.text))
            checked += 1
        self.case.assertGreater(checked, 0)


class TovraCase(WineTestCase):
    """A test with TOVRA.EXE at the root of drives of its own, started in one language."""

    lang = 'en'

    def drive(self, letter='t', kind='fixed', size=None, name=None, label=None, exe='TOVRA.EXE'):
        """A folder (a tmpfs of size bytes when given) with the program in it as exe (None:
        not), mapped as drive letter. Returns (Unix folder, Windows root)."""
        folder = os.path.join(self.tmp, name or 'drive-' + letter)
        os.makedirs(folder)
        if size is not None:
            self.tmpfs(folder, 'size=%d' % size)
        if exe:
            shutil.copy(bin_path('TOVRA.EXE'), os.path.join(folder, exe))
        root = self.map_drive(letter, folder, kind, label)
        self._folders = dict(getattr(self, '_folders', {}), **{root: folder})
        return folder, root

    def start_tovra(self, root, lang=None, exe='TOVRA.EXE', rows=None):
        """Starts exe (TOVRA.EXE, or a copy of it made under that name) from the root of one
        of the test's drives and waits for its first listing (rows: the expected count)."""
        copy = os.path.join(self._folders[root], exe)
        if not os.path.exists(copy):
            shutil.copy(bin_path('TOVRA.EXE'), copy)
        # A program left running by an earlier step would turn this start into a second one.
        for earlier in getattr(self, '_tovras', []):
            if earlier.robot.poll() is None and earlier.exit_code is None:
                try:
                    earlier.kill()
                    earlier.wait_exit()
                except (RobotError, AssertionError):
                    pass
        app = self.start(root + exe, root, lang or self.lang)
        self._tovras = getattr(self, '_tovras', []) + [app]
        t = Tovra(self, app, app.wait_window(cls='Tovra', title='Tovra', timeout=30))
        t.settle()
        if rows is not None:
            t.wait_rows(rows)
        return t

    def assert_pieces_make(self, folder, n, original):
        """FILE-1 .. FILE-n one after the other are the bytes of original, by cat and cmp; the
        parity piece FILE-(n+1) and the check line after the record are those of the pieces
        (zlib's CRC-32). The names are given relative to the folder, so the command stays
        short."""
        pieces = read_pieces(folder, n)
        with open(os.path.join(folder, 'file-%d' % (n + 1)), 'rb') as f:
            self.assertEqual(f.read(), parity_of(pieces), 'parity piece')
        with open(os.path.join(folder, 'file-0'), 'rb') as f:
            self.assertEqual(f.read().split(b'\n')[1] + b'\n', check_line(pieces))
        cat = subprocess.Popen(['cat'] + ['file-%d' % k for k in range(1, n + 1)], cwd=folder,
                               stdout=subprocess.PIPE)
        r = subprocess.run(['cmp', '-', original], stdin=cat.stdout, stdout=subprocess.PIPE,
                           stderr=subprocess.STDOUT)
        cat.stdout.close()
        self.assertEqual((cat.wait(), r.returncode), (0, 0), r.stdout.decode(errors='replace'))

    def assert_pixels_equal(self, seen, expected, what):
        diffs = [(x, y, seen[y][x], expected[y][x]) for y in range(len(expected))
                 for x in range(len(expected[0])) if seen[y][x] != expected[y][x]]
        self.assertFalse(diffs, '%s: %d pixels differ, first %r' % (what, len(diffs), diffs[:3]))


class FloppyPile:
    """Floppy disks for drive A: each disk a tmpfs of 1,457,664 bytes; the drive maps a link
    that the test points at the disk in the drive, or removes to leave the drive empty."""

    def __init__(self, case, letter='a'):
        self.case = case
        self.base = os.path.join(case.tmp, 'floppies')
        os.makedirs(self.base)
        self.link = os.path.join(self.base, 'in-drive')
        self.disks = []
        case.map_drive(letter, self.link, 'floppy')

    def new_disk(self):
        folder = os.path.join(self.base, 'disk-%d' % (len(self.disks) + 1))
        self.disks.append(self.case.tmpfs(folder, 'size=%d' % FLOPPY_BYTES))
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
