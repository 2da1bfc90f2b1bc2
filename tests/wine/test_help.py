"""Tovra's Help button in both languages: the system help viewer shows the contents topic of
the help file of the program's language, found beside TOVRA.EXE under the upper-cased path;
a link leads to its topic, the index lists our keywords, the other language's file is never
looked at, and the viewer stays open when Tovra ends. Without the file: the warning of the language."""

import os
import re
import shutil
import time

from tovra import (HELP_FILES, IDC_BTN_HELP, TRACED_STRING, VIEWER_CLASS, VIEWER_TEXT_CLASS,
                   Tovra, TovraCase, help_source, index_entries, traced, traced_bytes,
                   viewer_text)
from winetest import RobotError, bin_path

HELP_FORCEFILE, HELP_CONTENTS = 9, 3
WM_CLOSE, EM_POSFROMCHAR = 0x0010, 0x00D6
OTHER = {'en': 'ja', 'ja': 'en'}
LETTERS = {'en': 't', 'ja': 'u'}


class Help(TovraCase):

    def start_in_tools(self, lang, help_files):
        """TOVRA.EXE and the given help files in a folder made as "tools", in lower case, and
        the program started from there with the traces of the help viewer and the file calls.
        Returns the program and the folder as the program names it."""
        folder, root = self.drive(LETTERS[lang], exe=None)
        tools = os.path.join(folder, 'tools')
        os.makedirs(tools)
        for name in ('TOVRA.EXE',) + tuple(help_files):
            shutil.copy(bin_path(name), tools)
        with traced('+winhelp,+file'):
            app = self.start(root + 'tools\\TOVRA.EXE', root, lang)
        t = Tovra(self, app, app.wait_window(cls='Tovra', title='Tovra', timeout=30))
        t.settle()
        return t, root + 'TOOLS\\'

    def test_viewer_shows_the_contents_of_the_language(self):
        for lang in ('en', 'ja'):
            with self.subTest(lang=lang):
                title, topics, links, keywords = help_source(lang)
                titles = dict(topics)
                t, folder = self.start_in_tools(lang, HELP_FILES.values())
                t.press(IDC_BTN_HELP)
                viewer = t.app.wait_window(cls=VIEWER_CLASS, other=True, timeout=30)
                self.addCleanup(self.close_viewer, t.app, viewer.hwnd)
                self.assertEqual(viewer.title, title)
                self.wait_topic(t.app, viewer, titles['contents'])
                text, target = links['contents'][0]
                self.follow_link(t.app, viewer, text)
                self.wait_topic(t.app, viewer, titles[target])
                self.assertEqual(sorted(index_entries(t.app, viewer, other=True)),
                                 sorted(set(keywords)))
                t.exit()
                with self.assertRaises(AssertionError):  # the viewer outlives the program
                    t.app.wait_gone(viewer.hwnd, timeout=2)
                # The next language's help would go to this viewer: it is closed here.
                self.close_viewer(t.app, viewer.hwnd)
                t.app.wait_gone(viewer.hwnd)

                with open(t.app.log_path, 'rb') as f:
                    log = f.read().decode('latin-1')
                commands = re.findall(r'Got\[\d+\]: cmd=(\d+) data=\w+ fn=%s' % TRACED_STRING, log)
                self.assertEqual([int(c) for c, _ in commands],
                                 [HELP_FORCEFILE, HELP_CONTENTS])
                path = (folder + HELP_FILES[lang]).encode(t.app.codepage)
                self.assertEqual([traced_bytes(f) for _, f in commands[:2]], [path, path])
                self.assertIn('Unhandled command (9)', log)
                self.assertNotIn(HELP_FILES[OTHER[lang]].lower(), log.lower())

    @staticmethod
    def close_viewer(app, hwnd):
        """Closes a viewer that a failed test left open, before the next one looks for one."""
        try:
            app.post(hwnd, WM_CLOSE)
        except RobotError:
            pass  # gone with Tovra, as it should be

    def wait_topic(self, app, viewer, title, timeout=10):
        """Waits until the viewer shows the topic of that title."""
        end = time.monotonic() + timeout
        while viewer_text(app, viewer)[0] != title and time.monotonic() < end:
            time.sleep(0.1)
        self.assertEqual(viewer_text(app, viewer)[0], title)

    def follow_link(self, app, viewer, text):
        """Clicks the first link of that text. Wine's viewer keeps a link's place as a count of
        bytes while its RichEdit counts characters (a Japanese character is two bytes), so the
        click goes to the character whose index is the middle of the link's bytes: the link
        itself in English, where the viewer looks for it in Japanese."""
        edit = [c for c in app.controls(viewer.hwnd) if c.cls == VIEWER_TEXT_CLASS][0]
        shown = app.get_text(edit.hwnd).replace('\r\n', '\r')  # one character a paragraph end
        start = len(shown[:shown.index(text)].encode(app.codepage))
        place = start + len(text.encode(app.codepage)) // 2
        at = app.send(edit.hwnd, EM_POSFROMCHAR, place)
        client = app.rect(edit.hwnd)[1]
        app.mouse(client[0] + (at & 0xFFFF) + 2, client[1] + (at >> 16) + 6, 'click')

    def test_missing_file_warns_in_the_language(self):
        for lang in ('en', 'ja'):
            with self.subTest(lang=lang):
                t, _ = self.start_in_tools(lang, [HELP_FILES[OTHER[lang]]])
                t.press(IDC_BTN_HELP)
                t.expect('no_help')
                with self.assertRaises(AssertionError):
                    t.app.wait_window(cls=VIEWER_CLASS, other=True, timeout=2)
                t.exit()
