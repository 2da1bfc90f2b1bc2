"""The File Size command of the real program: a tree of hidden, system and dot-named entries,
empty folders and sparse files of more than 4 GiB in all, against find and stat."""

import os
import subprocess

from tovra import (IDC_BTN_FILESIZE, IDC_CNT_PARENT, IDC_RES_DIRS, IDC_RES_FILES, IDC_RES_SIZE,
                   TovraCase, set_dos_attributes, write)
from winetest import IDOK


def counted(folder):
    """(bytes, files, folders) below folder by find and stat, names beginning with a full stop
    passed over with everything below them."""
    out = subprocess.run(['find', '.', '-mindepth', '1', '-name', '.*', '-prune', '-o',
                          '-printf', '%y %s\\n'], cwd=folder, stdout=subprocess.PIPE,
                         check=True).stdout.decode().split()
    kinds, sizes = out[0::2], [int(s) for s in out[1::2]]
    files = [s for k, s in zip(kinds, sizes) if k == 'f']
    return sum(files), len(files), kinds.count('d')


class SizeInquiry(TovraCase):

    def test_a_tree_of_more_than_four_gibibytes(self):
        for lang in ('en', 'ja'):
            with self.subTest(lang=lang):
                folder, root = self.drive(name='d-' + lang, letter='t' if lang == 'en' else 'u')
                write(folder, 'tree/big1.bin', 3 * 2**30)  # sparse
                write(folder, 'tree/sub/big2.bin', 2 * 2**30 + 12345)
                set_dos_attributes(write(folder, 'tree/sub/hidden.txt', b'h' * 100), 2)
                set_dos_attributes(write(folder, 'tree/system.sys', b's' * 7), 4)
                write(folder, 'tree/.dot/inside.bin', b'not counted' * 50)
                write(folder, 'tree/.hidden', b'nor this')
                os.makedirs(os.path.join(folder, 'tree', 'empty', 'deeper'))
                t = self.start_tovra(root, lang)
                before = t.process_dir()
                t.select(folder, 'tree')
                t.press(IDC_BTN_FILESIZE)
                dlg = t.dialog('Inquire File Size', 'ファイル・サイズの調査')
                self.assertEqual(t.app.get_text(dlg, IDC_CNT_PARENT), root + 'tree')
                t.app.click(dlg, IDOK)
                result = t.dialog('Inquiry Result', '調査結果')
                shown = tuple(int(t.app.get_text(result, i))
                              for i in (IDC_RES_SIZE, IDC_RES_FILES, IDC_RES_DIRS))
                self.assertEqual(shown, counted(os.path.join(folder, 'tree')))
                self.assertGreater(shown[0], 4 * 2**30)
                t.app.click(result, IDOK)
                t.app.wait_gone(result)
                self.assertEqual(t.process_dir(), before)
                t.exit()
