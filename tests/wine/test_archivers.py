"""Our archiver libraries under Wine, driven by ARCTEST.EXE the way Tovra calls
them, checked against Debian's lhasa, jlha, 7-Zip, zip and unzip."""
import filecmp
import os
import random
import shutil
import struct
import subprocess
import unittest
import zipfile

from winetest import WineTestCase, to_windows as win

BIN = os.environ.get("TOVRA_BIN", "")
SEVENZIP = shutil.which("7zz") or shutil.which("7z")


def crc16(data):
    c = 0
    for b in data:
        c ^= b
        for _ in range(8):
            c = (c >> 1) ^ 0xA001 if c & 1 else c >> 1
    return c


def lha_level0(entries):
    """A minimal stored (-lh0-) LHA archive with the given raw names."""
    out = b""
    for name, data in entries:
        body = (b"-lh0-" + struct.pack("<IIIBBB", len(data), len(data), 0x2A000000, 0x20, 0, len(name))
                + name + struct.pack("<H", crc16(data)))
        out += bytes([len(body), sum(body) & 0xFF]) + body + data
    return out + b"\0"


def pe_tables(path):
    """Exported names and, per library, imported names of a PE file, read by the objdump of its
    machine (the twin's files are x86_64)."""
    with open(path, "rb") as f:
        head = f.read(1024)
    machine = struct.unpack_from("<H", head, struct.unpack_from("<I", head, 0x3C)[0] + 4)[0]
    objdump = {0x14C: "i686", 0x8664: "x86_64"}[machine] + "-w64-mingw32-objdump"
    text = subprocess.run([objdump, "-p", path], capture_output=True, text=True, check=True).stdout
    exports, imports, lib, in_exports = set(), {}, None, False
    for line in text.splitlines():
        if line.startswith("[Ordinal/Name Pointer] Table"):
            in_exports = True
        elif in_exports and line.startswith("\t["):
            exports.add(line.split("]", 1)[1].strip())
        elif line.strip().startswith("DLL Name:"):
            in_exports, lib = False, line.split(":", 1)[1].strip().upper()
            imports[lib] = set()
        elif lib and line.startswith("\t") and line.split()[0].isalnum() and len(line.split()) == 3:
            imports[lib].add(line.split()[2])
        elif not line.strip():
            lib = None
    return exports, imports


class ArchiverLibraries(WineTestCase):
    def setUp(self):
        super().setUp()
        self.assertTrue(BIN and os.path.exists(os.path.join(BIN, "ARCTEST.EXE")), "TOVRA_BIN must hold ARCTEST.EXE")
        self.root = self.tmp
        self.dir = os.path.join(self.root, "work")
        os.mkdir(self.dir)
        rng = random.Random(11)
        words = ["floppy", "piece", "merge", "archive", "the", "of", "window", "\r\n"]
        self.files = {
            "DATA.TXT": " ".join(rng.choice(words) for _ in range(30000)).encode(),
            "noise.bin": bytes(rng.getrandbits(8) for _ in range(20000)),
            "empty.txt": b"",
        }
        for i, (name, data) in enumerate(self.files.items()):
            p = os.path.join(self.dir, name)
            with open(p, "wb") as f:
                f.write(data)
            os.utime(p, (1200000000 + 1000 * i, 1200000000 + 1000 * i))

    def arctest(self, *args, env=None, bin_dir=None):
        e = dict(os.environ)
        e.update(env or {})
        exe = os.path.join(bin_dir or BIN, "ARCTEST.EXE")
        r = subprocess.run(["wine", exe] + list(args), capture_output=True, timeout=120, env=e,
                           stdin=subprocess.DEVNULL)
        return r.returncode, r.stdout

    def call(self, kind, folder, command, env=None, bin_dir=None):
        code, out = self.arctest(kind, win(folder), command, env=env, bin_dir=bin_dir)
        first = out.splitlines()[0] if out else b""
        return int(first.split()[1], 16) if first.startswith(b"result") else -1, out

    def fresh(self, name):
        p = os.path.join(self.root, name)
        os.mkdir(p)
        return p

    def same(self, folder, names=None, times=True):
        for name in names or self.files:
            got = os.path.join(folder, name)
            self.assertTrue(os.path.exists(got), (folder, name, os.listdir(folder)))
            self.assertTrue(filecmp.cmp(os.path.join(self.dir, name), got, shallow=False), name)
            if times:
                self.assertEqual(int(os.stat(os.path.join(self.dir, name)).st_mtime), int(os.stat(got).st_mtime), name)

    def test_lha_we_create_tests_clean_in_lhasa_and_7zip(self):
        r, out = self.call("lha", self.dir, "a DATA DATA.TXT noise.bin empty.txt")
        self.assertEqual(0, r, out)
        arc = os.path.join(self.dir, "DATA.LZH")
        self.assertTrue(os.path.exists(arc), os.listdir(self.dir))
        t = subprocess.run(["lhasa", "-t", arc], capture_output=True)
        self.assertEqual(0, t.returncode, t.stdout)
        dest = self.fresh("lhasa")
        subprocess.run(["lhasa", "-xf", arc], cwd=dest, check=True, capture_output=True)
        self.same(dest)
        if SEVENZIP:
            subprocess.run([SEVENZIP, "t", arc], check=True, capture_output=True)
        # The lower-case name gives the lower-case extension the compress command looks for.
        r, out = self.call("lha", self.dir, "a empty empty.txt")
        self.assertEqual(0, r, out)
        self.assertIn("empty.lzh", os.listdir(self.dir))

    def test_jlha_archives_extract_and_list(self):
        total = sum(len(v) for v in self.files.values())
        for level in "012":
            dest = self.fresh("j" + level)
            subprocess.run(["jlha", "a" + level, os.path.join(dest, "JL.LZH")] + list(self.files), cwd=self.dir,
                           check=True, capture_output=True)
            r, out = self.call("lha", dest, "e JL")
            self.assertEqual(0, r, out)
            self.same(dest, times=(level == "2"))
            code, listing = self.arctest("list", "lha", win(dest), "JL.LZH")
            lines = listing.splitlines()
            self.assertIn(b"handle yes", lines)
            self.assertIn(b"first 0 DATA.TXT", lines)
            totals = [int(l.split()[1]) for l in lines if l.startswith(b"total")]
            self.assertEqual(totals, [len(self.files["DATA.TXT"]), len(self.files["DATA.TXT"]) +
                                      len(self.files["noise.bin"]), total])
            self.assertEqual(b"next -1", lines[-1])

    def test_zip_we_create_tests_clean_in_unzip_and_7zip(self):
        shutil.copy(os.path.join(self.dir, "DATA.TXT"), os.path.join(self.dir, "report.final.doc"))
        os.utime(os.path.join(self.dir, "report.final.doc"), (1200000000, 1200000000))
        r, out = self.call("zip", self.dir, "report.zip report.final.doc")
        self.assertEqual(0, r, out)
        arc = os.path.join(self.dir, "report.zip")
        t = subprocess.run(["unzip", "-t", arc], capture_output=True)
        self.assertIn(b"No errors detected", t.stdout)
        if SEVENZIP:
            subprocess.run([SEVENZIP, "t", arc], check=True, capture_output=True)
        dest = self.fresh("unzip")
        subprocess.run(["unzip", "-q", arc], cwd=dest, check=True)
        self.same(dest, ["report.final.doc"])
        r, out = self.call("zip", self.dir, "ALL.ZIP DATA.TXT noise.bin empty.txt")
        self.assertEqual(0, r, out)
        self.assertEqual(0, subprocess.run(["unzip", "-tq", os.path.join(self.dir, "ALL.ZIP")]).returncode)

    def test_zip_archives_extract_through_both_libraries(self):
        for kind in ("unzip", "unzip32"):
            dest = self.fresh(kind)
            subprocess.run(["zip", "-q", "-6", os.path.join(dest, "Z.zip")] + list(self.files), cwd=self.dir, check=True)
            r, out = self.call(kind, dest, "Z")
            self.assertEqual(0, r, out)
            self.same(dest)
        # The entry records of zip's archive agree with what Python's zipfile reads from it.
        code, names = self.arctest("names", "zip", win(dest), "Z.zip")
        with zipfile.ZipFile(os.path.join(dest, "Z.zip")) as z:
            want = [f"entry {i.filename}|{i.file_size}|{i.compress_size}|{i.CRC:04X}|".encode() for i in z.infolist()]
        got = [l for l in names.splitlines() if l.startswith(b"entry ")]
        self.assertEqual(len(want), len(got), names)
        for w, g in zip(want, got):
            self.assertTrue(g.startswith(w), (w, g))

    def test_zip_listing_opened_in_one_library_is_summed_by_the_other(self):
        r, out = self.call("zip", self.dir, "L.ZIP DATA.TXT noise.bin empty.txt")
        self.assertEqual(0, r, out)
        code, listing = self.arctest("list", "zip", win(self.dir), "L.ZIP")
        lines = listing.splitlines()
        self.assertIn(b"first 0 DATA.TXT", lines)
        totals = [int(l.split()[1]) for l in lines if l.startswith(b"total")]
        sizes = [len(self.files[n]) for n in ("DATA.TXT", "noise.bin", "empty.txt")]
        self.assertEqual(totals, [sizes[0], sizes[0] + sizes[1], sum(sizes)])
        self.assertEqual(b"next -1", lines[-1])
        code, names = self.arctest("names", "zip", win(self.dir), "L.ZIP")
        self.assertIn(b"entry noise.bin|20000|20000|", names)
        code, missing = self.arctest("list", "zip", win(self.dir), "NONE.ZIP")
        # A failed open still ends the caller's find loop, with nothing found.
        self.assertEqual([b"handle no", b"first -1 ", b"total 0", b"next -1"], missing.splitlines())
        with open(os.path.join(self.dir, "BAD.ZIP"), "wb") as f:
            f.write(b"PK" + bytes(200))
        code, bad = self.arctest("list", "zip", win(self.dir), "BAD.ZIP")
        self.assertEqual([b"handle no", b"first -1 ", b"total 0", b"next -1"], bad.splitlines())

    def test_zip_fails_cleanly_without_its_engine_library(self):
        alone = self.fresh("bin")
        for f in ("ARCTEST.EXE", "UNLHA32.DLL", "ZIP32J.DLL", "UNZIP32.DLL"):
            shutil.copy(os.path.join(BIN, f), alone)
        r, out = self.call("zip", self.dir, "X.ZIP DATA.TXT", bin_dir=alone)
        self.assertNotEqual(0, r, out)
        self.assertFalse(os.path.exists(os.path.join(self.dir, "X.ZIP")))

    def test_names_that_leave_the_folder_are_refused(self):
        evil = [(b"..\\evil1", b"x"), (b"sub\\..\\..\\evil2", b"y"), (b"\\abs.txt", b"z"), (b"ok.txt", b"w")]
        # A full name with its drive letter, pointing at the test's own folder above "work".
        evil.append((win(os.path.join(self.root, "drv.txt")).encode(), b"v"))
        with open(os.path.join(self.dir, "EVIL.LZH"), "wb") as f:
            f.write(lha_level0(evil))
        with zipfile.ZipFile(os.path.join(self.dir, "EVIL.ZIP"), "w") as z:
            for name, data in evil:
                z.writestr(name.decode().replace("\\", "/"), data)
        for kind, command in (("lha", "e EVIL"), ("lha", "x EVIL"), ("unzip", "EVIL.ZIP")):
            r, out = self.call(kind, self.dir, command)
            self.assertNotEqual(0, r, (kind, out))
            self.assertEqual(sorted(os.listdir(self.root)), ["work"])
            self.assertFalse(any("evil" in n for n in os.listdir(self.dir)))
            for good in ("ok.txt", "abs.txt"):
                self.assertTrue(os.path.exists(os.path.join(self.dir, good)), (kind, good))
                os.remove(os.path.join(self.dir, good))
            # Stripped of its drive, the full name lands inside, flat or with its folders.
            found = [os.path.join(d, "drv.txt") for d, _, names in os.walk(self.dir) if "drv.txt" in names]
            self.assertEqual(1, len(found), (kind, found))
            os.remove(found[0])
            for entry in os.listdir(self.dir):
                if os.path.isdir(os.path.join(self.dir, entry)):
                    shutil.rmtree(os.path.join(self.dir, entry))

    def test_damaged_archives_give_an_error_code(self):
        subprocess.run(["jlha", "a2", "D.LZH", "DATA.TXT"], cwd=self.dir, check=True, capture_output=True)
        subprocess.run(["zip", "-q", "D.ZIP", "DATA.TXT"], cwd=self.dir, check=True)
        for name in ("D.LZH", "D.ZIP"):
            p = os.path.join(self.dir, name)
            with open(p, "rb") as f:
                data = bytearray(f.read())
            data[len(data) // 2] ^= 0x21
            with open(p, "wb") as f:
                f.write(data)
        dest = self.fresh("dmg")
        for name in ("D.LZH", "D.ZIP"):
            shutil.copy(os.path.join(self.dir, name), dest)
        r, out = self.call("lha", dest, "e D")
        self.assertNotEqual(0, r, out)
        self.assertIn(b"error", out)
        r, out = self.call("unzip", dest, "D.ZIP")
        self.assertNotEqual(0, r, out)
        self.assertEqual(sorted(os.listdir(dest)), ["D.LZH", "D.ZIP"])

    def test_shift_jis_names_are_kept_as_bytes(self):
        ja = {"LC_ALL": "ja_JP.UTF-8"}
        name = "ソ表.txt"  # both characters end in the byte 0x5C in Shift-JIS
        sjis = name.encode("cp932")
        data = self.files["DATA.TXT"][:5000]
        with open(os.path.join(self.dir, name), "wb") as f:
            f.write(data)
        r, out = self.call("lha", self.dir, "a SJ " + name, env=ja)
        self.assertEqual(0, r, out)
        r, out = self.call("zip", self.dir, "SJ.ZIP " + name, env=ja)
        self.assertEqual(0, r, out)
        with open(os.path.join(self.dir, "SJ.lzh"), "rb") as f:  # extension case from "txt"
            lzh = f.read()
        self.assertIn(b"\x01" + sjis, lzh)  # the name extension holds the Shift-JIS bytes
        with zipfile.ZipFile(os.path.join(self.dir, "SJ.ZIP")) as z:
            self.assertEqual([sjis], [i.orig_filename.encode("cp437") for i in z.infolist()])
        for kind, command, arc in (("lha", "e SJ", "SJ.lzh"), ("unzip", "SJ.ZIP", "SJ.ZIP")):
            dest = self.fresh("sj-" + kind)
            shutil.copy(os.path.join(self.dir, arc), dest)
            r, out = self.call(kind, dest, command, env=ja)
            self.assertEqual(0, r, out)
            with open(os.path.join(dest, name), "rb") as f:
                self.assertEqual(data, f.read())

    def test_read_only_files_are_read_but_never_replaced(self):
        ro = os.path.join(self.dir, "DATA.TXT")
        os.chmod(ro, 0o444)
        r, out = self.call("lha", self.dir, "a RO DATA.TXT")
        self.assertEqual(0, r, out)
        r, out = self.call("zip", self.dir, "RO.ZIP DATA.TXT")
        self.assertEqual(0, r, out)
        for kind, command in (("lha", "e RO"), ("unzip", "RO.ZIP")):
            with open(ro, "rb") as f:
                before = f.read()
            r, out = self.call(kind, self.dir, command)
            self.assertEqual(0x8013, r, out)
            with open(ro, "rb") as f:
                self.assertEqual(before, f.read())
        self.assertEqual(0o444, os.stat(ro).st_mode & 0o777)

    def test_entry_points_are_undecorated_and_bound_from_their_libraries(self):
        expected = {
            "UNLHA32.DLL": {"Unlha", "UnlhaGetVersion", "UnlhaGetRunning", "UnlhaOpenArchive", "UnlhaCloseArchive",
                            "UnlhaFindFirst", "UnlhaFindNext", "UnlhaGetArcOriginalSize"},
            "ZIP32J.DLL": {"Zip", "ZipGetVersion", "ZipGetRunning", "UnZip", "UnZipGetVersion", "UnZipGetRunning",
                           "UnZipOpenArchive", "UnZipCloseArchive", "UnZipFindFirst", "UnZipFindNext"},
            "UNZIP32.DLL": {"UnZip", "UnZipGetVersion", "UnZipGetRunning", "UnZipOpenArchive", "UnZipCloseArchive",
                            "UnZipFindFirst", "UnZipFindNext", "UnZipGetArcOriginalSize"},
        }
        for lib, names in expected.items():
            exports, _ = pe_tables(os.path.join(BIN, lib))
            self.assertEqual(names, exports, lib)
        for lib in list(expected) + ["IZIP32J.DLL"]:
            # Without window calls a library cannot show one of its own.
            _, imports = pe_tables(os.path.join(BIN, lib))
            self.assertLessEqual(set(imports), {"KERNEL32.DLL", "MSVCRT.DLL", "USER32.DLL"}, lib)
            self.assertLessEqual(imports.get("USER32.DLL", set()), {"wsprintfA"}, lib)
        # The caller's load-time binding: which library each call it makes comes from.
        _, imports = pe_tables(os.path.join(BIN, "ARCTEST.EXE"))
        self.assertEqual({"Unlha", "UnlhaOpenArchive", "UnlhaFindFirst", "UnlhaFindNext", "UnlhaGetArcOriginalSize",
                          "UnlhaCloseArchive"}, imports["UNLHA32.DLL"])
        self.assertEqual({"Zip", "UnZip", "UnZipOpenArchive", "UnZipFindFirst", "UnZipFindNext", "UnZipCloseArchive"},
                         imports["ZIP32J.DLL"])
        self.assertEqual({"UnZipGetArcOriginalSize"}, imports["UNZIP32.DLL"])

    def test_output_text_is_cut_to_the_size_given(self):
        r, out = self.call("lha", self.dir, "a OUT DATA.TXT noise.bin empty.txt")
        self.assertEqual(0, r, out)
        for size in (0, 1, 12):
            dest = self.fresh("out%d" % size)
            shutil.copy(os.path.join(self.dir, "OUT.LZH"), dest)
            code, out = self.arctest("lha", win(dest), "e OUT", str(size))
            lines = out.split(b"\n")
            self.assertEqual(b"result 0x0", lines[0].strip(), out)
            self.assertLessEqual(len(lines[1].rstrip(b"\r")), max(size - 1, 0), out)
            self.assertIn(b"beyond untouched", out)
            self.same(dest)
        # A failure's text is cut the same way, and the code still tells what went wrong.
        code, out = self.arctest("unzip", win(self.dir), "NONE.ZIP", "5")
        self.assertNotEqual(b"result 0x0", out.split(b"\n")[0].strip(), out)
        self.assertIn(b"beyond untouched", out)

    def test_versions_and_running_state(self):
        code, out = self.arctest("versions")
        lines = out.splitlines()
        self.assertEqual(4, len(lines), out)
        for line in lines:
            self.assertTrue(line.endswith(b" 100 0"), line)


if __name__ == "__main__":
    unittest.main()
