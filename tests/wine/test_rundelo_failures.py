"""Every refusal of Rundelo read from the screen in English and Japanese: the piece set and
the record, the destination, the pieces. After each, the program ends with code 0 and nothing
on the drive has changed (no merged file, the information file as it was)."""

import os
import unittest

from rundelo import EN, JA, LANGS, RundeloCase, record, text

WHEN = (1999, 3, 7, 14, 5, 9)


class Failures(RundeloCase):

    def refused(self, sub, lang, key, caption='error', icon='hand', tail='', number=None):
        """Runs the program in drive folder sub, expects one message box, then a clean end
        with the whole drive unchanged. Returns the app for further looks."""
        before = self.listing()
        app = self.run_in(sub, lang)
        self.expect_box(app, key, lang, caption, icon, tail, number)
        self.assert_clean_exit(app)
        self.assert_unchanged(before)
        return app

    def set_with_record(self, sub, data, size=30000, pieces=3):
        """A folder with pieces of a source of size bytes and the given record bytes."""
        folder = os.path.join(self.drive, sub)
        src = self.source(size)
        self.split(folder, src, -(-size // pieces))
        self.write_info(folder, data)
        self.place(folder)
        return folder

    def test_no_information_file(self):
        for lang in LANGS:
            with self.subTest(lang=lang):
                folder = os.path.join(self.drive, lang)
                self.split(folder, self.source(30000), 10000)
                self.place(folder)
                self.refused(lang, lang, 'no_info')

    def test_information_file_that_cannot_be_opened(self):
        # FILE-0 is found but is a folder.
        for lang in LANGS:
            with self.subTest(lang=lang):
                folder = os.path.join(self.drive, lang)
                self.split(folder, self.source(30000), 10000)
                os.makedirs(os.path.join(folder, 'file-0'))
                self.place(folder)
                self.refused(lang, lang, 'cannot_open_info')

    def test_incorrect_records(self):
        good = record('DATA.BIN', 30000, 3, WHEN)
        # One of each kind; the reader's own tests go through the details.
        cases = {
            'empty': b'',
            'short form with LF alone': b'DATA.BIN;30000;3;\n',
            'empty name': good.replace(b'DATA.BIN', b''),
            'CR inside a field': b'DATA\r.BIN;30000;3;\r\n',
            'end before the last semicolon': good.rstrip(b';\n'),
            'name 258 bytes': good.replace(b'DATA.BIN', b'n' * 258),
            # 2^32 + 30000: a 32-bit reading would wrap it to the true size.
            'size that wraps 32 bits': good.replace(b';30000;', b';4294997296;'),
            'negative size': good.replace(b';30000;', b';-30000;'),
            'count 1000': good.replace(b';30000;3;', b';30000;1000;'),
            'no 29 February 1999': good.replace(b';7;3;1999;', b';29;2;1999;'),
            'parent folder': good.replace(b'DATA.BIN', b'..\\DATA.BIN'),
            'slash': good.replace(b'DATA.BIN', b'sub/DATA.BIN'),
            'drive': good.replace(b'DATA.BIN', b'X:DATA.BIN'),
            'device': good.replace(b'DATA.BIN', b'NUL'),
            # Under code page 1252 the Shift-JIS trail byte of "ソ" is a backslash.
            'Shift-JIS name under 1252': good.replace(b'DATA.BIN', 'ソ.txt'.encode('cp932')),
        }
        os.makedirs(os.path.join(self.drive, 'sub'))  # a folder the names might reach into
        for i, (label, data) in enumerate(cases.items()):
            with self.subTest(label):
                sub = 'case%02d' % i
                self.set_with_record(sub, data)
                self.refused(sub, EN, 'incorrect')

    def test_incorrect_records_in_japanese(self):
        for i, data in enumerate((b'', b'DATA.BIN;30000;3;\n',
                                  record(b'..\\DATA.BIN', 30000, 3, WHEN))):
            with self.subTest(data=data):
                self.set_with_record('ja%d' % i, data)
                self.refused('ja%d' % i, JA, 'incorrect')

    def test_refused_information_file_keeps_its_attributes(self):
        # Read-only, hidden and system: refused while reading, and refused after reading.
        for sub, data in (('bad', b'DATA.BIN;30000;3;\n'),
                          ('good', record('DATA.BIN', 30000, 3, WHEN))):
            with self.subTest(sub):
                folder = self.set_with_record(sub, data)
                info = self.win(sub, 'file-0')
                if sub == 'good':
                    open(os.path.join(folder, 'DATA.BIN'), 'wb').close()
                before = self.attrib(info, '+r', '+h', '+s')
                self.assertEqual(before, set('AHRS'))
                if sub == 'bad':
                    self.refused(sub, EN, 'incorrect')
                else:
                    self.refused(sub, EN, 'exists', 'warning', 'exclamation',
                                 tail=self.win(sub, 'DATA.BIN'))
                self.assertEqual(self.attrib(info), before)

    def test_destination_exists(self):
        for lang in LANGS:
            with self.subTest(lang=lang):
                folder = self.set_with_record(lang, record('DATA.BIN', 30000, 3, WHEN))
                with open(os.path.join(folder, 'data.bin'), 'wb') as f:  # found in any case
                    f.write(b'keep me')
                self.refused(lang, lang, 'exists', 'warning', 'exclamation',
                             tail=self.win(lang, 'DATA.BIN'))

    def test_missing_pieces(self):
        for lang, remove, count in ((EN, 'file-1', 3), (JA, 'file-3', 3), (EN, None, 4)):
            with self.subTest(lang=lang, remove=remove, count=count):
                sub = '%s-%s-%d' % (lang, remove, count)
                folder = self.set_with_record(sub, record('DATA.BIN', 30000, count, WHEN))
                if remove:
                    os.remove(os.path.join(folder, remove))
                missing = int(remove[-1]) if remove else count
                self.refused(sub, lang, 'missing', number=missing)

    def test_piece_that_cannot_be_opened(self):
        # FILE-2 exists but is a folder: the merged file is begun, then deleted.
        for lang in LANGS:
            with self.subTest(lang=lang):
                folder = self.set_with_record(lang, record('DATA.BIN', 30000, 3, WHEN))
                os.remove(os.path.join(folder, 'file-2'))
                os.makedirs(os.path.join(folder, 'file-2'))
                self.refused(lang, lang, 'cannot_open_piece')

    def test_truncated_last_piece(self):
        for lang in LANGS:
            with self.subTest(lang=lang):
                folder = self.set_with_record(lang, record('DATA.BIN', 30000, 3, WHEN))
                os.truncate(os.path.join(folder, 'file-3'), 9999)
                self.refused(lang, lang, 'size')
                self.assertFalse(os.path.exists(os.path.join(folder, 'DATA.BIN')))

    def test_size_differs_from_the_record(self):
        # A longer last piece, and a record that promises more than the pieces hold.
        for sub, size, grow in (('longer', 30000, 1), ('promise', 30001, 0)):
            with self.subTest(sub):
                folder = self.set_with_record(sub, record('DATA.BIN', size, 3, WHEN), size=30000)
                if grow:
                    with open(os.path.join(folder, 'file-3'), 'ab') as f:
                        f.write(b'x' * grow)
                self.refused(sub, EN, 'size')


if __name__ == '__main__':
    unittest.main()
