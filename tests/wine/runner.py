"""Runs the tests of the given files like "python3 -m unittest -v", but ends with code 77
when some were skipped and none failed, so that CTest (SKIP_RETURN_CODE) shows them as
skipped rather than passed.

    python3 runner.py test_x.py [test_y.Class ...]

A name without .py is a unittest name (a class of a file, say). TOVRA_WINE_WITHOUT names test
classes (comma-separated) left out of the files given: those that run as a test of their own.
"""

import os
import sys
import unittest

SKIPPED = 77


def without(suite, classes):
    """The suite with the tests of the named classes left out."""
    if isinstance(suite, unittest.TestCase):
        return None if type(suite).__name__ in classes else suite
    kept = [t for t in (without(t, classes) for t in suite) if t is not None]
    return unittest.TestSuite(kept)


def main(names):
    if os.environ.get('TOVRA_NO_WINE'):
        print('skipped: ' + os.environ['TOVRA_NO_WINE'])
        return SKIPPED
    sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
    loader = unittest.defaultTestLoader
    suite = unittest.TestSuite(
        loader.loadTestsFromName(os.path.splitext(os.path.basename(n))[0] if n.endswith('.py') else n)
        for n in names)
    suite = without(suite, set(filter(None, os.environ.get('TOVRA_WINE_WITHOUT', '').split(','))))
    result = unittest.TextTestRunner(verbosity=2).run(suite)
    if not result.wasSuccessful() or not result.testsRun:
        return 1
    return SKIPPED if result.skipped else 0


if __name__ == '__main__':
    sys.exit(main(sys.argv[1:]))
