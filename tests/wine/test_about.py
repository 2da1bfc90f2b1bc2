"""The About box of the real program in both languages: its texts, the place and size of every
control in dialog units, the icon drawn from picture 133, and how it ends (OK and the close
box do, Escape does not)."""

import os
import re
import time

from tovra import IDC_BTN_ABOUT, TovraCase
from winetest import IDOK, VK_ESCAPE, Screen

ROOT = os.path.join(os.path.dirname(os.path.abspath(__file__)), '..', '..')
with open(os.path.join(ROOT, 'CMakeLists.txt')) as f:
    VERSION = re.search(r'project\(Tovra VERSION ([\d.]+)', f.read()).group(1)

WM_NCHITTEST, HTCLOSE = 0x0084, 20
STYLE = 0x80C800C0                     # popup, caption, system menu, modal frame, own font
# WS_VISIBLE, WS_CLIPSIBLINGS and DS_3DLOOK, which the system adds to a dialog it shows.
SHOWN = 0x10000000 | 0x04000000 | 0x04
# Control styles: OK a default push button with a tab stop; centred and left text statics
# with WS_GROUP; the icon static.
OK_STYLE, CENTRED, LEFT, ICON = 0x50010001, 0x50020001, 0x50020000, 0x50000003

# Language -> dialog place (x, y, width, height) in dialog units, and the controls in
# template order: (identifier, style, text, place; the icon static takes its icon's size).
ABOUT = {
    'en': ((95, 60, 185, 110), [
        (IDOK, OK_STYLE, 'OK', (68, 88, 50, 15)),
        (65535, CENTRED, 'Tovra', (10, 7, 165, 10)),
        (65535, CENTRED, 'Version ' + VERSION, (10, 17, 165, 10)),
        (65535, LEFT, 'Report bugs and suggestions would be appreciated.', (10, 37, 165, 10)),
        (65535, LEFT, '(C) 2026\nThe Tovra team\ntovra-team@example.org', (10, 57, 165, 27)),
        (65535, ICON, None, (157, 85, None, None)),
    ]),
    'ja': ((90, 66, 150, 112), [
        (IDOK, OK_STYLE, 'OK', (50, 90, 50, 15)),
        (65535, CENTRED, 'Tovra', (10, 7, 130, 13)),
        (65535, CENTRED, 'バージョン ' + VERSION, (10, 20, 130, 13)),
        (65535, LEFT, 'バグ・レポート、コメントを歓迎します.', (10, 40, 130, 13)),
        (65535, LEFT, '(C) 2026\nTovra 開発チーム\ntovra-team@example.org', (10, 59, 130, 30)),
        (65535, ICON, None, (125, 85, None, None)),
    ]),
}

VGA = {'K': (0, 0, 0), 'r': (128, 0, 0), 'l': (0, 128, 0), 'y': (128, 128, 0), 'b': (0, 0, 128),
       'm': (128, 0, 128), 'c': (0, 128, 128), 's': (192, 192, 192), 'G': (128, 128, 128),
       'R': (255, 0, 0), 'L': (0, 255, 0), 'Y': (255, 255, 0), 'B': (0, 0, 255),
       'M': (255, 0, 255), 'C': (0, 255, 255), 'W': (255, 255, 255)}


def icon_rows(name='133', size=32):
    """The rows of colour letters of an icon in its picture source."""
    with open(os.path.join(ROOT, 'resources', 'pictures', 'tovra_icons.txt')) as f:
        text = f.read()
    block = re.search(r'^icon %s %d\n((?:[^\n]+\n){%d})' % (name, size, size), text, re.M)
    return block.group(1).split()


def mul_div(a, b, c):
    return (a * b + c // 2) // c


def base_units(places, rects, origin):
    """The horizontal and vertical dialog base units that map every template place onto the
    rectangle the control has on the screen, relative to origin; None when none do."""
    for bux in range(4, 17):
        for buy in range(8, 33):
            def fits(place, rect):
                x, y, w, h = place
                ok = (rect[0] - origin[0], rect[1] - origin[1]) == (mul_div(x, bux, 4),
                                                                     mul_div(y, buy, 8))
                return ok and (w is None or (rect[2] - rect[0], rect[3] - rect[1]) ==
                               (mul_div(w, bux, 4), mul_div(h, buy, 8)))
            if all(fits(p, r) for p, r in zip(places, rects)):
                return bux, buy
    return None


class About(TovraCase):

    def open_about(self, t):
        """Presses About; asserts the caption of the box of the program's language."""
        t.press(IDC_BTN_ABOUT)
        return t.dialog('About', '御案内')

    def test_texts_places_and_icon_in_both_languages(self):
        for lang, (place, controls) in ABOUT.items():
            with self.subTest(lang=lang):
                _, root = self.drive(letter='t' if lang == 'en' else 'u')
                t = self.start_tovra(root, lang)
                dlg = self.open_about(t)
                self.assertEqual(t.app.style(dlg)[0] & ~SHOWN, STYLE)
                shown = t.app.controls(dlg)
                self.assertEqual([(c.id, c.style) for c in shown],
                                 [(i, s) for i, s, _, _ in controls])
                for c, (_, _, text, _) in zip(shown, controls):
                    if text is not None:
                        self.assertEqual(c.text, text)
                window, client = t.app.rect(dlg)
                units = base_units([p for _, _, _, p in controls], [c.rect for c in shown],
                                   client[:2])
                self.assertIsNotNone(units, 'controls not where the template puts them')
                bux, buy = units
                # The template's place is the client area's, from the owner's client origin.
                self.assertEqual((client[0] - t.client[0], client[1] - t.client[1],
                                  client[2] - client[0], client[3] - client[1]),
                                 (mul_div(place[0], bux, 4), mul_div(place[1], buy, 8),
                                  mul_div(place[2], bux, 4), mul_div(place[3], buy, 8)))
                self.assert_icon(Screen(), shown[-1].rect)
                t.app.click(dlg, IDOK)
                t.app.wait_gone(dlg)
                t.exit()

    def assert_icon(self, screen, rect):
        left, top = rect[:2]
        rows = icon_rows()
        wrong = [(x, y) for y, row in enumerate(rows) for x, c in enumerate(row)
                 if c != '.' and screen.at(left + x, top + y) != VGA[c]]
        self.assertEqual(wrong, [], 'icon 133 not drawn')

    def test_escape_keeps_it_ok_and_the_close_box_end_it(self):
        for lang in ('en', 'ja'):
            with self.subTest(lang=lang):
                _, root = self.drive(letter='t' if lang == 'en' else 'u')
                t = self.start_tovra(root, lang)
                dlg = self.open_about(t)
                t.app.key(VK_ESCAPE)
                time.sleep(0.5)
                self.assertEqual(t.app.enabled(dlg), (True, True), 'Escape closed the box')
                t.app.click(dlg, IDOK)
                t.app.wait_gone(dlg)
                dlg = self.open_about(t)
                window, client = t.app.rect(dlg)
                y = (window[1] + client[1]) // 2
                x = next(x for x in range(window[2] - 1, window[2] - 60, -1)
                         if t.app.send(dlg, WM_NCHITTEST, 0, y << 16 | x) == HTCLOSE)
                t.app.mouse(x, y, 'click')
                t.app.wait_gone(dlg)
                t.settle()
                t.exit()
