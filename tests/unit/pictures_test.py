"""Checks the pictures that tools/mkpics.py builds, decoding them with ImageMagick rather than
trusting the generator's own writers."""
import os
import re
import shutil
import struct
import subprocess
import sys
import tempfile
import unittest

ROOT = os.path.abspath(os.path.join(os.path.dirname(__file__), '..', '..'))
MKPICS = os.path.join(ROOT, 'tools', 'mkpics.py')
SOURCES = os.path.join(ROOT, 'resources', 'pictures')
CONVERT = shutil.which('convert')

PLAIN = ['DiviUp', 'MergeUp', 'CredirUp', 'Copy2Up', 'RenameUp', 'DeleteUp', 'CompUp',
         'DecompUp', 'FlSizeUp', 'TsChgUp', 'AttrbUp', 'AboutUp', 'HelpUp', 'ExitUp', 'DirUpUp']
STEMS = ['Divi', 'Merge', 'Credi', 'Copy2', 'Renam', 'Delet', 'Comp', 'Decom', 'FlSiz', 'TsChg',
         'Attrb', 'About', 'Help', 'Exit', 'DirUp']
ICONS = ['A_ICON_1', 'FLD_ICON', 'OPEN_ICON', 'RCL_XP_ICON', 'RCL_ME_ICON', 'RCL_9X_ICON',
         'DOC_ME_ICON', 'DOC_9X_ICON', 'NO_FIL_ICON', 'NO_DRV_ICON', '133']
VGA = {'K': (0, 0, 0), 'r': (128, 0, 0), 'l': (0, 128, 0), 'y': (128, 128, 0),
       'b': (0, 0, 128), 'm': (128, 0, 128), 'c': (0, 128, 128), 's': (192, 192, 192),
       'G': (128, 128, 128), 'R': (255, 0, 0), 'L': (0, 255, 0), 'Y': (255, 255, 0),
       'B': (0, 0, 255), 'M': (255, 0, 255), 'C': (0, 255, 255), 'W': (255, 255, 255)}


def button_sets():
    """{set letter: {button index: {state: name}}} from the naming rule."""
    sets = {}
    for letter in ('', '9', '8', 'X'):
        sets[letter] = {}
        for i, plain in enumerate(PLAIN):
            base = plain[:-2] if not letter else STEMS[i] + letter
            sets[letter][i] = {st: base + st for st in ('Up', 'Dn', 'In')}
    return sets


def run_mkpics(*args):
    return subprocess.run([sys.executable, MKPICS, *args], capture_output=True, text=True)


def read_pam(data):
    """Parses ImageMagick's PAM output: (width, height, depth, rows of pixel tuples)."""
    head, _, body = data.partition(b'ENDHDR\n')
    fields = dict(line.split(b' ', 1) for line in head.split(b'\n')[1:] if b' ' in line)
    w, h, depth = int(fields[b'WIDTH']), int(fields[b'HEIGHT']), int(fields[b'DEPTH'])
    assert int(fields[b'MAXVAL']) == 255
    px = [tuple(body[i:i + depth]) for i in range(0, w * h * depth, depth)]
    return w, h, depth, [px[y * w:(y + 1) * w] for y in range(h)]


def decode(path, frame=None):
    source = path if frame is None else f'{path}[{frame}]'
    out = subprocess.run([CONVERT, source, '-depth', '8', 'pam:-'], capture_output=True, check=True).stdout
    return read_pam(out)


def read_art(path):
    """{(kind, name, size-or-None): rows} from a picture source, parsed independently."""
    blocks, key = {}, None
    for line in read(path, 'r').splitlines():
        text = line.strip()
        if not text or text.startswith('#'):
            key = None
        elif text.startswith(('icon ', 'glyph ')):
            words = text.split()
            key = (words[0], words[1], int(words[2]) if len(words) > 2 else None)
            blocks[key] = []
        else:
            blocks[key].append(text)
    return blocks


def read(path, mode='rb'):
    with open(path, mode) as f:
        return f.read()


def lum(rgb):
    return 299 * rgb[0] + 587 * rgb[1] + 114 * rgb[2]


@unittest.skipUnless(CONVERT, 'ImageMagick convert is needed to decode the pictures')
class GeneratedPictures(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.tmp = tempfile.TemporaryDirectory()
        cls.out = os.path.join(cls.tmp.name, 'pictures')
        r = run_mkpics('--src', SOURCES, '--out', cls.out)
        assert r.returncode == 0, r.stderr
        cls.files = {n.lower(): os.path.join(cls.out, n) for n in os.listdir(cls.out)}
        cls.tovra_rc = read(os.path.join(cls.out, 'tovra_pictures.rc'), 'r')
        cls.rundelo_rc = read(os.path.join(cls.out, 'rundelo_pictures.rc'), 'r')
        cls.pixels = {}

    @classmethod
    def tearDownClass(cls):
        cls.tmp.cleanup()

    def resources(self, text, kind):
        """{resource name: file} of one kind declared in a generated .rc file."""
        found = {}
        for m in re.finditer(r'^(\S+) ' + kind + r' "([^"]+)"$', text, re.M):
            self.assertNotIn(m.group(1), found)
            found[m.group(1)] = m.group(2)
        return found

    def bitmap(self, name):
        if name not in self.pixels:
            path = self.resources(self.tovra_rc, 'BITMAP')[name.upper()]
            w, h, depth, rows = decode(path)
            self.assertEqual((w, h), (32, 20), name)
            self.pixels[name] = [[px[:3] for px in row] for row in rows]
        return self.pixels[name]

    def test_every_bitmap_name_is_declared_once_and_exists(self):
        bitmaps = self.resources(self.tovra_rc, 'BITMAP')
        names = [n for s in button_sets().values() for b in s.values() for n in b.values()]
        self.assertEqual(len(set(names)), 180)
        self.assertEqual(set(bitmaps), {n.upper() for n in names})
        for name, path in bitmaps.items():
            self.assertLessEqual(len(name), 8, name)
            self.assertTrue(os.path.isabs(path) and os.path.isfile(path), path)
        for example in ('DELETEUP', 'DELET9UP', 'DELET8DN', 'DELETXIN', 'DIRUPUP', 'CREDI9IN'):
            self.assertIn(example, bitmaps)

    def test_bitmap_headers_are_32x20_with_16_colours(self):
        for name, path in self.resources(self.tovra_rc, 'BITMAP').items():
            data = read(path)
            magic, size, _, _, offset = struct.unpack_from('<2sIHHI', data)
            (hsize, w, h, planes, bits, comp, image, _, _, used, _) = struct.unpack_from(
                '<IiiHHIIiiII', data, 14)
            self.assertEqual((magic, size, hsize), (b'BM', len(data), 40), name)
            self.assertEqual((w, h, planes, bits, comp), (32, 20, 1, 4, 0), name)
            self.assertIn(used, (0, 16), name)
            self.assertEqual(offset, 14 + 40 + 16 * 4, name)
            self.assertEqual(len(data) - offset, 16 * 20, name)
            self.assertIn(image, (0, 16 * 20), name)

    def test_states_differ_and_look_their_part(self):
        for letter, buttons in button_sets().items():
            for i, names in buttons.items():
                up, dn, off = (self.bitmap(names[s]) for s in ('Up', 'Dn', 'In'))
                self.assertNotEqual(up, dn, names['Dn'])
                self.assertNotEqual(up, off, names['In'])
                # Disabled buttons carry no colour: every pixel is (nearly) grey.
                for row in off:
                    for px in row:
                        self.assertLessEqual(max(px) - min(px), 40, names['In'])
                # ... yet still show their glyph: the centre is not blank.
                centre = {px for row in off[4:16] for px in row[8:24]}
                self.assertGreaterEqual(len(centre), 2, names['In'])
                # Raised buttons are lit from above, pressed ones from below.
                def edge(img, rows):
                    return sum(lum(img[y][x]) for y in rows for x in range(4, 28))
                self.assertGreater(edge(up, (0, 1)), edge(up, (18, 19)), names['Up'])
                self.assertLess(edge(dn, (0, 1)), edge(dn, (18, 19)), names['Dn'])

    def test_pressed_glyph_moves_one_pixel_right_and_down(self):
        glyphs = {k[1]: rows for k, rows in read_art(os.path.join(SOURCES, 'buttons.txt')).items()}
        for letter, buttons in button_sets().items():
            for i, names in buttons.items():
                glyph = glyphs[PLAIN[i][:-2]]
                up, dn = self.bitmap(names['Up']), self.bitmap(names['Dn'])
                gh, gw = len(glyph), len(glyph[0])
                ox, oy = (32 - gw) // 2, (20 - gh) // 2
                moved = [(x, y) for y in range(gh) for x in range(gw) if glyph[y][x] != '.']
                self.assertTrue(moved)
                for x, y in moved:
                    self.assertEqual(up[oy + y][ox + x], dn[oy + y + 1][ox + x + 1],
                                     f'{names["Dn"]} at {x},{y}')

    def test_sets_differ_from_each_other(self):
        sets = button_sets()
        letters = list(sets)
        for i in range(len(PLAIN)):
            for state in ('Up', 'Dn', 'In'):
                seen = [self.bitmap(sets[l][i][state]) for l in letters]
                for a in range(len(seen)):
                    for b in range(a + 1, len(seen)):
                        self.assertNotEqual(seen[a], seen[b],
                                            f'{sets[letters[a]][i][state]} vs {sets[letters[b]][i][state]}')

    def test_buttons_of_one_set_differ_from_each_other(self):
        for letter, buttons in button_sets().items():
            ups = [self.bitmap(buttons[i]['Up']) for i in range(len(PLAIN))]
            for a in range(len(ups)):
                for b in range(a + 1, len(ups)):
                    self.assertNotEqual(ups[a], ups[b], f'{PLAIN[a]} {PLAIN[b]} set {letter!r}')

    def check_icon(self, path, art, sizes=(16, 32)):
        data = read(path)
        reserved, kind, count = struct.unpack_from('<HHH', data)
        self.assertEqual((reserved, kind), (0, 1), path)
        found = {}
        for n in range(count):
            w, h, colours, _, planes, bits, length, offset = struct.unpack_from(
                '<BBBBHHII', data, 6 + 16 * n)
            self.assertEqual(w, h)
            self.assertLessEqual(offset + length, len(data))
            hsize, bw, bh, _, bbits = struct.unpack_from('<IiiHH', data, offset)
            self.assertEqual((hsize, bw, bh), (40, w, 2 * w), path)
            self.assertIn(bbits, (4, 8))
            found[w] = n
        self.assertEqual(set(found), set(sizes), path)
        for size, n in found.items():
            w, h, depth, rows = decode(path, n)
            self.assertEqual((w, h, depth), (size, size, 4), path)
            for y, line in enumerate(art[size]):
                for x, c in enumerate(line):
                    px = rows[y][x]
                    if c == '.':
                        self.assertEqual(px[3], 0, f'{path} {size} at {x},{y}')
                    else:
                        self.assertEqual(px, VGA[c] + (255,), f'{path} {size} at {x},{y}')

    def test_icons_round_trip_against_their_sources(self):
        art = {}
        for source in ('tovra_icons.txt', 'rundelo_icons.txt'):
            for (kind, name, size), rows in read_art(os.path.join(SOURCES, source)).items():
                art.setdefault(name, {})[size] = rows
        icons = self.resources(self.tovra_rc, 'ICON')
        self.assertEqual(set(icons), set(ICONS))
        for name, path in icons.items():
            self.check_icon(path, art[name])
        rundelo = self.resources(self.rundelo_rc, 'ICON')
        self.assertEqual(set(rundelo), {'ICON_1'})
        self.check_icon(rundelo['ICON_1'], art['ICON_1'], sizes=(16,))

    def test_pictures_are_not_blank(self):
        for name in ICONS + ['ICON_1']:
            rc = self.rundelo_rc if name == 'ICON_1' else self.tovra_rc
            path = self.resources(rc, 'ICON')[name]
            for frame in (0,) if name == 'ICON_1' else (0, 1):
                _, _, _, rows = decode(path, frame)
                opaque = [px for row in rows for px in row if px[3]]
                self.assertGreater(len(opaque), len(rows) * len(rows) // 5, name)
                self.assertGreaterEqual(len(set(opaque)), 3, name)


class GeneratorBehaviour(unittest.TestCase):
    def setUp(self):
        self.tmp = tempfile.TemporaryDirectory()
        self.src = os.path.join(self.tmp.name, 'src')
        shutil.copytree(SOURCES, self.src)
        self.out = os.path.join(self.tmp.name, 'out')

    def tearDown(self):
        self.tmp.cleanup()

    def edit(self, name, old, new):
        path = os.path.join(self.src, name)
        text = read(path, 'r')
        self.assertIn(old, text)
        with open(path, 'w') as f:
            f.write(text.replace(old, new, 1))

    def assert_refused(self, *words):
        r = run_mkpics('--src', self.src, '--out', self.out)
        self.assertEqual(r.returncode, 1)
        for w in words:
            self.assertIn(w, r.stderr)
        self.assertNotIn('Traceback', r.stderr)
        self.assertFalse(os.path.exists(self.out), 'nothing may be written from a bad source')

    def test_bad_sources_are_refused_with_a_clear_message(self):
        cases = [
            ('buttons.txt', 'glyph Help\n', 'glyph Hepl\n', ['missing', 'Help', 'Hepl']),
            ('buttons.txt', 'glyph Exit\n', 'glyph Exit\n' + ('.' * 19 + '\n') * 2,
             ['Exit', 'larger']),
            ('tovra_icons.txt', 'icon FLD_ICON 16\n', 'icon FLD_ICON 24\n', ['FLD_ICON', '24']),
            ('tovra_icons.txt', 'icon OPEN_ICON 16\n', 'icon OPEN_ICON 16\n' + '.' * 16 + '\n',
             ['OPEN_ICON', '16x17']),
            ('tovra_icons.txt', 'icon NO_DRV_ICON 32\n', 'icon NO_DRV_ICON 32\nKK\n',
             ['NO_DRV_ICON', 'unequal']),
            ('tovra_icons.txt', 'icon RCL_ME_ICON 16\n', 'icon RCL_ME_ICON 8\n', ['RCL_ME_ICON']),
            ('rundelo_icons.txt', 'icon ICON_1 16\n.KK', 'icon ICON_1 16\n.KZ',
             ['unknown colour Z']),
            ('rundelo_icons.txt', 'icon ICON_1 16\n', 'icon ICON_1 32\n', ['ICON_1', '32']),
        ]
        for name, old, new, words in cases:
            with self.subTest(name=name, words=words):
                self.src = tempfile.mkdtemp(dir=self.tmp.name)
                shutil.copytree(SOURCES, self.src, dirs_exist_ok=True)
                self.edit(name, old, new)
                self.assert_refused(name, *words)

    def test_missing_source_is_reported(self):
        os.remove(os.path.join(self.src, 'rundelo_icons.txt'))
        self.assert_refused('rundelo_icons.txt')

    def test_unchanged_pictures_keep_their_files_and_a_change_reaches_the_rc(self):
        self.assertEqual(run_mkpics('--src', self.src, '--out', self.out).returncode, 0)
        rc = os.path.join(self.out, 'tovra_pictures.rc')
        rundelo_rc = os.path.join(self.out, 'rundelo_pictures.rc')
        bmp = os.path.join(self.out, 'DiviUp.bmp')
        before = {p: read(p) for p in (rc, rundelo_rc, bmp)}
        os.utime(rc, ns=(1, 1))
        os.utime(bmp, ns=(1, 1))
        self.assertEqual(run_mkpics('--src', self.src, '--out', self.out).returncode, 0)
        self.assertEqual(os.stat(rc).st_mtime_ns, 1, 'an unchanged script is not rewritten')
        self.assertEqual(os.stat(bmp).st_mtime_ns, 1)
        # One pixel of the Division glyph changes: its bitmaps and Tovra's script follow,
        # Rundelo's script does not.
        self.edit('buttons.txt', 'glyph Divi\n.', 'glyph Divi\nR')
        self.assertEqual(run_mkpics('--src', self.src, '--out', self.out).returncode, 0)
        self.assertNotEqual(read(bmp), before[bmp])
        self.assertNotEqual(read(rc), before[rc])
        self.assertEqual(read(rundelo_rc), before[rundelo_rc])

    def test_sheet_is_a_png(self):
        sheet = os.path.join(self.tmp.name, 'sheet.png')
        self.assertEqual(run_mkpics('--src', self.src, '--sheet', sheet).returncode, 0)
        data = read(sheet)
        self.assertEqual(data[:8], b'\x89PNG\r\n\x1a\n')
        w, h = struct.unpack('>II', data[16:24])
        self.assertEqual((w % 4, h % 4), (0, 0))
        self.assertGreater(w, 4 * 4 * 3 * 32)
        self.assertFalse(os.path.exists(self.out))


if __name__ == '__main__':
    unittest.main()
