"""Rundelo's window as the user sees it while a message box holds it: class, title, size and
place, topmost, the waiting line and the sunken frame, in both languages."""

import os
import unittest

from rundelo import LANGS, WAITING_LINE, RundeloCase, text
from winetest import IDOK, screen_size

WS_CHILD, WS_VISIBLE = 0x40000000, 0x10000000
WS_EX_TOPMOST = 0x00000008
BLACK, WHITE = (0, 0, 0), (255, 255, 255)


class Window(RundeloCase):

    def held_by_box(self, sub, lang, key, caption, icon, tail=''):
        """Starts the program on a set that makes it show a box; returns (app, main window,
        box window) with the box still open."""
        app = self.run_in(sub, lang)
        main = app.wait_window(cls='Rundelo')
        box = self.expect_box(app, key, lang, caption, icon, tail, keep_open=True)
        return app, main, box

    def close_box(self, app, box):
        app.click(box.hwnd, IDOK)
        app.wait_gone(box.hwnd)
        self.assert_clean_exit(app)

    def test_window_class_title_place_and_waiting_line(self):
        width, height = screen_size()
        for lang in LANGS:
            with self.subTest(lang=lang):
                folder = os.path.join(self.drive, lang)
                self.piece_set(folder, size=30000, piece_bytes=10000)
                open(os.path.join(folder, 'DATA.BIN'), 'wb').close()
                self.place(folder)
                app, main, box_win = self.held_by_box(lang, lang, 'exists', 'warning',
                                                      'exclamation', self.win(lang, 'DATA.BIN'))
                self.assertEqual((main.cls, main.title), ('Rundelo', 'Rundelo'))
                (l, t, r, b), client = app.rect(main.hwnd)
                self.assertEqual((r - l, b - t), (300, 125))
                self.assertEqual((l, t), ((width - 300) // 2, (height - 125) // 2))
                self.assertTrue(app.style(main.hwnd)[1] & WS_EX_TOPMOST)
                controls = app.controls(main.hwnd)
                self.assertEqual([(c.id, c.cls.lower(), c.text) for c in controls],
                                 [(WAITING_LINE, 'static', '')])  # nothing copied yet
                line = controls[0]
                self.assertEqual(line.style & (WS_CHILD | WS_VISIBLE), WS_CHILD | WS_VISIBLE)
                cl, ct = client[0], client[1]
                self.assertEqual((line.rect[0] - cl, line.rect[1] - ct, line.rect[2] - cl,
                                  line.rect[3] - ct), (20, 40, 280, 70))
                self.close_box(app, box_win)

    def test_sunken_frame_along_the_client_edges(self):
        folder = os.path.join(self.drive, 'frame')
        self.piece_set(folder, size=30000, piece_bytes=10000)
        open(os.path.join(folder, 'DATA.BIN'), 'wb').close()
        self.place(folder)
        app, main, box_win = self.held_by_box('frame', 'en', 'exists', 'warning', 'exclamation',
                                              self.win('frame', 'DATA.BIN'))
        _, (cl, ct, cr, cb) = app.rect(main.hwnd)
        app.move(box_win.hwnd, 0, 0)  # uncovers the window, which paints itself again
        box, _ = app.rect(box_win.hwnd)
        self.assertEqual(box[:2], (0, 0))
        w, h = cr - cl, cb - ct
        app.wait_pixel(cl, ct + h // 2, BLACK)
        edges = {  # (x, y) in client coordinates -> colour, per edge
            'outer top': ([(x, 0) for x in (0, 1, w // 4, w // 2, w - 2)], BLACK),
            'inner top': ([(x, 1) for x in (1, w // 4, w // 2, w - 2)], BLACK),
            'outer left': ([(0, y) for y in (0, 3, 5, h - 5, h - 1)], BLACK),
            'inner left': ([(1, y) for y in (2, 3, 5, h - 5, h - 1)], BLACK),
            'bottom': ([(x, h - 1) for x in (2, w // 4, w // 2, w - 2)], WHITE),
            'right': ([(w - 1, y) for y in (3, 5, h - 5, h - 2)], WHITE),
        }
        for edge, (points, colour) in edges.items():
            shown = [(x, y) for x, y in points
                     if not (box[0] <= cl + x < box[2] and box[1] <= ct + y < box[3])]
            self.assertTrue(shown, '%s edge hidden under the message box' % edge)
            for x, y in shown:
                self.assertEqual(app.pixel(cl + x, ct + y), colour, '%s at %d,%d' % (edge, x, y))
        inside = app.pixel(cl + 5, ct + 5)
        self.assertNotIn(inside, (BLACK, WHITE))
        self.close_box(app, box_win)

    def test_waiting_line_during_the_copy(self):
        # A truncated last piece stops the merge after copying, with the waiting text shown.
        for lang in LANGS:
            with self.subTest(lang=lang):
                folder = os.path.join(self.drive, lang)
                self.piece_set(folder, size=30000, piece_bytes=10000)
                os.truncate(os.path.join(folder, 'file-3'), 5000)
                self.place(folder)
                app, main, box_win = self.held_by_box(lang, lang, 'size', 'error', 'hand')
                self.assertEqual(app.get_text(main.hwnd, WAITING_LINE), text('waiting', lang))
                self.assertEqual(app.get_text(main.hwnd), 'Rundelo')
                self.close_box(app, box_win)
                self.assertFalse(os.path.exists(os.path.join(folder, 'DATA.BIN')))


if __name__ == '__main__':
    unittest.main()
