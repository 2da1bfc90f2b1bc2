#!/usr/bin/env python3
"""The floors of Tovra's sources, read from their #include lines. From the ground up: base/
(helpers, the file seam, the system queries) beside resources/ids.h; the services every command
and the list use (ui/: message boxes and dialogs, the busy banner, the program's state); the file
list (browser/); the commands (engine/, fileops/, archive/); the shell on top (shell/: the main
window, start-up, dispatch, icon bar, labels, About and Help). A file includes its own room and
the floors below it, never a floor above nor another room of its own floor. Rundelo (merger/)
stands apart on base/, the piece-set format and the merge by its checks; the native command
(cli/) apart on base/ and the engine's portable files. Portable code includes
no windows.h. A command gets the selection and the folder it works on from the dispatcher, never
from the shell's state."""
import pathlib
import re
import unittest

ROOT = pathlib.Path(__file__).resolve().parents[3]
INCLUDE = re.compile(r'^\s*#\s*include\s+([<"])([^>"]+)[>"]', re.M)
LADDER = (('base', 'resources'), ('ui',), ('browser',), ('engine', 'fileops', 'archive'), ('shell',))
# The rooms that stand apart, and what of the rest each may use: Rundelo's, and the native
# command's, which reaches Tovra's work only through its portable files and the texts.
APART = {
    'merger': ('base/', 'engine/pieceset.h', 'engine/parity.h', 'engine/checked_merge.h'),
    'cli': ('base/', 'engine/pieceset.h', 'engine/parity.h', 'engine/parity_code.h',
            'engine/checked_merge.h', 'engine/texts.h', 'engine/engine_rules.h',
            'engine/divide_work.h', 'engine/merge_work.h', 'engine/distribute_work.h',
            'merger/texts.h'),
}
# Folders that are no part of the two programs: the archiver libraries, tests, tools, benches.
OUTSIDE = {'archivers', 'bench', 'build', 'cmake', 'dist', 'docs', 'tests', 'tools'}
# Folders of the piece-set format's users give its folder to the compiler as well.
INCLUDE_FOLDERS = ('engine',)
PORTABLE = re.compile(r'(_work|_rules|^pieceset)\.(h|cpp)$')
# The shell's record of what the user has selected and where the list stands.
SHELL_STATE = re.compile(r'\b(g_sel\w*|g_currentDir)\b')


def resolve(path, name):
    """The path from the root of a quoted include of the file at path."""
    if '/' in name:
        return name
    for folder in [path.parent] + [ROOT / f for f in INCLUDE_FOLDERS]:
        if (folder / name).exists():
            return str((folder / name).relative_to(ROOT))
    return str(path.parent.relative_to(ROOT) / name)


def includes(path):
    """(system headers, project headers as paths from the root) of one source."""
    system, project = set(), set()
    for kind, name in INCLUDE.findall(path.read_text(encoding='utf-8')):
        if kind == '<':
            system.add(name.lower())
        else:
            project.add(resolve(path, name))
    return system, project


def sources(*folders):
    for folder in folders:
        for path in sorted((ROOT / folder).rglob('*')):
            if path.suffix in ('.h', '.cpp'):
                yield path


def room(p):
    return p.split('/')[0]


def floor(r):
    return next(i for i, rooms in enumerate(LADDER) if r in rooms)


class Floors(unittest.TestCase):
    maxDiff = None

    def test_every_room_stands_on_its_floor(self):
        placed = {r for rooms in LADDER for r in rooms} | set(APART)
        for path in ROOT.iterdir():
            if path.is_dir() and not path.name.startswith('.') and path.name not in OUTSIDE:
                if any(p.suffix in ('.h', '.cpp') for p in path.rglob('*')):
                    self.assertIn(path.name, placed, 'a room on no floor')
        wrong, checked = [], 0
        for rooms in LADDER:
            for path in sources(*rooms):
                here = room(str(path.relative_to(ROOT)))
                _, project = includes(path)
                wrong += ['%s includes %s' % (path.relative_to(ROOT), p) for p in sorted(project)
                          if room(p) != here and (room(p) in APART or floor(room(p)) >= floor(here))]
                checked += 1
        self.assertGreater(checked, 100)
        for here, allowed in APART.items():
            for path in sources(here):
                _, project = includes(path)
                wrong += ['%s includes %s' % (path.relative_to(ROOT), p) for p in sorted(project)
                          if room(p) != here and not p.startswith(allowed)]
        self.assertEqual(wrong, [])

    def test_the_command_line_is_portable(self):
        wrong = ['%s includes windows.h' % path.relative_to(ROOT) for path in sources('cli')
                 if 'windows.h' in includes(path)[0]]
        self.assertEqual(wrong, [])

    def test_nothing_below_the_shell_includes_it(self):
        wrong = []
        for path in sources(*(r for rooms in LADDER[:-1] for r in rooms), *APART):
            _, project = includes(path)
            wrong += ['%s includes %s' % (path.relative_to(ROOT), p) for p in sorted(project)
                      if room(p) == 'shell']
        self.assertEqual(wrong, [])

    def test_commands_get_what_they_work_on_as_their_input(self):
        wrong = []
        for path in sources('engine', 'fileops', 'archive'):
            names = sorted(set(SHELL_STATE.findall(path.read_text(encoding='utf-8'))))
            wrong += ['%s reads %s' % (path.relative_to(ROOT), n) for n in names]
        self.assertEqual(wrong, [])

    def test_base_stands_alone(self):
        for path in sources('base'):
            system, project = includes(path)
            self.assertTrue(all(p.startswith('base/') for p in project), path)
            if not path.stem.endswith('_win32'):
                self.assertNotIn('windows.h', system, path)

    def test_portable_code_needs_no_window(self):
        for path in sources('engine', 'browser/rules', 'ui/rules', 'shell/rules', 'merger'):
            if path.parent.name == 'rules' or PORTABLE.search(path.name) or path.name.startswith('core.'):
                system, _ = includes(path)
                self.assertNotIn('windows.h', system, path)

    def test_the_file_seam_and_its_model_stand_on_base(self):
        seam = (ROOT / 'base' / 'diskfiles.h').read_text(encoding='utf-8')
        for declaration in ('struct DiskFiles {', 'bool FilesEqual(', 'bool RemoveForced('):
            self.assertIn(declaration, seam)
        # The model disk beside it serves the tests of every command area (they alone build it).
        _, project = includes(ROOT / 'base' / 'memdisk.h')
        self.assertIn('base/diskfiles.h', project)


if __name__ == '__main__':
    unittest.main()
