"""The native command `tovra` beside the real programs under Wine, both ways: for the same file,
size and time its division is Tovra's byte for byte (in a zone with summer time, both languages,
one to three parity pieces), and it refuses what Tovra refuses in Tovra's words; Tovra and
Rundelo merge and repair its sets, and it merges and repairs Tovra's; and `tovra check` says of
a table of damaged sets what Tovra's merger does with them. Files are compared by cmp and
stat. TOVRA_CLI is the command of the native tree."""

import os
import shutil
import subprocess
import unittest

from rundelo import text as rtext
from rundelo import window_note
from test_repair import ONE_PLACE, THREE_PLACES
from tovra import (IDC_BTN_DIVISION, IDC_DIV_120, IDC_DIV_144, IDC_DIV_64, IDC_DIV_72,
                   IDC_DIV_SIZELIST, IDC_DIV_USER, T, TovraCase, pattern, write)
from winetest import IDNO, IDOK, IDYES, bin_path

CLI = os.environ.get('TOVRA_CLI', '')
# Summer time in the zone, so that the rule the record's time follows shows: the zone's offset
# as it is now, for every file time.
ZONE = 'CET-1CEST,M3.5.0,M10.5.0/3'
SUMMER, WINTER = 1562240260, 1545044222  # 2019-07-04 11:37:40 and 2018-12-17 10:57:02 UTC
SIZE, N = 7000000, 5  # four pieces of 1.44M and one of 1.24M: FILE-6 parity, FILE-7 checks


def set_names(folder):
    return sorted(n for n in os.listdir(folder) if n.lower().startswith('file-'))


class CommandCase(TovraCase):

    def setUp(self):
        super().setUp()
        if not os.path.isfile(CLI):
            self.fail('no native command at TOVRA_CLI=%r: build the native tree first '
                      '(tools/build.sh native)' % CLI)
        before = os.environ.get('TZ')
        os.environ['TZ'] = ZONE
        self.addCleanup(lambda: os.environ.pop('TZ') if before is None else os.environ.update(TZ=before))

    def folder(self, name):
        path = os.path.join(self.tmp, name)
        os.makedirs(path)
        return path

    def cli(self, *args, cwd=None):
        return subprocess.run([CLI] + list(args), cwd=cwd or self.tmp, stdin=subprocess.DEVNULL,
                              stdout=subprocess.PIPE, stderr=subprocess.PIPE,
                              env=dict(os.environ, LC_ALL='C.UTF-8'), timeout=300)

    def assert_same_sets(self, a, b):
        self.assertEqual(set_names(a), set_names(b))
        for name in set_names(a):
            self.assert_same_bytes(os.path.join(a, name), os.path.join(b, name))

    def tovra_set(self, letter='s'):
        """(folder of the set Tovra divides SIZE random bytes into, the file of those bytes)."""
        folder, root = self.drive(letter, name='tovra-set')
        original = write(self.tmp, 'original', os.urandom(SIZE), SUMMER)
        shutil.copy2(original, os.path.join(folder, 'data.bin'))
        t = self.start_tovra(root)
        t.divide(folder, 'data.bin')
        t.expect('div_success', N + 2, timeout=60)
        t.expect('next_fd', button=IDNO)
        t.app.stop()
        os.remove(os.path.join(folder, 'data.bin'))
        os.remove(os.path.join(folder, 'TOVRA.EXE'))
        return folder, original


class SameDivision(CommandCase):

    def test_the_command_writes_the_set_tovra_writes(self):
        cases = [  # (language, name, size, radio, list item, --size, time)
            ('en', 'DATA.LZH', 3500000, IDC_DIV_144, None, '1.44M', SUMMER),
            ('en', 'report 7.doc', 1000001, IDC_DIV_72, None, '720K', WINTER),
            ('en', 'odd-640.bin', 1300000, IDC_DIV_64, None, '640K', SUMMER + 1),
            ('en', 'caf\u00e9.txt', 95000, IDC_DIV_USER, 0, '10K', WINTER),
            ('en', 'two parity.bin', 150000, IDC_DIV_USER, 0, '10K', SUMMER),  # 15 pieces
            ('en', 'three.bin', 2600007, IDC_DIV_USER, 9, '100K', WINTER),     # 27 pieces
            ('ja', '\u30c7\u30fc\u30bf\u8868.lzh', 2000000, IDC_DIV_120, None, '1.2M', SUMMER),
        ]
        for i, (lang, name, size, radio, item, cli_size, mtime) in enumerate(cases):
            with self.subTest(name=name):
                letter = 'tuvxyqk'[i]
                tovra, root = self.drive(letter, name='tovra-%d' % i)
                data = pattern(size, i + 3)
                write(tovra, name, data, mtime)
                t = self.start_tovra(root, lang)
                t.divide(tovra, name, radio, user_item=item)
                n = -(-size // (int(cli_size[:-1]) * 1000 if cli_size.endswith('K') else
                                {'1.44M': 1440000, '1.2M': 1200000}[cli_size]))
                last = n + 1 + (1 if n <= 10 else 2 if n <= 20 else 3)
                t.expect('div_success', last, timeout=60)
                t.expect('next_fd', button=IDNO)
                t.app.stop()
                mine = self.folder('mine-%d' % i)
                shutil.copy2(os.path.join(tovra, name), os.path.join(mine, name))
                r = self.cli('divide', '--size', cli_size, '--', name, cwd=mine)
                self.assertEqual(r.returncode, 0, r.stderr)
                self.assertEqual(len(set_names(mine)), last + 1)
                self.assert_same_sets(tovra, mine)

    def test_the_command_refuses_what_tovra_refuses_in_its_words(self):
        tovra, root = self.drive()
        mine = self.folder('mine')
        files = {'small.bin': pattern(640000), 'huge.bin': 9990001, 'a;b.bin': pattern(30000)}
        for name, data in files.items():
            write(tovra, name, data)
            write(mine, name, data)
        t = self.start_tovra(root)
        for name, radio, item, cli_size, key in (
                ('small.bin', IDC_DIV_64, None, '640K', ('under',)),
                ('huge.bin', IDC_DIV_USER, 0, '10K', ('over999',)),
                ('a;b.bin', IDC_DIV_144, None, '1.44M', ('semicolon', 'a;b.bin'))):
            with self.subTest(name=name):
                t.divide(tovra, name, radio, user_item=item, expect_dialog=key[0] != 'semicolon')
                t.expect(*key)
                t.no_window()
                r = self.cli('divide', '-s', cli_size, name, cwd=mine)
                self.assertEqual(r.returncode, 2)
                self.assertEqual(r.stderr.decode(), 'tovra: %s: %s\n' % (name, t.text(*key)))
        # Named like its own pieces (Tovra asks about an earlier set first, the name being one).
        for folder in (tovra, mine):
            write(folder, 'file-2', pattern(30000))
        t = self.start_tovra(root)
        t.select(tovra, 'file-2')
        t.press(IDC_BTN_DIVISION)
        t.expect('exist_q', button=IDYES)
        dlg = t.dialog('Divide File', '')
        t.app.click(dlg, IDC_DIV_USER)
        t.app.combo_select(dlg, IDC_DIV_SIZELIST, 0)
        t.app.click(dlg, IDOK)
        t.expect('like_piece', 'file-2')
        r = self.cli('divide', '-s', '10K', 'file-2', cwd=mine)
        self.assertEqual(r.returncode, 2)
        self.assertEqual(r.stderr.decode(), 'tovra: file-2: %s\n' % t.text('like_piece', 'file-2'))
        self.assertEqual(sorted(os.listdir(mine)), sorted(list(files) + ['file-2']))


class BothWays(CommandCase):

    def test_tovra_and_rundelo_merge_and_repair_the_commands_set(self):
        made = self.folder('made')
        original = write(self.tmp, 'original', os.urandom(SIZE), SUMMER)
        shutil.copy2(original, os.path.join(made, 'data.bin'))
        r = self.cli('divide', 'data.bin', cwd=made)
        self.assertEqual(r.returncode, 0, r.stderr)
        os.remove(os.path.join(made, 'data.bin'))
        for letter, program in (('t', 'TOVRA.EXE'), ('u', 'RUNDELO.EXE')):
            with self.subTest(program=program):
                folder, root = self.drive(letter, name=program, exe=None)
                for name in set_names(made):
                    shutil.copy(os.path.join(made, name), folder)
                for damage in THREE_PLACES:
                    damage(folder)
                shutil.copy(bin_path(program), folder)
                if program == 'TOVRA.EXE':
                    t = self.start_tovra(root)
                    t.merge(folder)
                    t.expect('rebuild_many_q', 'FILE-1, FILE-3, FILE-5', 3, button=IDYES, timeout=60)
                    t.expect('mrg_success', 'data.bin', timeout=60)
                    t.expect('mrg_delete', N + 2, button=IDNO)
                    t.app.stop()
                else:
                    app = self.start(root + program, root)
                    note = rtext('rebuilt', 'en') % 'FILE-1, FILE-3, FILE-5'
                    self.assertEqual(window_note(app, note, timeout=60), note)
                    self.assertEqual(app.wait_exit(timeout=30), 0)
                merged = os.path.join(folder, 'data.bin')
                self.assert_same_bytes(merged, original)
                self.assertEqual(os.stat(merged).st_mtime, SUMMER)

    def test_the_command_merges_and_repairs_tovras_set(self):
        made, original = self.tovra_set()
        for case, damage in (('sound', []), ('three places', THREE_PLACES)):
            with self.subTest(case=case):
                folder = os.path.join(self.tmp, case.replace(' ', '-'))
                shutil.copytree(made, folder)
                for d in damage:
                    d(folder)
                r = self.cli('merge', '--keep', folder)
                self.assertEqual(r.returncode, 0, r.stderr)
                self.assert_same_bytes(os.path.join(folder, 'data.bin'), original)
                self.assertEqual(os.stat(os.path.join(folder, 'data.bin')).st_mtime, SUMMER)
        folder = os.path.join(self.tmp, 'one-place')
        shutil.copytree(made, folder)
        for d in ONE_PLACE:
            d(folder)
        r = self.cli('merge', folder)
        self.assertEqual(r.returncode, 2)
        self.assertIn(T['same_place'][0] % 'FILE-2, FILE-4', r.stderr.decode())
        self.assertEqual(set_names(folder), set_names(made))
        self.assertEqual(len(os.listdir(folder)), N + 3)


def gone(k):
    return lambda folder: os.remove(os.path.join(folder, 'file-%d' % k))


def flipped(k, at):
    def damage(folder):
        with open(os.path.join(folder, 'file-%d' % k), 'r+b') as f:
            f.seek(at)
            b = f.read(1)
            f.seek(at)
            f.write(bytes([b[0] ^ 0x5A]))
    return damage


def no_check_line(folder):
    path = os.path.join(folder, 'file-0')
    with open(path, 'rb') as f:
        first = f.read().split(b'\n')[0]
    write(folder, 'file-0', first + b'\n')


# (case, damage, exit code of check, what check says, what Tovra's merger shows: message and
# its parts); where the set cannot be merged, check says it in the message's own words.
AGREEMENT = [
    ('whole', [], 0, 'whole, 5 pieces', ('mrg_success', 'data.bin')),
    ('one missing', [gone(2)], 1, 'A file, FILE-2, is missing.',
     ('rebuild_blocks_q', 'A file, FILE-2, is missing.', 144)),
    ('three places', THREE_PLACES, 1, 'repairable: 3 block(s)', ('rebuild_many_q', 'FILE-1, FILE-3, FILE-5', 3)),
    ('one place', ONE_PLACE, 2, None, ('same_place', 'FILE-2, FILE-4')),
    ('two missing', [gone(1), gone(3)], 2, None, ('same_place', 'FILE-1, FILE-3')),
    ('no sound parity', [flipped(1, 5), gone(6)], 2, None, ('no_parity', 'A file, FILE-1, is damaged.', 6)),
    ('no block checks', [gone(7), flipped(2, 5), flipped(5, 99999)], 2, None, ('too_many', 'FILE-2, FILE-5')),
    ('no check line', [no_check_line, gone(3)], 2, None, ('missing', 3)),
]


class CheckAgrees(CommandCase):

    def test_check_says_what_tovras_merger_does(self):
        made, _ = self.tovra_set()
        folder, root = self.drive('t', name='case')
        for case, damage, code, says, (key, *parts) in AGREEMENT:
            with self.subTest(case=case):
                for name in set_names(folder) + [n for n in os.listdir(folder) if n == 'data.bin']:
                    os.remove(os.path.join(folder, name))
                for name in set_names(made):
                    shutil.copy(os.path.join(made, name), folder)
                for d in damage:
                    d(folder)
                r = self.cli('check', folder)
                said = (r.stdout + r.stderr).decode()
                self.assertEqual(r.returncode, code, said)
                t = self.start_tovra(root)
                t.merge(folder)
                t.expect(key, *parts, button=IDNO if code == 1 else None, timeout=60)
                if code == 0:
                    t.expect('mrg_delete', N + 2, button=IDNO)
                t.no_window()
                t.app.stop()
                self.assertIn(says or t.text(key, *parts), said)


if __name__ == '__main__':
    unittest.main()
