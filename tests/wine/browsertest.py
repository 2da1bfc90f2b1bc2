"""Tovra's file list and drive selector seen from outside, for the browser tests.

A BrowserCase test builds a folder tree, maps it as a fixed drive with a copy of TOVRA.EXE in
its root (the start directory is the root of the program's drive) and starts the program.
LISTPROBE.EXE reads the list (it has no control id) and the selector's items with their indents.
"""

import os
import shutil
import subprocess
import time

from winetest import RobotError, WineTestCase, bin_path

MAIN_CLASS, MAIN_TITLE = 'Tovra', 'Tovra'
SELECTOR_ID = 116
BUTTON_IDS = tuple(range(118, 133))
UP_BUTTON = 132
# The ten file buttons whose states follow the selection, in bar order.
FILE_BUTTONS = ('Division', 'Merger', 'Copy', 'Rename', 'Delete', 'Compress', 'Decompress',
                'File Size', 'Timestamp', 'Attributes')
FILE_BUTTON_IDS = dict(zip(FILE_BUTTONS, (118, 119, 121, 122, 123, 124, 125, 126, 127, 128)))


def local_seconds(year, month, day, hour, minute, second):
    return time.mktime((year, month, day, hour, minute, second, 0, 0, -1))


def set_dos_attributes(path, bits):
    """Hidden (2) and system (4) as Wine keeps them, in the file's extended attributes."""
    os.setxattr(path, 'user.DOSATTRIB', b'0x%x' % bits)


def write_file(path, size=1, mtime=None):
    """A file of size bytes (sparse beyond the first), with the given local mtime."""
    with open(path, 'wb') as f:
        if size:
            f.write(b'x')
            f.truncate(size)
    if mtime is not None:
        os.utime(path, (mtime, mtime))


class Screen:
    """One picture of the whole virtual display, read from ImageMagick's binary PPM."""

    def __init__(self, path):
        subprocess.run(['import', '-window', 'root', '-depth', '8', 'ppm:' + path], check=True, timeout=60,
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        with open(path, 'rb') as f:
            data = f.read()
        fields, at = [], 0
        while len(fields) < 4:
            while data[at:at + 1].isspace():
                at += 1
            end = at
            while not data[end:end + 1].isspace():
                end += 1
            fields.append(data[at:end])
            at = end
        if fields[0] != b'P6' or fields[3] != b'255':
            raise AssertionError('unexpected picture format %r' % fields)
        self.width, self.height = int(fields[1]), int(fields[2])
        self.pixels = data[at + 1:]

    def pixel(self, x, y):
        i = 3 * (y * self.width + x)
        return self.pixels[i:i + 3]

    def icon(self, left, top, right, bottom):
        """The first picture standing out from the background in the box, scanning from the
        left: its columns up to the first blank column, cut to the rows it uses."""
        background = self.pixel(left, top)
        used = lambda x, y: self.pixel(x, y) != background
        cols = [x for x in range(left, right) if any(used(x, y) for y in range(top, bottom))]
        if not cols:
            return None
        run = [cols[0]]
        for x in cols[1:]:
            if x != run[-1] + 1:
                break
            run.append(x)
        rows = [y for y in range(top, bottom) if any(used(x, y) for x in run)]
        return tuple(bytes(b''.join(self.pixel(x, y) for x in run)) for y in range(rows[0], rows[-1] + 1))


class Item:
    def __init__(self, indent, image, selected_image, raw, codepage):
        self.indent, self.image, self.selected_image, self.raw = indent, image, selected_image, raw
        self.text = raw.decode(codepage)

    def __repr__(self):
        return '%s%s' % ('>' * self.indent, self.text)


class Tovra:
    """The running program: its main window, list and selector."""

    def __init__(self, case, app, main):
        self.case, self.app, self.main = case, app, main
        # The list is built by the first messages of the loop, after the window shows.
        for _ in range(100):
            controls = app.controls(main.hwnd)
            if any(c.cls == 'SysListView32' for c in controls):
                break
            time.sleep(0.1)
        self.list = next(c.hwnd for c in controls if c.cls == 'SysListView32')
        self.selector = next(c.hwnd for c in controls if c.cls == 'ComboBoxEx32')
        self.bar = next(c.hwnd for c in controls if c.cls == 'IconBarWindow')

    def _probe(self, *args):
        r = subprocess.run(['wine', bin_path('LISTPROBE.EXE')] + [str(a) for a in args],
                           stdout=subprocess.PIPE, stderr=subprocess.PIPE, timeout=60)
        if r.returncode:
            raise AssertionError('LISTPROBE %s: %s' % (args, r.stderr.decode(errors='replace')))
        return r.stdout.decode('ascii').splitlines()

    def rows_raw(self):
        """(rows as lists of five raw cells, selected rows, image index of each row)."""
        lines = self._probe('rows', self.list)
        head = dict(f.split('=') for f in lines[0].split())
        rows, images = [], []
        for line in lines[1:]:
            image, _, cells = line.partition(' ')
            images.append(int(image))
            rows.append([bytes.fromhex(c) for c in cells.split(',')])
        self.case.assertEqual(len(rows), int(head['count']))
        return rows, [int(s) for s in head['sel'].split(',') if s], images

    def rows(self):
        """Rows as decoded cells; asserts that row i shows image i."""
        rows, _, images = self.rows_raw()
        self.case.assertEqual(images, list(range(len(rows))), 'image index differs from row index')
        return [[c.decode(self.app.codepage) for c in r] for r in rows]

    def headers(self):
        """([(width, header text)], width of the list window)."""
        lines = self._probe('headers', self.list)
        cols = []
        for line in lines[:-1]:
            width, _, text = line.partition(' ')
            cols.append((int(width), bytes.fromhex(text).decode(self.app.codepage)))
        return cols, int(lines[-1].split()[1])

    def names(self):
        return [r[0] for r in self.rows()]

    def selected_rows(self):
        return self.rows_raw()[1]

    def items(self):
        """(selected index, selector items)."""
        lines = self._probe('combo', self.selector)
        head = dict(f.split('=') for f in lines[0].split())
        items = []
        for line in lines[1:]:
            indent, image, selimage, text = (line.split(' ') + [''])[:4]
            items.append(Item(int(indent), int(image), int(selimage), bytes.fromhex(text),
                              self.app.codepage))
        self.case.assertEqual(len(items), int(head['count']))
        for i, item in enumerate(items):
            self.case.assertEqual((item.image, item.selected_image), (i, i), 'image of item %d' % i)
        return int(head['sel']), items

    def process_dir(self):
        """The program's own current directory, as the system keeps it for the process."""
        return bytes.fromhex(self._probe('cwd', self.main.hwnd)[0]).decode('utf-16-le')

    def thread_priority(self):
        return int(self._probe('priority', self.main.hwnd)[0])

    def _point(self, row):
        x, y = self._probe('point', self.list, row)[0].split()
        return int(x), int(y)

    def screen(self):
        return Screen(os.path.join(self.case.tmp, 'screen.ppm'))

    def row_icon(self, screen, row):
        l, t, r, b = (int(v) for v in self._probe('icon', self.list, row)[0].split())
        return screen.icon(l, t, r, b)

    def selector_icon(self, screen):
        """The icon the closed selector shows beside the current entry."""
        _, (l, t, r, b) = self.app.rect(self.selector)
        return screen.icon(l + 3, t + 3, l + 30, b - 3)

    def dropped_icons(self):
        """Icons of the selector's entries in its open list, by entry (None for the selected
        one, which is drawn highlighted)."""
        sel, items = self.items()
        self.app.send(self.selector, 0x014F, 1, 0)  # CB_SHOWDROPDOWN
        try:
            time.sleep(0.3)
            drop = [w for w in self.app.windows() if w.cls == 'ComboLBox']
            self.case.assertEqual(len(drop), 1)
            l, t, r, b = drop[0].rect
            screen = self.screen()
            height = self.app.send(self.selector, 0x0154, 0, 0)  # CB_GETITEMHEIGHT
            self.case.assertGreater(height, 0)
            icons = []
            for i, item in enumerate(items):
                top = t + 1 + i * height
                icons.append(None if i == sel else
                             screen.icon(l + 1, top, l + 1 + 10 * item.indent + 24, top + height))
            return icons
        finally:
            self.app.send(self.selector, 0x014F, 0, 0)
            self.settle()

    def click_row(self, row):
        self.app.mouse(*self._point(row), action='click')
        self.settle()

    def dblclick_row(self, row):
        self.app.mouse(*self._point(row), action='dblclick')
        self.settle()

    def click_blank(self):
        """A click on the list below its last row."""
        _, client = self.app.rect(self.list)
        self.app.mouse(client[0] + 300, client[3] - 5, action='click')
        self.settle()

    def up(self):
        self.app.click(self.bar, UP_BUTTON)
        self.settle()

    def choose(self, index):
        """Chooses selector entry index as a user would (selection change notified)."""
        self.app.combo_select(self.main.hwnd, SELECTOR_ID, index)
        self.settle()

    def settle(self):
        """Waits until the program has handled the input or command just given: it is picked
        up within the pause, and a message sent afterwards is answered only once the
        program's thread is back in its loop (or in a modal box's)."""
        time.sleep(0.4)
        deadline = time.time() + 600
        while time.time() < deadline:
            try:
                self.app.send(self.main.hwnd, 0)  # WM_NULL
                return
            except RobotError:
                time.sleep(0.5)  # still busy: a long listing
        raise AssertionError('program does not answer')

    def file_buttons(self):
        """{button name: enabled} of the ten file buttons."""
        return {name: self.app.enabled(self.bar, i)[0] for name, i in FILE_BUTTON_IDS.items()}

    def windows_of_class(self, cls):
        return [w for w in self.app.windows() if w.cls == cls]


class BrowserCase(WineTestCase):

    def make_root(self, letter='m'):
        """A folder for drive letter with a copy of TOVRA.EXE; returns its Unix path."""
        root = os.path.join(self.tmp, 'drive-' + letter)
        os.makedirs(root)
        shutil.copy(bin_path('TOVRA.EXE'), root)
        return root

    def start_tovra(self, root, letter='m', lang='en', label=None):
        """Maps root as fixed drive letter and starts TOVRA.EXE from it."""
        drive = self.map_drive(letter, root, 'fixed', label)
        app = self.start(drive + 'TOVRA.EXE', drive, lang)
        main = app.wait_window(cls=MAIN_CLASS, title=MAIN_TITLE, timeout=30)
        tovra = Tovra(self, app, main)
        tovra.settle()
        return tovra
