#!/usr/bin/python3
"""Regenerates the gfortran tables of tests/format/data with tools/format_oracle.py and
checks that they equal the committed ones, so that the tables the C++ tests compare
against are what the installed gfortran really writes and reads.

Arguments: <veka binary> <source dir> <build dir>. Exit status 77 without gfortran.
"""

import filecmp
import os
import subprocess
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "support"))
import refcheck as rc  # noqa: E402


def main():
    _, source, _ = rc.args()
    rc.need_program("gfortran")
    committed = os.path.join(source, "tests", "format", "data")
    with rc.workdir() as out:
        r = subprocess.run([sys.executable, os.path.join(source, "tools", "format_oracle.py"),
                            "--out", out])
        if r.returncode:
            print("format_oracle.py ended with status", r.returncode)
            return rc.SKIP if r.returncode == rc.SKIP else 1
        names = sorted(n for n in os.listdir(out) if n.endswith(".txt"))
        c = rc.Checks("format_oracle")
        c.check(names == sorted(n for n in os.listdir(committed) if n.endswith(".txt")),
                "table files differ: %s" % names)
        for n in names:
            same = filecmp.cmp(os.path.join(out, n), os.path.join(committed, n), shallow=False)
            if not same:
                print(subprocess.run(["diff", os.path.join(committed, n), os.path.join(out, n)],
                                     capture_output=True, text=True).stdout[:4000])
            c.check(same, "%s differs from what gfortran gives now" % n)
        return c.finish()


if __name__ == "__main__":
    sys.exit(main())
