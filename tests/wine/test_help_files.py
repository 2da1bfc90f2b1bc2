"""The help files our compiler writes, read back by the system help viewer itself: its trace
(WINEDEBUG=+winhelp) names the title, the charset, every topic and every link it finds; its
window shows each topic's text; its index lists the keywords."""

import os
import re
import subprocess
import sys

from tovra import (HELP_FILES, TRACED_STRING, VIEWER_CLASS, help_source, index_entries, traced,
                   traced_bytes, viewer_text)
from winetest import WineTestCase, bin_path, to_windows

ROOT = os.path.join(os.path.dirname(os.path.abspath(__file__)), '..', '..')
VIEWER = 'C:\\windows\\winhlp32.exe'
CODEPAGES = {'en': 'cp1252', 'ja': 'cp932'}


class HelpFiles(WineTestCase):

    def open_viewer(self, lang, path, topic):
        """The viewer on the help file at path (Unix), at the topic, traced."""
        with traced('+winhelp'):
            app = self.start(VIEWER, self.tmp, lang, args='-i %s %s' % (topic, to_windows(path)))
        return app, app.wait_window(cls=VIEWER_CLASS, timeout=20)

    def closed_log(self, app):
        app.kill()
        app.wait_exit()
        with open(app.log_path, 'rb') as f:
            return f.read().decode('latin-1')

    def test_every_topic_and_link_as_the_viewer_reads_them(self):
        for lang, charset in (('en', []), ('ja', ['128'])):
            with self.subTest(lang=lang):
                title, topics, links, _ = help_source(lang)
                path, codepage = bin_path(HELP_FILES[lang]), CODEPAGES[lang]
                names, found = {}, {}
                for topic, topic_title in topics:
                    app, viewer = self.open_viewer(lang, path, topic)
                    self.assertEqual(viewer_text(app, viewer)[0], topic_title, topic)
                    log = self.closed_log(app)
                    # The viewer looks the topic up by the hash of its name, as it follows links.
                    looked_up = re.search(r'HLPFILE_PageByHash <%s>\[([0-9a-f]+)\]' % TRACED_STRING, log)
                    names[int(looked_up[2], 16)] = topic
                    found[topic] = re.findall(r'Link\[\d+\] to %s@([0-9a-f]+):' % TRACED_STRING, log)
                decode = lambda quoted: traced_bytes(quoted).decode(codepage)
                self.assertEqual(decode(re.search('Title: ' + TRACED_STRING, log)[1]), title)
                self.assertEqual(re.findall(r'Charset: (\d+)', log), charset)
                self.assertEqual([decode(t) for t in re.findall(r'Added page\[\d+\]: title=' +
                                                               TRACED_STRING, log)],
                                 [t for _, t in topics] + [''])
                for topic, _ in topics:
                    self.assertEqual(sorted(names.get(int(h, 16), h) for _, h in found[topic]),
                                     sorted(t for _, t in links[topic]), 'links of ' + topic)
                    self.assertTrue(all(decode(f).upper() == to_windows(path).upper()
                                        for f, _ in found[topic]))

    def test_shift_jis_whose_second_byte_is_a_backslash(self):
        for topic, words in (('division', ('表示', '能力')), ('contents', ('ソフト',))):
            app, viewer = self.open_viewer('ja', bin_path(HELP_FILES['ja']), topic)
            shown = '\n'.join(viewer_text(app, viewer)).encode('cp932')
            for word in words:
                self.assertEqual(word.encode('cp932')[1:2], b'\x5c', word)
                self.assertIn(word.encode('cp932'), shown, word)
            app.kill()

    def test_trees_of_many_pages(self):
        """400 topics with two keywords each: |CONTEXT, |TTLBTREE and |KWBTREE take several
        pages under an index page."""
        lines = ['title: Many', 'charset: cp1252', 'font: Arial', '']
        for i in range(400):
            lines += ['== t%03d: Topic %d' % (i, i), 'keywords: key %03d; word %03d' % (i, i),
                      'Text of topic %d.' % i, '']
        src, hlp = os.path.join(self.tmp, 'many.txt'), os.path.join(self.tmp, 'MANY.HLP')
        with open(src, 'w') as f:
            f.write('\n'.join(lines))
        subprocess.run([sys.executable, os.path.join(ROOT, 'tools', 'mkhelp.py'), src,
                        '--hlp', hlp], check=True)
        for i in (0, 217, 399):
            app, viewer = self.open_viewer('en', hlp, 't%03d' % i)
            self.assertEqual(viewer_text(app, viewer), ['Topic %d' % i, 'Text of topic %d.' % i])
        self.assertEqual(index_entries(app, viewer),
                         sorted(['key %03d' % i for i in range(400)] +
                                ['word %03d' % i for i in range(400)]))
