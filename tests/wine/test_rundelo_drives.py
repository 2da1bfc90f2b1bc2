"""Rundelo against the system around it: drive kinds, free space by each OS kind's query,
a destination that cannot be created, a disk that fills up while writing, and a merged file
whose time cannot be set."""

import os
import subprocess
import unittest

from rundelo import EN, JA, LANGS, RundeloCase, local_epoch, record
from winetest import NINE_X_KEY as WIN_KEY, NT_KEY

WHEN = (1999, 3, 7, 14, 5, 9)
APP_KEY = r'HKCU\Software\Wine\AppDefaults\RUNDELO.EXE'
PAGE = 4096


class Drives(RundeloCase):

    def tmpfs(self, name, options):
        return super().tmpfs(os.path.join(self.tmp, name), options)

    def run_refused(self, exe, folder, lang, key, caption='error', icon='hand', tail=''):
        before = self.listing(folder)
        app = self.start(exe, exe.rsplit('\\', 1)[0] + '\\', lang)
        self.expect_box(app, key, lang, caption, icon, tail)
        self.assert_clean_exit(app)
        self.assert_unchanged(before, folder)

    def small_set(self, folder, name='DATA.BIN', size=30000, seed=1):
        src = self.piece_set(folder, name=name, size=size, piece_bytes=10000, seed=seed)
        self.place(folder)
        return src

    # ---- drive kinds ----

    def test_floppy_disk_is_refused(self):
        root, folder = self.floppy_drive('a')
        for lang in LANGS:
            with self.subTest(lang=lang):
                sub = os.path.join(folder, lang)
                self.small_set(sub)
                self.run_refused(root + lang + '\\RUNDELO.EXE', sub, lang, 'not_hard_disk',
                                 icon='exclamation')

    def test_cd_rom_network_and_ram_disk_are_refused(self):
        for letter, kind in (('d', 'cdrom'), ('n', 'network'), ('r', 'ramdisk')):
            with self.subTest(kind=kind):
                folder = os.path.join(self.tmp, kind)
                self.small_set(folder)
                root = self.map_drive(letter, folder, kind)
                self.run_refused(root + 'RUNDELO.EXE', folder, EN, 'not_hard_disk',
                                 icon='exclamation')

    # ---- free space ----

    def fit_tmpfs(self, folder, free):
        """Resizes the tmpfs at folder so that exactly free bytes stay free."""
        st = os.statvfs(folder)
        used = (st.f_blocks - st.f_bfree) * st.f_frsize
        subprocess.run(['mount', '-o', 'remount,size=%d' % (used + free), folder], check=True)
        st = os.statvfs(folder)
        self.assertEqual(st.f_bavail * st.f_frsize, free)

    def test_free_space_margin_of_1000_bytes(self):
        # The merged file of size bytes needs size + 1000 free: exactly that merges, one more
        # byte in the record is refused before anything is written.
        folder = self.tmpfs('space', 'size=4m')
        root = self.map_drive('f', folder)
        size = 60 * PAGE - 1000
        src = self.small_set(folder, size=size)
        self.fit_tmpfs(folder, size + 1000)
        before = self.listing(folder)
        app = self.start(root + 'RUNDELO.EXE', root, EN)
        self.assert_clean_exit(app)
        self.assert_same_bytes(os.path.join(folder, 'DATA.BIN'), src)
        os.remove(os.path.join(folder, 'DATA.BIN'))
        self.assertEqual(self.listing(folder), before)

        self.write_info(folder, record('DATA.BIN', size + 1, 3, WHEN))
        for lang in LANGS:
            with self.subTest(lang=lang):
                self.run_refused(root + 'RUNDELO.EXE', folder, lang, 'free_space')

    def test_free_space_query_follows_the_os_kind(self):
        # A record of nearly 2 GiB on a 3 GiB drive: the 64-bit query finds room (the merge
        # then stops at the size check), the classic one of a first Windows 95 release is
        # capped below 2 GiB by the system and finds none.
        folder = self.tmpfs('big', 'size=3g')
        root = self.map_drive('g', folder)
        self.small_set(folder)
        self.write_info(folder, record('DATA.BIN', 2147450000, 3, WHEN))
        cases = (
            ('Windows NT 6.1', None, None, None, 'size'),
            ('NT 4.0 as Windows 95', '4.0', None, 'win95', 'size'),
            ('Windows 95, first release', '', None, 'win95', 'free_space'),
            ('Windows 95 OSR2 build above 1000', '', None, 'win98', 'size'),
            ('Windows 95 kind on an NT system', '', None, None, 'size'),
            ('Windows 98', '', 'Microsoft Windows 98', 'win95', 'size'),
            ('Windows ME', '', 'Microsoft Windows ME', 'win95', 'size'),
        )
        for label, nt, product, version, key in cases:
            with self.subTest(label), self.registry((NT_KEY, 'CurrentVersion', nt),
                                                    (WIN_KEY, 'ProductName', product),
                                                    (APP_KEY, 'Version', version)):
                self.run_refused(root + 'RUNDELO.EXE', folder, EN, key)

    # ---- creating and writing ----

    def test_destination_path_too_long_for_the_system(self):
        # Folder and name fit the system's 260-character paths apart, not together.
        deep = ('d' * 100, 'e' * 100)
        for lang, name in ((EN, 'long name ' * 6 + '.bin'), (JA, 'あ' * 30 + '.bin')):
            with self.subTest(lang=lang):
                folder = os.path.join(self.drive, lang, *deep)
                raw = name.encode('cp1252' if lang == EN else 'cp932')
                self.split(folder, self.source(30000), 10000)
                self.write_info(folder, record(raw, 30000, 3, WHEN))
                self.place(folder)
                self.assertGreater(len(self.win(lang, *deep)) + 1 + len(raw), 257)
                self.run_refused(self.win(lang, *deep, 'RUNDELO.EXE'), folder, lang,
                                 'cannot_create', tail=name)

    def test_folder_whose_path_leaves_no_room_for_the_temporary_name(self):
        # The program's path is then 258 or 259 characters long: read whole, it is no longer
        # taken for no folder at all, and one character less still merges.
        for total, lang, key in ((246, EN, 'path_too_long'), (247, JA, 'path_too_long'), (245, EN, None)):
            with self.subTest(total=total, lang=lang):
                deep = (lang[0] * 100, 'q' * (total - 3 - 101))
                folder = os.path.join(self.drive, *deep)
                src = self.small_set(folder)
                exe = self.win(*deep, 'RUNDELO.EXE')
                self.assertEqual(len(exe), total + 12)
                before = self.listing(folder)
                app = self.start(exe, self.root, lang)
                if key:
                    self.expect_box(app, key, lang)
                self.assert_clean_exit(app)
                if key:
                    self.assert_unchanged(before, folder)
                else:
                    self.assert_same_bytes(os.path.join(folder, 'DATA.BIN'), src)
                subprocess.run(['rm', '-rf', os.path.join(self.drive, deep[0])], check=True)

    def test_read_only_volume(self):
        folder = self.tmpfs('readonly', 'size=4m')
        root = self.map_drive('h', folder)
        self.small_set(folder)
        subprocess.run(['mount', '-o', 'remount,ro', folder], check=True)
        self.run_refused(root + 'RUNDELO.EXE', folder, EN, 'cannot_create', tail='DATA.BIN')

    def test_folder_that_can_hold_no_more_files(self):
        folder = self.tmpfs('inodes', 'size=4m')
        root = self.map_drive('i', folder)
        self.small_set(folder)
        st = os.statvfs(folder)
        subprocess.run(['mount', '-o', 'remount,nr_inodes=%d' % (st.f_files - st.f_ffree), folder],
                       check=True)
        self.run_refused(root + 'RUNDELO.EXE', folder, JA, 'cannot_create', tail='DATA.BIN')

    def test_write_that_fails_is_no_success(self):
        for lang in LANGS:
            with self.subTest(lang=lang):
                folder = os.path.join(self.drive, lang)
                self.piece_set(folder, size=3500000, piece_bytes=1440000)
                self.place(folder)
                before = self.listing(folder)
                app = self.start_with_file_size_limit(self.win(lang, 'RUNDELO.EXE'),
                                                      self.win(lang), lang, 1000000)
                self.expect_box(app, 'size', lang)
                self.assert_clean_exit(app)
                self.assert_unchanged(before, folder)

    # ---- the time ----

    def test_time_before_the_first_file_time(self):
        # 1 January 1601 at midnight nine hours east of Greenwich is still 1600 in UTC.
        when = (1601, 1, 1, 0, 0, 0)
        for lang in LANGS:
            with self.subTest(lang=lang):
                folder = os.path.join(self.drive, lang)
                src = self.piece_set(folder, size=30000, piece_bytes=10000, when=when)
                self.place(folder)
                app = self.run_in(lang, lang)
                self.expect_box(app, 'time', lang)
                self.assert_clean_exit(app)
                merged = os.path.join(folder, 'DATA.BIN')
                self.assert_same_bytes(merged, src)  # the merged file stays
                self.assertNotEqual(os.stat(merged).st_mtime, local_epoch(when))

    def test_merged_file_held_open_by_another_program(self):
        # Held while it is written, under the temporary name it has until it checks out.
        folder = os.path.join(self.drive, 'held')
        src = self.piece_set(folder, size=40 * 1440000 - 5, piece_bytes=1440000)
        self.place(folder)
        holder = self.robot()
        holder.hold(self.win('held', '~RDL000.TMP'))
        app = self.run_in('held', EN)
        holder.wait_held(30)
        self.expect_box(app, 'time', EN)
        self.assert_clean_exit(app)
        holder.stop()
        merged = os.path.join(folder, 'DATA.BIN')
        self.assert_same_bytes(merged, src)
        self.assertNotEqual(os.stat(merged).st_mtime, local_epoch(WHEN))
        self.assertNotIn('~RDL000.TMP', os.listdir(folder))


if __name__ == '__main__':
    unittest.main()
