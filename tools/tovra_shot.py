#!/usr/bin/env python3
"""Starts Tovra on a small demo drive inside a Wine desktop window (so its caption is drawn),
selects a file, points at a button and saves a picture of the main window.

Usage: tovra_shot.py OUT.png [en|ja] [--keep] [--demo DIR] [--help-shot HELP.png]
  --keep: leave the program running; --demo: build the demo drive in DIR (default in the build)
  --help-shot: then press Help and save a picture of the help viewer with its contents topic
Needs DISPLAY and WINEPREFIX, as tools/winenv.sh sets them; TOVRA_BUILD_DIR names the build.
"""

import os
import re
import shutil
import subprocess
import sys
import time

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
BUILD = os.environ.get('TOVRA_BUILD_DIR', os.path.join(ROOT, 'build'))
BIN = os.path.join(BUILD, 'win32', 'bin')
LOCALES = {'en': 'C.UTF-8', 'ja': 'ja_JP.UTF-8'}
DESKTOP = (800, 600)
# Border and caption of the main window inside a Wine desktop: client = window + offset.
CLIENT_OFFSET = (3, 22)
WHEN = time.mktime((2001, 3, 5, 14, 7, 9, 0, 0, -1))
LABEL_FILL = bytes((255, 255, 128))  # the hover label's fill
BAR_HEIGHT = 61  # the client above the list frame: icon bar, labels, busy banner


def make_demo(folder):
    if os.path.isdir(folder):
        shutil.rmtree(folder)
    for sub in ('Letters', 'Photos'):
        os.makedirs(os.path.join(folder, sub))
    files = {'holiday.avi': 3000000, 'report.txt': 2817, 'backup.lzh': 51200,
             'notes.doc': 19456}
    for name, size in files.items():
        with open(os.path.join(folder, name), 'wb') as f:
            f.write(b'\0')
            f.truncate(size)
    # The kit's programs, libraries and help files, so that every button works.
    for name in ('TOVRA.EXE', 'RUNDELO.EXE', 'UNLHA32.DLL', 'ZIP32J.DLL', 'IZIP32J.DLL',
                 'UNZIP32.DLL', 'RUZIVA.ROR', 'RORORA.RAV'):
        shutil.copy(os.path.join(BIN, name), folder)
    for name in os.listdir(folder):
        os.utime(os.path.join(folder, name), (WHEN, WHEN))


def free_letter(prefix):
    used = set(os.listdir(os.path.join(prefix, 'dosdevices')))
    for letter in 'tuvwxyrsqp':
        if letter + ':' not in used:
            return letter
    raise SystemExit('no free drive letter in %s' % prefix)


def window_geometry(title, program='tovra.exe', timeout=30):
    """Absolute x, y, width, height of the program's X window named title."""
    end = time.monotonic() + timeout
    pattern = re.compile(r'"%s": \("%s" "%s"\)\s+(\d+)x(\d+)\+-?\d+\+-?\d+'
                         r'\s+\+(-?\d+)\+(-?\d+)' % ((re.escape(title),) + (re.escape(program),) * 2))
    while time.monotonic() < end:
        tree = subprocess.run(['xwininfo', '-root', '-tree'], stdout=subprocess.PIPE,
                              text=True).stdout
        m = pattern.search(tree)
        if m:
            w, h, x, y = (int(v) for v in m.groups())
            return x, y, w, h
        time.sleep(0.2)
    raise SystemExit('the %s window did not appear' % title)


def restore_screen_size():
    """A Wine desktop window leaves its size as the screen size of later programs of the same
    wineserver; a moment's desktop of the display's own size puts it back."""
    info = subprocess.run(['xwininfo', '-root'], stdout=subprocess.PIPE, text=True).stdout
    size = dict(line.strip().split(':', 1) for line in info.splitlines() if ':' in line)
    subprocess.run(['wine', 'explorer', '/desktop=shotrestore,%dx%d' % (
        int(size['Width']), int(size['Height'])), 'cmd', '/c', 'exit'],
        stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, timeout=60)


def xdotool(*args):
    subprocess.run(['xdotool'] + [str(a) for a in args], check=True)


# On a loaded machine the program may take seconds to list, repaint or show a label: every step
# waits for what it needs to see.
def grab(box):
    """The screen's pixels in box (x, y, width, height), as RGB bytes."""
    x, y, w, h = box
    return subprocess.run(['import', '-window', 'root', '-crop', '%dx%d+%d+%d' % (w, h, x, y),
                           '+repage', '-depth', '8', 'rgb:-'], stdout=subprocess.PIPE,
                          check=True, timeout=60).stdout


def wait_for(done, timeout):
    """True once done() holds, False when timeout seconds passed without."""
    end = time.monotonic() + timeout
    while not done():
        if time.monotonic() > end:
            return False
        time.sleep(0.1)
    return True


def settle(box, what, quiet=1.0):
    """Waits until box has shown the same picture for quiet seconds."""
    last = [grab(box), time.monotonic()]

    def still():
        now = grab(box)
        if now != last[0]:
            last[:] = [now, time.monotonic()]
        return time.monotonic() - last[1] >= quiet
    if not wait_for(still, 120):
        raise SystemExit('tovra_shot: %s kept changing for two minutes' % what)


def has_label(box):
    data = grab(box)
    return any(data[i:i + 3] == LABEL_FILL for i in range(0, len(data), 3))


def shoot_help(out, cx, cy, lang):
    """Presses Help (bar position 13) and saves the viewer's window once its text is drawn."""
    xdotool('mousemove', cx + 20 + 32 * 12 + 16, cy + 10, 'click', 1)
    x, y, w, h = window_geometry({'en': 'Tovra Help', 'ja': 'Tovra ヘルプ'}[lang], 'winhlp32.exe')
    settle((x, y, w, h), 'the help viewer')
    subprocess.run(['import', '-window', 'root', '-crop', '%dx%d+%d+%d' % (w, h, x, y),
                    '+repage', out], check=True)
    print('tovra_shot: saved %s' % out)
    # The viewer covers the Exit button: its close box ends it.
    xdotool('mousemove', x + w - 12, y + 12, 'click', 1)
    time.sleep(1)


def main():
    if len(sys.argv) < 2:
        raise SystemExit(__doc__)
    out = os.path.abspath(sys.argv[1])
    lang = sys.argv[2] if len(sys.argv) > 2 and sys.argv[2] in LOCALES else 'en'
    keep = '--keep' in sys.argv
    prefix = os.environ['WINEPREFIX']
    demo = os.path.join(BUILD, 'win32', 'demo-' + lang)
    if '--demo' in sys.argv[:-1]:
        demo = os.path.abspath(sys.argv[sys.argv.index('--demo') + 1])
    make_demo(demo)
    letter = free_letter(prefix)
    link = os.path.join(prefix, 'dosdevices', letter + ':')
    os.symlink(demo, link)
    env = dict(os.environ, LC_ALL=LOCALES[lang], LANG=LOCALES[lang])
    name = 'Tovra-%s-%d' % (lang, os.getpid())
    desktop = subprocess.Popen(['wine', 'explorer', '/desktop=%s,%dx%d' % ((name,) + DESKTOP),
                                letter.upper() + ':\\TOVRA.EXE'], cwd=demo, env=env,
                               stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    try:
        x, y, w, h = window_geometry('Tovra')
        window = (x, y, w, h)
        cx, cy = x + CLIENT_OFFSET[0], y + CLIENT_OFFSET[1]
        bar = (cx, cy, w - 2 * CLIENT_OFFSET[0], BAR_HEIGHT)
        settle(window, 'the first listing')
        # Rows start below the list frame (61) and the header (17); holiday.avi is row 3. The
        # selection turns buttons on; a click before the rows are listed selects nothing.
        unselected = grab(bar)
        for _ in range(10):
            xdotool('mousemove', cx + 60, cy + 62 + 17 + 17 * 3 + 8, 'click', 1)
            if wait_for(lambda: grab(bar) != unselected, 6):
                break
        else:
            raise SystemExit('tovra_shot: selecting holiday.avi turned no button on')
        # The label is drawn on the screen, over the bar: a repaint of the bar still to come
        # would wipe it.
        settle(window, 'the window with a file selected')
        for _ in range(10):
            xdotool('mousemove', cx + 36, cy + 10)
            xdotool('mousemove', cx + 37, cy + 10)
            if wait_for(lambda: has_label(bar), 6):
                break
            xdotool('mousemove', cx + 60, cy + 200)
        else:
            raise SystemExit('tovra_shot: no label over the Division button')
        subprocess.run(['import', '-window', 'root', '-crop', '%dx%d+%d+%d' % (w, h, x, y),
                        '+repage', out], check=True)
        print('tovra_shot: saved %s' % out)
        if '--help-shot' in sys.argv[:-1]:
            shoot_help(os.path.abspath(sys.argv[sys.argv.index('--help-shot') + 1]), cx, cy, lang)
        if keep:
            print('tovra_shot: Tovra runs on display %s; close it to end' % os.environ['DISPLAY'])
            desktop.wait()
        else:
            xdotool('mousemove', cx + 452, cy + 10, 'click', 1)
            desktop.wait(timeout=30)
    finally:
        if desktop.poll() is None:
            desktop.terminate()
            desktop.wait()
        os.unlink(link)
        restore_screen_size()


if __name__ == '__main__':
    main()
