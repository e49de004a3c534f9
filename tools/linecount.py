#!/usr/bin/env python3
"""Counts the non-blank code lines of src/, tools/, bench/, fuzz/ and tests/ and the share
of test lines in all of them; exits with status 1 when the tests exceed one third.

Counted: C++ (.cpp .hpp .h), Python (.py), CMake (CMakeLists.txt, .cmake) and shell (.sh,
or a file without suffix that starts with a shell or Python shebang). Not counted: data (folders
named data, corpus or seeds, e.g. tests/*/data and fuzz/corpus) and generated tables
(files whose first line says "do not edit").

Usage: tools/linecount.py [--by-folder]"""

import os
import sys

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
PARTS = [("source", "src"), ("tools", "tools"), ("bench", "bench"), ("fuzz", "fuzz"),
         ("tests", "tests")]
SKIP_DIRS = {"data", "corpus", "seeds", "__pycache__"}
SUFFIXES = (".cpp", ".hpp", ".h", ".py", ".cmake", ".sh")
LIMIT = 1.0 / 3.0


def is_code(path):
    name = os.path.basename(path)
    if name == "CMakeLists.txt" or name.endswith(SUFFIXES):
        return True
    if "." in name:
        return False
    with open(path, "rb") as f:
        first = f.readline()
    interpreter = first.split(b"/")[-1]
    return first.startswith(b"#!") and (b"sh" in interpreter or b"python" in interpreter)


def count(path):
    with open(path, encoding="utf-8", errors="replace") as f:
        lines = f.read().splitlines()
    if lines and "do not edit" in lines[0].lower():
        return 0
    return sum(1 for line in lines if line.strip())


def walk(top):
    """{folder below top: lines} for every code file under top."""
    out = {}
    for here, dirs, files in os.walk(top):
        dirs[:] = sorted(d for d in dirs if d not in SKIP_DIRS and not d.startswith("."))
        for name in files:
            path = os.path.join(here, name)
            if is_code(path):
                key = os.path.relpath(here, ROOT)
                out[key] = out.get(key, 0) + count(path)
    return out


def main():
    detail = "--by-folder" in sys.argv[1:]
    totals = {}
    for label, folder in PARTS:
        folders = walk(os.path.join(ROOT, folder))
        totals[label] = sum(folders.values())
        if detail:
            for key in sorted(folders):
                print("  %-28s %6d" % (key, folders[key]))
    everything = sum(totals.values())
    for label, _ in PARTS:
        print("%-8s %6d" % (label, totals[label]))
    ratio = totals["tests"] / everything if everything else 0.0
    print("all      %6d\ntests/all %.3f (at most %.3f)" % (everything, ratio, LIMIT))
    if ratio > LIMIT:
        print("test lines exceed one third of all code lines")
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
