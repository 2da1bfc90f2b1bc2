"""Tovra's reader of FILE-0 refusing records in Japanese, read from the screen: the file that
cannot be opened, the record without a semicolon, and damaged records (values out of range,
names that leave the folder; a record with an empty field is refused only after the dialog, as
test_merge shows). Each refusal leaves the folder as it was and the
information file with its attributes."""

import os
import unittest

from tovra import IDC_BTN_MERGER, TovraCase, pattern, unopenable, write


class MainReaderInJapanese(TovraCase):

    lang = 'ja'

    def folder_state(self, folder):
        """Every entry with its size and content, so that a created or changed file shows."""
        state = {}
        for n in os.listdir(folder):
            p = os.path.join(folder, n)
            if os.path.isfile(p):
                with open(p, 'rb') as f:
                    state[n] = f.read()
            else:
                state[n] = None
        return state

    def refused(self, letter, record, key, attributes=()):
        """A set of three pieces with record as FILE-0 (or an unopenable FILE-0 for None);
        selecting it and pressing Merger shows key in Japanese and nothing more."""
        folder, root = self.drive(letter, name='drive-' + letter)
        for k, size in enumerate((20000, 20000, 10000), 1):
            write(folder, 'file-%d' % k, pattern(size, k))
        if record is None:
            unopenable(os.path.join(folder, 'file-0'))
        else:
            write(folder, 'file-0', record)
        shown = None
        if attributes:
            shown = os.listdir(folder)
            self.assertEqual(self.attrib(root + 'file-0', *attributes) & {'R', 'H'},
                             {a[1].upper() for a in attributes})
        before = self.folder_state(folder)
        t = self.start_tovra(root)
        t.select(folder, 'file-0', shown)
        t.press(IDC_BTN_MERGER)
        t.expect(key)
        t.no_window()
        self.assertEqual(self.folder_state(folder), before)
        if attributes:
            self.assertEqual(self.attrib(root + 'file-0') & {'R', 'H'},
                             {a[1].upper() for a in attributes})
        t.app.stop()

    def test_information_file_that_cannot_be_opened(self):
        self.refused('g', None, 'open_info')

    def test_no_semicolon_in_the_record(self):
        for letter, record in (('h', b''), ('i', b'x.bin 50000 3\r\n')):
            with self.subTest(record=record):
                self.refused(letter, record, 'missed')

    def test_damaged_records(self):
        cases = (
            ('l', b'x.bin;50000;0;\n'),                    # no piece at all
            ('m', b'x.bin;50000;1000;\n'),                 # more than 999 pieces
            ('n', b'x.bin;-50000;3;\n'),                   # negative size
            ('o', b'x.bin;50000;3;8;5;14;7;13;1999;\n'),   # month 13
            ('p', b'x.bin;50000;3;8;5;14;\n'),             # part of the time only
            ('q', b'..\\x.bin;50000;3;\n'),                # into the parent folder
            ('r', b'sub/x.bin;50000;3;\n'),                # into a subfolder
            ('s', b'x' * 258 + b';50000;3;\n'),            # name past 257 bytes
        )
        for letter, record in cases:
            with self.subTest(record=record[:40]):
                self.refused(letter, record, 'damaged')

    def test_read_only_hidden_information_file_keeps_its_attributes(self):
        self.refused('u', b'..\\x.bin;50000;3;\n', 'damaged', ('+r', '+h'))


if __name__ == '__main__':
    unittest.main()
