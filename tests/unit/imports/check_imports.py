#!/usr/bin/env python3
"""Fails when a shipped binary imports a function outside the allow-list.

Usage: check_imports.py OBJDUMP ALLOWLIST BINARY...
The import tables are read with objdump. An allow-list line is `DLL FUNCTION`, or `DLL *` for
one of our own libraries: then any function that library's export table (beside the binary)
names is allowed. Text after `#` is a note.
"""
import os
import re
import subprocess
import sys

ENTRY = re.compile(r"^\t[0-9a-fA-F]+\t\s*(\d+)\s+(\S+)")


def objdump(tool, path):
    run = subprocess.run([tool, "-p", path], capture_output=True, text=True)
    if run.returncode != 0:
        sys.exit(f"{path}: objdump failed: {run.stderr.strip()}")
    return run.stdout.splitlines()


def imports(tool, path):
    """(DLL, function) pairs; an import by number only is named #NUMBER."""
    found, dll, in_table = [], None, False
    for line in objdump(tool, path):
        if line.startswith("The "):
            in_table = line.startswith("The Import Tables")
            dll = None
            continue
        if not in_table:
            continue
        m = re.match(r"\s*DLL Name: (\S+)", line)
        if m:
            dll = m.group(1).upper()
            continue
        m = ENTRY.match(line)
        if m and dll:
            name = m.group(2)
            found.append((dll, "#" + m.group(1) if name == "<none>" else name))
    return found


def exports(tool, path):
    names, in_table = set(), False
    for line in objdump(tool, path):
        if "[Ordinal/Name Pointer] Table" in line:
            in_table = True
            continue
        m = re.match(r"\s*\[\s*\d+\]\s+(\S+)", line)
        if in_table and m:
            names.add(m.group(1))
        elif in_table and line.strip():
            in_table = False
    return names


def read_allowed(path):
    allowed = {}
    with open(path, encoding="utf-8") as f:
        for number, raw in enumerate(f, 1):
            words = raw.split("#", 1)[0].split()
            if not words:
                continue
            if len(words) != 2:
                sys.exit(f"{path}:{number}: expected `DLL FUNCTION`")
            allowed.setdefault(words[0].upper(), set()).add(words[1])
    return allowed


def main():
    tool, allow_path, binaries = sys.argv[1], sys.argv[2], sys.argv[3:]
    allowed = read_allowed(allow_path)
    own_exports = {}
    bad = 0
    for binary in binaries:
        name = os.path.basename(binary)
        table = imports(tool, binary)
        # Every Windows program imports from KERNEL32: none found means the table was not read.
        if not any(dll == "KERNEL32.DLL" for dll, _ in table):
            print(f"{name}: no KERNEL32.DLL imports found; the import table was not read")
            bad += 1
            continue
        for dll, function in table:
            ok = allowed.get(dll, set())
            if "*" in ok:
                if dll not in own_exports:
                    own = os.path.join(os.path.dirname(binary), dll)
                    own_exports[dll] = exports(tool, own) if os.path.exists(own) else set()
                ok = own_exports[dll]
            if function not in ok:
                print(f"{name}: {dll} {function} is not in {os.path.basename(allow_path)}")
                bad += 1
        print(f"{name}: {len(table)} imports checked")
    sys.exit(1 if bad else 0)


if __name__ == "__main__":
    main()
