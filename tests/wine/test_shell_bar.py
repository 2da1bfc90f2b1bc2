"""The icon bar and what the shell draws itself: button states from the selection, clicks
reaching the dispatcher, pressed and disabled pictures, hover labels, the busy banner."""

import time
import unittest

from tovra import (ALWAYS_ON, BANNER_RED, IDC_BTN_DIVISION, IDC_DRIVESELECTOR, IDC_LISTFRAME,
                   IDI_ABOUT, LABEL_FILL, TovraCase, WHITE, picture, write)
from winetest import IDCANCEL, IDNO, IDOK, NT_KEY, Screen

EN, JA = 'en', 'ja'
DIVISION, UP_ONE_LEVEL = 1, 15  # bar positions
# Client points inside label 1 (Division) and a point left of the button row.
DIVISION_SPOT = (30, 10)


def on(*positions):
    return set(ALWAYS_ON) | set(positions)


class IconBar(TovraCase):

    def setUp(self):
        super().setUp()
        self.folder, self.root = self.drive('p', name='drive')

    def populate(self):
        """Rows: Data, FILE-0, notes.txt, TOVRA.EXE, x.lzh (folders first, then files)."""
        write(self.folder, 'Data/inside.txt')
        for name in ('FILE-0', 'notes.txt', 'x.lzh'):
            write(self.folder, name, b'some bytes')
        return 5

    def dismiss_windows(self, t, settle=1.0):
        """Closes whatever dialog or message box a command opened: Cancel, No or OK."""
        end = time.monotonic() + settle
        while time.monotonic() < end:
            boxes = [w for w in t.app.windows() if w.cls == '#32770']
            if not boxes:
                time.sleep(0.1)
                continue
            ids = {c.id for c in t.app.controls(boxes[0].hwnd)}
            button = next((i for i in (IDCANCEL, IDNO, IDOK) if i in ids), None)
            if button is None:
                t.app.close(boxes[0].hwnd)
            else:
                t.app.click(boxes[0].hwnd, button)
            t.app.wait_gone(boxes[0].hwnd)
            end = time.monotonic() + settle
        t.settle()

    def label_spot(self, t):
        """A screen point inside a shown Division label (its fill, left of the text)."""
        left, top = t.label_corner(17, 28)
        return left + 2, top + 2

    def show_division_label_and_leave(self, t):
        """Shows the Division label, then moves the cursor off the main window, where the
        label stays until the next update over the window or the next command."""
        x, y = self.label_spot(t)
        t.hover(*DIVISION_SPOT)
        t.app.wait_pixel(x, y, LABEL_FILL)
        t.app.mouse(t.window[2] + 40, t.window[3] + 40, 'move')
        t.settle()
        self.assertEqual(t.app.pixel(x, y), LABEL_FILL)

    def test_states_follow_the_clicked_row(self):
        t = self.start_tovra(self.root, rows=self.populate())
        self.assertEqual(t.enabled_positions(), on())
        cases = [
            (0, on(5, 6, 9, 10, 11)),             # the folder Data
            (1, on(2, 4, 5, 6, 7, 10, 11)),       # FILE-0: no Division
            (2, on(1, 2, 4, 5, 6, 7, 10, 11)),    # an ordinary file
            (3, on()),                            # the program's own file
            (4, on(1, 2, 4, 5, 6, 8, 10, 11)),    # an archive: Decompress, no Compress
            (2, on(1, 2, 4, 5, 6, 7, 10, 11)),
        ]
        for row, expected in cases:
            with self.subTest(row=row):
                t.click_row(row)
                self.assertEqual(t.enabled_positions(), expected)
        # A click below the last row leaves nothing selected.
        t.app.mouse(t.header.rect[0] + 300, t.list.rect[3] - 20, 'click')
        t.settle()
        self.assertEqual(t.selected_row(), -1)
        self.assertEqual(t.enabled_positions(), on())

    def test_every_button_click_reaches_the_dispatcher(self):
        # Each button command first takes a shown label away; the cursor is off the window,
        # so nothing brings it back. Buttons are clicked in states that enable them.
        t = self.start_tovra(self.root, rows=self.populate())
        x, y = self.label_spot(t)
        background = t.app.pixel(x, y)
        plan = [(None, (3, 12, 13, UP_ONE_LEVEL)), (2, (1, 2, 4, 5, 6, 7, 10, 11)),
                (4, (8,)), (0, (9,))]
        for row, positions in plan:
            if row is not None:
                t.click_row(row)
            for pos in positions:
                with self.subTest(button=pos):
                    self.show_division_label_and_leave(t)
                    self.assertTrue(t.app.enabled(t.bar.hwnd, IDC_BTN_DIVISION + pos - 1)[0])
                    t.app.click(t.bar.hwnd, IDC_BTN_DIVISION + pos - 1)
                    t.app.wait_pixel(x, y, background)
                    self.dismiss_windows(t)
        # The drive selector's command and unknown identifiers leave the label alone.
        self.show_division_label_and_leave(t)
        for ident, code in ((IDC_DRIVESELECTOR, 0), (IDC_DRIVESELECTOR, 1), (IDC_LISTFRAME, 0),
                            (100, 0), (IDI_ABOUT, 0)):
            t.app.command(t.main.hwnd, ident, code)
            t.settle()
            self.assertEqual(t.app.pixel(x, y), LABEL_FILL, 'command %d, %d' % (ident, code))
        t.exit()

    def test_pressed_released_and_disabled_pictures(self):
        self.reg_set(NT_KEY, 'CurrentVersion', '6.0')  # the "X" set
        t = self.start_tovra(self.root)
        about = 12
        screen = Screen()
        self.assert_pixels_equal(t.button_pixels(about, screen), picture(about, 'X', 'Up'), 'About up')
        self.assert_pixels_equal(t.button_pixels(6, screen), picture(6, 'X', 'In'), 'Delete off')
        self.assert_pixels_equal(t.button_pixels(DIVISION, screen), picture(DIVISION, 'X', 'In'),
                                 'Division off')
        l, tp, r, b = t.buttons[about].rect
        t.app.mouse((l + r) // 2, (tp + b) // 2, 'down')
        t.settle()
        self.assert_pixels_equal(t.button_pixels(about), picture(about, 'X', 'Dn'), 'About pressed')
        # Sliding off before releasing: the button comes up and nothing runs.
        t.app.mouse(l - 100, b + 150, 'move')
        t.app.mouse(l - 100, b + 150, 'up')
        t.settle()
        self.assert_pixels_equal(t.button_pixels(about), picture(about, 'X', 'Up'), 'About released')
        self.assertEqual([w.cls for w in t.app.windows() if w.cls == '#32770'], [])

    def test_hover_labels_follow_the_cursor(self):
        for lang in (EN, JA):
            with self.subTest(lang=lang):
                t = self.start_tovra(self.root, lang)
                x, y = self.label_spot(t)
                background = t.app.pixel(x, y)
                # Shown over a disabled button too; the frame is black.
                self.assertFalse(t.app.enabled(t.bar.hwnd, IDC_BTN_DIVISION)[0])
                t.hover(21, 10)
                t.app.wait_pixel(x, y, LABEL_FILL)
                self.assertEqual(t.app.pixel(x - 2, y - 2), (0, 0, 0))
                shot = Screen()
                text = [shot.at(px, py) for px in range(x, x + 60) for py in range(y, y + 12)]
                self.assertIn((0, 0, 0), text, 'no text in the label')
                # x = 20 and x = 469 are outside the row.
                t.hover(20, 10)
                t.app.wait_pixel(x, y, background)
                t.hover(52, 10)
                t.app.wait_pixel(x, y, LABEL_FILL)
                t.hover(469, 10)
                t.app.wait_pixel(x, y, background)
                # From Division to Merger in one move: Division's pixels come back.
                t.hover(40, 10)
                t.app.wait_pixel(x, y, LABEL_FILL)
                t.hover(60, 10)
                mx, my = t.label_corner(49, 28)
                t.app.wait_pixel(mx + 2, my + 2, LABEL_FILL)
                self.assertEqual(t.app.pixel(x, y), background)
                # Up One Level in the second row.
                ux, uy = t.label_corner(344, 58)
                ubackground = t.app.pixel(ux + 2, uy + 2)
                t.hover(348, 40)
                t.app.wait_pixel(ux + 2, uy + 2, LABEL_FILL)
                t.hover(347, 40)
                t.app.wait_pixel(ux + 2, uy + 2, ubackground)
                t.exit()

    def test_busy_banner_shows_red_while_work_waits_and_leaves_button_face(self):
        # A file smaller than any division size: the division stops with a warning while
        # the banner is up.
        for lang in (EN, JA):
            with self.subTest(lang=lang):
                write(self.folder, 'small.txt', b'x' * 100)
                t = self.start_tovra(self.root, lang, rows=2)
                face = t.pixel(5, 55)
                t.click_row(0)
                t.press(IDC_BTN_DIVISION)
                t.app.click(t.dialog('Divide File', 'ファイルの分割'), IDOK)

                def banner_up():
                    box = Screen().block(t.to_screen(443, 24) + t.to_screen(564, 55))
                    # Inside the rounded box: red with white text; its frame never shows.
                    self.assertEqual(box[15][5], BANNER_RED)
                    self.assertEqual(box[15][115], BANNER_RED)
                    self.assertIn(WHITE, [p for row in box[5:27] for p in row[20:100]])
                    for corner in ((0, 0), (1, 1), (0, 120), (30, 0), (30, 120)):
                        self.assertEqual(box[corner[0]][corner[1]], face, corner)
                t.expect('under', before=banner_up)
                t.settle()
                after = Screen().block(t.to_screen(443, 24) + t.to_screen(564, 55))
                self.assertEqual({p for row in after for p in row}, {face})
                t.exit()

    def test_location_caption_is_drawn_in_both_languages(self):
        for lang in (EN, JA):
            with self.subTest(lang=lang):
                t = self.start_tovra(self.root, lang)
                face = t.pixel(5, 55)
                shot = Screen()
                l, tp = t.to_screen(20, 34)
                ink = {shot.at(x, y) for x in range(l, l + 90) for y in range(tp, tp + 14)}
                self.assertGreater(len(ink - {face}), 0, 'no caption text')
                left_of = {shot.at(x, y) for x in range(l - 15, l - 1) for y in range(tp, tp + 14)}
                self.assertEqual(left_of, {face})
                t.exit()


if __name__ == '__main__':
    unittest.main()
