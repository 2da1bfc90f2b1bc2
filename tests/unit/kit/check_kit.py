#!/usr/bin/env python3
"""The release kit as tools/package.sh makes it from the build tree: a 1.44 MB FAT12 image that
fsck.fat finds clean, with the programs the tests run, byte for byte, the read-mes, and a tenth
of the disk free; the ZIP with the same files; Rundelo small enough for the first disk of a set.
Read with Debian's tools (fsck.fat, mtools, unzip), not with ours.

Usage: check_kit.py BUILD_ROOT   (the folder holding win32/)
"""
import os
import re
import subprocess
import sys
import tempfile
import unittest
import zipfile

ROOT = os.path.abspath(os.path.join(os.path.dirname(__file__), '..', '..', '..'))
BUILD = os.path.abspath(sys.argv.pop(1)) if len(sys.argv) > 1 else os.path.join(ROOT, 'build')
BIN = os.path.join(BUILD, 'win32', 'bin')
PROGRAMS = ['TOVRA.EXE', 'RUNDELO.EXE', 'UNLHA32.DLL', 'ZIP32J.DLL', 'IZIP32J.DLL', 'UNZIP32.DLL',
            'RUZIVA.ROR', 'RORORA.RAV']
READMES = ['README.TXT', 'READMEJ.TXT']
DISK = 1474560
FREE_AT_LEAST = 145766  # a tenth of the 1,457,664 bytes a 1.44 MB disk holds
# A 1.44 MB set's first disk: 1,457,664 bytes, FILE-1 takes 1,440,256 in 512-byte clusters and
# FILE-0 one cluster; 16,896 bytes stay, and Rundelo must fit in whole clusters there.
RUNDELO_AT_MOST = 16896
MTOOLS = dict(os.environ, MTOOLS_SKIP_CHECK='1', MTOOLS_NO_VFAT='1')


def version():
    with open(os.path.join(BUILD, 'win32', 'generated', 'version.h'), encoding='utf-8') as f:
        return re.search(r'TOVRA_VERSION_LINE "Version ([^"]+)"', f.read()).group(1)


def readme_text(name):
    """The read-me's text as the kit should hold it: the source with the version, CRLF."""
    source = {'README.TXT': 'README.TXT', 'READMEJ.TXT': 'readme_ja.txt'}[name]
    with open(os.path.join(ROOT, 'resources', 'kit', source), encoding='utf-8') as f:
        return f.read().replace('@VERSION@', version()).replace('\n', '\r\n')


class Kit(unittest.TestCase):

    @classmethod
    def setUpClass(cls):
        cls.dist = tempfile.mkdtemp(prefix='kit-', dir=BUILD)
        env = dict(os.environ, TOVRA_BUILD_DIR=BUILD, TOVRA_DIST_DIR=cls.dist)
        cls.made = subprocess.run(['bash', os.path.join(ROOT, 'tools', 'package.sh')], env=env,
                                  capture_output=True, text=True)
        cls.img = os.path.join(cls.dist, 'tovra-%s.img' % version())
        cls.zip = os.path.join(cls.dist, 'tovra-%s.zip' % version())

    @classmethod
    def tearDownClass(cls):
        subprocess.run(['rm', '-rf', cls.dist], check=True)

    def image(self):
        self.assertEqual(self.made.returncode, 0, self.made.stdout + self.made.stderr)
        return self.img

    def from_image(self, name):
        out = subprocess.run(['mtype', '-i', self.image(), '::' + name], env=MTOOLS,
                             capture_output=True, check=True)
        return out.stdout

    def test_rundelo_fits_beside_the_first_piece(self):
        size = os.path.getsize(os.path.join(BIN, 'RUNDELO.EXE'))
        self.assertLessEqual(size, RUNDELO_AT_MOST)

    def test_image_is_a_clean_fat12_floppy_named_tovra(self):
        img = self.image()
        self.assertEqual(os.path.getsize(img), DISK)
        fsck = subprocess.run(['fsck.fat', '-n', img], capture_output=True, text=True)
        self.assertEqual(fsck.returncode, 0, fsck.stdout + fsck.stderr)
        label = subprocess.run(['mlabel', '-i', img, '-s', '::'], env=MTOOLS,
                               capture_output=True, text=True, check=True).stdout
        self.assertIn('Volume label is TOVRA', label)
        with open(img, 'rb') as f:
            boot = f.read(512)
        self.assertEqual(boot[54:62], b'FAT12   ')

    def test_image_holds_the_built_programs_and_the_readmes(self):
        listing = subprocess.run(['mdir', '-i', self.image(), '-b', '::'], env=MTOOLS,
                                 capture_output=True, text=True, check=True).stdout.split()
        names = [n.split('/')[-1] for n in listing]
        self.assertEqual(sorted(names), sorted(PROGRAMS + READMES))
        for name in names:
            self.assertRegex(name, r'^[A-Z0-9_-]{1,8}\.[A-Z0-9]{1,3}$')
        for name in PROGRAMS:
            with open(os.path.join(BIN, name), 'rb') as f:
                self.assertEqual(self.from_image(name), f.read(), name)
        english = self.from_image('README.TXT')
        self.assertTrue(all(b < 0x80 for b in english))
        self.assertEqual(english.decode('ascii'), readme_text('README.TXT'))
        japanese = self.from_image('READMEJ.TXT')
        self.assertEqual(japanese.decode('cp932'), readme_text('READMEJ.TXT'))
        for data in (english, japanese):
            self.assertNotIn(b'\n', data.replace(b'\r\n', b''))  # CRLF and nothing else

    def test_zip_holds_the_same_files(self):
        self.image()
        with zipfile.ZipFile(self.zip) as z:
            self.assertEqual(sorted(z.namelist()), sorted(PROGRAMS + READMES))
            for name in z.namelist():
                self.assertEqual(z.read(name), self.from_image(name), name)
        test = subprocess.run(['unzip', '-t', self.zip], capture_output=True, text=True)
        self.assertIn('No errors detected', test.stdout)

    def test_a_tenth_of_the_disk_stays_free(self):
        out = subprocess.run(['mdir', '-i', self.image(), '::'], env=MTOOLS, capture_output=True,
                             text=True, check=True).stdout
        free = int(re.search(r'([\d ]+) bytes free', out).group(1).replace(' ', ''))
        self.assertGreaterEqual(free, FREE_AT_LEAST, out)


if __name__ == '__main__':
    unittest.main(verbosity=2)
