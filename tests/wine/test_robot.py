"""The robot and the harness against FIXTURE.EXE: every reading, click and drive kind."""

import os
import time
import unittest

from winetest import (FLOPPY_BYTES, IDCANCEL, IDNO, IDOK, IDYES, VK_ESCAPE, RobotError,
                      WineTestCase, to_windows)

DRIVES_KEY = r'HKLM\Software\Wine\Drives'
ICONS = ('hand', 'exclamation', 'question', 'asterisk', 'none')
IDC_NAME, IDC_KEEP, IDC_KIND, IDC_ROWS, IDC_EVENT, IDC_PICKS, IDC_PLACE = range(201, 208)

# The fixture's texts, written out here rather than taken from its source.
BOX_TEXT = {'en': 'Check the display of the software.\nIcon: %s',
            'ja': 'ソフトの表示を確認します。\nアイコン: %s'}
BOX_CAPTION = {'en': 'Display Check', 'ja': '表示の確認'}


def drive_report(text):
    """The fixture's 'key=value ...' drive report as a dict."""
    return dict(item.split('=', 1) for item in text.split(' '))


class MessageBoxes(WineTestCase):

    def test_each_icon_text_and_caption_in_both_languages(self):
        for lang in ('en', 'ja'):
            for icon in ICONS:
                with self.subTest(lang=lang, icon=icon):
                    app = self.start('FIXTURE.EXE', self.tmp, lang, 'box ' + icon)
                    box = app.expect_msgbox(BOX_TEXT[lang] % icon, BOX_CAPTION[lang], icon)
                    self.assertEqual(list(box.buttons), [IDOK])
                    self.assertEqual(app.wait_exit(), IDOK)

    def test_japanese_bytes_arrive_unchanged(self):
        app = self.start('FIXTURE.EXE', self.tmp, 'ja', 'box exclamation')
        win = app.wait_window(cls='#32770', title=BOX_CAPTION['ja'])
        box = app.msgbox(win.hwnd)
        # ソ and 表 end in 0x5C, the byte a path splitter would take for a backslash.
        self.assertTrue(box.text_raw.startswith(b'\x83\x5c\x83\x74\x83\x67\x82\xcc\x95\x5c'))
        self.assertEqual(box.text_raw, (BOX_TEXT['ja'] % 'exclamation').encode('cp932'))
        self.assertEqual(box.caption_raw, b'\x95\x5c\x8e\xa6\x82\xcc\x8a\x6d\x94\x46')
        self.assertEqual(win.title_raw, box.caption_raw)
        app.click(win.hwnd, IDOK)
        self.assertEqual(app.wait_exit(), IDOK)

    def test_buttons_pressed_become_the_exit_code(self):
        for buttons, press, ids in (('yesnocancel', IDNO, {IDYES, IDNO, IDCANCEL}),
                                    ('yesno', IDYES, {IDYES, IDNO}),
                                    ('okcancel', IDCANCEL, {IDOK, IDCANCEL})):
            with self.subTest(buttons=buttons):
                app = self.start('FIXTURE.EXE', self.tmp, 'en', 'box question ' + buttons)
                box = app.expect_msgbox(BOX_TEXT['en'] % 'question', BOX_CAPTION['en'],
                                        'question', button=press)
                self.assertEqual(set(box.buttons), ids)
                self.assertTrue(all(box.buttons.values()), box.buttons)
                self.assertEqual(app.wait_exit(), press)

    def test_close_answers_cancel(self):
        app = self.start('FIXTURE.EXE', self.tmp, 'en', 'box asterisk okcancel')
        win = app.wait_window(cls='#32770')
        app.close(win.hwnd)
        app.wait_gone(win.hwnd)
        self.assertEqual(app.wait_exit(), IDCANCEL)

    def test_a_wrong_expectation_fails(self):
        app = self.start('FIXTURE.EXE', self.tmp, 'en', 'box hand')
        with self.assertRaises(AssertionError):
            app.expect_msgbox(BOX_TEXT['en'] % 'hand', BOX_CAPTION['en'], 'exclamation')


class Program(WineTestCase):

    def test_exit_without_window_is_reported(self):
        app = self.start('FIXTURE.EXE', self.tmp, 'en', 'exit 42')
        with self.assertRaisesRegex(AssertionError, 'ended'):
            app.wait_window(timeout=10)
        self.assertEqual(app.wait_exit(), 42)

    def test_kill_ends_the_program(self):
        app = self.start('FIXTURE.EXE', self.tmp, 'en', 'box hand')
        app.wait_window(cls='#32770')
        with self.assertRaises(AssertionError):
            app.wait_exit(timeout=0.2)
        app.kill()
        self.assertEqual(app.wait_exit(), 255)
        self.assertEqual(app.windows(), [])

    def test_bad_commands_are_refused(self):
        app = self.start('FIXTURE.EXE', self.tmp, 'en', 'box hand')
        win = app.wait_window(cls='#32770')
        with self.assertRaisesRegex(RobotError, 'unknown command'):
            app.call('jump 1 2')
        with self.assertRaisesRegex(RobotError, 'no such window'):
            app.msgbox(0)
        with self.assertRaisesRegex(RobotError, 'no such control'):
            app.click(win.hwnd, 999)
        with self.assertRaisesRegex(RobotError, 'line too long'):
            app.call('set-text %d %d %s' % (win.hwnd, IDOK, 'ab' * 40000))
        # Every refusal was one answer: the next one still belongs to its command.
        self.assertEqual([w.hwnd for w in app.windows()], [win.hwnd])


class Dialog(WineTestCase):

    def _dialog(self, lang):
        app = self.start('FIXTURE.EXE', self.tmp, lang, 'dialog')
        return app, app.wait_window(cls='#32770', title='Fixture Dialog')

    def _event(self, app, dlg, text):
        app.wait_text(dlg.hwnd, IDC_EVENT, text)

    def test_controls_are_listed(self):
        app, dlg = self._dialog('en')
        kinds = {c.id: c for c in app.controls(dlg.hwnd)}
        self.assertEqual(kinds[IDC_NAME].cls, 'Edit')
        self.assertEqual((kinds[IDC_KEEP].cls, kinds[IDC_KEEP].text), ('Button', 'Keep'))
        self.assertEqual(kinds[IDC_KIND].cls, 'ComboBox')
        self.assertEqual(kinds[IDC_ROWS].cls, 'SysListView32')
        self.assertEqual((kinds[IDOK].text, kinds[IDCANCEL].text), ('OK', 'Cancel'))
        self.assertTrue(all(c.visible and c.enabled for c in kinds.values() if c.id > 0))
        # Controls sit inside the dialog, the OK button left of Cancel.
        outer, _ = app.rect(dlg.hwnd)
        for c in kinds.values():
            self.assertTrue(outer[0] <= c.rect[0] < c.rect[2] <= outer[2], c)
            self.assertTrue(outer[1] <= c.rect[1] < c.rect[3] <= outer[3], c)
        self.assertLess(kinds[IDOK].rect[2], kinds[IDCANCEL].rect[0])
        self.assertEqual(app.enabled(dlg.hwnd, IDC_NAME), (True, True))
        # A window is reported once, unless asked for again.
        with self.assertRaises(AssertionError):
            app.wait_window(timeout=0.3)
        self.assertEqual(app.wait_window(timeout=1, any=True).hwnd, dlg.hwnd)
        app.close(dlg.hwnd)
        self.assertEqual(app.wait_exit(), 2)

    def test_keys_reach_the_dialog(self):
        app, dlg = self._dialog('en')
        app.key(VK_ESCAPE)
        self.assertEqual(app.wait_exit(), 2)

    def test_every_control_worked_in_both_languages(self):
        kinds = {'en': ['Alpha', 'Beta', 'Gamma'], 'ja': ['表', 'ソフト', '能力']}
        names = {'en': 'Hello World', 'ja': 'ソフト 表'}
        for lang in ('en', 'ja'):
            with self.subTest(lang=lang):
                app, dlg = self._dialog(lang)
                app.set_text(dlg.hwnd, IDC_NAME, names[lang])
                self.assertEqual(app.get_text(dlg.hwnd, IDC_NAME, raw=True),
                                 names[lang].encode(app.codepage))

                self.assertEqual(app.get_check(dlg.hwnd, IDC_KEEP), 0)
                app.check(dlg.hwnd, IDC_KEEP, True)
                self.assertEqual(app.get_check(dlg.hwnd, IDC_KEEP), 1)
                self._event(app, dlg, 'keep 1')

                sel, items = app.combo_items(dlg.hwnd, IDC_KIND, raw=True)
                self.assertEqual((sel, items), (0, [k.encode(app.codepage) for k in kinds[lang]]))
                app.combo_select(dlg.hwnd, IDC_KIND, 2)
                self.assertEqual(app.combo_items(dlg.hwnd, IDC_KIND)[0], 2)
                self._event(app, dlg, 'kind 2')

                picks = {'en': ['Red', 'Green'], 'ja': ['赤', '緑']}[lang]
                self.assertEqual(app.list_items(dlg.hwnd, IDC_PICKS), (-1, picks))
                app.list_select(dlg.hwnd, IDC_PICKS, 1)
                self._event(app, dlg, 'pick 1')
                self.assertEqual(app.list_items(dlg.hwnd, IDC_PICKS)[0], 1)

                system = {'en': 'C:[SYSTEM]', 'ja': 'C:[システム]'}[lang]
                self.assertEqual(app.combo_items(dlg.hwnd, IDC_PLACE, raw=True),
                                 (1, [b'A:[REMOVABLE-DRIVE]', system.encode(app.codepage),
                                      b'  Folder']))
                app.combo_select(dlg.hwnd, IDC_PLACE, 2)
                self._event(app, dlg, 'place 2')

                rows, selected, _ = app.lv_rows(dlg.hwnd, IDC_ROWS)
                third = {'en': 'three.txt', 'ja': '表示.txt'}[lang]
                self.assertEqual(rows, [['one.txt', '10'], ['two.txt', '200'], [third, '3000']])
                self.assertEqual(selected, [])
                self.assertTrue(app.lv_click(dlg.hwnd, IDC_ROWS, 1))
                self._event(app, dlg, 'click 1')
                self.assertEqual(app.lv_rows(dlg.hwnd, IDC_ROWS)[1], [1])
                app.lv_click(dlg.hwnd, IDC_ROWS, 2, 'dblclick')
                self._event(app, dlg, 'dblclick 2')

                app.click(dlg.hwnd, IDOK)
                values = 'name=%s keep=1 kind=2 row=2' % names[lang]
                app.expect_msgbox(values, {'en': 'Values', 'ja': '値'}[lang], 'asterisk')
                self.assertEqual(app.wait_exit(), 102)

    def test_columns_places_indents_and_window_facts(self):
        headers = {'en': ['Name', 'Size'], 'ja': ['名前', 'サイズ']}
        for lang in ('en', 'ja'):
            with self.subTest(lang=lang):
                app, dlg = self._dialog(lang)
                lv = next(c for c in app.controls(dlg.hwnd) if c.id == IDC_ROWS)
                cols, width = app.lv_columns(lv.hwnd, '-')  # the list named by its handle
                self.assertEqual(cols, list(zip((200, 80), headers[lang])))
                self.assertEqual(width, lv.rect[2] - lv.rect[0])
                l, t, r, b = app.lv_rect(dlg.hwnd, IDC_ROWS, 1)
                self.assertTrue(lv.rect[0] <= l < r <= lv.rect[2])
                self.assertTrue(lv.rect[1] < t < b < lv.rect[3])
                self.assertEqual(app.lv_rect(lv.hwnd, '-', 2)[1], b)
                sel, items = app.cbex_items(dlg.hwnd, IDC_PLACE)
                self.assertEqual((sel, [(i[0], i[3]) for i in items]), (1, list(zip(
                    (0, 0, 1), app.combo_items(dlg.hwnd, IDC_PLACE)[1]))))
                style, exstyle = app.style(dlg.hwnd)
                self.assertEqual(style & 0x00C00000, 0x00C00000)  # WS_CAPTION
                edge = 0x200  # WS_EX_CLIENTEDGE
                self.assertEqual(app.style(dlg.hwnd, IDC_NAME)[1] & edge, edge)
                app.move(dlg.hwnd, 10, 20)
                self.assertEqual(app.rect(dlg.hwnd)[0][:2], (10, 20))
                self.assertEqual(app.priority(dlg.hwnd), 0)
                self.assertEqual(app.process_dir().rstrip('\\'), to_windows(self.tmp))
                app.close(dlg.hwnd)
                self.assertEqual(app.wait_exit(), 2)

    def test_a_file_is_held_once_it_exists(self):
        holder = self.robot()
        path = os.path.join(self.tmp, 'later.txt')
        holder.hold(to_windows(path))
        with self.assertRaises(AssertionError):
            holder.wait_held(0.5)
        open(path, 'w').close()
        holder.wait_held(10)
        with self.assertRaisesRegex(RobotError, 'already holding'):
            holder.hold(to_windows(path))

    def test_screen_pixels_and_mouse(self):
        app, dlg = self._dialog('en')
        _, client = app.rect(dlg.hwnd, IDC_ROWS)
        # Below the three rows the list view shows its plain white background.
        app.wait_pixel(client[0] + 100, client[3] - 4, (255, 255, 255))
        _, ok = app.rect(dlg.hwnd, IDCANCEL)
        app.mouse((ok[0] + ok[2]) // 2, (ok[1] + ok[3]) // 2, 'click')
        self.assertEqual(app.wait_exit(), 2)
        shot = os.path.join(self.tmp, 'shot.png')
        self.screenshot(shot)
        self.assertGreater(os.path.getsize(shot), 0)


class Drives(WineTestCase):

    def _report(self, letter, lang='en'):
        app = self.start('FIXTURE.EXE', self.tmp, lang, 'drive ' + letter)
        win = app.wait_window(cls='#32770', title='Drive %s:' % letter)
        report = drive_report(app.msgbox(win.hwnd).text)
        app.click(win.hwnd, IDOK)
        self.assertEqual(app.wait_exit(), int(report['type']))
        return report

    def test_kinds_and_labels_as_the_program_sees_them(self):
        cases = (('m', 'fixed', 'DATA', '3'), ('n', 'cdrom', 'DISC1', '5'),
                 ('o', 'network', None, '4'), ('p', 'ramdisk', None, '6'))
        for letter, kind, label, drive_type in cases:
            folder = os.path.join(self.tmp, kind)
            os.makedirs(folder)
            with open(os.path.join(folder, 'x.txt'), 'w') as f:
                f.write('x')
            self.map_drive(letter, folder, kind, label)
        for letter, kind, label, drive_type in cases:
            with self.subTest(kind=kind):
                report = self._report(letter)
                self.assertEqual(report['type'], drive_type)
                self.assertEqual(report['volume'], '1')
                self.assertEqual(report['label'], label or '')
                self.assertEqual(report['list'], '0')
        self.assertEqual(self._report('n')['fs'], 'CDFS')

    def test_a_letter_left_mapped_by_an_earlier_test_is_taken_over(self):
        # A test whose clean-up could not unmap its drive has failed; the next must not.
        left, mine = os.path.join(self.tmp, 'left'), os.path.join(self.tmp, 'mine')
        os.makedirs(left)
        os.makedirs(mine)
        self._robot_once('define-drive', 'q', 'fixed', left)
        self.map_drive('q', mine, 'cdrom')
        self.assertEqual(os.readlink(self._drive_link('q')), mine)
        self.assertEqual(self._report('q')['type'], '5')
        with self.assertRaisesRegex(RuntimeError, 'already mapped by this test'):
            self.map_drive('q', left)
        self._unmap_drive('q')
        self.assertFalse(os.path.lexists(self._drive_link('q')))

    def test_japanese_label(self):
        self.map_drive('r', self.tmp, 'fixed', 'データ表')
        self.assertEqual(self._report('r', 'ja')['label'], 'データ表')

    def test_floppy_of_floppy_size(self):
        root, folder = self.floppy_drive('a', label='DISK1')
        self.assertEqual(root, 'A:\\')
        self.assertEqual(os.listdir(folder), [])
        report = self._report('a')
        self.assertEqual((report['type'], report['label']), ('2', 'DISK1'))
        self.assertEqual(report['list'], '2')  # an empty root: no label file in the way
        # tmpfs rounds its size up to whole pages: the program sees what statvfs says.
        fs = os.statvfs(folder)
        self.assertEqual(int(report['total']), fs.f_blocks * fs.f_frsize)
        self.assertLess(int(report['total']), FLOPPY_BYTES + 4096)
        self.assertEqual(int(report['free']), fs.f_bavail * fs.f_frsize)

    def test_floppy_without_medium(self):
        self.empty_floppy_drive('b')
        report = self._report('b')
        self.assertEqual(report['type'], '2')
        self.assertIn(report['list'], ('3', '21'))  # Wine: path not found; Windows: not ready
        self.assertEqual(report['total'], '0')

    def _drive_value_settled(self, name, expected, timeout=10):
        # The mount manager may write the drive's value a moment after the call that mapped or
        # removed the drive has returned: a loaded machine has shown the gap.
        end = time.monotonic() + timeout
        while True:
            value = self.reg_query(DRIVES_KEY, name)
            if value == expected or time.monotonic() > end:
                return value
            time.sleep(0.2)

    def test_drives_are_gone_after_the_test(self):
        link = os.path.join(os.environ['WINEPREFIX'], 'dosdevices', 'q:')
        inner = Drives('test_floppy_without_medium')
        inner.setUp()
        inner.map_drive('q', self.tmp, 'floppy')
        self.assertEqual(os.readlink(link), self.tmp)
        self.assertEqual(self._drive_value_settled('q:', ('REG_SZ', 'floppy')), ('REG_SZ', 'floppy'))
        inner.doCleanups()
        self.assertFalse(os.path.lexists(link))
        self.assertIsNone(self._drive_value_settled('q:', None))
        self.assertEqual(self._report('q')['type'], '1')


class Registry(WineTestCase):
    KEY = r'HKLM\SOFTWARE\Microsoft\Windows NT\CurrentVersion'

    def _seen(self):
        app = self.start('FIXTURE.EXE', self.tmp, 'en',
                         r'regvalue "SOFTWARE\Microsoft\Windows NT\CurrentVersion" CurrentVersion')
        win = app.wait_window(cls='#32770', title='CurrentVersion')
        text = app.msgbox(win.hwnd).text
        app.click(win.hwnd, IDOK)
        app.wait_exit()
        return text

    def test_values_set_and_deleted_come_back(self):
        original = self.reg_query(self.KEY, 'CurrentVersion')
        self.assertIsNotNone(original)
        inner = Registry('_seen')  # a second case, with a folder of its own
        inner.setUp()
        inner.reg_set(self.KEY, 'CurrentVersion', '4.0')
        self.assertEqual(self._seen(), '4.0')
        inner.reg_delete(self.KEY, 'CurrentVersion')
        self.assertEqual(self._seen(), '(absent)')
        inner.doCleanups()
        self.assertEqual(self.reg_query(self.KEY, 'CurrentVersion'), original)
        self.assertEqual(self._seen(), original[1])


if __name__ == '__main__':
    unittest.main()
