#!/usr/bin/python3
"""Compares the program's random-number stream (random_tool) with an independent
reference compiled from ranref.f90 by gfortran: 100000 draws from each of several seeds,
draw by draw the seed, ICON, ICHG and the number, all exactly.

Arguments: <veka binary> <source dir> <build dir>. Exit status 77 without gfortran.
"""

import os
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, "..", "support"))
sys.dont_write_bytecode = True  # nothing written into the source tree
import refcheck as rc  # noqa: E402

DRAWS = 100000
SEEDS = [786123, 0, 1, 1048572, 524287]


def parse(text):
    rows = []
    for line in text.splitlines():
        k, seed, icon, ichg, x = line.split()
        rows.append((int(k), int(seed), int(icon), int(ichg), float(x)))
    return rows


def main():
    _, source, build = rc.args()
    with rc.workdir() as tmp:
        ref = rc.fortran(os.path.join(source, "tests", "montecarlo", "ranref.f90"), tmp)
        for seed in SEEDS:
            want = parse(rc.run([ref], input=f"{seed} {DRAWS}\n"))
            got = parse(rc.tool(build, "random_tool", seed, DRAWS))
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
