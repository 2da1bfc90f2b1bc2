"""Shared set-up for the shell tests: TOVRA.EXE copied to the root of a mapped fixed drive
(its start directory), the icon bar's buttons, the generated button pictures, screen pixels."""

import os
import shutil
import struct
import subprocess
import time

from winetest import RobotError, WineTestCase, bin_path

EN, JA = 'en', 'ja'
MAIN_CLASS = 'Tovra'
TITLE = 'Tovra'
NT_KEY = r'HKLM\Software\Microsoft\Windows NT\CurrentVersion'
NINE_X_KEY = r'HKLM\Software\Microsoft\Windows\CurrentVersion'

FIRST_BUTTON = 118
# Position (1 to 15) -> plain and lettered stems of the button pictures.
STEMS = {1: ('Divi', 'Divi'), 2: ('Merge', 'Merge'), 3: ('Credir', 'Credi'),
         4: ('Copy2', 'Copy2'), 5: ('Rename', 'Renam'), 6: ('Delete', 'Delet'),
         7: ('Comp', 'Comp'), 8: ('Decomp', 'Decom'), 9: ('FlSize', 'FlSiz'),
         10: ('TsChg', 'TsChg'), 11: ('Attrb', 'Attrb'), 12: ('About', 'About'),
         13: ('Help', 'Help'), 14: ('Exit', 'Exit'), 15: ('DirUp', 'DirUp')}
ALWAYS_ON = (3, 12, 13, 14, 15)
LABEL_FILL = (255, 255, 128)
BANNER_RED = (255, 0, 0)
WHITE = (255, 255, 255)

LVM_GETITEMCOUNT = 0x1004
LVM_GETNEXTITEM = 0x100C
LVM_APPROXIMATEVIEWRECT = 0x1040
LVNI_SELECTED = 2


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
    folder = os.path.join(os.path.dirname(os.environ['TOVRA_BIN'].rstrip('/')), 'pictures')
    return read_bmp(os.path.join(folder, picture_name(pos, letter, state) + '.bmp'))


def screen_size():
    """Width and height of the virtual display the programs run on."""
    out = subprocess.run(['xwininfo', '-root'], stdout=subprocess.PIPE, check=True).stdout
    fields = dict(line.strip().split(':', 1) for line in out.decode().splitlines() if ':' in line)
    return int(fields['Width']), int(fields['Height'])


class Screen:
    """One picture of the whole virtual display, read as the X server holds it."""

    def __init__(self):
        self.width, self.height = screen_size()
        self.data = subprocess.run(['import', '-window', 'root', '-depth', '8', 'rgb:-'],
                                   stdout=subprocess.PIPE, check=True, timeout=60).stdout

    def at(self, x, y):
        i = 3 * (y * self.width + x)
        return tuple(self.data[i:i + 3])

    def block(self, rect):
        l, t, r, b = rect
        return [[self.at(x, y) for x in range(l, r)] for y in range(t, b)]


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


class Tovra:
    """The running program seen from outside, once its bar and file list exist."""

    def __init__(self, case, app, main, timeout=30):
        self.case, self.app, self.main = case, app, main
        end = time.monotonic() + timeout
        while True:
            controls = app.controls(main.hwnd)
            bars = [c for c in controls if c.cls == 'IconBarWindow']
            buttons = {c.id - FIRST_BUTTON + 1: c for c in controls
                       if c.cls.lower() == 'button' and FIRST_BUTTON <= c.id < FIRST_BUTTON + 15}
            lists = [c for c in controls if c.cls == 'SysListView32']
            headers = [c for c in controls if c.cls == 'SysHeader32']
            if bars and len(buttons) == 15 and lists and headers:
                break
            if time.monotonic() > end:
                raise AssertionError('main window without its bar or list: %r' % (controls,))
            time.sleep(0.1)
        self.bar, self.buttons, self.list, self.header = bars[0], buttons, lists[0], headers[0]
        self.window, self.client = app.rect(main.hwnd)

    def to_screen(self, x, y):
        return self.client[0] + x, self.client[1] + y

    def pixel(self, x, y):
        """A pixel in the main window's client coordinates."""
        return self.app.pixel(*self.to_screen(x, y))

    def enabled_positions(self):
        return {p for p in range(1, 16) if self.app.enabled(self.bar.hwnd, FIRST_BUTTON + p - 1)[0]}

    def button_pixels(self, pos, screen=None):
        return (screen or Screen()).block(self.buttons[pos].rect)

    def settle(self):
        """Returns once the program's thread is back in a message loop."""
        time.sleep(0.3)
        for _ in range(60):
            try:
                self.app.send(self.main.hwnd, 0)  # WM_NULL
                return
            except RobotError:
                pass
        raise AssertionError('program does not answer')

    # ---- the file list ----

    def row_count(self):
        return self.app.send(self.list.hwnd, LVM_GETITEMCOUNT)

    def selected_row(self):
        r = self.app.send(self.list.hwnd, LVM_GETNEXTITEM, 0xFFFFFFFF, LVNI_SELECTED)
        return r if r < 0x80000000 else -1

    def click_row(self, row):
        one = self.app.send(self.list.hwnd, LVM_APPROXIMATEVIEWRECT, 1, 0xFFFFFFFF) >> 16
        two = self.app.send(self.list.hwnd, LVM_APPROXIMATEVIEWRECT, 2, 0xFFFFFFFF) >> 16
        height = two - one
        x = self.header.rect[0] + 30
        y = self.header.rect[3] + height * row + height // 2
        self.app.mouse(x, y, 'click')
        self.settle()
        self.case.assertEqual(self.selected_row(), row)

    def wait_rows(self, count, timeout=20):
        end = time.monotonic() + timeout
        while self.row_count() != count:
            if time.monotonic() > end:
                raise AssertionError('list shows %d rows, not %d' % (self.row_count(), count))
            time.sleep(0.1)
        self.settle()

    # ---- hover labels ----

    def hover(self, x, y):
        """Moves the cursor to client point x, y (twice, so the move is surely seen)."""
        sx, sy = self.to_screen(x, y)
        self.app.mouse(sx + 1, sy, 'move')
        self.app.mouse(sx, sy, 'move')
        self.settle()

    def label_corner(self, anchor_x, anchor_y):
        """Screen position of the top-left corner of a label with the given anchor, by the
        shell's rule (one-pixel borders)."""
        w, c = self.window, self.client
        client_w, client_h = c[2] - c[0], c[3] - c[1]
        return w[2] - client_w - 1 + anchor_x, w[3] - client_h - 1 + anchor_y


class ShellCase(WineTestCase):
    """A test with its own fixed drive P: holding a copy of the program."""

    letter = 'p'

    def setUp(self):
        super().setUp()
        self.root = os.path.join(self.tmp, 'drive')
        os.makedirs(self.root)

    def put(self, name, data=b'x'):
        path = os.path.join(self.root, name)
        os.makedirs(os.path.dirname(path), exist_ok=True)
        with open(path, 'wb') as f:
            f.write(data)
        return path

    def start_tovra(self, lang=EN, exe='TOVRA.EXE', rows=None, map_drive=True):
        """Copies the program as exe into the drive's root and starts it from there; waits
        for the first listing (rows: the expected row count)."""
        if not os.path.exists(os.path.join(self.root, exe)):
            shutil.copy(bin_path('TOVRA.EXE'), os.path.join(self.root, exe))
        if map_drive and not getattr(self, 'drive', None):
            self.drive = self.map_drive(self.letter, self.root)
        # A program left running by an earlier step would turn this start into a second one.
        for earlier in getattr(self, '_tovras', []):
            if earlier.robot.poll() is None and earlier.exit_code is None:
                try:
                    earlier.kill()
                    earlier.wait_exit()
                except (RobotError, AssertionError):
                    pass
        app = self.start(self.drive + exe, self.root, lang)
        self._tovras = getattr(self, '_tovras', []) + [app]
        main = app.wait_window(cls=MAIN_CLASS, title=TITLE, timeout=30)
        tovra = Tovra(self, app, main)
        tovra.settle()
        if rows is not None:
            tovra.wait_rows(rows)
        return tovra

    def assert_pixels_equal(self, seen, expected, what):
        diffs = [(x, y, seen[y][x], expected[y][x]) for y in range(len(expected))
                 for x in range(len(expected[0])) if seen[y][x] != expected[y][x]]
        self.assertFalse(diffs, '%s: %d pixels differ, first %r' % (what, len(diffs), diffs[:3]))
