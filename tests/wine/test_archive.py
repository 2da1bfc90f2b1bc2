"""Compress and Decompress in the real program: archives it makes, checked by Debian's own
tools; archives of zip, 7-Zip and jlha extracted and compared; the merger's offer to extract;
and the refusals, which write nothing and lose nothing."""

import os
import random
import shutil
import struct
import subprocess
import unittest
import zipfile

from tovra import (IDC_BTN_COMPRESS, IDC_BTN_DECOMPRESS, IDC_CMP_LHA, IDC_CMP_SOURCE, IDC_CMP_ZIP,
                   IDC_DEC_LHA, IDC_DEC_SOURCE, IDC_DEC_ZIP, IDC_DIV_144, TovraCase, write)
from winetest import IDCANCEL, IDNO, IDOK, IDYES, bin_path

LIBRARIES = ('UNLHA32.DLL', 'ZIP32J.DLL', 'IZIP32J.DLL', 'UNZIP32.DLL')
SJIS = 'ソ表.txt'  # both characters end in the byte 0x5C in Shift-JIS
JA = dict(os.environ, LC_ALL='ja_JP.UTF-8')
# The message each refused archive gets: its drive, the room (2 + 2 GiB must not wrap to
# nothing), or what its listing shows.
REFUSAL = {'docs.zip': 'not_hd_dec', 'zeros.zip': 'no_space', 'lying.zip': 'no_space',
           'notes.zip': 'arc_unreadable', 'empty.zip': 'arc_unreadable',
           'cut.zip': 'arc_unreadable', 'CUT.LZH': 'arc_unreadable', 'evil.zip': 'arc_leaves',
           'EVIL.LZH': 'arc_leaves', 'devices.zip': 'arc_device', 'DEVICE.LZH': 'arc_device',
           'self.zip': 'arc_program'}


def run(*cmd, cwd=None, env=JA):
    return subprocess.run(cmd, cwd=cwd, env=env, check=True, capture_output=True).stdout


def text(size, seed):
    rng = random.Random(seed)
    words = [b'floppy', b'piece', b'merge', b'archive', b'window', b'\r\n']
    return b' '.join(rng.choice(words) for _ in range(size // 6))[:size]


def noise(size, seed):
    return random.Random(seed).randbytes(size)


def sources(folder, raw):
    """Files for the outside tools: text that shrinks, noise they store, a file in a folder and
    a Shift-JIS name (its raw bytes for zip and 7-Zip, UTF-8 for jlha, which converts it).
    Returns {name as Tovra writes it under code page 932: bytes}."""
    files = {'DATA.TXT': text(150000, 1), 'noise.bin': noise(30000, 2),
             'sub/inner.txt': b'inner\r\n', SJIS: text(5000, 3)}
    for name, data in files.items():
        path = os.fsencode(folder) + b'/' + (name.encode('cp932') if raw else name.encode())
        os.makedirs(os.path.dirname(path), exist_ok=True)
        with open(path, 'wb') as f:
            f.write(data)
    return files


def zip_of(path, entries):
    """A ZIP archive of (name, data, declared size) entries by Python's zipfile, the declared
    sizes patched into its central directory, where a listing reads them."""
    with zipfile.ZipFile(path, 'w', zipfile.ZIP_DEFLATED) as z:
        for name, data, _ in entries:
            z.writestr(name, data)
    with open(path, 'r+b') as f:
        raw = bytearray(f.read())
        at = 0
        for _, _, size in entries:
            at = raw.index(b'PK\x01\x02', at)
            struct.pack_into('<I', raw, at + 24, size)
            at += 4
        f.seek(0)
        f.write(raw)


def spoil(path, marker, offset):
    """Flips the byte offset bytes after the first marker in the file."""
    with open(path, 'r+b') as f:
        data = bytearray(f.read())
        data[data.index(marker) + offset] ^= 0xFF
        f.seek(0)
        f.write(data)


class ArchiveCase(TovraCase):

    def place(self, letter='t', kind='fixed', free=None, libraries=True, data=0):
        """A drive with Tovra and the libraries; free: a tmpfs sized to leave about that many
        bytes once they and data bytes more are on it, whatever the programs weigh."""
        names = ['TOVRA.EXE', *(LIBRARIES if libraries else ())]
        size = None if free is None else free + sum(
            -(-n // 4096) * 4096 for n in [data, *(os.path.getsize(bin_path(n)) for n in names)])
        folder, root = self.drive(letter, kind, size=size)
        for name in LIBRARIES if libraries else ():
            shutil.copy(bin_path(name), folder)
        return folder, root

    def snapshot(self, folder):
        """Every file of folder but the program's own, with its bytes; and the test folder's
        entries, where nothing may land from the drive."""
        files = {}
        for d, _, names in os.walk(folder):
            for n in set(names) - set(LIBRARIES) - {'TOVRA.EXE'}:
                with open(os.path.join(d, n), 'rb') as f:
                    files[os.path.relpath(os.path.join(d, n), folder)] = f.read()
        return files, sorted(n for n in os.listdir(self.tmp) if not n.endswith('.log'))

    def same_files(self, folder, files):
        for name, data in files.items():
            with open(os.path.join(folder, name), 'rb') as f:
                self.assertEqual(f.read(), data, name)

    def select(self, t, folder, name):
        """Clicks the row of name where the list shows it: the system's collation, not
        Python's, places a name such as -memo.txt."""
        t.wait_rows(len(os.listdir(folder)))
        t.click_row(t.names().index(name))

    def open_dialog(self, t, folder, name, button, checked, disabled=None):
        """Selects name, presses button and checks its dialog: the name shown, the radio
        button checked and the one disabled. Returns the dialog."""
        self.select(t, folder, name)
        t.press(button)
        compress = button == IDC_BTN_COMPRESS
        dlg = t.dialog(*(('Compress File', 'ファイルの圧縮') if compress else
                         ('Decompress File', 'ファイルの解凍')))
        self.assertEqual(t.app.get_text(dlg, IDC_CMP_SOURCE if compress else IDC_DEC_SOURCE), name)
        radios = (IDC_CMP_LHA, IDC_CMP_ZIP) if compress else (IDC_DEC_LHA, IDC_DEC_ZIP)
        self.assertEqual([t.app.get_check(dlg, r) for r in radios], [int(r == checked) for r in radios])
        self.assertEqual([t.app.enabled(dlg, r)[0] for r in radios], [r != disabled for r in radios])
        return dlg

    def decompress(self, t, folder, name, lha):
        """Opens the Decompress dialog on name: the tool of the name chosen, the other disabled."""
        radio, other = (IDC_DEC_LHA, IDC_DEC_ZIP) if lha else (IDC_DEC_ZIP, IDC_DEC_LHA)
        return self.open_dialog(t, folder, name, IDC_BTN_DECOMPRESS, radio, other)


class Compress(ArchiveCase):

    def test_zip_in_english_and_lha_in_japanese_checked_by_debian_tools(self):
        # (language, source, radio clicked, archive); the tool is preset from the language on
        # every run, whatever was chosen before.
        runs = {'en': [('report.final.doc', None, 'report.zip'), ('data.txt', IDC_CMP_LHA, 'data.lzh'),
                       ('1234.567', None, '1234.ZIP')],
                'ja': [('DATA.TXT', None, 'DATA.LZH'), ('ソ表.TXT', None, 'ソ表.LZH')]}
        for letter, (lang, steps) in zip('tu', runs.items()):
            folder, root = self.place(letter)
            files = {name: text(120000, i) for i, (name, _, _) in enumerate(steps)}
            for name, data in files.items():
                write(folder, name, data)
            self.attrib(root + steps[0][0], '+r')
            t = self.start_tovra(root, lang)
            for name, choose, archive in steps:
                dlg = self.open_dialog(t, folder, name, IDC_BTN_COMPRESS,
                                       IDC_CMP_ZIP if lang == 'en' else IDC_CMP_LHA)
                if choose:
                    t.app.click(dlg, choose)
                t.app.click(dlg, IDOK)
                t.no_window()
                self.assertIn(archive, t.names())
                path, out = os.path.join(folder, archive), os.path.join(self.tmp, 'out-' + archive)
                os.makedirs(out)
                if archive.lower().endswith('.zip'):
                    self.assertIn(b'No errors detected', run('unzip', '-t', path))
                    run('unzip', '-q', path, '-d', out)
                else:
                    run('lhasa', 't', path)
                    run('lhasa', 'xw=' + out, path)
                run('7zz', 't', path)
                # One entry, stored under the source's name in the program's own bytes.
                with open(path, 'rb') as f:
                    self.assertIn(name.encode(t.app.codepage), f.read())
                got, = os.listdir(os.fsencode(out))
                with open(os.path.join(os.fsencode(out), got), 'rb') as f:
                    self.assertEqual(f.read(), files[name])
            self.assertIn('R', self.attrib(root + steps[0][0]))
            t.exit()

    def test_refusals_and_tool_failures(self):
        # (drive kind, bytes left free on a tmpfs, messages), each in both languages; no
        # libraries beside.
        for i, (kind, free, keys) in enumerate([
                ('floppy', None, ['not_hd_cmp']), ('network', None, ['not_hd_cmp']),
                ('ramdisk', None, ['not_hd_cmp']), ('fixed', 350000, ['space_doubtful']),
                ('fixed', None, ['zip_failed', 'unlha_failed'])]):
            data = 700000 if free else 5000
            folder, root = self.place('tuvxy'[i], kind, free, libraries=False, data=data)
            write(folder, 'data.txt', text(data, i))
            self.attrib(root + 'data.txt', '+r')
            before = self.snapshot(folder)
            for lang in ('en', 'ja'):
                t = self.start_tovra(root, lang)
                for key in keys:
                    with self.subTest(key=key, lang=lang):
                        t.select(folder, 'data.txt')
                        t.press(IDC_BTN_COMPRESS)
                        if key.endswith('failed'):
                            dlg = t.dialog('Compress File', 'ファイルの圧縮')
                            t.app.click(dlg, IDC_CMP_ZIP if key == 'zip_failed' else IDC_CMP_LHA)
                            t.app.click(dlg, IDOK)
                        t.expect(key)
                        t.no_window()
                        self.assertEqual(self.snapshot(folder), before)
                        self.assertIn('R', self.attrib(root + 'data.txt'))
                t.exit()


class Decompress(ArchiveCase):

    def test_archives_of_zip_7zip_and_jlha(self):
        made = os.path.join(self.tmp, 'made')
        raw, utf8 = os.path.join(made, 'raw'), os.path.join(made, 'utf8')
        files = sources(raw, True)
        sources(utf8, False)
        names = [n.encode('cp932') for n in files]
        run('zip', '-q', os.path.join(made, 'ZIPPED.zip'), *names, cwd=raw)
        run('7zz', 'a', '-tzip', '-mx0', os.path.join(made, 'SEVEN.ZIP'), *names, cwd=raw)
        run('jlha', 'a2', os.path.join(made, 'JL.LZH'), *files, cwd=utf8)
        run('jlha', 'a', os.path.join(made, 'PLAIN.LZH'), 'DATA.TXT', 'noise.bin', cwd=utf8)
        flat = {os.path.basename(n): d for n, d in files.items()}
        plain = {n: files[n] for n in ('DATA.TXT', 'noise.bin')}
        # (language, archive, files expected, answer to the delete question)
        for i, (lang, archive, expected, answer) in enumerate([
                ('ja', 'ZIPPED.zip', files, IDYES), ('ja', 'SEVEN.ZIP', files, IDNO),
                ('ja', 'JL.LZH', flat, IDNO), ('en', 'PLAIN.LZH', plain, IDYES)]):
            with self.subTest(archive=archive):
                folder, root = self.place('tuvx'[i])
                shutil.copy(os.path.join(made, archive), folder)
                t = self.start_tovra(root, lang)
                t.app.click(self.decompress(t, folder, archive, archive.endswith('LZH')), IDOK)
                t.expect('arc_delete', button=answer)
                t.no_window()
                self.same_files(folder, expected)
                self.assertEqual(os.path.exists(os.path.join(folder, archive)), answer == IDNO)
                t.exit()

    def test_tool_from_the_name_existing_files_and_a_damaged_entry(self):
        folder, root = self.place()
        made = os.path.join(self.tmp, 'made')
        files = {'a.txt': text(40000, 4), 'b.txt': text(40000, 5), 'c.txt': text(40000, 6)}
        for n, d in files.items():
            write(made, n, d)
        for archive in ('DOCS.LZH', 'both.lzh.zip', 'bad.zip', 'BAD.LZH'):
            run(*(('jlha', 'a') if archive.endswith('LZH') else ('zip', '-q')),
                os.path.join(folder, archive), *files, cwd=made)
        for archive in ('bad.zip', 'BAD.LZH'):  # b.txt's data no longer matches its check
            spoil(os.path.join(folder, archive), b'b.txt', 400)
        write(folder, 'b.txt', b'old')
        for lang in ('en', 'ja'):
            t = self.start_tovra(root, lang)
            t.app.click(self.decompress(t, folder, 'DOCS.LZH', True), IDCANCEL)
            # ZIP wins over LHA; an existing file is asked about, and No extracts nothing.
            t.app.click(self.decompress(t, folder, 'both.lzh.zip', False), IDOK)
            t.expect('arc_replace', 'b.txt', button=IDNO)
            t.no_window()
            self.assertEqual(sorted(n for n in os.listdir(folder) if n.endswith('.txt')), ['b.txt'])
            self.same_files(folder, {'b.txt': b'old'})
            # The failed entry is not left half-written, the others are whole, and the archive
            # is not offered for deletion.
            for archive, key in (('bad.zip', 'unzip_failed'), ('BAD.LZH', 'unlha_failed')):
                t.app.click(self.decompress(t, folder, archive, archive.endswith('LZH')), IDOK)
                t.expect('arc_replace', 'b.txt', button=IDYES)
                t.expect(key)
                t.no_window()
                self.same_files(folder, {'a.txt': files['a.txt'], 'b.txt': b'old', 'c.txt': files['c.txt']})
                self.assertEqual([n for n in os.listdir(folder) if n.startswith('~')], [])
                for n in ('a.txt', 'c.txt'):
                    os.remove(os.path.join(folder, n))
            t.exit()

    def test_refusals(self):
        # (drive kind, bytes left free on a tmpfs, archives), each refused in both languages
        for i, (kind, free, archives) in enumerate([
                ('floppy', None, ['docs.zip']), ('network', None, ['docs.zip']),
                ('fixed', 1 << 20, ['zeros.zip', 'lying.zip']),
                ('fixed', None, ['notes.zip', 'empty.zip', 'cut.zip', 'CUT.LZH', 'evil.zip', 'EVIL.LZH',
                                 'devices.zip', 'DEVICE.LZH', 'self.zip'])]):
            folder, root = self.place('tuvx'[i], kind, free)
            for name in archives:
                self.refused_archive(folder, name)
            before = self.snapshot(folder)
            for lang in ('en', 'ja'):
                t = self.start_tovra(root, lang)
                for name in archives:
                    with self.subTest(archive=name, lang=lang):
                        t.select(folder, name)
                        t.press(IDC_BTN_DECOMPRESS)
                        key = REFUSAL[name]
                        t.expect(key, *(() if key in ('not_hd_dec', 'no_space') else (name,)))
                        t.no_window()
                        self.assertEqual(self.snapshot(folder), before)
                t.exit()
            self.assert_same_bytes(os.path.join(folder, 'TOVRA.EXE'), bin_path('TOVRA.EXE'))

    def refused_archive(self, folder, name):
        path = os.path.join(folder, name)
        if name.endswith('LZH'):
            made = os.path.join(self.tmp, 'made')
            for n in ('one.txt', 'two.txt'):
                write(made, n, text(20000, 7))
            run('jlha', 'a0', path, 'one.txt', 'two.txt', cwd=made)
            with open(path, 'r+b') as f:
                data = bytearray(f.read())
                if name == 'CUT.LZH':  # the second entry's data cut short
                    f.truncate(len(data) - 100)
                    return
                # a name of the same length that climbs out, or that the system keeps for a device
                at = data.index(b'two.txt')
                data[at:at + 7] = b'NUL.txt' if name == 'DEVICE.LZH' else b'..\\evil'
                head = at - 22
                data[head + 1] = sum(data[head + 2:head + 2 + data[head]]) & 0xFF
                f.seek(0)
                f.write(data)
        elif name == 'notes.zip':
            write(folder, name, b'just some notes\r\n')
        else:
            zip_of(path, {'zeros.zip': [('zero.bin', bytes(3 << 20), 3 << 20)],
                          'lying.zip': [('a.bin', b'a', 1 << 31), ('b.bin', b'b', 1 << 31)],
                          'evil.zip': [('ok.txt', b'ok', 2), ('../evil.txt', b'evil', 4)],
                          'devices.zip': [('ok.txt', b'ok', 2), ('sub/aux .txt', b'aux', 3)],
                          # the running program's name, in its folder
                          'self.zip': [('ok.txt', b'ok', 2), ('Tovra.exe', b'not Tovra', 9)],
                          'empty.zip': []}.get(name, [('a.txt', b'a' * 3000, 3000)]))
            if name == 'cut.zip':
                os.truncate(path, os.path.getsize(path) - 30)


class CommandTexts(ArchiveCase):

    def test_names_with_blanks_dashes_and_percent_both_ways(self):
        # Beside "notes 1.txt" lie notes, 1 and 1.txt, which its words name one by one.
        folder, root = self.place()
        odd = {'notes 1.txt': text(30000, 10), '-memo.txt': text(20000, 11), '%s%d.txt': text(10000, 12)}
        plain = {'notes': b'n', '1': b'one', '1.txt': b'one.txt'}
        for name, data in {**odd, **plain}.items():
            write(folder, name, data)
        t = self.start_tovra(root, 'en')
        archives = []
        for name in odd:
            for radio, archive in ((IDC_CMP_LHA, name[:-4] + '.lzh'), (IDC_CMP_ZIP, name[:-4] + '.zip')):
                with self.subTest(archive=archive):
                    dlg = self.open_dialog(t, folder, name, IDC_BTN_COMPRESS, IDC_CMP_ZIP)
                    t.app.click(dlg, radio)
                    t.app.click(dlg, IDOK)
                    t.no_window()
                    # Debian's tools find the one file in it, whole.
                    path, out = os.path.join(folder, archive), os.path.join(self.tmp, 'out', archive)
                    os.makedirs(out)
                    if radio == IDC_CMP_LHA:
                        run('lhasa', 'xw=' + out, path)
                    else:
                        run('unzip', '-q', path, '-d', out)
                    self.assertEqual(os.listdir(out), [name])
                    self.same_files(out, {name: odd[name]})
                    archives.append((archive, name))
        self.assertEqual(sorted(os.listdir(folder)),
                         sorted(['TOVRA.EXE', *LIBRARIES, *odd, *plain, *(a for a, _ in archives)]))
        # Each archive extracted over a spoilt copy: asked about by its name, the file comes back.
        for archive, name in archives:
            with self.subTest(extract=archive):
                write(folder, name, b'old')
                t.app.click(self.decompress(t, folder, archive, archive.endswith('.lzh')), IDOK)
                t.expect('arc_replace', name, button=IDYES)
                t.expect('arc_delete', button=IDNO)
                t.no_window()
                self.same_files(folder, {name: odd[name], **plain})
        t.exit()


class LibraryLoading(ArchiveCase):

    def test_libraries_come_only_from_the_programs_folder(self):
        """LOADMARK.DLL under the archivers' names leaves NAME.loaded when it is loaded. Beside
        TOVRA.EXE it is loaded (and fails as the tool); in the folder being browsed it never is,
        and with no library beside TOVRA.EXE every step is the tool's failure."""
        own, own_root = self.place('u', libraries=False)
        for name in LIBRARIES:
            shutil.copy(bin_path('LOADMARK.DLL'), os.path.join(own, name))
        write(own, 'data.txt', text(5000, 13))
        t = self.start_tovra(own_root, 'en')
        t.app.click(self.open_dialog(t, own, 'data.txt', IDC_BTN_COMPRESS, IDC_CMP_ZIP), IDOK)
        t.expect('zip_failed')
        t.exit()
        for name in ('ZIP32J.DLL', 'IZIP32J.DLL'):
            with open(os.path.join(own, name + '.loaded'), 'rb') as f:
                self.assertEqual(f.read().upper(), (own_root + name).upper().encode())

        folder, root = self.place('t', libraries=False)
        browsed = os.path.join(folder, 'browsed')
        os.makedirs(browsed)
        for name in LIBRARIES:
            shutil.copy(bin_path('LOADMARK.DLL'), os.path.join(browsed, name))
        made = os.path.join(self.tmp, 'made')
        write(made, 'a.txt', text(5000, 14))
        write(browsed, 'data.txt', text(5000, 15))
        run('jlha', 'a', os.path.join(browsed, 'ARC.LZH'), 'a.txt', cwd=made)
        run('zip', '-q', os.path.join(browsed, 'arc.zip'), 'a.txt', cwd=made)
        before = self.snapshot(browsed)
        for lang in ('en', 'ja'):
            t = self.start_tovra(root, lang, rows=len(os.listdir(folder)))
            t.dblclick_row(t.names().index('browsed'))
            for name, radio, key in (('data.txt', IDC_CMP_LHA, 'unlha_failed'),
                                     ('data.txt', IDC_CMP_ZIP, 'zip_failed'),
                                     ('ARC.LZH', None, 'unlha_failed'), ('arc.zip', None, 'unzip_failed')):
                with self.subTest(lang=lang, name=name, key=key):
                    self.select(t, browsed, name)
                    t.press(IDC_BTN_DECOMPRESS if radio is None else IDC_BTN_COMPRESS)
                    if radio:
                        dlg = t.dialog('Compress File', 'ファイルの圧縮')
                        t.app.click(dlg, radio)
                        t.app.click(dlg, IDOK)
                    t.expect(key)
                    t.no_window()
            t.exit()
            self.assertEqual(self.snapshot(browsed), before)
            self.assertEqual([n for _, _, names in os.walk(folder) for n in names if n.endswith('.loaded')], [])


class ExtractAfterMerge(ArchiveCase):

    def test_divided_archives_merged_back_and_extracted(self):
        made = os.path.join(self.tmp, 'made')
        files = {'DATA.TXT': text(1500000, 8), 'noise.bin': noise(2500000, 9)}
        for n, d in files.items():
            write(made, n, d)
        for i, (lang, archive) in enumerate((('ja', 'BIG.LZH'), ('en', 'Big.Zip'))):
            with self.subTest(archive=archive):
                src, root_s = self.place('st'[i], libraries=False)
                run(*(('jlha', 'a') if archive.endswith('LZH') else ('zip', '-q')),
                    os.path.join(src, archive), *files, cwd=made)
                n = -(-os.path.getsize(os.path.join(src, archive)) // 1440000)
                t = self.start_tovra(root_s, lang)
                t.divide(src, archive, IDC_DIV_144)
                t.expect('div_success', n + 2)  # the parity piece and its block checks are the last
                t.expect('next_fd', button=IDNO)
                t.exit()
                dst, root_d = self.place('uv'[i])
                for k in range(n + 3):
                    shutil.copy(os.path.join(src, 'file-%d' % k), dst)
                t = self.start_tovra(root_d, lang)
                t.merge(dst)
                t.expect('mrg_success', archive)
                t.expect('mrg_delete', n + 2, button=IDYES)
                t.expect('mrg_next', button=IDYES)  # no dialog of its own
                t.expect('arc_delete', button=IDNO)
                t.no_window()
                self.same_files(dst, files)
                self.assert_same_bytes(os.path.join(dst, archive), os.path.join(src, archive))
                t.exit()


if __name__ == '__main__':
    unittest.main()
