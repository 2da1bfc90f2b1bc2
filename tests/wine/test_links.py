"""Every walk of the real program meets a folder that holds a link to a folder outside the
selected tree (a Unix symbolic link, which Wine lists as a reparse point): attributes,
timestamp and the size inquiry leave what lies behind it as it was, and complete deletion
removes the link itself where the system can (Windows); Wine has no call that removes a link
to a folder without touching the folder, so there the link stays and is named. What lies behind
it is read from Linux."""

import os

from test_attributes_timestamp import ATTR_TITLE, TIME_TITLE, FIELDS, FIRST
from test_size_inquiry import counted
from tovra import (IDC_ATR_HIDDEN, IDC_ATR_SUBFOLDERS, IDC_ATR_SYSTEM, IDC_BTN_ATTRIBUTES,
                   IDC_BTN_DELETE, IDC_BTN_FILESIZE, IDC_BTN_TIMESTAMP, IDC_DEL_COMPLETE,
                   IDC_RES_DIRS, IDC_RES_FILES, IDC_RES_SIZE, IDC_TS_SUBFOLDERS, TovraCase,
                   local_stamp, write)
from winetest import IDOK


def snapshot(folder):
    """Every file and folder below folder: bytes, write time, mode and extended attributes."""
    seen = {}
    for top, dirs, files in os.walk(folder):
        for name in dirs + files:
            path = os.path.join(top, name)
            data = None if name in dirs else open(path, 'rb').read()
            st = os.stat(path)
            seen[os.path.relpath(path, folder)] = (data, st.st_mtime, st.st_mode, sorted(
                (a, os.getxattr(path, a)) for a in os.listxattr(path)))
    return seen


class Links(TovraCase):

    def test_no_walk_goes_through_a_link(self):
        folder, root = self.drive()
        outside = os.path.join(self.tmp, 'outside')
        write(outside, 'o.txt', b'outside', mtime=local_stamp(1999, 1, 2, 3, 4, 5))
        write(outside, 'deep/p.txt', b'deeper', mtime=local_stamp(1999, 1, 2, 3, 4, 5))
        write(folder, 'tree/a.txt', b'inside')
        os.makedirs(os.path.join(folder, 'tree', 'sub'))
        os.symlink(outside, os.path.join(folder, 'tree', 'sub', 'elsewhere'))
        before = snapshot(outside)
        t = self.start_tovra(root)

        t.select(folder, 'tree')
        t.press(IDC_BTN_ATTRIBUTES)
        dlg = t.dialog(*ATTR_TITLE)
        for box in (IDC_ATR_HIDDEN, IDC_ATR_SYSTEM, IDC_ATR_SUBFOLDERS):
            t.app.click(dlg, box)
        t.app.click(dlg, IDOK)
        t.app.wait_gone(dlg)
        t.settle()
        self.assertIn('H', self.attrib(root + 'tree\\a.txt'))  # the walk did run

        t.select(folder, 'tree')
        t.press(IDC_BTN_TIMESTAMP)
        dlg = t.dialog(*TIME_TITLE)
        for field, value, first in zip(FIELDS, (2004, 5, 6, 7, 8, 10), FIRST):
            t.app.combo_select(dlg, field, value - first)
        t.app.click(dlg, IDC_TS_SUBFOLDERS)
        t.app.click(dlg, IDOK)
        t.app.wait_gone(dlg)
        t.settle()
        self.assertEqual(os.stat(os.path.join(folder, 'tree', 'a.txt')).st_mtime,
                         local_stamp(2004, 5, 6, 7, 8, 10))
        self.assertEqual(snapshot(outside), before)

        t.select(folder, 'tree')
        t.press(IDC_BTN_FILESIZE)
        t.app.click(t.dialog('Inquire File Size', 'ファイル・サイズの調査'), IDOK)
        result = t.dialog('Inquiry Result', '調査結果')
        shown = tuple(int(t.app.get_text(result, i)) for i in (IDC_RES_SIZE, IDC_RES_FILES,
                                                               IDC_RES_DIRS))
        self.assertEqual(shown, counted(os.path.join(folder, 'tree')))  # find skips the link
        self.assertEqual(shown, (6, 1, 1))
        t.app.click(result, IDOK)
        t.app.wait_gone(result)

        t.select(folder, 'tree')
        t.press(IDC_BTN_DELETE)
        dlg = t.dialog('Delte File / Directory', 'ファイル/ディレクトリの削除')
        t.app.click(dlg, IDC_DEL_COMPLETE)
        t.app.click(dlg, IDOK)
        t.app.expect_msgbox('Delete Directory :\n\n' + root + 'tree', 'Confirm Deletion',
                            'question', button=IDOK, timeout=60)
        t.app.expect_msgbox('1 file(s) or folder(s) could not be overwritten or deleted and were '
                            'left as they are.\nThe first of them:\n' + root + 'tree\\sub\\elsewhere',
                            'Warning', 'exclamation', timeout=60)
        t.settle()
        self.assertTrue(os.path.islink(os.path.join(folder, 'tree', 'sub', 'elsewhere')))
        self.assertEqual(sorted(os.listdir(os.path.join(folder, 'tree'))), ['sub'])
        self.assertEqual(snapshot(outside), before)
        t.exit()
