#!/usr/bin/env python3
"""The command `tovra` run as a user runs it, on folders of the test's own: the sets it writes
against a model of the format made here with zlib, its refusals in Tovra's words, merges and
repairs checked by cmp, `check` on a table of damaged sets, the floppy copy onto folders that
stand for disks, Ctrl-C, the progress line on a terminal only, and its memory.

TOVRA_CLI is the command, RUNDELO_EXE the Windows build's Rundelo, TOVRA_TMP the test folder."""

import os
import pty
import re
import select
import shutil
import signal
import struct
import subprocess
import threading
import time
import unittest
import zlib

CLI = os.environ.get('TOVRA_CLI', 'tovra')
TMP = os.environ.get('TOVRA_TMP', '/tmp/tovra-cli-test')
BLOCK = 10000
FLOPPY = 1457664


def pattern(size, seed=1):
    block = bytes((i * 7 + seed * 13 + (i >> 8)) & 0xFF for i in range(65521))
    return (block * (size // len(block) + 1))[:size]


def write(path, data, mtime=None):
    with open(path, 'wb') as f:
        if isinstance(data, int):
            f.truncate(data)
        else:
            f.write(data)
    if mtime is not None:
        os.utime(path, (mtime, mtime))
    return path


def read(path):
    with open(path, 'rb') as f:
        return f.read()


def record_time(mtime):
    """The record's time of a file: its time by the zone's offset as it is now (the Windows
    rule), as second;minute;hour;day;month;year."""
    t = time.gmtime(mtime + time.localtime().tm_gmtoff)
    return b'%d;%d;%d;%d;%d;%d;' % (t.tm_sec, t.tm_min, t.tm_hour, t.tm_mday, t.tm_mon, t.tm_year)


def model_set(data, piece, name, mtime):
    """{file name: bytes} of the set a division of data into pieces of piece bytes writes."""
    pieces = [data[i:i + piece] for i in range(0, len(data), piece)]
    n = len(pieces)
    parity = 0
    for p in pieces:
        parity ^= int.from_bytes(p.ljust(piece, b'\0'), 'little')
    pieces.append(parity.to_bytes(piece, 'little'))
    line = b'CRC32;%d;%d;%d;' % (len(data), n, piece) + b''.join(b'%08X;' % zlib.crc32(p) for p in [data] + pieces)
    files = {'file-0': b'%s;%d;%d;' % (name, len(data), n) + record_time(mtime) + b'\n' +
             line + b'%08X;\n' % zlib.crc32(line)}
    head = b'BLK1' + struct.pack('<5I', BLOCK, n, piece, len(data), zlib.crc32(data))
    checks = head + struct.pack('<I', zlib.crc32(head))
    for p in pieces:
        rec = b''.join(struct.pack('<I', zlib.crc32(p[at:at + BLOCK]) if at < len(p) else 0)
                       for at in range(0, piece, BLOCK))
        checks += rec + struct.pack('<I', zlib.crc32(rec))
    for k, p in enumerate(pieces, 1):
        files['file-%d' % k] = p
    files['file-%d' % (n + 2)] = checks
    return files


def listing(folder):
    return {n: read(os.path.join(folder, n)) for n in os.listdir(folder)
            if os.path.isfile(os.path.join(folder, n))}


class CliCase(unittest.TestCase):

    def setUp(self):
        self.tmp = os.path.join(TMP, self.id().split('.', 1)[1])
        shutil.rmtree(self.tmp, ignore_errors=True)
        os.makedirs(self.tmp)
        self.addCleanup(shutil.rmtree, self.tmp, True)  # hundreds of megabytes in some

    def folder(self, name):
        path = os.path.join(self.tmp, name)
        os.makedirs(path, exist_ok=True)
        return path

    def tovra(self, *args, cwd=None, stdin=subprocess.DEVNULL, env=None, timeout=300):
        e = dict(os.environ, LC_ALL='C.UTF-8')
        e.update(env or {})
        return subprocess.run([CLI] + list(args), cwd=cwd or self.tmp, stdin=stdin, stdout=subprocess.PIPE,
                              stderr=subprocess.PIPE, env=e, timeout=timeout)

    def divided(self, size=7000000, piece='1.44M', name='data.bin', seed=1):
        """(folder of a fresh set of size bytes, the data)."""
        folder = self.folder('set-%s-%d' % (piece, size))
        data = pattern(size, seed)
        write(os.path.join(folder, name), data, 936000000)
        r = self.tovra('divide', '--size', piece, name, cwd=folder)
        self.assertEqual(r.returncode, 0, r.stderr)
        os.remove(os.path.join(folder, name))
        return folder, data


class Divide(CliCase):

    def test_the_set_is_the_format_made_by_a_model(self):
        for size, piece, piece_bytes in ((3500000, '1.44M', 1440000), (1000001, '720K', 720000),
                                         (95000, '10K', 10000), (2880000, '1440000', 1440000)):
            with self.subTest(size=size, piece=piece):
                folder = self.folder('d-%d' % size)
                data = pattern(size, size)
                source = write(os.path.join(folder, 'DATA.LZH'), data, 920000001)
                r = self.tovra('divide', 'DATA.LZH', '-s', piece, cwd=folder)
                self.assertEqual(r.returncode, 0, r.stderr)
                self.assertEqual(r.stderr, b'')
                expected = model_set(data, piece_bytes, b'DATA.LZH', 920000001)
                expected['DATA.LZH'] = data
                self.assertEqual(sorted(listing(folder)), sorted(expected))
                for name, content in expected.items():
                    self.assertEqual(read(os.path.join(folder, name)), content, name)
                self.assertEqual(os.stat(source).st_mtime, 920000001)

    def test_into_another_folder(self):
        src, out = self.folder('src'), self.folder('out')
        data = pattern(50000)
        write(os.path.join(src, 'a b.bin'), data, 900000000)
        r = self.tovra('divide', '--to', out, 'src/a b.bin', '--size', '20K', '-q')
        self.assertEqual((r.returncode, r.stdout, r.stderr), (0, b'', b''))
        self.assertEqual(listing(out), model_set(data, 20000, b'a b.bin', 900000000))
        self.assertEqual(os.listdir(src), ['a b.bin'])

    def test_refusals_in_tovras_words_leave_the_folder_as_it_was(self):
        folder = self.folder('refused')
        write(os.path.join(folder, 'small.bin'), pattern(640000))
        write(os.path.join(folder, 'huge.bin'), 9990001)  # 1000 pieces of 10K
        write(os.path.join(folder, 'a;b.bin'), pattern(30000))
        write(os.path.join(folder, 'con.txt'), pattern(30000))
        write(os.path.join(folder, 'smile-\U0001F600.txt'), pattern(30000))
        write(os.path.join(folder, 'file-2'), pattern(30000))
        os.makedirs(os.path.join(folder, 'sub'))
        cases = [
            (['small.bin', '--size', '640K'], 'Source filesize is under the division size.'),
            (['huge.bin', '--size', '10K'], 'Number of divided files is over 999.'),
            (['a;b.bin', '-s', '10K'], 'Unable to divide a file whose name contains a semicolon (;), a;b.bin.\n'
                                       'Please rename it first.'),
            (['con.txt', '-s', '10K'], 'Unable to divide a file whose name a Windows PC cannot take, con.txt.\n'
                                       'Please rename it first.'),
            (['smile-\U0001F600.txt', '-s', '10K'], 'Unable to divide a file whose name has characters that the '
                                                    'code page of the record lacks, smile-\U0001F600.txt.'),
            (['file-2', '-s', '10K'], 'Unable to divide a file named like one of its pieces, file-2.\n'
                                      'Please rename it first.'),
            (['sub'], 'sub: not a file'),
            (['none.bin'], 'none.bin: No such file or directory'),
            (['small.bin', '--to', 'none'], 'none: not a folder'),
        ]
        before = listing(folder)
        for args, text in cases:
            with self.subTest(args=args):
                r = self.tovra('divide', *args, cwd=folder)
                self.assertEqual(r.returncode, 2)
                self.assertIn(text, r.stderr.decode())
                self.assertTrue(r.stderr.startswith(b'tovra: '), r.stderr)
                self.assertEqual(listing(folder), before)

    def test_an_earlier_set_is_replaced_only_when_asked(self):
        folder = self.folder('earlier')
        write(os.path.join(folder, 'data.bin'), pattern(30000))
        for name in ('file-0', 'file-1', 'FILE-9', 'myfile-a.txt', 'file-01'):
            write(os.path.join(folder, name), b'old')
        r = self.tovra('divide', '-s', '10K', 'data.bin', cwd=folder)
        self.assertEqual(r.returncode, 2)
        self.assertIn(b'--force deletes them first', r.stderr)
        self.assertEqual(read(os.path.join(folder, 'FILE-9')), b'old')
        r = self.tovra('divide', '-s', '10K', '--force', 'data.bin', cwd=folder)
        self.assertEqual(r.returncode, 0, r.stderr)
        names = sorted(os.listdir(folder))
        self.assertEqual(names, sorted(['data.bin', 'myfile-a.txt', 'file-01'] + ['file-%d' % k for k in range(6)]))

    def test_a_name_that_is_not_utf8_goes_into_the_record_as_it_is(self):
        folder = self.folder('raw')
        data = pattern(25000, 5)
        write(os.path.join(folder.encode(), b'raw\xe9.bin'), data, 910000000)
        r = self.tovra('divide', '-s', '10K', b'raw\xe9.bin', cwd=folder)
        self.assertEqual(r.returncode, 0, r.stderr)
        self.assertIn(b'raw\\xE9.bin', r.stdout)
        self.assertTrue(read(os.path.join(folder, 'file-0')).startswith(b'raw\xe9.bin;25000;3;'))
        os.remove(os.path.join(folder.encode(), b'raw\xe9.bin'))
        r = self.tovra('merge', '--keep', cwd=folder)
        self.assertEqual(r.returncode, 0, r.stderr)
        self.assertEqual(read(os.path.join(folder, 'raw\u00e9.bin')), data)  # Western, as a Windows PC reads it

    def test_names_with_dashes_blanks_and_beyond_ascii(self):
        folder = self.folder('names')
        japanese = 'データ 表.lzh'  # 表 is 0x95 0x5C in Shift-JIS
        for local, record in (('-a b.bin', b'-a b.bin'), (japanese, japanese.encode('cp932')),
                              ('café.txt', 'café.txt'.encode('cp1252'))):
            with self.subTest(name=local):
                sub = self.folder('names/%d' % len(os.listdir(folder)))
                data = pattern(25000, len(local))
                write(os.path.join(sub, local), data, 910000000)
                r = self.tovra('divide', '-s', '10K', '--', local, cwd=sub)
                self.assertEqual(r.returncode, 0, r.stderr)
                self.assertTrue(read(os.path.join(sub, 'file-0')).startswith(record + b';25000;3;'))
                os.rename(os.path.join(sub, local), os.path.join(self.tmp, 'original'))
                # The name is shown converted on a UTF-8 terminal, written byte by byte on another.
                r = self.tovra('check', cwd=sub)
                self.assertEqual(r.returncode, 0, r.stderr)
                self.assertIn(local.encode(), r.stdout)
                r = self.tovra('check', sub, env={'LC_ALL': 'C'})
                if local.isascii():
                    self.assertIn(local.encode(), r.stdout)
                else:
                    self.assertIn(b'\\x', r.stdout)
                r = self.tovra('merge', '--keep', cwd=sub)
                self.assertEqual(r.returncode, 0, r.stderr)
                self.assertEqual(read(os.path.join(sub, local)), data)
                self.assertEqual(os.stat(os.path.join(sub, local)).st_mtime, 910000000)
                os.remove(os.path.join(self.tmp, 'original'))


# Damage to a fresh set of five pieces of 1.44M: piece k's bytes at..at+n replaced.
def flip(k, at, n=10):
    def damage(folder):
        path = os.path.join(folder, 'file-%d' % k)
        data = bytearray(read(path))
        for i in range(at, at + n):
            data[i] ^= 0xFF
        write(path, bytes(data))
    return damage


def gone(k):
    return lambda folder: os.remove(os.path.join(folder, 'file-%d' % k))


def cut(k, length):
    return lambda folder: write(os.path.join(folder, 'file-%d' % k), read(os.path.join(folder, 'file-%d' % k))[:length])


def no_check_line(folder):
    path = os.path.join(folder, 'file-0')
    write(path, read(path).split(b'\n')[0] + b'\n')


def record(text):
    return lambda folder: write(os.path.join(folder, 'file-0'), text)


# (case, damage, exit of check, text of check, merged by merge)
SETS = [
    ('whole', [], 0, 'whole, 5 pieces, every block sound.', True),
    ('one missing', [gone(2)], 1, 'A file, FILE-2, is missing. Block(s) 0-143.', True),
    ('three places', [flip(1, 51200), flip(3, 300500, 2000), flip(5, 1000003)], 1,
     'A file, FILE-3, is damaged. Block(s) 30.\n', True),
    ('three blocks', [flip(1, 51200), flip(1, 300500, 20000), flip(5, 1000003)], 1,
     'A file, FILE-1, is damaged. Block(s) 5, 30-32.\n', True),
    ('shorter', [cut(4, 1000000)], 1, 'A file, FILE-4, is shorter than the original one.', True),
    ('one place', [flip(2, 500100), flip(4, 504800)], 2,
     'Files, FILE-2, FILE-4, are damaged or missing.\nUnable to rebuild the blocks damaged at the same place '
     'in more than one file.', False),
    ('two missing', [gone(1), gone(3)], 2, 'Files, FILE-1, FILE-3, are damaged or missing.', False),
    ('no parity', [flip(1, 7), gone(6)], 2,
     'A file, FILE-1, is damaged.\nUnable to rebuild it without the sound parity file, FILE-6.', False),
    ('no block checks, one', [gone(7), flip(2, 9)], 1, 'A file, FILE-2, is damaged.', True),
    ('no block checks, two', [gone(7), flip(2, 9), flip(5, 30000)], 2,
     'Files, FILE-2, FILE-5, are damaged or missing.\nUnable to rebuild more than one file.', False),
    ('no checks, whole', [no_check_line], 0, 'a set without checks', True),
    ('no checks, one missing', [no_check_line, gone(3)], 2, 'A file, FILE-3, is missing.', False),
    ('damaged record', [record(b'data.bin;3500000;abc;\n')], 2, 'Found the damaged file, FILE-0.', False),
    ('unreadable record', [record(b'nothing here\n')], 2, 'Missed to read FILE-0.', False),
    ('no record', [gone(0)], 2, 'NO information file, FILE-0, exists.', False),
]


class MergeAndCheck(CliCase):

    def test_merge_gives_back_the_file_its_time_and_keeps_or_deletes_the_pieces(self):
        fresh, data = self.divided()
        for how, left in (('--keep', 9), ('--delete', 1)):
            with self.subTest(how=how):
                folder = os.path.join(self.tmp, how)
                shutil.copytree(fresh, folder)
                r = self.tovra('merge', how, folder)
                self.assertEqual(r.returncode, 0, r.stderr)
                self.assertEqual(read(os.path.join(folder, 'data.bin')), data)
                self.assertEqual(os.stat(os.path.join(folder, 'data.bin')).st_mtime, 936000000)
                self.assertEqual(len(os.listdir(folder)), left)
        r = self.tovra('merge', os.path.join(self.tmp, '--keep'))
        self.assertEqual(r.returncode, 2)
        self.assertIn(b'Destination file already exists.\nPlease delete data.bin.', r.stderr)

    def test_check_agrees_with_merge_on_damaged_sets(self):
        fresh, data = self.divided()
        for case, damage, code, text, merges in SETS:
            with self.subTest(case=case):
                folder = os.path.join(self.tmp, case.replace(' ', '-').replace(',', ''))
                shutil.copytree(fresh, folder)
                for d in damage:
                    d(folder)
                before = listing(folder)
                r = self.tovra('check', folder)
                self.assertEqual(r.returncode, code, r.stdout + r.stderr)
                self.assertIn(text, (r.stdout + r.stderr).decode())
                self.assertEqual(listing(folder), before)
                self.assertEqual(self.tovra('check', '-q', folder).stdout, b'')
                r = self.tovra('merge', '--keep', folder)
                self.assertEqual(r.returncode, 0 if merges else 2, r.stderr)
                if merges:
                    self.assertEqual(read(os.path.join(folder, 'data.bin')), data)
                    os.remove(os.path.join(folder, 'data.bin'))
                # The pieces as they were, and nothing begun beside them.
                self.assertEqual(listing(folder), before)

    def test_three_parity_pieces_rebuild_three_lost_pieces_and_refuse_four(self):
        fresh, data = self.divided(size=2350000, piece='100K')
        for lost, code, text in (
                ((2, 5, 9), 0, 'Rebuilt FILE-2, FILE-5, FILE-9 from the parity files.'),
                ((2, 5, 9, 11), 2, 'Files, FILE-2, FILE-5, FILE-9, FILE-11, are damaged or missing.\nUnable to '
                 'rebuild the blocks damaged at the same place in more than 3 files, the parity files included.')):
            with self.subTest(lost=lost):
                folder = os.path.join(self.tmp, 'rows-%d' % len(lost))
                shutil.copytree(fresh, folder)
                for k in lost:
                    gone(k)(folder)
                r = self.tovra('check', folder)
                self.assertEqual(r.returncode, 1 if code == 0 else 2, r.stdout + r.stderr)
                if code == 0:
                    self.assertIn(b'block(s) can be rebuilt from the parity files.', r.stdout)
                r = self.tovra('merge', '--keep', folder)
                self.assertEqual(r.returncode, code, r.stderr)
                self.assertIn(text, (r.stdout + r.stderr).decode())
                self.assertEqual(os.path.exists(os.path.join(folder, 'data.bin')), code == 0)
                if code == 0:
                    self.assertEqual(read(os.path.join(folder, 'data.bin')), data)

    def test_the_rebuild_is_asked_on_a_terminal(self):
        fresh, data = self.divided()
        for answer, code in ((b'n\n', 1), (b'y\n', 0)):
            folder = os.path.join(self.tmp, 'asked-%d' % code)
            shutil.copytree(fresh, folder)
            gone(2)(folder)
            out = run_on_terminal([CLI, 'merge', '--keep', folder], answer)
            self.assertIn(b'A file, FILE-2, is missing.\r\nDo you rebuild 144 block(s) of it from the parity file ? [y/N]',
                          out.output)
            self.assertEqual(out.code, code)
            self.assertEqual(os.path.exists(os.path.join(folder, 'data.bin')), code == 0)


class Interruptions(CliCase):

    def interrupt(self, args, cwd, started):
        """Runs the command until started() holds, then sends it Ctrl-C; its exit code and
        standard error."""
        p = subprocess.Popen([CLI] + args, cwd=cwd, stdin=subprocess.DEVNULL, stdout=subprocess.PIPE,
                             stderr=subprocess.PIPE)
        end = time.monotonic() + 60
        while not started() and p.poll() is None and time.monotonic() < end:
            time.sleep(0.002)
        p.send_signal(signal.SIGINT)
        out, err = p.communicate(timeout=120)
        return p.returncode, err

    def test_ctrl_c_leaves_nothing_behind(self):
        folder = self.folder('big')
        source = write(os.path.join(folder, 'big.bin'), 200 * 1000 * 1000)
        code, err = self.interrupt(['divide', 'big.bin'], folder,
                                   lambda: os.path.exists(os.path.join(folder, 'file-3')))
        self.assertEqual((code, err), (130, b'tovra: big.bin: interrupted; nothing is left of the division.\n'))
        self.assertEqual(os.listdir(folder), ['big.bin'])
        self.assertEqual(os.path.getsize(source), 200 * 1000 * 1000)

        r = self.tovra('divide', 'big.bin', '-s', '1.44M', '-q', cwd=folder)
        self.assertEqual(r.returncode, 0, r.stderr)
        os.rename(source, os.path.join(self.tmp, 'big.bin'))
        before = sorted(os.listdir(folder))
        code, err = self.interrupt(['merge', '--keep', '.'], folder,
                                   lambda: any(n.startswith('~TVR') for n in os.listdir(folder)))
        self.assertEqual((code, err), (130, b'tovra: .: interrupted; nothing has been merged.\n'))
        self.assertEqual(sorted(os.listdir(folder)), before)


class Terminal:
    def __init__(self, code, output):
        self.code, self.output = code, output


def run_on_terminal(argv, answer=b''):
    """Runs argv with a terminal for standard input, output and error; its exit code and what
    the terminal showed. answer is typed once something has been shown."""
    pid, fd = pty.fork()
    if pid == 0:
        try:
            os.environ['LC_ALL'] = 'C.UTF-8'
            os.execvp(argv[0], argv)
        finally:
            os._exit(127)
    output, typed = b'', False
    while True:
        ready, _, _ = select.select([fd], [], [], 120)
        if not ready:
            break
        try:
            chunk = os.read(fd, 4096)
        except OSError:
            break
        if not chunk:
            break
        output += chunk
        if answer and not typed and b'[y/N]' in output:
            os.write(fd, answer)
            typed = True
    _, status = os.waitpid(pid, 0)
    return Terminal(os.waitstatus_to_exitcode(status), output)


class Progress(CliCase):

    def test_a_progress_line_on_a_terminal_only(self):
        folder = self.folder('progress')
        # The line shows only after a second of work: a source divided too fast for that here
        # is divided again at a size that takes about three seconds (999 pieces at the most).
        line = rb'\rdividing big\.bin +\d+%  \d+ MB'
        size = 300 * 1000 * 1000
        while True:
            write(os.path.join(folder, 'big.bin'), size)
            start = time.monotonic()
            shown = run_on_terminal([CLI, 'divide', '-f', os.path.join(folder, 'big.bin'), '-s', '1.44M'])
            took = time.monotonic() - start
            self.assertEqual(shown.code, 0, shown.output)
            if re.search(line, shown.output):
                break
            self.assertLess(size, 1400 * 1000 * 1000, 'no progress line in %.1f s: %r' % (took, shown.output))
            size = min(1400 * 1000 * 1000, int(size * 3 / max(took, 0.1)) // 1000000 * 1000000)
        quiet = run_on_terminal([CLI, 'divide', '-q', '-f', os.path.join(folder, 'big.bin')])
        self.assertEqual((quiet.code, quiet.output), (0, b''))
        piped = self.tovra('divide', '-f', 'big.bin', cwd=folder)
        self.assertEqual((piped.returncode, piped.stderr), (0, b''))
        self.assertNotIn(b'%', piped.stdout)

    def test_memory_stays_bounded(self):
        folder = self.folder('memory')
        write(os.path.join(folder, 'big.bin'), 200 * 1000 * 1000)
        for args in (['divide', '-q', 'big.bin'], ['check', '.'], ['merge', '-q', '--keep', 'sub']):
            if args[0] == 'merge':
                os.makedirs(os.path.join(folder, 'sub'))
                for n in os.listdir(folder):
                    if n.startswith('file-'):
                        os.rename(os.path.join(folder, n), os.path.join(folder, 'sub', n))
            p = subprocess.Popen([CLI] + args, cwd=folder, stdout=subprocess.DEVNULL)
            _, status, usage = os.wait4(p.pid, 0)
            p.returncode = os.waitstatus_to_exitcode(status)
            self.assertEqual(p.returncode, 0, args)
            self.assertLess(usage.ru_maxrss * 1024, 64 * 1000 * 1000, args)


class Usage(CliCase):

    def test_help_for_every_command_and_usage_errors(self):
        usage = self.tovra('--help')
        self.assertEqual(usage.returncode, 0)
        for command in ('divide', 'merge', 'check', 'disks'):
            self.assertIn(b'  ' + command.encode(), usage.stdout)
            for asked in ((command, '--help'), (command, '-h'), ('help', command)):
                r = self.tovra(*asked)
                self.assertEqual(r.returncode, 0, asked)
                self.assertTrue(r.stdout.startswith(b'Usage: tovra ' + command.encode()), asked)
        for args, text in ((['split'], b'unknown command split'), ([], b'Usage: tovra COMMAND'),
                           (['merge', '--force'], b'unknown option --force'),
                           (['divide'], b'which file?')):
            r = self.tovra(*args)
            self.assertEqual(r.returncode, 64, args)
            self.assertIn(text, r.stderr)


class Disks(CliCase):

    def test_the_floppy_copy_reads_back_every_file_and_carries_rundelo(self):
        fresh, _ = self.divided()  # five pieces of 1.44M: FILE-6 the parity, FILE-7 the checks
        drive = os.path.join(self.tmp, 'drive')
        disks = []

        def insert():
            disks.append(self.folder('disk-%d' % (len(disks) + 1)))
            if os.path.lexists(drive):
                os.remove(drive)
            os.symlink(disks[-1], drive)

        insert()
        p = subprocess.Popen([CLI, 'disks', fresh, '--to', drive, '--capacity', '1.44M'], stdin=subprocess.PIPE,
                             stdout=subprocess.PIPE, stderr=subprocess.PIPE)
        errors, prompts = [], []

        def watch():
            text = b''
            while True:
                c = p.stderr.read(1)
                if not c:
                    break
                text += c
                if text.endswith(b'Ctrl-D stops. '):
                    prompts.append(text)
                    if len(prompts) > 1:
                        insert()
                    p.stdin.write(b'\n')
                    p.stdin.flush()
                    text = b''
            errors.append(text)

        reader = threading.Thread(target=watch)
        reader.start()
        out = p.stdout.read()
        p.wait(timeout=120)
        reader.join()
        for pipe in (p.stdin, p.stdout, p.stderr):
            pipe.close()
        self.assertEqual(p.returncode, 0, errors)
        self.assertEqual(errors, [b''])
        on = [sorted(os.listdir(d)) for d in disks]
        # A disk takes a piece while it leaves 1000 bytes; Rundelo fills the first one's 16,896.
        self.assertEqual(on, [['RUNDELO.EXE', 'file-0', 'file-1'], ['file-2'], ['file-3'], ['file-4'], ['file-5'],
                              ['file-0', 'file-6', 'file-7']])
        for d in disks:
            for name in os.listdir(d):
                self.assertEqual(read(os.path.join(d, name)),
                                 read(os.environ['RUNDELO_EXE'] if name == 'RUNDELO.EXE' else os.path.join(fresh, name)))
        self.assertLessEqual(os.path.getsize(os.path.join(disks[0], 'RUNDELO.EXE')), 16896)
        self.assertIn(b'FILE-0 to FILE-7 are on 6 disk(s).', out)

    def test_no_disk_and_the_end_of_the_input_stop_it(self):
        fresh, _ = self.divided(size=100000, piece='20K')
        r = subprocess.run([CLI, 'disks', fresh, '--to', os.path.join(self.tmp, 'none')], input=b'\n',
                           stdout=subprocess.PIPE, stderr=subprocess.PIPE)
        self.assertEqual(r.returncode, 2)
        self.assertIn(b'No disk at', r.stderr)
        # A folder of this system's disk is no disk, unless it stands for one.
        disk = self.folder('disk')
        r = subprocess.run([CLI, 'disks', fresh, '--to', disk], input=b'\n', stdout=subprocess.PIPE,
                           stderr=subprocess.PIPE)
        self.assertEqual(r.returncode, 2)
        self.assertIn(b'(nothing is mounted there)', r.stderr)
        self.assertEqual(os.listdir(disk), [])
        r = subprocess.run([CLI, 'disks', fresh, '--to', disk, '--no-rundelo', '--capacity', '100000000'], input=b'\n',
                           stdout=subprocess.PIPE, stderr=subprocess.PIPE)
        self.assertEqual(r.returncode, 0, r.stderr)
        self.assertEqual(sorted(os.listdir(disk)), sorted('file-%d' % k for k in range(8)))


if __name__ == '__main__':
    unittest.main()
