"""Drives the Windows programs under Wine for the tests, through ROBOT.EXE.

A test derives from WineTestCase. Each test gets a fresh folder self.tmp under $TOVRA_TMP
(removed when the test passes, kept with a screenshot when it fails), and everything it sets
up is undone when it ends: programs, drive letters, mounts, registry values.

    app = self.start('FIXTURE.EXE', self.tmp, lang='ja', args='box hand')
    box = app.expect_msgbox('text', 'caption', 'hand')   # asserts and presses OK
    self.assertEqual(app.wait_exit(), 1)

The robot's line protocol is described at the top of tests/robot/robot.cpp. Texts travel as
hex of their raw bytes; App decodes them with the code page of its language (1252 for
English, 932 for Japanese) and keeps the bytes too (the *_raw fields).

Environment: WINEPREFIX, DISPLAY and a running wineserver come from tools/winenv.sh (tools/test.sh
starts them before ctest); TOVRA_BIN is the folder of the built programs and TOVRA_TMP the
folder for test files.
"""

import collections
import contextlib
import os
import queue
import re
import resource
import shutil
import signal
import subprocess
import threading
import time
import unittest
from unittest import mock

HINT = ('run the Wine tests through tools/test.sh, or by hand from the clone\'s folder:\n'
        '  export TOVRA_BUILD_DIR=$PWD/build; source tools/winenv.sh; winenv_start\n'
        '  export TOVRA_BIN=$TOVRA_BUILD_DIR/win32/bin TOVRA_TMP=$TOVRA_BUILD_DIR/win32/testtmp\n'
        '  cd tests/wine && python3 -m unittest -v test_x.py; winenv_stop')

CODEPAGES = {'en': 'cp1252', 'ja': 'cp932'}
LOCALES = {'en': 'C.UTF-8', 'ja': 'ja_JP.UTF-8'}
DRIVE_KINDS = ('fixed', 'floppy', 'cdrom', 'network', 'ramdisk')
FLOPPY_BYTES = 1457664
NT_KEY = r'HKLM\Software\Microsoft\Windows NT\CurrentVersion'
NINE_X_KEY = r'HKLM\Software\Microsoft\Windows\CurrentVersion'

IDOK, IDCANCEL, IDABORT, IDRETRY, IDIGNORE, IDYES, IDNO = 1, 2, 3, 4, 5, 6, 7
VK_RETURN, VK_ESCAPE, VK_TAB, VK_SPACE = 0x0D, 0x1B, 0x09, 0x20

Window = collections.namedtuple('Window', 'hwnd cls title title_raw')
TopWindow = collections.namedtuple('TopWindow', 'hwnd cls title title_raw rect')
MsgBox = collections.namedtuple(
    'MsgBox', 'hwnd caption text icon buttons caption_raw text_raw buttons_raw')
Control = collections.namedtuple(
    'Control', 'id hwnd cls text text_raw style enabled visible rect')


class RobotError(AssertionError):
    """The robot refused a command or did not answer in time."""


def environment_problem():
    """A hint when the Wine environment is missing, else None."""
    missing = [v for v in ('WINEPREFIX', 'DISPLAY', 'TOVRA_BIN', 'TOVRA_TMP')
               if not os.environ.get(v)]
    if missing:
        return 'missing environment %s: %s' % (', '.join(missing), HINT)
    if not os.path.isfile(os.path.join(os.environ['WINEPREFIX'], 'system.reg')):
        return 'WINEPREFIX %s holds no Wine prefix: %s' % (os.environ['WINEPREFIX'], HINT)
    if not os.path.isfile(os.path.join(os.environ['TOVRA_BIN'], 'ROBOT.EXE')):
        return 'no ROBOT.EXE in TOVRA_BIN=%s: build the win32 tree first' % os.environ['TOVRA_BIN']
    return None


# The build's Windows tree (programs and test folders) as a drive of its own: Windows names
# stay short and the same wherever the project is cloned (a name on Z: holds the whole Unix
# path, and a clone deep enough passes the 260 characters a Windows path may have).
WORK_DRIVE = 'w'


def work_folder():
    return os.path.dirname(os.path.abspath(os.environ['TOVRA_BIN']))


def to_windows(path):
    """The Windows name of a Unix path: through drive W: below the build's Windows tree, else
    through Z: (the root of the Unix tree)."""
    if len(path) >= 2 and path[1] == ':':
        return path
    path, work = os.path.abspath(path), work_folder()
    dosdevices = os.path.join(os.environ['WINEPREFIX'], 'dosdevices')
    if (path + '/').startswith(work + '/') and \
            os.path.realpath(os.path.join(dosdevices, WORK_DRIVE + ':')) == os.path.realpath(work):
        return WORK_DRIVE.upper() + ':' + (path[len(work):] or '/').replace('/', '\\')
    if os.path.realpath(os.path.join(dosdevices, 'z:')) != '/':
        raise RuntimeError('drive Z: of %s does not map the Unix root' % os.environ['WINEPREFIX'])
    return 'Z:' + path.replace('/', '\\')


def bin_path(name):
    """A program in the build's bin folder."""
    return os.path.join(os.environ['TOVRA_BIN'], name)


BAD_SECTORS_SOURCE = os.path.join(os.path.dirname(os.path.abspath(__file__)), 'badsectors.c')


def bad_sectors_program():
    """The test bed's file system that fails reads of chosen byte ranges (badsectors.c), built
    with the machine's own compiler beside the Windows tree when it is missing or older than its
    source."""
    program = os.path.join(work_folder(), 'badsectors')
    if not os.path.exists(program) or \
            os.path.getmtime(program) < os.path.getmtime(BAD_SECTORS_SOURCE):
        fuse = subprocess.run(['pkg-config', '--cflags', '--libs', 'fuse3'],
                              stdout=subprocess.PIPE, check=True).stdout.decode().split()
        subprocess.run(['cc', '-O2', '-Wall', '-o', program, BAD_SECTORS_SOURCE] + fuse, check=True)
    return program


def screen_size():
    """Width and height of the virtual display the programs run on."""
    out = subprocess.run(['xwininfo', '-root'], stdout=subprocess.PIPE, check=True).stdout.decode()
    return int(re.search(r'Width: (\d+)', out)[1]), int(re.search(r'Height: (\d+)', out)[1])


class Screen:
    """One picture of the whole virtual display as the X server holds it, also saved to path
    when given."""

    def __init__(self, path=None):
        grab = ['import', '-window', 'root', '-depth', '8']
        if path:
            subprocess.run(grab + [path], check=True, timeout=60)
            grab = ['convert', path, '-depth', '8']
        data = subprocess.run(grab + ['ppm:-'], stdout=subprocess.PIPE, check=True,
                              timeout=60).stdout
        head = re.match(rb'P6\s+(\d+)\s+(\d+)\s+255\s', data)
        if not head:
            raise AssertionError('unexpected picture format %r' % data[:20])
        self.width, self.height = int(head[1]), int(head[2])
        self.data = data[head.end():]

    def at(self, x, y):
        i = 3 * (y * self.width + x)
        return tuple(self.data[i:i + 3])

    def block(self, rect):
        l, t, r, b = rect
        return [[self.at(x, y) for x in range(l, r)] for y in range(t, b)]

    def icon(self, left, top, right, bottom):
        """The first picture standing out from the background in the box, scanning from the
        left: its columns up to the first blank column, cut to the rows it uses."""
        background = self.at(left, top)
        used = lambda x, y: self.at(x, y) != background
        cols = [x for x in range(left, right) if any(used(x, y) for y in range(top, bottom))]
        if not cols:
            return None
        run = [cols[0]]
        for x in cols[1:]:
            if x != run[-1] + 1:
                break
            run.append(x)
        rows = [y for y in range(top, bottom) if any(used(x, y) for x in run)]
        return tuple(tuple(self.at(x, y) for x in run) for y in range(rows[0], rows[-1] + 1))


def _hex(data):
    return data.hex()


def _unhex(text):
    return bytes.fromhex(text)


class App:
    """One program under test and the robot that drives it."""

    def __init__(self, test, lang, log_path):
        if lang not in CODEPAGES:
            raise ValueError('lang must be en or ja')
        self.test = test
        self.lang = lang
        self.codepage = CODEPAGES[lang]
        env = dict(os.environ, LC_ALL=LOCALES[lang], LANG=LOCALES[lang])
        self.log_path = log_path  # the robot's output, and that of the programs it starts
        self._log = open(log_path, 'ab')
        self.robot = subprocess.Popen(['wine', bin_path('ROBOT.EXE')], stdin=subprocess.PIPE,
                                      stdout=subprocess.PIPE, stderr=self._log, env=env,
                                      cwd=test.tmp)
        self._lines = queue.Queue()
        self._reader = threading.Thread(target=self._read, daemon=True)
        self._reader.start()
        self.pid = None
        self.exit_code = None
        self._lost = None

    def _read(self):
        for line in self.robot.stdout:
            self._lines.put(line.decode('ascii', 'replace').rstrip('\r\n'))
        self._lines.put(None)

    def encode(self, text):
        return text if isinstance(text, bytes) else text.encode(self.codepage)

    def decode(self, data):
        return data.decode(self.codepage, 'replace')

    def call(self, line, timeout=15):
        """Sends one command line; returns the answer, raises RobotError on "error"."""
        if self._lost:
            raise RobotError('robot lost its answers after %r; not sending %r' % (self._lost, line))
        if self.robot.poll() is not None:
            raise RobotError('robot has ended (exit %s) before %r' % (self.robot.returncode, line))
        self.robot.stdin.write((line + '\n').encode('ascii'))
        self.robot.stdin.flush()
        try:
            answer = self._lines.get(timeout=timeout)
        except queue.Empty:
            # A late answer would be taken for the next command's.
            self._lost = line
            raise RobotError('robot gave no answer to %r within %s s' % (line, timeout))
        if answer is None:
            raise RobotError('robot ended while answering %r' % line)
        if answer.startswith('error'):
            raise RobotError('robot: %s (command %r)' % (answer, line))
        return answer

    def _start(self, exe, cwd, args):
        if not (len(exe) >= 2 and exe[1] == ':') and '/' not in exe:
            exe = bin_path(exe)
        answer = self.call('start %s %s %s' % (_hex(to_windows(cwd).encode(self.codepage)),
                                               _hex(to_windows(exe).encode(self.codepage)),
                                               _hex(self.encode(args))))
        self.pid = int(dict(f.split('=') for f in answer.split()[1:])['pid'])

    def wait_exit(self, timeout=10):
        """The program's exit code; fails when it is still running after timeout seconds,
        naming the windows it shows (a message box that holds it, say)."""
        answer = self.call('wait-exit %d' % int(timeout * 1000), timeout + 10)
        if answer == 'timeout':
            shown = [(w.cls, w.title) + ((self.msgbox(w.hwnd).text,) if w.cls == '#32770' else ())
                     for w in self.windows()]
            raise AssertionError('program still running after %s s, showing %r' % (timeout, shown))
        self.exit_code = int(answer.split('=')[1])
        return self.exit_code

    def kill(self):
        self.call('kill')

    def stop(self):
        """Ends the program and the robot (and lets go of a held file); safe to call more
        than once."""
        if self.robot.poll() is None:
            try:
                self.robot.stdin.write(b'quit\n')
                self.robot.stdin.flush()
                self.robot.stdin.close()
            except OSError:
                pass
            try:
                self.robot.wait(timeout=10)
            except subprocess.TimeoutExpired:
                self.robot.kill()
                self.robot.wait()
                if self.pid:
                    # The robot could not end it: ask Wine to end exactly that process.
                    subprocess.run(['wine', 'taskkill', '/f', '/pid', str(self.pid)],
                                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                                   timeout=30)
        self._reader.join(10)  # reads to the end before its pipe is closed under it
        self.robot.stdout.close()
        self._log.close()

    def wait_window(self, timeout=10, cls=None, title=None, any=False, other=False):
        """The next visible top-level window of the program not returned before (other: of
        another process, such as the help viewer the program started)."""
        line = 'wait-window %d' % int(timeout * 1000)
        if other:
            line += ' other'
        if cls is not None:
            line += ' class=' + _hex(self.encode(cls))
        if title is not None:
            line += ' title=' + _hex(self.encode(title))
        if any:
            line += ' any'
        answer = self.call(line, timeout + 10)
        if answer == 'timeout':
            raise AssertionError('no window (class %r, title %r) within %s s' % (cls, title, timeout))
        if answer.startswith('exited'):
            raise AssertionError('program ended (%s) instead of showing a window' % answer)
        f = dict(x.split('=', 1) for x in answer.split()[1:])
        raw = _unhex(f['title'])
        return Window(int(f['hwnd']), _unhex(f['class']).decode('latin-1'), self.decode(raw), raw)

    def watch_shown(self):
        """From now on the system tells the robot which windows the program makes."""
        self.call('watch-shown')

    def wait_shown(self, timeout=10, cls=None):
        """The first top-level window (of class cls) the program made since watch_shown, once
        it shows; nothing is polled until it exists."""
        line = 'wait-shown %d' % int(timeout * 1000)
        if cls is not None:
            line += ' class=' + _hex(self.encode(cls))
        answer = self.call(line, timeout + 10)
        if answer == 'timeout':
            raise AssertionError('no window (class %r) shown within %s s' % (cls, timeout))
        f = dict(x.split('=', 1) for x in answer.split()[1:])
        raw = _unhex(f['title'])
        return Window(int(f['hwnd']), _unhex(f['class']).decode('latin-1'), self.decode(raw), raw)

    def wait_gone(self, hwnd, timeout=10):
        if self.call('wait-gone %d %d' % (hwnd, int(timeout * 1000)), timeout + 10) != 'gone':
            raise AssertionError('window %d still shown after %s s' % (hwnd, timeout))

    def windows(self):
        out = []
        for item in self.call('windows').split()[1:]:
            h, c, t, l, tp, r, b = item.split(',')
            raw = _unhex(t)
            out.append(TopWindow(int(h), _unhex(c).decode('latin-1'), self.decode(raw), raw,
                                 (int(l), int(tp), int(r), int(b))))
        return out

    def msgbox(self, hwnd):
        f = {}
        for item in self.call('msgbox %d' % hwnd).split()[1:]:
            k, _, v = item.partition('=')
            f[k] = v
        buttons_raw = {}
        for b in filter(None, f['buttons'].split(',')):
            i, _, t = b.partition(':')
            buttons_raw[int(i)] = _unhex(t)
        caption, text = _unhex(f['caption']), _unhex(f['text'])
        return MsgBox(hwnd, self.decode(caption), self.decode(text), f['icon'],
                      {i: self.decode(t) for i, t in buttons_raw.items()},
                      caption, text, buttons_raw)

    def expect_msgbox(self, text, caption, icon, button=None, timeout=10, before=None,
                      keep_open=False):
        """Waits for a message box, asserts text, caption (str or raw bytes) and icon, runs
        before, presses button (default OK, else the first) and waits until it is gone; with
        keep_open it only asserts. Returns the box."""
        win = self.wait_window(timeout, cls='#32770')
        box = self.msgbox(win.hwnd)
        tc = self.test
        tc.assertEqual(box.text_raw if isinstance(text, bytes) else box.text, text)
        tc.assertEqual(box.caption_raw if isinstance(caption, bytes) else box.caption, caption)
        tc.assertEqual(box.icon, icon)
        if keep_open:
            return box
        if before is not None:
            before()
        if button is None:
            button = IDOK if IDOK in box.buttons else min(box.buttons)
        tc.assertIn(button, box.buttons, 'button %d not in the box' % button)
        self.click(win.hwnd, button)
        self.wait_gone(win.hwnd)
        return box

    def click(self, hwnd, control_id):
        self.call('click %d %d' % (hwnd, control_id))

    def command(self, hwnd, control_id, code=0):
        self.call('command %d %d %d' % (hwnd, control_id, code))

    def close(self, hwnd):
        self.call('close %d' % hwnd)

    def post(self, hwnd, msg, wparam=0, lparam=0):
        self.call('post %d %d %d %d' % (hwnd, msg, wparam, lparam))

    def send(self, hwnd, msg, wparam=0, lparam=0):
        return int(self.call('send %d %d %d %d' % (hwnd, msg, wparam, lparam)).split('=')[1])

    def controls(self, hwnd):
        out = []
        for item in self.call('controls %d' % hwnd).split()[1:]:
            i, h, c, t, style, en, vis, l, tp, r, b = item.split(',')
            raw = _unhex(t)
            out.append(Control(int(i), int(h), _unhex(c).decode('latin-1'), self.decode(raw), raw,
                               int(style, 16), en == '1', vis == '1',
                               (int(l), int(tp), int(r), int(b))))
        return out

    def get_text(self, hwnd, control_id=None, raw=False):
        line = 'get-text %d' % hwnd + ('' if control_id is None else ' %d' % control_id)
        data = _unhex(self.call(line).partition(' ')[2])
        return data if raw else self.decode(data)

    def wait_text(self, hwnd, control_id, text, timeout=5):
        """Waits until a control shows text (str or raw bytes); fails with the last text seen.
        Input and posted commands take effect in the program's own time."""
        end = time.monotonic() + timeout
        while True:
            seen = self.get_text(hwnd, control_id, raw=isinstance(text, bytes))
            if seen == text:
                return
            if time.monotonic() > end:
                raise AssertionError('control %d shows %r, not %r' % (control_id, seen, text))
            time.sleep(0.05)

    def set_text(self, hwnd, control_id, text):
        self.call('set-text %d %d %s' % (hwnd, control_id, _hex(self.encode(text))))

    def check(self, hwnd, control_id, on=True):
        self.call('check %d %d %d' % (hwnd, control_id, 1 if on else 0))

    def get_check(self, hwnd, control_id):
        return int(self.call('get-check %d %d' % (hwnd, control_id)).split()[1])

    def enabled(self, hwnd, control_id=None):
        """(enabled, visible) of a window or of one of its controls."""
        line = 'enabled %d' % hwnd + ('' if control_id is None else ' %d' % control_id)
        p = self.call(line).split()
        return p[1] == '1', p[3] == '1'

    def _items(self, kind, hwnd, control_id, raw):
        parts = self.call('%s-items %d %d' % (kind, hwnd, control_id)).split(' ')
        sel = int(parts[1].split('=')[1])
        items = [_unhex(p) for p in parts[2:]]
        return sel, items if raw else [self.decode(i) for i in items]

    def combo_items(self, hwnd, control_id, raw=False):
        """(selected index, item texts) of a combo box or extended combo box."""
        return self._items('cb', hwnd, control_id, raw)

    def combo_select(self, hwnd, control_id, index):
        self.call('cb-select %d %d %d' % (hwnd, control_id, index))

    def cbex_items(self, hwnd, control_id, raw=False):
        """(selected index, [(indent, image, selected image, text)]) of an extended combo box."""
        parts = self.call('cbex-items %d %d' % (hwnd, control_id)).split(' ')
        out = []
        for item in parts[2:]:
            indent, image, selected, text = item.split(':')
            text = _unhex(text)
            out.append((int(indent), int(image), int(selected), text if raw else self.decode(text)))
        return int(parts[1].split('=')[1]), out

    def list_items(self, hwnd, control_id, raw=False):
        return self._items('lb', hwnd, control_id, raw)

    def list_select(self, hwnd, control_id, index):
        self.call('lb-select %d %d %d' % (hwnd, control_id, index))

    def lv_rows(self, hwnd, control_id, raw=False):
        """(rows as lists of cell texts, selected row indexes, image index of each row) of a
        list view; control_id '-' for hwnd itself."""
        parts = self.call('lv-rows %d %s' % (hwnd, control_id), 60).split(' ')
        sel, images = ([int(s) for s in p.split('=')[1].split(',') if s] for p in parts[2:4])
        rows = []
        for row in parts[4:]:
            cells = [_unhex(c) for c in row.split(',')]
            rows.append(cells if raw else [self.decode(c) for c in cells])
        return rows, sel, images

    def lv_columns(self, hwnd, control_id):
        """([(width, header text)], width of the list window) of a list view."""
        parts = self.call('lv-columns %d %s' % (hwnd, control_id)).split(' ')
        cols = [c.split(':') for c in parts[2:]]
        return [(int(w), self.decode(_unhex(t))) for w, t in cols], int(parts[1].split('=')[1])

    def lv_rect(self, hwnd, control_id, row, part='label'):
        """Screen rectangle of a row's label or icon, the row scrolled into view."""
        p = self.call('lv-rect %d %s %d %s' % (hwnd, control_id, row, part)).split()
        return tuple(int(v) for v in p[1:5])

    def lv_click(self, hwnd, control_id, row, action='click'):
        """Clicks a list-view row with the mouse (click, dblclick or rclick); returns whether
        the row became selected (within 3 s, but for a double-click)."""
        answer = self.call('lv-click %d %s %d %s' % (hwnd, control_id, row, action))
        return answer.endswith('selected=1')

    def mouse(self, x, y, action='click'):
        self.call('mouse %d %d %s' % (x, y, action))

    def key(self, *vks):
        self.call('key ' + ' '.join(str(v) for v in vks))

    def rect(self, hwnd, control_id=None):
        """(window rect, client rect), both in screen coordinates."""
        line = 'rect %d' % hwnd + ('' if control_id is None else ' %d' % control_id)
        p = self.call(line).split()
        return tuple(int(v) for v in p[1:5]), tuple(int(v) for v in p[6:10])

    def style(self, hwnd, control_id=None):
        """(style, extended style) of a window or of one of its controls."""
        line = 'style %d' % hwnd + ('' if control_id is None else ' %d' % control_id)
        p = self.call(line).split()
        return int(p[1], 16), int(p[3], 16)

    def move(self, hwnd, x, y):
        self.call('move %d %d %d' % (hwnd, x, y))

    def priority(self, hwnd):
        """Priority of the thread of a window."""
        return int(self.call('priority %d' % hwnd).split()[1])

    def process_dir(self):
        """The program's current directory, as the system keeps it for the process."""
        return _unhex(self.call('process-dir').split()[1]).decode('utf-16-le')

    def hold(self, path):
        """Opens the file at Windows path for reading as soon as it exists, sharing everything,
        and keeps it open until stop(): an exclusive opening then fails."""
        self.call('hold ' + _hex(self.encode(path)))

    def wait_held(self, timeout=30):
        if self.call('wait-held %d' % int(timeout * 1000), timeout + 10) != 'held':
            raise AssertionError('%s s without the held file' % timeout)

    def pixel(self, x, y):
        """(red, green, blue) of the screen at x, y."""
        v = self.call('pixel %d %d' % (x, y)).split()[1]
        return int(v[0:2], 16), int(v[2:4], 16), int(v[4:6], 16)

    def wait_pixel(self, x, y, rgb, timeout=5):
        """Waits until the screen at x, y shows rgb (a window is painted a moment after it
        shows); fails with the last colour seen."""
        end = time.monotonic() + timeout
        while True:
            seen = self.pixel(x, y)
            if seen == tuple(rgb):
                return
            if time.monotonic() > end:
                raise AssertionError('pixel %d,%d is %r, not %r' % (x, y, seen, tuple(rgb)))
            time.sleep(0.05)


_unmanaged_done = False


def ensure_work_drive():
    """Maps the build's Windows tree as drive W: of the prefix, once: it stays for later runs."""
    link = os.path.join(os.environ['WINEPREFIX'], 'dosdevices', WORK_DRIVE + ':')
    if os.path.realpath(link) == os.path.realpath(work_folder()):
        return
    r = subprocess.run(['wine', bin_path('ROBOT.EXE'), 'define-drive', WORK_DRIVE, 'fixed',
                        work_folder()], stdout=subprocess.PIPE, stderr=subprocess.DEVNULL,
                       timeout=60)
    if r.stdout.strip() != b'ok':
        raise RuntimeError('cannot map %s as drive %s: %r' % (work_folder(), WORK_DRIVE, r.stdout))


def ensure_unmanaged_windows():
    """Lets Wine draw window frames itself. Xvfb has no window manager, and Wine waits two
    seconds for one whenever a window it leaves to the manager is hidden or destroyed: every
    message box and every program's end would cost that. Wine-drawn frames also carry the
    captions that a screenshot should show."""
    global _unmanaged_done
    if _unmanaged_done:
        return
    r = subprocess.run(['wine', 'reg', 'add', r'HKCU\Software\Wine\X11 Driver', '/v', 'Managed',
                        '/d', 'N', '/f'], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                       timeout=60)
    if r.returncode != 0:
        raise RuntimeError('cannot set the X11 driver of %s to unmanaged windows'
                           % os.environ['WINEPREFIX'])
    _unmanaged_done = True


class WineTestCase(unittest.TestCase):
    """Base of the Wine tests: a fresh folder per test and undo of everything set up."""

    @classmethod
    def setUpClass(cls):
        problem = environment_problem()
        if problem:
            raise RuntimeError(problem)
        ensure_unmanaged_windows()
        ensure_work_drive()

    def setUp(self):
        base = os.environ['TOVRA_TMP']
        self.tmp = os.path.join(base, '%s.%s' % (type(self).__name__, self._testMethodName))
        if os.path.lexists(self.tmp):
            self._remove_tree(self.tmp)
        os.makedirs(self.tmp)
        self.addCleanup(self._remove_tmp_if_passed)
        self._apps = []
        self._mapped = set()

    def failed(self):
        """True once the test (or one of its subtests) has failed or raised. The outcome's own
        flag is no help in a clean-up: each clean-up starts it afresh."""
        outcome = getattr(self, '_outcome', None)
        if outcome is None:
            return False
        result = outcome.result
        return not outcome.success or any(t is self or getattr(t, 'test_case', None) is self
                                          for t, _ in result.errors + result.failures)

    def _remove_tree(self, path):
        def unblock(func, p, _):
            os.chmod(p, 0o700)
            func(p)
        shutil.rmtree(path, onerror=unblock)

    def _remove_tmp_if_passed(self):
        if not self.failed():
            self._remove_tree(self.tmp)

    def robot(self, lang='en'):
        """A robot of its own, with no program started; stopped when the test ends."""
        app = App(self, lang, os.path.join(self.tmp, 'robot-%d.log' % len(self._apps)))
        self._apps.append(app)
        self.addCleanup(self._stop_app, app)
        return app

    def start(self, exe, cwd, lang='en', args=''):
        """Starts exe (a name in TOVRA_BIN, a Unix path or a Windows path) in cwd (a Unix or
        Windows path) under the robot; lang 'en' runs with code page 1252, 'ja' with 932."""
        app = self.robot(lang)
        app._start(exe, cwd, args)
        return app

    def start_with_file_size_limit(self, exe, cwd, lang, limit):
        """Starts the program with writes past limit bytes failing, as on a full disk."""
        real = subprocess.Popen

        def limited():
            signal.signal(signal.SIGXFSZ, signal.SIG_IGN)
            resource.setrlimit(resource.RLIMIT_FSIZE,
                               (limit, resource.getrlimit(resource.RLIMIT_FSIZE)[1]))

        def popen(*args, **kwargs):
            kwargs['preexec_fn'] = limited
            return real(*args, **kwargs)

        with mock.patch.object(subprocess, 'Popen', popen):
            return self.start(exe, cwd, lang)

    def append_only(self, folder):
        """Makes folder one where files can be made but not renamed or deleted, until the test
        ends; skips the test where the file system cannot."""
        if subprocess.run(['chattr', '+a', folder], stderr=subprocess.DEVNULL).returncode != 0:
            self.skipTest('cannot make %s append-only' % folder)
        self.addCleanup(subprocess.run, ['chattr', '-a', folder])

    def _stop_app(self, app):
        # The first clean-up sees the screen as the failure left it; later ones would not.
        shot = os.path.join(self.tmp, 'failure.png')
        if self.failed() and not os.path.exists(shot):
            self.screenshot(shot)
        app.stop()

    def screenshot(self, path):
        """Saves a picture of the whole virtual display."""
        subprocess.run(['import', '-window', 'root', path], stdout=subprocess.DEVNULL,
                       stderr=subprocess.DEVNULL, timeout=30)

    def attrib(self, win_path, *flags):
        """Sets attributes (flags such as '+r', one call each: Wine's attrib takes one) with
        the system's own attrib, then returns the set of letters it reports for the file."""
        for flag in flags:
            subprocess.run(['wine', 'attrib', flag, win_path], stdout=subprocess.DEVNULL,
                           stderr=subprocess.DEVNULL, timeout=60, check=True)
        r = subprocess.run(['wine', 'attrib', win_path], stdout=subprocess.PIPE,
                           stderr=subprocess.DEVNULL, timeout=60)
        line = r.stdout.decode('latin-1').splitlines()[0]
        return set(line.split(':', 1)[0][:-1].replace(' ', ''))  # letters before the drive

    def assert_same_bytes(self, a, b):
        r = subprocess.run(['cmp', a, b], stdout=subprocess.PIPE, stderr=subprocess.STDOUT)
        self.assertEqual(r.returncode, 0, r.stdout.decode(errors='replace'))

    def tmpfs(self, folder, options):
        """Mounts a tmpfs with options on folder until the test ends; skips the test when
        tmpfs cannot be mounted."""
        os.makedirs(folder, exist_ok=True)
        r = subprocess.run(['mount', '-t', 'tmpfs', '-o', options, 'tmpfs', folder],
                           stdout=subprocess.PIPE, stderr=subprocess.STDOUT)
        if r.returncode != 0:
            self.skipTest('cannot mount a tmpfs: %s' % r.stdout.decode(errors='replace').strip())
        self.addCleanup(self._unmount, folder)
        return folder

    def _robot_once(self, *args, done=None):
        """Runs the robot for one command. A robot that printed nothing never got to the
        command (Wine could not start it on a loaded machine): it is started again, unless
        done() says the command has taken effect after all."""
        for attempt in range(3):
            if attempt:
                time.sleep(2)
            r = subprocess.run(['wine', bin_path('ROBOT.EXE')] + list(args),
                               stdout=subprocess.PIPE, stderr=subprocess.PIPE, timeout=60)
            answer = r.stdout.decode('ascii', 'replace').strip()
            if r.returncode == 0 and answer == 'ok':
                return
            if answer or (done is not None and done()):
                break
        if done is not None and done():
            return
        errors = r.stderr.decode('utf-8', 'replace').strip().splitlines()[-5:]
        raise RobotError('robot %s: %s (exit code %d)%s'
                         % (' '.join(args), answer or 'no answer', r.returncode,
                            ''.join('\n  ' + line for line in errors)))

    def map_drive(self, letter, folder, kind='fixed', label=None):
        """Maps drive letter to a Unix folder (which may be missing: a drive without medium)
        as fixed, floppy, cdrom, network or ramdisk, through Wine's mount manager (which
        writes the dosdevices link and the HKLM\\Software\\Wine\\Drives value itself).
        label (text, UTF-8 in the file) becomes the volume label: Wine reads it once, from a
        .windows-label file in the folder, when the drive is mapped; the file is removed
        again at once, so it neither shows in listings nor takes room. Returns 'X:\\'."""
        letter = letter.lower()
        if kind not in DRIVE_KINDS:
            raise ValueError('kind must be one of %s' % (DRIVE_KINDS,))
        link = self._drive_link(letter)
        if letter in self._mapped:
            raise RuntimeError('drive %s: is already mapped by this test' % letter)
        if os.path.lexists(link):
            # An earlier test that could not unmap it has failed for that; this one goes on.
            self._unmap_drive(letter)
        label_file = os.path.join(folder, '.windows-label')
        if label is not None:
            if os.path.lexists(label_file):
                raise RuntimeError('%s exists already' % label_file)
            with open(label_file, 'wb') as f:
                f.write(label if isinstance(label, bytes) else label.encode('utf-8'))
        try:
            self._robot_once('define-drive', letter, kind, os.path.abspath(folder))
        finally:
            if label is not None:
                os.remove(label_file)
        self._mapped.add(letter)
        self.addCleanup(self._unmap_drive, letter)
        return letter.upper() + ':\\'

    @staticmethod
    def _drive_link(letter):
        return os.path.join(os.environ['WINEPREFIX'], 'dosdevices', letter + ':')

    def _unmap_drive(self, letter):
        self._mapped.discard(letter)
        self._robot_once('remove-drive', letter,
                         done=lambda: not os.path.lexists(self._drive_link(letter)))

    def floppy_drive(self, letter='a', label=None):
        """A floppy-sized tmpfs mapped as a floppy drive. Returns (Windows root, Unix folder);
        skips the test when tmpfs cannot be mounted. tmpfs rounds the 1,457,664 bytes up to
        whole 4096-byte pages: the program sees 1,458,176 bytes in total, and every file
        takes whole pages."""
        folder = self.tmpfs(os.path.join(self.tmp, 'floppy-' + letter.lower()),
                            'size=%d' % FLOPPY_BYTES)
        return self.map_drive(letter, folder, 'floppy', label), folder

    def bad_sector_drive(self, letter, folder, bad, kind='floppy', writable=False):
        """Maps drive letter as a floppy drive (or another kind) that holds the files of
        folder, served by the test bed's file system: a read that touches a range of bad
        ({name: [(from, to), ...]}, byte offsets, to excluded) fails as a bad sector does; one of
        a range given as (from, to, 'weak') gets other bytes there each time; with writable,
        files can be made, written, renamed and deleted too, and one of those names made
        meanwhile fails its reads likewise. Returns (Windows root, Unix folder of the drive);
        skips the test when the file system cannot be mounted. It is unmounted when the test
        ends."""
        mount = os.path.join(self.tmp, 'bad-sectors-' + letter.lower())
        os.makedirs(mount)
        ranges = ['%s:%s' % (name, ','.join(('~%d-%d' if r[2:] == ('weak',) else '%d-%d') % r[:2]
                                            for r in spans))
                  for name, spans in bad.items()]
        log_path = os.path.join(self.tmp, 'bad-sectors-%s.log' % letter.lower())
        with open(log_path, 'wb') as log:
            server = subprocess.Popen([bad_sectors_program()] + ['-w'] * writable +
                                      [folder, mount] + ranges,
                                      stdin=subprocess.DEVNULL, stdout=log, stderr=log)
        self.addCleanup(self._end_bad_sectors, mount, server)
        end = time.monotonic() + 10
        while not os.path.ismount(mount):
            if server.poll() is not None or time.monotonic() > end:
                with open(log_path, 'rb') as log:
                    self.skipTest('cannot mount the bad-sector file system: %s'
                                  % log.read().decode(errors='replace').strip())
            time.sleep(0.05)
        return self.map_drive(letter, mount, kind), mount

    def _end_bad_sectors(self, mount, server):
        if os.path.ismount(mount):
            self._unmount(mount)
        try:
            server.wait(timeout=10)
        except subprocess.TimeoutExpired:
            server.terminate()
            try:
                server.wait(timeout=10)
            except subprocess.TimeoutExpired:
                server.kill()
                server.wait()

    def empty_floppy_drive(self, letter='a'):
        """A floppy drive with no medium: its folder does not exist. Returns the root.
        Under Wine the drive is removable and GetVolumeInformationA still succeeds (empty
        label, total size 0); listing it fails with ERROR_PATH_NOT_FOUND (3), where Windows
        would say ERROR_NOT_READY (21)."""
        return self.map_drive(letter, os.path.join(self.tmp, 'no-medium-' + letter.lower()), 'floppy')

    def _unmount(self, folder):
        if subprocess.run(['umount', folder], stderr=subprocess.DEVNULL).returncode != 0:
            subprocess.run(['umount', '-l', folder], stderr=subprocess.DEVNULL)

    def _reg(self, *args):
        return subprocess.run(['wine', 'reg'] + list(args), stdout=subprocess.PIPE,
                              stderr=subprocess.DEVNULL, timeout=60)

    def reg_query(self, key, name):
        """The value's data as reg.exe prints it, or None when absent."""
        r = self._reg('query', key, '/v', name)
        if r.returncode != 0:
            return None
        for line in r.stdout.decode('utf-8', 'replace').splitlines():
            parts = line.strip().split(None, 2)
            if len(parts) >= 2 and parts[0].lower() == name.lower() and parts[1].startswith('REG_'):
                return (parts[1], parts[2] if len(parts) == 3 else '')
        return None

    def reg_set(self, key, name, data, kind='REG_SZ'):
        """Sets a value in the test's prefix; the former state comes back when the test ends."""
        before = self.reg_query(key, name)
        if self._reg('add', key, '/v', name, '/t', kind, '/d', str(data), '/f').returncode != 0:
            raise RuntimeError('reg add %s %s failed' % (key, name))
        self.addCleanup(self._reg_restore, key, name, before)

    def reg_delete(self, key, name):
        """Deletes a value in the test's prefix; it comes back when the test ends."""
        before = self.reg_query(key, name)
        if before is not None:
            self._reg('delete', key, '/v', name, '/f')
            self.addCleanup(self._reg_restore, key, name, before)

    @contextlib.contextmanager
    def registry(self, *values):
        """Sets (str), deletes ('') or leaves (None) each (key, name, data) value for the time
        of a with block, and restores them after."""
        values = [v for v in values if v[2] is not None]
        saved = [(key, name, self.reg_query(key, name)) for key, name, _ in values]
        try:
            for key, name, data in values:
                self._reg('delete', key, '/v', name, '/f') if data == '' else \
                    self._reg('add', key, '/v', name, '/d', data, '/f')
            yield
        finally:
            for key, name, before in saved:
                self._reg_restore(key, name, before)

    def _reg_restore(self, key, name, before):
        if before is None:
            self._reg('delete', key, '/v', name, '/f')
        else:
            self._reg('add', key, '/v', name, '/t', before[0], '/d', before[1], '/f')
