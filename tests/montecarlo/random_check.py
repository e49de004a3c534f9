#!/usr/bin/python3
"""Compares the program's random-number stream (random_tool) with an independent
reference compiled from ranref.f90 by gfortran: 100000 draws from each of several seeds,
draw by draw the seed, ICON, ICHG and the number, all exactly.

Arguments: <veka binary> <source dir> <build dir>. Exit status 77 without gfortran.
"""

import os
import shutil
import subprocess
import sys
import tempfile

DRAWS = 100000
SEEDS = [786123, 0, 1, 1048572, 524287]


def parse(text):
    rows = []
    for line in text.splitlines():
        k, seed, icon, ichg, x = line.split()
        rows.append((int(k), int(seed), int(icon), int(ichg), float(x)))
    return rows


def main():
    source, build = sys.argv[2], sys.argv[3]
    gfortran = shutil.which("gfortran")
    if not gfortran:
        print("gfortran not installed: skipped")
        return 77
    tool = os.path.join(build, "random_tool")
    with tempfile.TemporaryDirectory() as tmp:
        ref = os.path.join(tmp, "ranref")
        subprocess.run([gfortran, "-O1", "-o", ref,
                        os.path.join(source, "tests", "montecarlo", "ranref.f90")], check=True)
        for seed in SEEDS:
            want = parse(subprocess.run([ref], input=f"{seed} {DRAWS}\n", capture_output=True,
                                        text=True, check=True).stdout)
            got = parse(subprocess.run([tool, str(seed), str(DRAWS)], capture_output=True,
                                       text=True, check=True).stdout)
            if len(want) != DRAWS or len(got) != DRAWS:
                print(f"seed {seed}: {len(want)} reference and {len(got)} program draws")
                return 1
            for w, g in zip(want, got):
                if w != g:
                    print(f"seed {seed}: draw {w[0]} differs: reference {w}, program {g}")
                    return 1
            changes = sum(1 for a, b in zip(want, want[1:]) if a[2:4] != b[2:4])
            if changes < 50:
                print(f"seed {seed}: only {changes} constant changes in {DRAWS} draws")
                return 1
            print(f"seed {seed}: {DRAWS} draws identical, {changes} constant changes")
    return 0


if __name__ == "__main__":
    sys.exit(main())
