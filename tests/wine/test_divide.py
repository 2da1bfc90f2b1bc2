"""Division in the real program: sizes, the record, the checks in their order, clean-up."""

import os
import unittest

from test_divide_support import *


class DivideSizes(TovraCase):

    def test_four_floppy_sizes_and_a_user_defined_size(self):
        folder, root = self.drive()
        stamp = local_stamp(1999, 3, 7, 14, 5, 9)
        source = self.write(folder, 'data.lzh', pattern(3500000), stamp)
        keep = self.write(self.tmp, 'original', pattern(3500000))
        self.tovra(root)
        # 1.44MB, then each other size after the existing-pieces question.
        runs = [(135, None, 1440000), (136, None, 1200000), (137, None, 720000),
                (138, None, 640000), (139, 34, 350000)]
        for i, (radio, item, piece) in enumerate(runs):
            with self.subTest(piece=piece):
                n = -(-3500000 // piece)
                self.select(folder, 'data.lzh')
                self.press(DIVISION)
                if i:
                    self.expect('exist_q', button=IDYES)
                dlg = self.dialog('Divide File', 'ファイルの分割')
                self.app.click(dlg, radio)
                if item is not None:
                    self.app.combo_select(dlg, 140, item)
                self.app.click(dlg, IDOK)
                self.expect('div_success', n)
                self.expect('next_fd', button=IDNO)
                names = sorted(os.listdir(folder))
                self.assertEqual(names, sorted(['TOVRA.EXE', 'data.lzh'] +
                                               ['file-%d' % k for k in range(n + 1)]))
                with open(os.path.join(folder, 'file-0'), 'rb') as f:
                    self.assertEqual(f.read(), b'data.lzh;3500000;%d;9;5;14;7;3;1999;\n' % n)
                for k in range(1, n):
                    self.assertEqual(os.path.getsize(os.path.join(folder, 'file-%d' % k)), piece)
                self.cat_cmp(folder, n, keep)
                self.cmp(source, keep)
                self.assertEqual(os.path.getmtime(source), stamp)


if __name__ == '__main__':
    unittest.main()
