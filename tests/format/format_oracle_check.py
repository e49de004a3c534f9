#!/usr/bin/python3
"""Regenerates the gfortran tables of tests/format/data with tools/format_oracle.py and
checks that they equal the committed ones, so that the tables the C++ tests compare
against are what the installed gfortran really writes and reads.

Arguments: <veka binary> <source dir> <build dir>. Exit status 77 without gfortran.
"""

import filecmp
import os
import shutil
import subprocess
import sys
import tempfile


def main():
    source = sys.argv[2]
    build = sys.argv[3]
    if not shutil.which("gfortran") and not os.path.exists("/usr/bin/gfortran"):
        print("gfortran not installed: skipped")
        return 77
    committed = os.path.join(source, "tests", "format", "data")
    os.makedirs(build, exist_ok=True)
    with tempfile.TemporaryDirectory(dir=build) as out:
        tool = os.path.join(source, "tools", "format_oracle.py")
        r = subprocess.run([sys.executable, tool, "--out", out])
        if r.returncode == 77:
            return 77
        if r.returncode != 0:
            print("format_oracle.py failed with status", r.returncode)
            return 1
        names = sorted(n for n in os.listdir(out) if n.endswith(".txt"))
        if names != sorted(n for n in os.listdir(committed) if n.endswith(".txt")):
            print("table files differ:", names)
            return 1
        bad = [n for n in names if not filecmp.cmp(os.path.join(out, n),
                                                   os.path.join(committed, n), shallow=False)]
        for n in bad:
            d = subprocess.run(["diff", os.path.join(committed, n), os.path.join(out, n)],
                               capture_output=True, text=True).stdout.splitlines()
            print("\n".join(d[:40]))
        if bad:
            print("tables differ from what gfortran gives now:", ", ".join(bad))
            return 1
    print("gfortran tables reproduced:", ", ".join(names))
    return 0


if __name__ == "__main__":
    sys.exit(main())
