"""Tovra's drive selector and navigation under Wine: entries of every drive kind, the folder
chain, Up One Level, choices in the selector and the media question."""

import os
import unittest

from tovra import FILE_BUTTONS, TovraCase, write
from winetest import IDNO, IDYES, Screen

M = 'M:\\'
NONE = {b: False for b in FILE_BUTTONS}
ARCHIVE = {b: b not in ('Compress', 'File Size') for b in FILE_BUTTONS}
INFO_FILE = {b: b not in ('Division', 'Decompress', 'File Size') for b in FILE_BUTTONS}


def other_drives(prefix, mapped):
    """Entry texts the prefix's own drives get: fixed, labelled by their .windows-label."""
    out = {}
    folder = os.path.join(prefix, 'dosdevices')
    for name in os.listdir(folder):
        if len(name) != 2 or name[1] != ':' or name[0] in mapped:
            continue
        target = os.path.join(folder, name)
        if not os.path.isdir(target):
            continue
        label = ''
        try:
            with open(os.path.join(target, '.windows-label'), encoding='utf-8') as f:
                label = f.readline().strip()
        except OSError:
            pass
        out[name[0]] = '%s:[%s]' % (name[0].upper(), label or 'FIXED-DRIVE')
    return out


class DriveEntries(TovraCase):

    def check_language(self, lang):
        self.drive('m', label='TOVRA')
        kinds = {}
        # Labels on the drives that are not fixed: only a fixed drive shows its label.
        for letter, kind, label, medium in (
                ('a', 'floppy', 'FLOPPY', True), ('b', 'floppy', None, False),
                ('d', 'cdrom', 'DISC', True), ('f', 'fixed', None, True),
                ('g', 'fixed', 'BACKUP', True), ('n', 'network', 'SHARE', True),
                ('r', 'ramdisk', 'RAM', True)):
            folder = os.path.join(self.tmp, 'drive-' + letter)
            if medium:
                os.makedirs(folder)
            self.map_drive(letter, folder, kind, label)
            kinds[letter] = kind
        expected = {'a': 'A:[REMOVABLE-DRIVE]', 'b': 'B:[REMOVABLE-DRIVE]', 'd': 'D:[CD-ROM]',
                    'f': 'F:[FIXED-DRIVE]', 'g': 'G:[BACKUP]', 'm': 'M:[TOVRA]',
                    'n': 'N:[NETWORK-DRIVE]', 'r': 'R:[RAM-DRIVE]'}
        expected.update(other_drives(os.environ['WINEPREFIX'], set(expected)))
        tovra = self.start_tovra(M, lang=lang)
        sel, items = tovra.items()
        texts = [expected[k] for k in sorted(expected)]
        self.assertEqual([i.text for i in items], texts)
        self.assertEqual([i.indent for i in items], [0] * len(texts))
        self.assertEqual(sel, texts.index('M:[TOVRA]'))

    def test_every_kind_in_letter_order_english(self):
        self.check_language('en')

    def test_every_kind_in_letter_order_japanese(self):
        self.check_language('ja')


class Navigation(TovraCase):
    """A program drive M: with M:\\LEVEL1\\LEVEL2, a floppy A: with a disk, B: without, a CD-ROM
    D: and a network drive N:. Each folder holds a file found nowhere else, so a click on it
    shows by the button states whether the process's directory is the listed one."""

    def setUp(self):
        super().setUp()
        root = self.drive('m')[0]
        os.makedirs(os.path.join(root, 'LEVEL1', 'LEVEL2'))
        os.makedirs(os.path.join(root, 'Recycled'))
        os.makedirs(os.path.join(root, 'RECYCLER'))
        os.makedirs(os.path.join(root, '[x]'))
        write(root, 'top.zip')
        write(root, 'LEVEL1/one.zip')
        write(root, 'LEVEL1/LEVEL2/FILE-0')
        self.root = root
        self.drive_files = {}
        for letter, kind, medium in (('a', 'floppy', True), ('b', 'floppy', False),
                                     ('d', 'cdrom', True), ('n', 'network', True)):
            folder = os.path.join(self.tmp, 'drive-' + letter)
            if medium:
                os.makedirs(folder)
                write(folder, '%s.zip' % letter)
                self.drive_files[letter] = ['%s.zip' % letter]
            self.map_drive(letter, folder, kind)

    def start_here(self, lang='en'):
        tovra = self.start_tovra(M, lang=lang)
        _, self.drives = tovra.items()
        return tovra

    def drive_index(self, letter):
        return [i.text[0] for i in self.drives].index(letter.upper())

    def check_view(self, tovra, names, drive='M', chain=()):
        """The process's directory, list rows, selector entries with indents, and selection
        agree on one directory."""
        cwd = tovra.process_dir()
        self.assertEqual(cwd[:1].upper() + cwd[1:].rstrip('\\'),
                         '\\'.join([drive + ':'] + list(chain)), "the process's directory")
        self.assertEqual(tovra.names(), names)
        sel, items = tovra.items()
        expected = []
        for item in self.drives:
            expected.append((0, item.text))
            if item.text[0] == drive:
                expected += [(level + 1, name) for level, name in enumerate(chain)]
        self.assertEqual([(i.indent, i.text) for i in items], expected)
        at = self.drive_index(drive) + len(chain)
        self.assertEqual(sel, at, 'selection on the current directory')

    def click_name(self, tovra, name, states):
        """Clicks the row named name; the states prove the process's directory holds it."""
        tovra.click_row(tovra.names().index(name))
        self.assertEqual(tovra.file_buttons(), states)

    def open_folder(self, tovra, name):
        tovra.dblclick_row(tovra.names().index(name))

    ROOT_ROWS = ['[x]', 'LEVEL1', 'Recycled', 'RECYCLER', 'top.zip', 'TOVRA.EXE']

    def test_down_two_levels_up_and_back_through_the_chain(self):
        tovra = self.start_here()
        self.check_view(tovra, self.ROOT_ROWS)
        self.click_name(tovra, 'top.zip', ARCHIVE)
        self.open_folder(tovra, 'LEVEL1')
        self.check_view(tovra, ['LEVEL2', 'one.zip'], chain=['LEVEL1'])
        self.assertEqual(tovra.file_buttons(), NONE)
        self.click_name(tovra, 'one.zip', ARCHIVE)
        self.open_folder(tovra, 'LEVEL2')
        self.check_view(tovra, ['FILE-0'], chain=['LEVEL1', 'LEVEL2'])
        self.click_name(tovra, 'FILE-0', INFO_FILE)

        tovra.up()
        self.check_view(tovra, ['LEVEL2', 'one.zip'], chain=['LEVEL1'])
        self.assertEqual(tovra.file_buttons(), NONE)  # the directory changed: record cleared
        self.click_name(tovra, 'one.zip', ARCHIVE)
        self.open_folder(tovra, 'LEVEL2')

        # Choosing the chain's first entry removes the one below it.
        tovra.choose(self.drive_index('M') + 1)
        self.check_view(tovra, ['LEVEL2', 'one.zip'], chain=['LEVEL1'])
        self.click_name(tovra, 'one.zip', ARCHIVE)
        # Choosing the current directory's own entry changes nothing, the record included.
        tovra.choose(self.drive_index('M') + 1)
        self.check_view(tovra, ['LEVEL2', 'one.zip'], chain=['LEVEL1'])
        self.assertEqual(tovra.file_buttons(), ARCHIVE)
        self.open_folder(tovra, 'LEVEL2')
        tovra.choose(self.drive_index('M'))
        self.check_view(tovra, self.ROOT_ROWS)
        self.assertEqual(tovra.file_buttons(), NONE)
        self.click_name(tovra, 'top.zip', ARCHIVE)

        # Up One Level in the root changes nothing, so the record and states stay.
        tovra.up()
        self.check_view(tovra, self.ROOT_ROWS)
        self.assertEqual(tovra.file_buttons(), ARCHIVE)
        self.assertEqual(tovra.selected_rows(), [self.ROOT_ROWS.index('top.zip')])

    def test_a_folder_gone_since_the_listing_does_not_open(self):
        tovra = self.start_here()
        os.rmdir(os.path.join(self.root, '[x]'))
        self.open_folder(tovra, '[x]')
        self.check_view(tovra, self.ROOT_ROWS)
        self.assertEqual(tovra.file_buttons(), NONE)
        self.open_folder(tovra, 'LEVEL1')
        self.check_view(tovra, ['LEVEL2', 'one.zip'], chain=['LEVEL1'])

    def test_recycle_bins_never_open_and_brackets_do(self):
        tovra = self.start_here()
        for name in ('Recycled', 'RECYCLER'):
            self.open_folder(tovra, name)
            self.check_view(tovra, self.ROOT_ROWS)
        self.open_folder(tovra, '[x]')
        self.check_view(tovra, [], chain=['[x]'])
        tovra.up()
        self.check_view(tovra, self.ROOT_ROWS)

    def choose_with_question(self, tovra, letter, answer, lang='en'):
        tovra.choose(self.drive_index(letter))
        tovra.expect('media', letter.upper() + ':\\', button=answer)
        tovra.settle()
        self.assertEqual(tovra.thread_priority(), 0, 'priority back to normal')

    def test_other_drives_with_and_without_a_medium(self):
        tovra = self.start_here()
        self.open_folder(tovra, 'LEVEL1')
        self.open_folder(tovra, 'LEVEL2')
        self.click_name(tovra, 'FILE-0', INFO_FILE)

        # No: nothing changes, the selection goes back to the current entry.
        self.choose_with_question(tovra, 'a', IDNO)
        self.check_view(tovra, ['FILE-0'], chain=['LEVEL1', 'LEVEL2'])
        self.assertEqual(tovra.file_buttons(), INFO_FILE)

        # Yes without a medium: no system error box, nothing changes.
        self.choose_with_question(tovra, 'b', IDYES)
        self.assertEqual([w for w in tovra.app.windows() if w.cls == '#32770'], [])
        self.check_view(tovra, ['FILE-0'], chain=['LEVEL1', 'LEVEL2'])
        self.assertEqual(tovra.file_buttons(), INFO_FILE)

        # A network drive after M: its entry moves forward by the two chain entries.
        tovra.choose(self.drive_index('n') + 2)
        self.assertEqual(tovra.thread_priority(), 0, 'priority back to normal')
        self.check_view(tovra, self.drive_files['n'], drive='N')
        self.assertEqual(tovra.file_buttons(), NONE)
        self.click_name(tovra, 'n.zip', ARCHIVE)

        # The floppy with a disk, before M: asked, then entered.
        self.choose_with_question(tovra, 'a', IDYES)
        self.check_view(tovra, self.drive_files['a'], drive='A')
        self.assertEqual(tovra.file_buttons(), NONE)
        self.click_name(tovra, 'a.zip', ARCHIVE)

        # Back to M and down again, then the CD-ROM.
        tovra.choose(self.drive_index('m'))
        self.check_view(tovra, self.ROOT_ROWS)
        self.open_folder(tovra, 'LEVEL1')
        self.choose_with_question(tovra, 'd', IDYES)
        self.check_view(tovra, self.drive_files['d'], drive='D')
        self.click_name(tovra, 'd.zip', ARCHIVE)

    def test_media_question_in_japanese(self):
        tovra = self.start_here('ja')
        self.choose_with_question(tovra, 'b', IDYES, 'ja')
        self.check_view(tovra, self.ROOT_ROWS)
        self.choose_with_question(tovra, 'd', IDNO, 'ja')
        self.check_view(tovra, self.ROOT_ROWS)
        self.choose_with_question(tovra, 'd', IDYES, 'ja')
        self.check_view(tovra, self.drive_files['d'], drive='D')


class Icons(TovraCase):
    """The pictures of the selector's entries, compared on the screen with each other and with
    the folder icon of the list: each entry keeps its own through insertions and removals."""

    def test_open_folder_for_the_current_entry_closed_folder_above_it(self):
        root = self.drive('m')[0]
        os.makedirs(os.path.join(root, 'sub', 'deeper'))
        tovra = self.start_tovra(M)
        screen = Screen()
        drive = tovra.selector_icon(screen)
        folder = tovra.row_icon(screen, 0)
        self.assertIsNotNone(drive)
        self.assertIsNotNone(folder)
        self.assertNotEqual(drive, folder)
        _, drives = tovra.items()
        m = [i.text[0] for i in drives].index('M')
        at_root = tovra.dropped_icons()
        others = [icon for i, icon in enumerate(at_root) if i != m]
        self.assertTrue(others and all(icon == drive for icon in others), 'fixed drives alike')

        tovra.dblclick_row(0)
        opened = tovra.selector_icon(Screen())
        self.assertNotIn(opened, (drive, folder, None))
        tovra.dblclick_row(0)
        self.assertEqual(tovra.selector_icon(Screen()), opened)
        icons = tovra.dropped_icons()
        self.assertEqual(icons[:m] + icons[m + 3:], others)  # drives before and after M
        self.assertEqual(icons[m:m + 2], [drive, folder])    # M, then sub closed

        tovra.up()
        self.assertEqual(tovra.selector_icon(Screen()), opened)  # sub is open again
        icons = tovra.dropped_icons()
        self.assertEqual(icons[:m] + icons[m + 2:], others)
        tovra.choose(m)
        tovra.click_blank()  # the focus leaves the selector, whose entry then shows plain
        self.assertEqual(tovra.selector_icon(Screen()), drive)
        self.assertEqual(tovra.dropped_icons(), at_root)


class DeepChain(TovraCase):

    def test_sixty_four_levels_down_and_back(self):
        root = self.drive('m')[0]
        depth = 64
        os.makedirs(os.path.join(root, *['d'] * depth))
        write(root, '/'.join(['d'] * depth + ['end.zip']))
        tovra = self.start_tovra(M)
        _, drives = tovra.items()
        m = [i.text[0] for i in drives].index('M')
        for level in range(depth):
            tovra.dblclick_row(tovra.names().index('d'))
        self.assertEqual(tovra.names(), ['end.zip'])
        sel, items = tovra.items()
        self.assertEqual(len(items), len(drives) + depth)
        self.assertEqual([i.indent for i in items[m + 1:m + 1 + depth]], list(range(1, depth + 1)))
        self.assertEqual({i.text for i in items[m + 1:m + 1 + depth]}, {'d'})
        self.assertEqual(sel, m + depth)
        self.assertEqual(tovra.process_dir().rstrip('\\'), 'M:' + '\\d' * depth)
        tovra.click_row(0)
        self.assertEqual(tovra.file_buttons(), ARCHIVE)

        tovra.up()
        sel, items = tovra.items()
        self.assertEqual((len(items), sel), (len(drives) + depth - 1, m + depth - 1))
        self.assertEqual(tovra.names(), ['d'])
        tovra.choose(m + 30)
        sel, items = tovra.items()
        self.assertEqual((len(items), sel), (len(drives) + 30, m + 30))
        self.assertEqual(tovra.names(), ['d'])
        self.assertEqual(tovra.process_dir().rstrip('\\'), 'M:' + '\\d' * 30)
        tovra.choose(m)
        sel, items = tovra.items()
        self.assertEqual(([i.text for i in items], sel), ([i.text for i in drives], m))

    def test_folders_beyond_the_path_limit_are_not_offered(self):
        root = self.drive('m')[0]
        name = 'n' * 40
        os.makedirs(os.path.join(root, *[name] * 7))
        tovra = self.start_tovra(M)
        _, drives = tovra.items()
        # Six levels make M:\ and 6 * 41 - 1 = 248 characters: the seventh folder's full
        # path (289) passes what a path holds, so it gets no row to open.
        tovra.dblclick_row(tovra.names().index(name))
        for level in range(5):
            self.assertEqual(tovra.names(), [name])
            tovra.dblclick_row(0)
        self.assertEqual(tovra.names(), [])
        sel, items = tovra.items()
        self.assertEqual((len(items), sel), (len(drives) + 6, sel))
        self.assertEqual([i.indent for i in items[sel - 5:sel + 1]], [1, 2, 3, 4, 5, 6])
        tovra.up()
        self.assertEqual(tovra.names(), [name])
        self.assertEqual(len(tovra.items()[1]), len(drives) + 5)


if __name__ == '__main__':
    unittest.main()
