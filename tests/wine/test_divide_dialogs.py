"""The three dialogs of division, merger and floppy copy in both languages: their controls,
what the division dialog does with its buttons and list, and labels that fit."""

import os
import unittest

from tovra import (IDC_BTN_DIVISION, IDC_BTN_MERGER, IDC_DIV_120, IDC_DIV_144, IDC_DIV_64,
                   IDC_DIV_72, IDC_DIV_SIZELIST, IDC_DIV_SOURCE, IDC_DIV_USER, IDC_FD_DRIVE,
                   IDC_MRG_DEST, TovraCase, pattern, write)
from winetest import IDCANCEL, IDNO, IDOK, IDYES

RADIOS = {IDC_DIV_144: '1.44MB', IDC_DIV_120: '1.2MB', IDC_DIV_72: '720kB', IDC_DIV_64: '640kB'}
USER = ('User Define [ 10,20,30,...,1440 (kB) ]', 'ユーザ選択 [ 10,20,30,...,1440 (kB) ]')


class DivideDialog(TovraCase):

    def open_dialog(self, folder, first=False):
        t = self.t
        t.select(folder, 'data.bin')
        t.press(IDC_BTN_DIVISION)
        if not first:
            t.expect('exist_q', button=IDYES)
        return t.dialog('Divide File', 'ファイルの分割')

    def state(self, dlg):
        app = self.t.app
        checked = [i for i in range(IDC_DIV_144, IDC_DIV_USER + 1) if app.get_check(dlg, i)]
        sizes = IDC_DIV_SIZELIST
        return checked, app.enabled(dlg, sizes)[0], app.combo_items(dlg, sizes)[0]

    def run_language(self, lang):
        folder, root = self.drive()
        write(folder, 'data.bin', pattern(3500000))
        t = self.t = self.start_tovra(root, lang)
        j = 0 if lang == 'en' else 1
        dlg = self.open_dialog(folder, first=True)
        app = t.app
        ctrls = app.controls(dlg)
        texts = {c.id: c.text for c in ctrls}
        labels = [c.text for c in ctrls]
        for cid, text in RADIOS.items():
            self.assertEqual(texts[cid], text)
        self.assertEqual(texts[IDC_DIV_USER], USER[j])
        self.assertEqual(texts[1], 'OK')
        self.assertEqual(texts[2], ('Cancel', 'ｷｬﾝｾﾙ')[j])
        self.assertIn(('Source File :', '分割元ファイル :')[j], labels)
        self.assertIn(('Division Size?', '分割サイズ？')[j], labels)
        self.assertIn(' kB', labels)
        self.assertEqual(app.get_text(dlg, IDC_DIV_SOURCE), 'data.bin')
        sel, items = app.combo_items(dlg, IDC_DIV_SIZELIST)
        self.assertEqual(items, [str(10 * k) for k in range(1, 145)])
        # The first division of the run starts at 1.44MB with the list off at its last item.
        self.assertEqual(self.state(dlg), ([IDC_DIV_144], False, 143))
        t.assert_not_cut(dlg, os.path.join(self.tmp, 'divide-%s.png' % lang))

        # 720kB, then the user-defined button without a pick: the size stays 720,000.
        app.click(dlg, IDC_DIV_72)
        self.assertEqual(self.state(dlg), ([IDC_DIV_72], False, 143))
        app.click(dlg, IDC_DIV_USER)
        self.assertEqual(self.state(dlg), ([IDC_DIV_USER], True, 143))
        app.click(dlg, IDOK)
        t.expect('div_success', 7)  # five pieces, the parity piece and the block checks
        t.expect('next_fd', button=IDNO)
        self.assertEqual(os.path.getsize(os.path.join(folder, 'file-1')), 720000)

        # The next dialog starts from 720kB; a pick in the list sets 350 kB.
        dlg = self.open_dialog(folder)
        self.assertEqual(self.state(dlg), ([IDC_DIV_72], False, 71))
        app.click(dlg, IDC_DIV_USER)
        app.combo_select(dlg, IDC_DIV_SIZELIST, 34)
        app.click(dlg, IDOK)
        t.expect('div_success', 12)
        t.expect('next_fd', button=IDNO)
        self.assertEqual(os.path.getsize(os.path.join(folder, 'file-1')), 350000)

        # ... and the one after that opens on the user-defined button at 350; Cancel and the
        # close box leave the disk as it was.
        before = sorted(os.listdir(folder))
        dlg = self.open_dialog(folder)
        self.assertEqual(self.state(dlg), ([IDC_DIV_USER], True, 34))
        app.click(dlg, IDCANCEL)
        app.wait_gone(dlg)
        t.no_window()
        self.assertEqual(sorted(os.listdir(folder)), ['TOVRA.EXE', 'data.bin'])
        dlg = self.open_dialog(folder, first=True)
        app.close(dlg)
        app.wait_gone(dlg)
        t.no_window()
        self.assertEqual(sorted(os.listdir(folder)), ['TOVRA.EXE', 'data.bin'])
        self.assertNotEqual(before, sorted(os.listdir(folder)))

    def test_english(self):
        self.run_language('en')

    def test_japanese(self):
        self.run_language('ja')


class MergeAndFloppyDialogs(TovraCase):

    def run_language(self, lang):
        j = 0 if lang == 'en' else 1
        folder, root = self.drive()
        write(folder, 'file-0', b'merged.bin;30000;3;\r\n')
        for k in (1, 2, 3):
            write(folder, 'file-%d' % k, pattern(10000, k))
        write(folder, 'data.bin', pattern(30000))
        t = self.start_tovra(root, lang)
        app = t.app
        t.select(folder, 'file-0')
        t.press(IDC_BTN_MERGER)
        dlg = t.dialog('Merge File', 'ファイルの結合')
        ctrls = app.controls(dlg)
        texts = {c.id: c.text for c in ctrls}
        self.assertEqual(app.get_text(dlg, IDC_MRG_DEST), 'merged.bin')
        self.assertIn(('Destination File :', '結合先ファイル :')[j], [c.text for c in ctrls])
        self.assertEqual(texts[2], ('Cancel', 'ｷｬﾝｾﾙ')[j])
        t.assert_not_cut(dlg, os.path.join(self.tmp, 'merge-%s.png' % lang))
        app.click(dlg, IDCANCEL)
        app.wait_gone(dlg)
        t.no_window()
        self.assertFalse(os.path.exists(os.path.join(folder, 'merged.bin')))

        # The floppy dialog comes after a division; with no removable drive it proposes Z.
        t.select(folder, 'data.bin')
        t.press(IDC_BTN_DIVISION)
        t.expect('exist_q', button=IDYES)
        dlg = t.dialog('Divide File', 'ファイルの分割')
        app.click(dlg, IDC_DIV_USER)
        app.combo_select(dlg, IDC_DIV_SIZELIST, 0)
        app.click(dlg, IDOK)
        t.expect('div_success', 5)
        t.expect('next_fd', button=IDYES)
        dlg = t.dialog('Copy Divided Files to FDs', '分割ファイルの FD へのコピー')
        ctrls = app.controls(dlg)
        labels = [c.text for c in ctrls]
        self.assertEqual(app.get_text(dlg, IDC_FD_DRIVE), 'Z')
        self.assertIn(('Drive Name of FDD :', 'FDDのドライブ名 :')[j], labels)
        self.assertIn(('[Note] Input as, for example, A, or A:', '[注] A, A: のように入力して下さい')[j],
                      labels)
        t.assert_not_cut(dlg, os.path.join(self.tmp, 'floppy-%s.png' % lang))
        # At most two characters go in.
        edit = next(c.hwnd for c in ctrls if c.id == IDC_FD_DRIVE)
        self.assertEqual(app.send(edit, 0x00D5), 2)  # EM_GETLIMITTEXT
        app.close(dlg)
        app.wait_gone(dlg)
        t.no_window()
        self.assertTrue(os.path.exists(os.path.join(folder, 'file-3')))

    def test_english(self):
        self.run_language('en')

    def test_japanese(self):
        self.run_language('ja')


if __name__ == '__main__':
    unittest.main()
