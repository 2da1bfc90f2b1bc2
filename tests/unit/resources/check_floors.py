#!/usr/bin/env python3
"""The floors of Tovra's sources, read from their #include lines: base/ at the bottom, then the
shell's services, then the commands, then the main window, icon bar and dispatch. A command sees
only services; the file list knows no command; the file and archive commands touch files through
the seam in base/, never through the piece-set engine; portable code includes no windows.h."""
import pathlib
import re
import unittest

ROOT = pathlib.Path(__file__).resolve().parents[3]
INCLUDE = re.compile(r'^\s*#\s*include\s+([<"])([^>"]+)[>"]', re.M)
SERVICES = {'shell/ui.h', 'shell/state.h', 'shell/drives.h', 'shell/busy.h',
            'browser/filelist.h', 'browser/selection.h', 'resources/ids.h'}
COMMAND_AREAS = ('engine', 'fileops', 'archive')
# Commands of the shell itself, each with its own header.
SHELL_COMMANDS = ('shell/about', 'shell/help')
PORTABLE = re.compile(r'(_work|_rules|^pieceset)\.(h|cpp)$')


def includes(path):
    """(system headers, project headers as paths from the root) of one source."""
    system, project = set(), set()
    for kind, name in INCLUDE.findall(path.read_text(encoding='utf-8')):
        if kind == '<':
            system.add(name.lower())
        elif '/' in name:
            project.add(name)
        else:
            project.add(str(path.parent.relative_to(ROOT) / name))
    return system, project


def sources(*folders):
    for folder in folders:
        for path in sorted((ROOT / folder).rglob('*')):
            if path.suffix in ('.h', '.cpp'):
                yield path


class Floors(unittest.TestCase):

    def test_base_stands_alone(self):
        for path in sources('base'):
            system, project = includes(path)
            self.assertTrue(all(p.startswith('base/') for p in project), path)
            if not path.stem.endswith('_win32'):
                self.assertNotIn('windows.h', system, path)

    def test_portable_code_needs_no_window(self):
        for path in sources('engine', 'browser/rules', 'shell/rules', 'merger'):
            if path.parent.name == 'rules' or PORTABLE.search(path.name) or path.name.startswith('core.'):
                system, _ = includes(path)
                self.assertNotIn('windows.h', system, path)

    def test_commands_see_only_services(self):
        checked = 0
        for area in COMMAND_AREAS:
            for path in sources(area) if (ROOT / area).is_dir() else ():
                _, project = includes(path)
                for p in project:
                    allowed = p.startswith('base/') or p in SERVICES or p.split('/')[0] in COMMAND_AREAS
                    self.assertTrue(allowed, '%s includes %s' % (path.relative_to(ROOT), p))
                checked += 1
        self.assertGreater(checked, 0)
        for stem in SHELL_COMMANDS:
            for path in (ROOT / (stem + '.h'), ROOT / (stem + '.cpp')):
                _, project = includes(path)
                for p in project - {stem + '.h'}:
                    self.assertTrue(p.startswith('base/') or p in SERVICES,
                                    '%s includes %s' % (path.relative_to(ROOT), p))

    def test_file_commands_reach_no_engine(self):
        for path in sources('fileops', 'archive'):
            _, project = includes(path)
            for p in project:
                self.assertFalse(p.startswith('engine/'), '%s includes %s' % (path.relative_to(ROOT), p))

    def test_the_file_seam_and_its_model_stand_on_base(self):
        seam = (ROOT / 'base' / 'diskfiles.h').read_text(encoding='utf-8')
        for declaration in ('struct DiskFiles {', 'bool FilesEqual(', 'bool RemoveForced('):
            self.assertIn(declaration, seam)
        # The model disk beside it serves the tests of every command area (they alone build it).
        _, project = includes(ROOT / 'base' / 'memdisk.h')
        self.assertIn('base/diskfiles.h', project)

    def test_services_and_the_list_know_no_command(self):
        tops = {'shell/mainwnd.h', 'shell/dispatch.h', 'shell/iconbar.h', 'shell/labels.h'}
        for path in list(sources('browser')) + [ROOT / s for s in SERVICES if s.startswith('shell/')]:
            _, project = includes(path)
            for p in project:
                self.assertFalse(p.split('/')[0] in COMMAND_AREAS or p in tops,
                                 '%s includes %s' % (path.relative_to(ROOT), p))


if __name__ == '__main__':
    unittest.main()
