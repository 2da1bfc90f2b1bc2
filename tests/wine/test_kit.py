"""The programs of the release kit, taken from its floppy image (tools/package.sh, read with
mtools), run once: Tovra compresses a file with ZIP and with LHA and decompresses both, the
archives checked by Debian's tools; Rundelo merges a piece set with a check line."""

import os
import shutil
import subprocess
import unittest

from rundelo import EN, RundeloCase
from tovra import (IDC_BTN_COMPRESS, IDC_BTN_DECOMPRESS, IDC_CMP_LHA, IDC_CMP_ZIP, TovraCase,
                   check_line, pattern, read_pieces, write)
from winetest import IDNO, IDOK

ROOT = os.path.abspath(os.path.join(os.path.dirname(__file__), '..', '..'))
KIT = ['TOVRA.EXE', 'RUNDELO.EXE', 'UNLHA32.DLL', 'ZIP32J.DLL', 'IZIP32J.DLL', 'UNZIP32.DLL',
       'RUZIVA.ROR', 'RORORA.RAV', 'README.TXT', 'READMEJ.TXT']


def kit_files():
    """A folder with every file of the kit's image, made once for this run."""
    folder = os.path.join(os.environ['TOVRA_TMP'], 'kit', 'files')
    if os.path.isdir(folder):
        return folder
    dist = os.path.join(os.environ['TOVRA_TMP'], 'kit', 'dist')
    build = os.path.dirname(os.path.dirname(os.path.abspath(os.environ['TOVRA_BIN'])))
    env = dict(os.environ, TOVRA_BUILD_DIR=build, TOVRA_DIST_DIR=dist)
    made = subprocess.run(['bash', os.path.join(ROOT, 'tools', 'package.sh')], env=env,
                          capture_output=True, text=True)
    if made.returncode != 0:
        raise AssertionError('tools/package.sh failed:\n' + made.stdout + made.stderr)
    img, = [os.path.join(dist, n) for n in os.listdir(dist) if n.endswith('.img')]
    os.makedirs(folder + '.part')
    mtools = dict(os.environ, MTOOLS_SKIP_CHECK='1')
    subprocess.run(['mcopy', '-i', img, '-n', '::*', folder + '.part'], env=mtools, check=True)
    os.rename(folder + '.part', folder)
    return folder


def run(*cmd, cwd=None):
    return subprocess.run(cmd, cwd=cwd, check=True, capture_output=True).stdout


class TovraFromTheKit(TovraCase):

    def test_compress_and_decompress_with_zip_and_lha(self):
        kit = kit_files()
        self.assertEqual(sorted(os.listdir(kit)), sorted(KIT))
        folder, root = self.drive('t', exe=None)
        for name in KIT:
            shutil.copy(os.path.join(kit, name), folder)
        data = pattern(150000, 3)
        write(folder, 'DATA.TXT', data)
        t = self.start_tovra(root, 'en')
        archives = []
        for radio, tool in ((IDC_CMP_ZIP, 'zip'), (IDC_CMP_LHA, 'lzh')):
            before = set(t.names())
            t.select(folder, 'DATA.TXT')
            t.press(IDC_BTN_COMPRESS)
            dlg = t.dialog('Compress File', 'ファイルの圧縮')
            t.app.click(dlg, radio)
            t.app.click(dlg, IDOK)
            t.no_window()
            made, = set(t.names()) - before
            self.assertEqual(made.lower(), 'data.' + tool)
            archives.append(made)
        path = os.path.join(folder, archives[0])
        self.assertIn(b'No errors detected', run('unzip', '-t', path))
        run('lhasa', 't', os.path.join(folder, archives[1]))
        # The list shows DATA.TXT until the program lists the folder again.
        shown = os.listdir(folder)
        os.remove(os.path.join(folder, 'DATA.TXT'))
        for archive in archives:
            t.select(folder, archive, shown)
            t.press(IDC_BTN_DECOMPRESS)
            t.app.click(t.dialog('Decompress File', 'ファイルの解凍'), IDOK)
            t.expect('arc_delete', button=IDNO)
            t.no_window()
            with open(os.path.join(folder, 'DATA.TXT'), 'rb') as f:
                self.assertEqual(f.read(), data, archive)
            shown = os.listdir(folder)
            os.remove(os.path.join(folder, 'DATA.TXT'))
        t.exit()


class RundeloFromTheKit(RundeloCase):

    def test_merges_a_set_with_a_check_line(self):
        folder = os.path.join(self.drive, 'set')
        src = self.piece_set(folder, size=3500000, piece_bytes=1440000)
        pieces = read_pieces(folder, 3)
        with open(os.path.join(folder, 'file-0'), 'ab') as f:
            f.write(check_line(pieces))
        shutil.copy(os.path.join(kit_files(), 'RUNDELO.EXE'), folder)
        app = self.run_in('set', EN)
        self.assert_clean_exit(app)
        self.assert_same_bytes(os.path.join(folder, 'DATA.BIN'), src)


if __name__ == '__main__':
    unittest.main()
