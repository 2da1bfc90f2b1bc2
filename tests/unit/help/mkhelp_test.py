#!/usr/bin/env python3
"""The help compiler refuses a source the viewer could not use, and the HTML copies in docs/ are
what the help sources give."""
import pathlib
import subprocess
import sys
import unittest

ROOT = pathlib.Path(__file__).resolve().parents[3]
sys.path.insert(0, str(ROOT / 'tools'))
import mkhelp  # noqa: E402

SETTINGS = 'title: T\ncharset: cp1252\nfont: Arial\n'

# Source after the settings -> part of the complaint.
REFUSED = [
    ('', 'no topic'),
    ('== a: A\nSee [b](b).\n', 'link to unknown topic b'),
    ('== a: A\n== A: again\n', 'defined twice'),
    ('== a-b: A\n', 'context name'),
    ('== a: A\nkeywords: k\n== b: B\nkeywords: k\n', "keyword 'k' is a's already"),
    ('== a: A\n**open\n', '"**" not closed'),
    ('== a: A\n[no target\n', '"[" without "](topic)"'),
    ('== a: A\nmap: IDM_NOWHERE\n', 'map IDM_NOWHERE'),
    ('== a: A\n表示\n', "'表示' has no cp1252 code"),
]


class Refused(unittest.TestCase):
    def test_sources_the_viewer_could_not_use(self):
        for body, complaint in REFUSED:
            with self.subTest(body=body):
                with self.assertRaises(mkhelp.SourceError) as caught:
                    settings, topics = mkhelp.parse(SETTINGS + body)
                    mkhelp.Writer(settings, topics, mkhelp.map_numbers(topics, {})).help_file()
                self.assertIn(complaint, str(caught.exception))


class Copies(unittest.TestCase):
    def test_docs_hold_the_current_html_copies(self):
        for lang in ('en', 'ja'):
            with self.subTest(lang=lang):
                r = subprocess.run([sys.executable, str(ROOT / 'tools' / 'mkhelp.py'),
                                    str(ROOT / 'resources' / 'help' / ('help_%s.txt' % lang)),
                                    '--check-html', str(ROOT / 'docs' / ('help-%s.html' % lang))],
                                   stderr=subprocess.PIPE, text=True)
                self.assertEqual(r.returncode, 0, r.stderr)


if __name__ == '__main__':
    unittest.main()
