#!/usr/bin/env python3
"""Every dialog template has a Japanese twin (name + "_J") with the same control identifiers,
in the same order, of the same kinds."""
import pathlib
import re
import sys
import unittest

ROOT = pathlib.Path(__file__).resolve().parents[3]
# Statements whose first argument is the identifier; the others start with their text.
ID_FIRST = {"EDITTEXT", "COMBOBOX", "LISTBOX", "SCROLLBAR", "ICON_ID"}
CONTROL_WORDS = {"LTEXT", "RTEXT", "CTEXT", "PUSHBUTTON", "DEFPUSHBUTTON", "GROUPBOX",
                 "CHECKBOX", "AUTOCHECKBOX", "RADIOBUTTON", "AUTORADIOBUTTON", "STATE3",
                 "AUTO3STATE", "CONTROL", "ICON", "PUSHBOX"} | ID_FIRST


def split_args(text):
    args, cur, quoted = [], "", False
    for ch in text:
        if ch == '"':
            quoted = not quoted
        if ch == "," and not quoted:
            args.append(cur.strip())
            cur = ""
        else:
            cur += ch
    args.append(cur.strip())
    return args


def parse_dialogs(text):
    dialogs = {}
    lines = text.splitlines()
    i = 0
    while i < len(lines):
        m = re.match(r"^\s*([A-Za-z_][A-Za-z0-9_]*)\s+DIALOG(EX)?\b", lines[i])
        if not m:
            i += 1
            continue
        name = m.group(1)
        while not re.match(r"^\s*(BEGIN|\{)\s*$", lines[i]):
            i += 1
        controls = []
        i += 1
        while not re.match(r"^\s*(END|\})\s*$", lines[i]):
            m2 = re.match(r"^\s*([A-Z0-9_]+)\s+(.*)$", lines[i])
            if m2 and m2.group(1) in CONTROL_WORDS:
                word, args = m2.group(1), split_args(m2.group(2))
                ident = args[0] if word in ID_FIRST else args[1]
                kind = args[2] if word == "CONTROL" else word
                controls.append((ident, kind))
            i += 1
        dialogs[name] = controls
        i += 1
    return dialogs


def all_dialogs():
    found = {}
    for rc in sorted(ROOT.glob("resources/**/*.rc")) + sorted(ROOT.glob("shell/**/*.rc")):
        for name, controls in parse_dialogs(rc.read_text(encoding="utf-8")).items():
            found[name] = (rc.relative_to(ROOT), controls)
    return found


class DialogTwins(unittest.TestCase):
    def test_every_template_has_a_twin_with_the_same_controls(self):
        dialogs = all_dialogs()
        english = [n for n in dialogs if not n.endswith("_J")]
        self.assertTrue(english, "no dialog templates found")
        for name in english:
            with self.subTest(dialog=name):
                self.assertIn(name + "_J", dialogs, f"{name} has no Japanese twin")
                en_ids = [c for c in dialogs[name][1] if c[0] not in ("-1", "IDC_STATIC")]
                ja_ids = [c for c in dialogs[name + "_J"][1] if c[0] not in ("-1", "IDC_STATIC")]
                self.assertEqual(en_ids, ja_ids)
        for name in dialogs:
            if name.endswith("_J"):
                self.assertIn(name[:-2], dialogs, f"{name} has no English original")

    def test_parser_sees_a_mismatch(self):
        rc = ('A_DLG DIALOGEX 0,0,1,1\nBEGIN\n  EDITTEXT 134, 1,1,1,1\n'
              '  PUSHBUTTON "OK", IDOK, 1,1,1,1\nEND\n'
              'A_DLG_J DIALOGEX 0,0,1,1\nBEGIN\n  EDITTEXT 135, 1,1,1,1\n'
              '  PUSHBUTTON "O,K", IDOK, 1,1,1,1\nEND\n')
        d = parse_dialogs(rc)
        self.assertEqual(d["A_DLG"], [("134", "EDITTEXT"), ("IDOK", "PUSHBUTTON")])
        self.assertNotEqual(d["A_DLG"], d["A_DLG_J"])


if __name__ == "__main__":
    sys.exit(unittest.main())
