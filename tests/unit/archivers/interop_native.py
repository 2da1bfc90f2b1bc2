"""Interop of the native archive core (arccli) with Debian's archivers, both ways.

Archives we write must test clean and extract byte for byte with lhasa, 7-Zip,
unzip; archives jlha and zip write must extract byte for byte with ours.
"""
import filecmp
import os
import random
import resource
import shutil
import signal
import subprocess
import tempfile
import unittest

ARCCLI = os.environ.get("ARCCLI", "")
SEVENZIP = shutil.which("7zz") or shutil.which("7z")


def make_corpus(folder):
    rng = random.Random(7)
    words = ["floppy", "piece", "merge", "archive", "the", "of", "window", "header", "\n"]
    text = " ".join(rng.choice(words) for _ in range(60000)).encode()
    files = {
        "TEXT.TXT": text,
        "noise.bin": bytes(rng.getrandbits(8) for _ in range(40000)),
        "mixed.dat": text[:30000] + bytes(rng.getrandbits(8) for _ in range(5000)) + b"\0" * 70000,
        "empty.txt": b"",
    }
    times = {}
    for i, (name, data) in enumerate(files.items()):
        path = os.path.join(folder, name)
        with open(path, "wb") as f:
            f.write(data)
        t = 1100000000 + 86400 * 37 * i
        os.utime(path, (t, t))
        times[name] = t
    return files, times


class Interop(unittest.TestCase):
    def setUp(self):
        self.assertTrue(ARCCLI and os.path.exists(ARCCLI), "ARCCLI must name the native driver")
        self.dir = tempfile.mkdtemp(prefix="arc-interop-")
        self.src = os.path.join(self.dir, "src")
        self.out = os.path.join(self.dir, "out")
        os.mkdir(self.src)
        os.mkdir(self.out)
        self.files, self.times = make_corpus(self.src)

    def tearDown(self):
        shutil.rmtree(self.dir, ignore_errors=True)

    def run_in(self, cwd, *args, ok=True):
        r = subprocess.run(list(args), cwd=cwd, capture_output=True, timeout=300)
        if ok:
            self.assertEqual(0, r.returncode, (args, r.stdout[-2000:], r.stderr[-2000:]))
        return r

    def ours(self, cwd, kind, command, ok=True, max_file=None):
        if max_file is None:
            return self.run_in(cwd, ARCCLI, kind, command, ok=ok)

        def small_disk():
            # Writes past this size fail as on a full disk.
            signal.signal(signal.SIGXFSZ, signal.SIG_IGN)
            resource.setrlimit(resource.RLIMIT_FSIZE, (max_file, max_file))

        return subprocess.run([ARCCLI, kind, command], cwd=cwd, capture_output=True, timeout=300,
                              preexec_fn=small_disk)

    def assert_same_files(self, folder, times=True):
        for name in self.files:
            got = os.path.join(folder, name)
            self.assertTrue(os.path.exists(got), name)
            self.assertTrue(filecmp.cmp(os.path.join(self.src, name), got, shallow=False), name)
            if times:
                self.assertEqual(self.times[name], int(os.stat(got).st_mtime), name)

    def test_our_lha_opens_clean_in_lhasa_and_7zip(self):
        names = " ".join(self.files)
        self.ours(self.src, "lha", "a ARC " + names)
        arc = os.path.join(self.src, "ARC.LZH")
        r = self.run_in(self.src, "lhasa", "-t", arc)
        self.assertNotIn(b"CRC error", r.stdout + r.stderr)
        listing = self.run_in(self.src, "lhasa", "-v", arc).stdout.decode()
        self.assertIn("-lh5-", listing)
        self.assertIn("-lh0-", listing)  # the noise is stored
        self.run_in(self.out, "lhasa", "-xf", arc)
        self.assert_same_files(self.out)
        if SEVENZIP:
            self.run_in(self.src, SEVENZIP, "t", arc)
            seven = os.path.join(self.dir, "seven")
            self.run_in(self.src, SEVENZIP, "x", "-o" + seven, arc)
            self.assert_same_files(seven, times=False)

    def test_jlha_archives_of_every_header_level_extract_with_ours(self):
        for level in "012":
            for method in "567":
                name = "J%s%s.LZH" % (level, method)
                self.run_in(self.src, "jlha", "a%so%s" % (level, method), name, *self.files)
                dest = os.path.join(self.dir, "j" + level + method)
                os.mkdir(dest)
                shutil.move(os.path.join(self.src, name), os.path.join(dest, name))
                self.ours(dest, "lha", "e " + name[:-4])
                # Level 0 and 1 keep local DOS times (two-second steps); level 2 keeps UTC.
                self.assert_same_files(dest, times=(level == "2"))
                listed = self.run_in(dest, ARCCLI, "list", "lha", name).stdout.decode()
                self.assertIn("total\t%d" % sum(len(v) for v in self.files.values()), listed)

    def test_our_zip_tests_clean_with_unzip_and_7zip(self):
        self.ours(self.src, "zip", "ARC.ZIP " + " ".join(self.files))
        arc = os.path.join(self.src, "ARC.ZIP")
        r = self.run_in(self.src, "unzip", "-t", arc)
        self.assertIn(b"No errors detected", r.stdout)
        self.run_in(self.out, "unzip", "-q", arc)
        self.assert_same_files(self.out)
        if SEVENZIP:
            self.run_in(self.src, SEVENZIP, "t", arc)

    def test_zip_archives_extract_with_ours(self):
        for level in ("-6", "-0", "-9"):
            dest = os.path.join(self.dir, "z" + level)
            os.mkdir(dest)
            arc = os.path.join(dest, "Z.zip")
            self.run_in(self.src, "zip", "-q", level, arc, *self.files)
            self.ours(dest, "unzip", "Z")
            self.assert_same_files(dest)

    def test_adding_to_a_zip_with_data_descriptors_keeps_it_clean(self):
        arc = os.path.join(self.src, "D.zip")
        self.run_in(self.src, "zip", "-q", "-fd", arc, "TEXT.TXT")
        self.ours(self.src, "zip", "D.zip mixed.dat noise.bin empty.txt")
        r = self.run_in(self.src, "unzip", "-t", arc)
        self.assertIn(b"No errors detected", r.stdout)
        self.run_in(self.out, "unzip", "-q", arc)
        self.assert_same_files(self.out)

    def test_our_lha_update_is_still_clean(self):
        self.ours(self.src, "lha", "a ARC TEXT.TXT noise.bin")
        self.ours(self.src, "lha", "a ARC mixed.dat TEXT.TXT")
        arc = os.path.join(self.src, "ARC.LZH")
        self.run_in(self.src, "lhasa", "-t", arc)
        names = [l.split()[-1] for l in self.run_in(self.src, "lhasa", "-l", arc).stdout.decode().splitlines()
                 if l.strip().endswith((".TXT", ".bin", ".dat"))]
        self.assertEqual(sorted(names), ["TEXT.TXT", "mixed.dat", "noise.bin"])

    def test_damaged_jlha_archive_gives_an_error_and_keeps_nothing_half_written(self):
        self.run_in(self.src, "jlha", "a2", "D.LZH", "TEXT.TXT")
        with open(os.path.join(self.src, "D.LZH"), "rb") as f:
            data = bytearray(f.read())
        dest = os.path.join(self.dir, "dmg")
        os.mkdir(dest)
        for cut in (len(data) // 2, len(data) - 3):
            with open(os.path.join(dest, "D.LZH"), "wb") as f:
                f.write(data[:cut])
            r = self.ours(dest, "lha", "e D", ok=False)
            self.assertEqual(1, r.returncode)
            self.assertEqual(["D.LZH"], os.listdir(dest))
        data[len(data) // 2] ^= 0x20
        with open(os.path.join(dest, "D.LZH"), "wb") as f:
            f.write(data)
        r = self.ours(dest, "lha", "e D", ok=False)
        self.assertEqual(1, r.returncode)
        self.assertEqual(["D.LZH"], os.listdir(dest))

    def test_full_disk_keeps_old_files_and_leaves_no_temporaries(self):
        self.ours(self.src, "lha", "a OLD TEXT.TXT")
        self.ours(self.src, "zip", "OLD.ZIP TEXT.TXT")
        before = {}
        for n in ("OLD.LZH", "OLD.ZIP"):
            with open(os.path.join(self.src, n), "rb") as f:
                before[n] = f.read()
        listing = sorted(os.listdir(self.src))
        for kind, command in (("lha", "a OLD mixed.dat noise.bin"), ("zip", "OLD.ZIP mixed.dat noise.bin")):
            r = self.ours(self.src, kind, command, ok=False, max_file=60000)
            self.assertEqual(1, r.returncode, r.stderr)
            self.assertIn(b"result 0x8013", r.stderr)
            self.assertEqual(listing, sorted(os.listdir(self.src)))
        for n, data in before.items():
            with open(os.path.join(self.src, n), "rb") as f:
                self.assertEqual(data, f.read(), n)
        # Extraction that runs out of room keeps the file it would have replaced.
        for arc, kind, command in (("OLD.LZH", "lha", "e OLD"), ("OLD.ZIP", "unzip", "OLD.ZIP")):
            shutil.copy(os.path.join(self.src, arc), self.out)
            with open(os.path.join(self.out, "TEXT.TXT"), "wb") as f:
                f.write(b"older")
            r = self.ours(self.out, kind, command, ok=False, max_file=50000)
            self.assertEqual(1, r.returncode, r.stderr)
            with open(os.path.join(self.out, "TEXT.TXT"), "rb") as f:
                self.assertEqual(b"older", f.read())
            self.assertEqual(sorted([arc, "TEXT.TXT"]), sorted(os.listdir(self.out)))
            os.remove(os.path.join(self.out, arc))


if __name__ == "__main__":
    unittest.main()
