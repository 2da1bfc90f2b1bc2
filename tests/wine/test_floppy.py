"""The copy of a fresh piece set onto floppy disks in the real program, with floppy drives
backed by floppy-sized tmpfs mounts that the test puts in and takes out. FILE-0 goes onto the
first disk and again onto the last, so that a set that loses its first disk still merges."""

import os
import shutil
import subprocess
import unittest

from tovra import (IDC_BTN_DIVISION, IDC_DIV_120, IDC_DIV_144, IDC_DIV_64, IDC_DIV_72,
                   IDC_FD_DRIVE, FloppyPile, TovraCase, last_of, pattern, write)
from winetest import IDCANCEL, IDNO, IDOK, IDYES, bin_path

PIECE = {IDC_DIV_144: 1440000, IDC_DIV_120: 1200000, IDC_DIV_72: 720000, IDC_DIV_64: 640000}


def filecmp_same(original, copies, count=1):
    """count copies of original are among copies, each with its bytes (by cmp)."""
    found = [c for c in copies if os.path.exists(c)]
    return len(found) == count and all(
        subprocess.run(['cmp', '-s', original, c]).returncode == 0 for c in found)


class FloppyCase(TovraCase):

    def divide_for_floppies(self, size, radio, again=False):
        """Divides data.bin of size bytes and answers Yes to the floppy question; returns the
        floppy dialog's handle and the piece count."""
        if not again:
            self.folder, self.root = self.drive()
            self.original = write(self.tmp, 'original', pattern(size))
            write(self.folder, 'data.bin', pattern(size))
            self.t = self.start_tovra(self.root, self.lang)
        self.t.select(self.folder, 'data.bin')
        self.t.press(IDC_BTN_DIVISION)
        if again:
            self.t.expect('exist_q', button=IDYES)
        dlg = self.t.dialog('Divide File', 'ファイルの分割')
        self.radio = radio
        self.t.app.click(dlg, radio)
        self.t.app.click(dlg, IDOK)
        n = -(-size // PIECE[radio])
        self.t.expect('div_success', last_of(n))
        self.t.expect('next_fd', button=IDYES)
        return self.t.dialog('Copy Divided Files to FDs', '分割ファイルの FD へのコピー'), n

    def start_copy(self, dlg, drive='A'):
        self.t.app.set_text(dlg, IDC_FD_DRIVE, drive)
        self.t.app.click(dlg, IDOK)
        self.t.app.wait_gone(dlg)

    def pieces_on_hard_disk(self):
        return sorted(n for n in os.listdir(self.folder) if n.startswith('file-'))

    def gather(self, disks, n, letter, lost=None, exe='TOVRA.EXE'):
        """Copies the pieces of the disks into a new folder beside exe (without the data piece
        lost); returns the folder and its root."""
        target, root = self.drive(letter, name='gathered-%s' % letter, exe=None)
        shutil.copy(bin_path(exe), target)
        for disk in disks:
            for name in os.listdir(disk):
                if name != 'file-%s' % lost:
                    shutil.copy(os.path.join(disk, name), target)
        self.assertEqual(sorted(os.listdir(target)),
                         sorted([exe] + ['file-%d' % k for k in range(last_of(n) + 1) if k != lost]))
        return target, root

    def gather_and_merge(self, disks, n, letter='u', lost=None):
        """Copies the pieces of the disks into a new folder and merges them there with Tovra;
        with the data piece lost left out (its disk lost), rebuilt from the parity piece."""
        self.t.app.stop()
        target, root = self.gather(disks, n, letter, lost)
        self.lang = 'en'
        self.t = self.start_tovra(root)
        self.t.merge(target)
        if lost:
            blocks = PIECE[self.radio] // 10000
            self.t.expect('rebuild_blocks_q', self.t.text('missing', lost), blocks, button=IDYES)
        self.t.expect('mrg_success', 'data.bin')
        self.t.expect('mrg_delete', n + 2, button=IDNO)
        self.assert_same_bytes(os.path.join(target, 'data.bin'), self.original)


class FloppyLayouts(FloppyCase):

    def test_one_and_a_half_megabyte_pieces_one_per_disk(self):
        pile = FloppyPile(self)
        pile.insert()
        dlg, n = self.divide_for_floppies(3 * 1440000 - 7, IDC_DIV_144)
        self.assertEqual(self.t.app.get_text(dlg, IDC_FD_DRIVE), 'A')  # the first removable drive
        self.start_copy(dlg, 'a')
        self.t.expect('confirm')
        # The parity piece, as large as a data piece, takes a disk of its own, its block checks
        # beside it.
        for k in range(2, n + 2):
            self.t.expect('next_disk', before=pile.insert)
        self.t.expect('fd_done', n + 2, button=IDNO)
        self.t.no_window()
        self.assertEqual(pile.contents(),
                         [['file-0', 'file-1'], ['file-2'], ['file-3'], ['file-0', 'file-4', 'file-5']])
        self.assertEqual(len(self.pieces_on_hard_disk()), n + 3)
        for k in range(n + 3):
            self.assertTrue(filecmp_same(os.path.join(self.folder, 'file-%d' % k),
                                         [os.path.join(d, 'file-%d' % k) for d in pile.disks],
                                         2 if k == 0 else 1))
        self.gather_and_merge(pile.disks, n)
        # The disk of FILE-2 lost: the merge of the others rebuilds it.
        self.gather_and_merge(pile.disks, n, 'v', lost=2)

    def test_twelve_pieces_with_two_parity_pieces_merge_without_a_disk(self):
        # 1.2MB pieces, one a disk: the block checks ride beside the first parity piece, the
        # second parity piece FILE-15 takes a disk of its own with FILE-0 again beside it. The
        # disk of FILE-5 lost, Rundelo rebuilds it from the rest.
        pile = FloppyPile(self)
        pile.insert()
        dlg, n = self.divide_for_floppies(12 * 1200000 - 7, IDC_DIV_120)
        self.assertEqual(last_of(n), 15)
        self.start_copy(dlg)
        self.t.expect('confirm')
        for _ in range(13):
            self.t.expect('next_disk', before=pile.insert)
        self.t.expect('fd_done', 15, button=IDNO)
        self.t.no_window()
        self.assertEqual(pile.contents(), [['file-0', 'file-1']] +
                         [['file-%d' % k] for k in range(2, 13)] +
                         [['file-13', 'file-14'], ['file-0', 'file-15']])
        for k in range(16):
            self.assertTrue(filecmp_same(os.path.join(self.folder, 'file-%d' % k),
                                         [os.path.join(d, 'file-%d' % k) for d in pile.disks],
                                         2 if k == 0 else 1))
        self.t.app.stop()
        target, root = self.gather(pile.disks[:4] + pile.disks[5:], n, 'v', lost=5, exe='RUNDELO.EXE')
        rundelo = self.start(root + 'RUNDELO.EXE', root)
        self.assertEqual(rundelo.wait_exit(30), 0)
        self.assert_same_bytes(os.path.join(target, 'data.bin'), self.original)

    def test_720k_pieces_three_on_the_first_disk_then_two_japanese(self):
        self.lang = 'ja'
        pile = FloppyPile(self)
        pile.insert()
        dlg, n = self.divide_for_floppies(7 * 720000 - 5, IDC_DIV_72)
        self.start_copy(dlg, 'A:')
        self.t.expect('confirm')
        for _ in range(3):
            self.t.expect('next_disk', before=pile.insert)
        # Yes deletes the set from the hard disk; the disks keep theirs.
        self.t.expect('fd_done', n + 2, button=IDYES)
        self.t.no_window()
        self.assertEqual(pile.contents(), [['file-0', 'file-1', 'file-2'], ['file-3', 'file-4'],
                                           ['file-5', 'file-6'], ['file-0', 'file-7', 'file-8', 'file-9']])
        self.assertEqual(self.pieces_on_hard_disk(), [])
        self.assertTrue(os.path.exists(os.path.join(self.folder, 'data.bin')))
        self.gather_and_merge(pile.disks, n)


    def test_the_set_merges_without_its_first_disk(self):
        # 5,000,000 bytes in 1.44MB pieces on five disks; FILE-0 rides again beside the parity
        # piece and the block checks. The first disk lost, FILE-1 with it: both mergers rebuild it from the parity
        # piece, with the record from the last disk.
        self.lang = 'ja'
        pile = FloppyPile(self)
        pile.insert()
        dlg, n = self.divide_for_floppies(5000000, IDC_DIV_144)
        self.start_copy(dlg)
        self.t.expect('confirm')
        for _ in range(n):
            self.t.expect('next_disk', before=pile.insert)
        self.t.expect('fd_done', n + 2, button=IDNO)
        self.t.no_window()
        self.assertEqual(pile.contents(), [['file-0', 'file-1'], ['file-2'], ['file-3'],
                                           ['file-4'], ['file-0', 'file-5', 'file-6']])
        for k in range(n + 3):
            self.assertTrue(filecmp_same(os.path.join(self.folder, 'file-%d' % k),
                                         [os.path.join(d, 'file-%d' % k) for d in pile.disks],
                                         2 if k == 0 else 1))
        self.gather_and_merge(pile.disks[1:], n, lost=1)
        target, root = self.gather(pile.disks[1:], n, 'v', lost=1, exe='RUNDELO.EXE')
        rundelo = self.start(root + 'RUNDELO.EXE', root)
        self.assertEqual(rundelo.wait_exit(30), 0)
        self.assert_same_bytes(os.path.join(target, 'data.bin'), self.original)


class FloppyPrompts(FloppyCase):

    def missing_disk_full_disk_and_replaced_file(self, lang):
        self.lang = lang
        pile = FloppyPile(self)  # the drive starts empty
        dlg, n = self.divide_for_floppies(3 * 1440000 - 7, IDC_DIV_144)
        self.start_copy(dlg)
        self.t.expect('confirm')
        self.t.expect('insert')  # OK without a disk asks again
        self.t.expect('insert', before=pile.insert)
        # OK to the next disk without changing it: the piece does not fit.
        self.t.expect('next_disk')
        self.t.expect('fd_full', button=IDYES)
        second = pile.new_disk()
        write(second, 'file-2', b'an older copy, replaced')
        self.t.expect('change', before=lambda: pile.insert(second))
        # The disk taken out before the next piece: the probe finds none.
        self.t.expect('next_disk', before=pile.eject)
        self.t.expect('insert', before=pile.insert)
        self.t.expect('next_disk', before=pile.insert)
        self.t.expect('fd_done', n + 2, button=IDNO)
        self.t.no_window()
        self.assertEqual(pile.contents(),
                         [['file-0', 'file-1'], ['file-2'], ['file-3'], ['file-0', 'file-4', 'file-5']])
        self.gather_and_merge(pile.disks, n)

    def test_missing_disk_full_disk_and_replaced_file_english(self):
        self.missing_disk_full_disk_and_replaced_file('en')

    def test_missing_disk_full_disk_and_replaced_file_japanese(self):
        self.missing_disk_full_disk_and_replaced_file('ja')

    def test_ways_to_stop_english(self):
        self.ways_to_stop('en')

    def test_ways_to_stop_japanese(self):
        self.ways_to_stop('ja')

    def ways_to_stop(self, lang):
        self.lang = lang
        pile = FloppyPile(self)
        pile.insert()
        size = 3 * 1440000 - 7
        # A fixed drive or nothing typed: not a floppy drive.
        for typed in ('T', ''):
            dlg, n = self.divide_for_floppies(size, IDC_DIV_144, again=bool(typed != 'T'))
            self.start_copy(dlg, typed)
            self.t.expect('not_fdd')
            self.t.no_window()
        self.assertEqual(pile.contents(), [[]])
        # Cancel to the first disk, to an empty drive, to the next disk, to a full disk.
        dlg, n = self.divide_for_floppies(size, IDC_DIV_144, again=True)
        self.start_copy(dlg)
        self.t.expect('confirm', button=IDCANCEL)
        self.t.no_window()
        self.assertEqual(pile.contents(), [[]])

        dlg, n = self.divide_for_floppies(size, IDC_DIV_144, again=True)
        self.start_copy(dlg)
        self.t.expect('confirm', before=pile.eject)
        self.t.expect('insert', button=IDCANCEL)
        self.t.no_window()

        dlg, n = self.divide_for_floppies(size, IDC_DIV_144, again=True)
        self.start_copy(dlg)
        self.t.expect('confirm', before=pile.insert)
        self.t.expect('next_disk', button=IDCANCEL)
        self.t.expect('interrupted')
        self.t.no_window()
        self.assertEqual(pile.contents()[-1], ['file-0', 'file-1'])

        dlg, n = self.divide_for_floppies(size, IDC_DIV_144, again=True)
        self.start_copy(dlg)
        self.t.expect('confirm')  # the same, full disk
        self.t.expect('fd_full', button=IDNO)
        self.t.no_window()
        # Nothing was deleted from the hard disk on any of these ways.
        self.assertEqual(len(self.pieces_on_hard_disk()), n + 3)

    def test_copy_that_reads_back_different(self):
        pile = FloppyPile(self)
        pile.insert()
        dlg, n = self.divide_for_floppies(3 * 1440000 - 7, IDC_DIV_144)
        self.start_copy(dlg)
        self.t.expect('confirm')
        # A disk whose file-2 loses what is written to it.
        bad = pile.new_disk()
        os.symlink('/dev/null', os.path.join(bad, 'file-2'))
        self.t.expect('next_disk', before=lambda: pile.insert(bad))
        self.t.expect('copy_failed', 2, button=IDYES)
        self.t.expect('change', before=pile.insert)
        self.t.expect('next_disk', before=pile.insert)
        self.t.expect('next_disk', before=pile.insert)
        self.t.expect('fd_done', n + 2, button=IDNO)
        self.t.no_window()
        good = [d for d in pile.disks if d != bad]
        self.assertEqual([sorted(os.listdir(d)) for d in good],
                         [['file-0', 'file-1'], ['file-2'], ['file-3'], ['file-0', 'file-4', 'file-5']])
        self.gather_and_merge(good, n)

    def test_stop_after_a_bad_copy_or_a_missing_piece_english(self):
        self.stop_after_a_bad_copy_or_a_missing_piece('en')

    def test_stop_after_a_bad_copy_or_a_missing_piece_japanese(self):
        self.stop_after_a_bad_copy_or_a_missing_piece('ja')

    def stop_after_a_bad_copy_or_a_missing_piece(self, lang):
        self.lang = lang
        pile = FloppyPile(self)
        pile.insert()
        size = 5 * 720000 - 3
        dlg, n = self.divide_for_floppies(size, IDC_DIV_72)
        self.start_copy(dlg)
        self.t.expect('confirm')
        bad = pile.new_disk()
        os.symlink('/dev/null', os.path.join(bad, 'file-3'))
        self.t.expect('next_disk', before=lambda: pile.insert(bad))
        self.t.expect('copy_failed', 3, button=IDNO)
        self.t.no_window()
        self.assertEqual(len(self.pieces_on_hard_disk()), n + 3)

        # A piece that is gone from the hard disk when its turn comes.
        dlg, n = self.divide_for_floppies(size, IDC_DIV_72, again=True)
        self.start_copy(dlg)
        self.t.expect('confirm', before=pile.insert)
        self.t.expect('next_disk', before=lambda: (pile.insert(),
                                                 os.remove(os.path.join(self.folder, 'file-5'))))
        self.t.expect('missing', 5)
        self.t.no_window()
        self.assertEqual(pile.contents()[-1], ['file-3', 'file-4'])
        self.assertEqual(len(self.pieces_on_hard_disk()), n + 2)


if __name__ == '__main__':
    unittest.main()
