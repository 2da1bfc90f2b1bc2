"""Tovra's main window from outside: class, title, centred place, icon bar layout, a second
start, the ways to end, and which file is the program's own."""

import os
import re
import subprocess
import time
import unittest

from tovra import ALWAYS_ON, TovraCase, centred, restore_screen_size, write
from winetest import screen_size

EN, JA = 'en', 'ja'
WS_DISABLED = 0x08000000
# The buttons a selected ordinary file makes usable (Decompress and File Size stay off).
OTHER_FILE_ON = set(ALWAYS_ON) | {1, 2, 4, 5, 6, 7, 10, 11}


class MainWindow(TovraCase):

    def setUp(self):
        super().setUp()
        self.folder, self.root = self.drive('p', name='drive')

    def test_class_title_place_and_bar_in_both_languages(self):
        width, height = screen_size()
        x, y = centred(width, 576), centred(height, 432)
        for lang in (EN, JA):
            with self.subTest(lang=lang):
                t = self.start_tovra(self.root, lang)
                self.assertEqual(t.main.cls, 'Tovra')
                self.assertEqual(t.main.title_raw, b'Tovra')
                self.assertEqual(t.window, (x, y, x + 576, y + 432))

                cx, cy = t.client[0], t.client[1]
                row_top = t.buttons[1].rect[1] - cy
                cy_border = row_top + 1
                self.assertEqual(t.bar.rect, (cx, cy, cx + 570, cy + 2 * (cy_border + 19) + 11))
                self.assertEqual(len(t.buttons), 15)
                for pos, b in t.buttons.items():
                    left = 347 if pos == 15 else 20 + 32 * (pos - 1)
                    top = cy_border + 29 if pos == 15 else row_top
                    self.assertEqual(b.rect, (cx + left, cy + top, cx + left + 32, cy + top + 20),
                                     'button %d' % pos)
                    self.assertEqual(b.style & ~WS_DISABLED, 0x5000000B)
                    self.assertEqual(b.text_raw, b'')
                t.exit()

    def desktop_children(self, desktop):
        """{title: (x, y, width, height, screen x, screen y)} of the windows inside a Wine
        desktop window; x and y are relative to it."""
        lines = subprocess.run(['xwininfo', '-root', '-tree'], stdout=subprocess.PIPE,
                               text=True).stdout.splitlines()
        found, depth = {}, None
        for line in lines:
            indent = len(line) - len(line.lstrip())
            if depth is None:
                if '"%s - Wine desktop"' % desktop in line:
                    depth = indent
                continue
            if indent <= depth:
                break
            m = re.search(r'"([^"]*)": \("tovra\.exe".*?(\d+)x(\d+)\+(-?\d+)\+(-?\d+)'
                          r'\s+\+(-?\d+)\+(-?\d+)', line)
            if m:
                w, h, x, y, sx, sy = (int(v) for v in m.groups()[1:])
                found[m.group(1)] = (x, y, w, h, sx, sy)
        return found

    def test_origin_on_a_640_by_480_screen(self):
        # A Wine desktop window of that size is the whole screen of the programs inside it.
        desktop = 'shelltest%d' % os.getpid()
        self.addCleanup(restore_screen_size)
        proc = subprocess.Popen(['wine', 'explorer', '/desktop=%s,640x480' % desktop,
                                 self.root + 'TOVRA.EXE'], cwd=self.folder,
                                stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        self.addCleanup(self.end_desktop, proc)
        end = time.monotonic() + 30
        while 'Tovra' not in self.desktop_children(desktop):
            self.assertLess(time.monotonic(), end, 'no Tovra window in the desktop')
            time.sleep(0.2)
        x, y, w, h, sx, sy = self.desktop_children(desktop)['Tovra']
        self.assertEqual((x, y, w, h), (32, 24, 576, 432))
        time.sleep(1)
        # Exit, the fourteenth button of the row, below the caption the desktop draws.
        subprocess.run(['xdotool', 'mousemove', str(sx + 3 + 452), str(sy + 22 + 10), 'click', '1'],
                       check=True)
        self.assertEqual(proc.wait(timeout=30), 0)

    def end_desktop(self, proc):
        if proc.poll() is None:
            proc.terminate()
            proc.wait()

    def test_second_start_ends_with_0_and_leaves_the_first_alone(self):
        write(self.folder, 'a.txt')
        first = self.start_tovra(self.root, rows=2)
        first.click_row(0)
        before = first.enabled_positions()
        self.assertEqual(before, OTHER_FILE_ON)

        second = self.start(self.root + 'TOVRA.EXE', self.folder)
        self.assertEqual(second.wait_exit(15), 0)

        first.settle()
        mains = [w for w in first.app.windows() if w.cls == 'Tovra']
        self.assertEqual([(w.hwnd, w.title) for w in mains], [(first.main.hwnd, 'Tovra')])
        self.assertEqual(first.row_count(), 2)
        self.assertEqual(first.selected_row(), 0)
        self.assertEqual(first.enabled_positions(), before)
        first.exit()

    def test_exit_button_and_close_box_both_end_with_0(self):
        for how in ('exit button', 'close box'):
            with self.subTest(how=how):
                t = self.start_tovra(self.root)
                if how == 'exit button':
                    t.exit()
                else:
                    t.app.close(t.main.hwnd)
                    self.assertEqual(t.app.wait_exit(), 0)

    def test_renamed_program_beside_another_copy_knows_its_own_file(self):
        # The search for TOVRA.EXE finds the copy beside it, not the running program.
        write(self.folder, 'notes.txt')
        self.start_tovra(self.root, rows=2)
        t = self.start_tovra(self.root, exe='OTHER.EXE', rows=3)  # notes.txt, OTHER.EXE, TOVRA.EXE
        t.click_row(1)
        self.assertEqual(t.enabled_positions(), set(ALWAYS_ON))
        t.click_row(2)
        self.assertEqual(t.enabled_positions(), OTHER_FILE_ON)
        t.click_row(0)
        self.assertEqual(t.enabled_positions(), OTHER_FILE_ON)
        t.click_row(1)
        self.assertEqual(t.enabled_positions(), set(ALWAYS_ON))

    def test_renamed_program_alone_starts_in_its_own_root(self):
        # Nothing named TOVRA.EXE anywhere on the search path.
        os.remove(os.path.join(self.folder, 'TOVRA.EXE'))
        write(self.folder, 'sub/inner.txt')
        t = self.start_tovra(self.root, exe='RENAMED.EXE', rows=2)  # sub, RENAMED.EXE
        t.click_row(1)
        self.assertEqual(t.enabled_positions(), set(ALWAYS_ON))
        t.click_row(0)
        self.assertEqual(t.enabled_positions(), set(ALWAYS_ON) | {5, 6, 9, 10, 11})


if __name__ == '__main__':
    unittest.main()
