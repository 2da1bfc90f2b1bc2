"""Pictures of the main window, the committed ones in docs/ and fresh ones from the tool that
takes them: an ordinary file selected, the button states that follow from it drawn from the
generated pictures, the Division hover label with its frame, fill and text, no banner left."""

import os
import subprocess
import sys
import unittest

from tovra import ALWAYS_ON, LABEL_FILL, picture
from winetest import WineTestCase

ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
WIDTH, HEIGHT = 576, 432
BORDER, CAPTION = 3, 19  # Wine's own frame; the client starts at (BORDER, BORDER + CAPTION)
CLIENT_W, CLIENT_H = WIDTH - 2 * BORDER, HEIGHT - 2 * BORDER - CAPTION
# The tool selects an ordinary file (holiday.avi): Decompress and File Size stay off.
FILE_ON = set(ALWAYS_ON) | {1, 2, 4, 5, 6, 7, 10, 11}
BLACK = (0, 0, 0)


def read_png(path):
    """Width, height and a pixel reader of a picture, decoded by ImageMagick."""
    size = subprocess.run(['identify', '-format', '%w %h', path], stdout=subprocess.PIPE,
                          check=True, timeout=60).stdout.split()
    width, height = int(size[0]), int(size[1])
    data = subprocess.run(['convert', path, '-depth', '8', 'rgb:-'], stdout=subprocess.PIPE,
                          check=True, timeout=60).stdout

    def at(x, y):
        i = 3 * (y * width + x)
        return tuple(data[i:i + 3])
    return width, height, at


class Shots(WineTestCase):

    def check_shot(self, path):
        width, height, at = read_png(path)
        self.assertEqual((width, height), (WIDTH, HEIGHT), 'the main window only')
        cx, cy = BORDER, BORDER + CAPTION

        for pos in range(1, 16):
            left, top = (20 + 32 * (pos - 1), 0) if pos < 15 else (347, 30)
            state = 'Up' if pos in FILE_ON else 'In'
            seen = [[at(cx + left + x, cy + top + y) for x in range(32)] for y in range(20)]
            self.assertEqual(seen, picture(pos, 'X', state), 'button %d %s' % (pos, state))

        # Division's label by the shell's rule: window and client differ by the frame.
        left = WIDTH - CLIENT_W - 1 + 17
        top = HEIGHT - CLIENT_H - 1 + 28
        self.assertEqual(at(left, top), BLACK, 'label frame')
        self.assertEqual(at(left + 1, top + 1), LABEL_FILL)
        self.assertEqual(at(left + 1, top + 8), LABEL_FILL)
        inside = {at(x, y) for x in range(left + 3, left + 40) for y in range(top + 3, top + 12)}
        self.assertIn(BLACK, inside, 'label text')
        self.assertIn(LABEL_FILL, inside)

        # No busy banner is left at the right of the bar: only the button face there.
        face = at(cx + 5, cy + 55)
        banner = {at(cx + x, cy + y) for x in range(444, 562) for y in range(25, 53)}
        self.assertEqual(banner, {face})

    def test_committed_screenshots(self):
        for lang in ('en', 'ja'):
            with self.subTest(lang=lang):
                self.check_shot(os.path.join(ROOT, 'docs', 'tovra-main-%s.png' % lang))

    def test_the_tool_takes_them_again(self):
        build = os.path.dirname(os.path.dirname(os.environ['TOVRA_BIN'].rstrip('/')))
        env = dict(os.environ, TOVRA_BUILD_DIR=build)
        for lang in ('en', 'ja'):
            with self.subTest(lang=lang):
                out = os.path.join(self.tmp, 'shot-%s.png' % lang)
                run = subprocess.run(
                    [sys.executable, os.path.join(ROOT, 'tools', 'tovra_shot.py'), out, lang,
                     '--demo', os.path.join(self.tmp, 'demo-' + lang)],
                    env=env, stdout=subprocess.PIPE, stderr=subprocess.STDOUT, text=True,
                    timeout=300)
                self.assertEqual(run.returncode, 0, run.stdout)
                self.assertIn('saved %s' % out, run.stdout)
                self.check_shot(out)


if __name__ == '__main__':
    unittest.main()
