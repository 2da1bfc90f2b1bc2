"""The OS kind read from the two registry values of the test's own prefix: it picks the set
of button pictures and, between NT and 9x kinds, the height of the English hover labels."""

import unittest

from tovra import LABEL_FILL, TovraCase, picture
from winetest import NINE_X_KEY, NT_KEY, Screen

EXIT, DELETE = 14, 6  # bar positions

# NT version text (None: value removed), 9x product name (None: removed), set letter, NT kind.
ROWS = [
    ('4.0', None, '', True),
    ('5.0', None, '8', True),
    ('5.1', None, 'X', True),
    ('6.0', None, 'X', True),
    (None, 'Microsoft Windows 98', '', False),
    (None, 'Microsoft Windows ME', '9', False),
    (None, 'Microsoft Windows 95', '', False),
    (None, 'Microsoft Windows Me', '', False),  # the search is case-sensitive
    (None, None, '', False),
]


class OsKind(TovraCase):

    def setUp(self):
        super().setUp()
        self.folder, self.root = self.drive('p', name='drive')

    def label_height(self, t):
        """Rows of fill in the Division label's first fill column."""
        left, top = t.label_corner(17, 28)
        t.hover(30, 10)
        t.app.wait_pixel(left + 1, top + 1, LABEL_FILL)
        shot = Screen()
        y = top + 1
        while shot.at(left + 1, y) == LABEL_FILL:
            y += 1
        self.assertEqual(shot.at(left + 1, y), (0, 0, 0), 'label frame')
        return y - top - 1

    def test_every_row_of_the_decision_table(self):
        heights = {True: set(), False: set()}
        for version, product, letter, nt in ROWS:
            with self.subTest(version=version, product=product):
                if version is None:
                    self.reg_delete(NT_KEY, 'CurrentVersion')
                else:
                    self.reg_set(NT_KEY, 'CurrentVersion', version)
                if product is None:
                    self.reg_delete(NINE_X_KEY, 'ProductName')
                else:
                    self.reg_set(NINE_X_KEY, 'ProductName', product)
                t = self.start_tovra(self.root)
                screen = Screen()
                self.assert_pixels_equal(t.button_pixels(EXIT, screen),
                                         picture(EXIT, letter, 'Up'),
                                         'Exit')
                self.assert_pixels_equal(t.button_pixels(DELETE, screen),
                                         picture(DELETE, letter, 'In'),
                                         'Delete')
                heights[nt].add(self.label_height(t))
                t.exit()
        self.assertEqual(len(heights[True]), 1, heights)
        self.assertEqual(len(heights[False]), 1, heights)
        self.assertGreater(heights[True].pop(), heights[False].pop())


if __name__ == '__main__':
    unittest.main()
