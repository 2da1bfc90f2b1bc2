"""Runs the tests of the given files like "python3 -m unittest -v", but ends with code 77
when some were skipped and none failed, so that CTest (SKIP_RETURN_CODE) shows them as
skipped rather than passed.

    python3 runner.py test_x.py [test_y.py ...]
"""

import os
import sys
import unittest

SKIPPED = 77


def main(files):
    if os.environ.get('TOVRA_NO_WINE'):
        print('skipped: ' + os.environ['TOVRA_NO_WINE'])
        return SKIPPED
    sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
    loader = unittest.defaultTestLoader
    suite = unittest.TestSuite(loader.loadTestsFromName(os.path.splitext(os.path.basename(f))[0])
                               for f in files)
    result = unittest.TextTestRunner(verbosity=2).run(suite)
    if not result.wasSuccessful() or not result.testsRun:
        return 1
    return SKIPPED if result.skipped else 0


if __name__ == '__main__':
    sys.exit(main(sys.argv[1:]))
