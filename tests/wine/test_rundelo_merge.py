"""Rundelo merges piece sets made with split into the recorded file, byte for byte, with the
recorded time, shows nothing and ends with code 0."""

import os
import unittest

from rundelo import EN, JA, LANGS, RundeloCase, local_epoch, record


class Merge(RundeloCase):

    def merge_ok(self, sub, lang, name, source, exe_name='RUNDELO.EXE', cwd=None):
        """Runs the program in drive folder sub and checks the merged file's bytes, that
        nothing else changed, and that it ended by itself (a message box would hold it)."""
        folder = os.path.join(self.drive, sub)
        before = self.listing(folder)
        app = self.run_in(sub, lang, exe_name, cwd)
        self.assert_clean_exit(app)
        merged = os.path.join(folder, name)
        self.assert_same_bytes(merged, source)
        after = self.listing(folder)
        del after[name]
        self.assertEqual(after, before)
        return merged

    def test_recorded_time_with_odd_second_in_both_languages(self):
        when = (1999, 3, 7, 14, 5, 9)
        for lang in LANGS:
            with self.subTest(lang=lang):
                sub = 'set-' + lang
                src = self.piece_set(os.path.join(self.drive, sub), when=when, seed=len(lang))
                self.place(os.path.join(self.drive, sub))
                merged = self.merge_ok(sub, lang, 'DATA.BIN', src)
                self.assert_mtime(merged, when)  # the fixed drive is NTFS: odd second kept

    def test_program_at_the_drive_root(self):
        when = (2004, 12, 31, 23, 59, 58)
        src = self.piece_set(self.drive, name='year end.dat', size=100001, piece_bytes=10000,
                             when=when)
        self.place(self.drive)
        self.assert_mtime(self.merge_ok('', EN, 'year end.dat', src), when)

    def test_upper_case_and_lower_case_piece_names(self):
        for prefix in ('FILE-', 'file-'):
            with self.subTest(prefix=prefix):
                folder = os.path.join(self.drive, prefix)
                src = self.piece_set(folder, name='CASE.BIN', size=250000, piece_bytes=60000,
                                     prefix=prefix, seed=ord(prefix[0]))
                self.place(folder)
                self.merge_ok(prefix, EN, 'CASE.BIN', src)

    def test_pieces_of_whole_32000_byte_chunks(self):
        # Each piece's last pass copies nothing; one set of one piece only.
        for sub, size, piece in (('three', 192000, 64000), ('one', 96000, 96000),
                                 ('floppy', 2 * 1440000, 1440000)):
            with self.subTest(sub=sub):
                folder = os.path.join(self.drive, sub)
                src = self.piece_set(folder, name=sub + '.bin', size=size, piece_bytes=piece)
                self.place(folder)
                self.merge_ok(sub, EN, sub + '.bin', src)

    def test_999_pieces(self):
        folder = os.path.join(self.drive, 'many')
        src = self.piece_set(folder, name='many.bin', size=999 * 100 - 37, piece_bytes=100)
        self.assertTrue(os.path.exists(os.path.join(folder, 'file-999')))
        self.place(folder)
        self.merge_ok('many', EN, 'many.bin', src)

    def test_short_form_with_crlf_takes_the_information_files_time(self):
        info_time = (2001, 2, 3, 4, 5, 7)
        for lang in LANGS:
            with self.subTest(lang=lang):
                folder = os.path.join(self.drive, lang)
                src = self.source(50000, seed=5)
                count = self.split(folder, src, 20000)
                info = self.write_info(folder, b'SHORT.BIN;50000;%d;\r\n' % count)
                t = local_epoch(info_time)
                os.utime(info, ns=(t * 10**9 + 123456789, t * 10**9 + 123456789))
                self.place(folder)
                self.assert_mtime(self.merge_ok(lang, lang, 'SHORT.BIN', src), info_time)

    def test_partly_filled_time_takes_the_information_files_time(self):
        folder = os.path.join(self.drive, 'part')
        src = self.source(30000, seed=6)
        self.split(folder, src, 20000)
        info = self.write_info(folder, b'PART.BIN;30000;2;8;5;14;;3;1999;\n')
        t = local_epoch((2010, 6, 15, 8, 30, 1))
        os.utime(info, (t, t))
        self.place(folder)
        self.assert_mtime(self.merge_ok('part', EN, 'PART.BIN', src), (2010, 6, 15, 8, 30, 1))

    def test_read_only_and_hidden_information_file_keeps_its_attributes(self):
        for flags in (('+r',), ('+h',), ('+r', '+h')):
            with self.subTest(flags=flags):
                sub = ''.join(f[1] for f in flags)
                folder = os.path.join(self.drive, sub)
                src = self.piece_set(folder, name='ATTR.BIN', size=70000, piece_bytes=30000)
                self.place(folder)
                info = self.win(sub, 'file-0')
                before = self.attrib(info, *flags)
                for f in flags:
                    self.assertIn(f[1].upper(), before)
                self.merge_ok(sub, EN, 'ATTR.BIN', src)
                self.assertEqual(self.attrib(info), before)

    def test_renamed_program_merges_the_set_beside_itself(self):
        src = self.piece_set(os.path.join(self.drive, 'renamed'), name='R.BIN', size=45000,
                             piece_bytes=20000)
        self.place(os.path.join(self.drive, 'renamed'), 'MERGE.EXE')
        self.merge_ok('renamed', EN, 'R.BIN', src, exe_name='MERGE.EXE')

    def test_renamed_program_ignores_another_copy_on_the_search_path(self):
        # Started from a folder that holds RUNDELO.EXE and a set of its own: the look-up by
        # name finds that copy first, yet the set beside the running program is merged.
        other = os.path.join(self.drive, 'other')
        self.piece_set(other, name='OTHER.BIN', size=30000, piece_bytes=20000, seed=8)
        self.place(other)
        other_before = self.listing(other)
        src = self.piece_set(os.path.join(self.drive, 'mine'), name='MINE.BIN', size=30000,
                             piece_bytes=20000, seed=9)
        self.place(os.path.join(self.drive, 'mine'), 'JOIN.EXE')
        self.merge_ok('mine', EN, 'MINE.BIN', src, exe_name='JOIN.EXE', cwd=self.win('other'))
        self.assert_unchanged(other_before, other)

    def test_renamed_program_with_shift_jis_name(self):
        # The program file "ソ.exe": its name's trail byte 0x5C is no separator.
        folder = os.path.join(self.drive, 'sj')
        src = self.piece_set(folder, name='SJ.BIN', size=25000, piece_bytes=10000)
        self.place(folder, 'ソ.exe')
        self.merge_ok('sj', JA, 'SJ.BIN', src, exe_name='ソ.exe')

    def test_shift_jis_name_with_trail_byte_5c(self):
        # "ソ.txt" in Shift-JIS is 83 5C 2E 74 78 74; under code page 932 it is one plain name.
        folder = os.path.join(self.drive, 'ja')
        src = self.source(33333, seed=11)
        count = self.split(folder, src, 10000)
        self.write_info(folder, record('ソ.txt'.encode('cp932'), 33333, count,
                                       (2002, 2, 2, 2, 2, 3)))
        self.place(folder)
        merged = self.merge_ok('ja', JA, 'ソ.txt', src)
        self.assert_mtime(merged, (2002, 2, 2, 2, 2, 3))


if __name__ == '__main__':
    unittest.main()
