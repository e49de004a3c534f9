#!/usr/bin/python3
"""Radial distribution functions of real blocks, checked against counts made here from
the configurations the program writes to its in-file.

1. Methanol in TIP4P water, every move a solute move, one configuration per block: the
   histograms of the in-file grow in each block by exactly the counts of the block's
   final configuration (methanol O - water O within the solute-solvent cutoff; water 1's
   O with every other O), counted afresh here from the in-file coordinates.
2. The stored equilibrated box of 216 TIP4P waters: g(R) of O-O has its first peak at
   2.7-2.9 A with a height near 3 and levels off near 1 at long range; the averages file
   (-av) repeats it as plain columns.

Arguments: <veka binary> <source dir> <build dir>.
"""

import math
import os
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, "..", "support"))
sys.dont_write_bytecode = True
import mcjob  # noqa: E402
import refcheck as rc  # noqa: E402

BINS, LOWER, WIDTH, SCUT = 100, 0.0, 0.08, 8.5


def infile(path):
    """Header counts, half edges, solute (x, y, z lists), water sites and histograms."""
    lines = open(path).read().splitlines()
    h = lines[0]
    nmol, natoms, nsol, ndih, nbnd, nang = (int(h[5 * k:5 * k + 5]) for k in range(6))
    nrject = int(h[39:48])
    half = [float(lines[1][18 + 13 * k:31 + 13 * k]) for k in range(3)]
    at = 2 + 7 + 1 + 2

    def reals(n):
        nonlocal at
        rows = (n + 5) // 6
        vals = [float(r[13 * k:13 * k + 13]) for r in lines[at:at + rows]
                for k in range(len(r) // 13)]
        at += rows
        return vals[:n]

    sol = reals(9 * natoms + ndih + nbnd + nang)
    if nsol > 2:
        reals(2 * (nsol - 2))
    water = reals(4 * 3 * nmol)
    rows = (27 * BINS + 10) // 11
    ints = [int(r[7 * k:7 * k + 7]) for r in lines[at:at + rows] for k in range(len(r) // 7)]
    solute = [sol[k * natoms:(k + 1) * natoms] for k in range(3)]
    site = lambda s, ax: water[(s * 3 + ax) * nmol:(s * 3 + ax + 1) * nmol]  # noqa: E731
    oxygen = list(zip(site(0, 0), site(0, 1), site(0, 2)))
    return nrject, half, solute, oxygen, ints[:BINS], ints[15 * BINS:16 * BINS]


def image(a, b, half):
    d2 = 0.0
    for k in range(3):
        d = abs(a[k] - b[k])
        d2 += (d - 2 * half[k] if d > half[k] else d) ** 2
    return d2


def counts(half, solute, oxygen):
    """(water 1's O with every other O, methanol O2 with every O within the cutoff)."""
    sv, sx = [0] * BINS, [0] * BINS
    atoms = list(zip(*solute))

    def add(h, d2):
        b = int((math.sqrt(d2) - LOWER) / WIDTH)
        if 0 <= b < BINS:
            h[b] += 1
    for o in oxygen[1:]:
        add(sv, image(oxygen[0], o, half))
    for o in oxygen:
        if min(image(a, o, half) for a in atoms) <= SCUT * SCUT:
            add(sx, image(atoms[1], o, half))
    return sv, sx


def growth(veka, source, work):
    mcjob.write_par(source, work, "methanol-water", {15: "  1  1", 16: "  1", 17: "  1", 18: "  2",
                                         19: "  1", 23: "    0.0000    8.0000",
                                         25: "   250     1    15     0"})
    solute = os.path.join(source, "data/examples/methanol/methanol.z")
    before, accepted = None, 0
    for k in range(12):
        mcjob.run(veka, source, work, "100" if k == 0 else "000", 1, solute)
        nrject, half, sol, oxy, sv, sx = infile(os.path.join(work, "job.in"))
        if before is not None:
            accepted += nrject == before[0]
            got = ([a - b for a, b in zip(sv, before[1])], [a - b for a, b in zip(sx, before[2])])
            if got != counts(half, sol, oxy):
                print("block %d: histogram growth differs from the final configuration" % k)
                return False
        before = (nrject, sv, sx)
    if accepted == 0 or sum(before[2]) == 0:
        print("no accepted solute move or no solute-solvent pair: the check proves nothing")
        return False
    print("histogram growth = fresh counts in 11 blocks (%d accepted solute moves)" % accepted)
    return True


def water(veka, source, work):
    mcjob.write_par(source, work, "tip4p-npt", {9: " 216 216  0.00", 15: "  1  0", 16: "  1", 17: "  1",
                                    23: "    0.0000    8.0000"})
    mcjob.run(veka, source, work, "100", 200000, os.path.join(source, "data/examples/tip4p-npt",
                                                        "no-solute.z"))
    out = open(os.path.join(work, "job.out")).read().splitlines()
    at = out.index(" Solvent-Solvent", out.index(" Radial Distribution Functions"))
    rows = [tuple(map(float, r.split())) for r in out[at + 2:at + 2 + BINS]]
    r_peak, g_peak = max(rows, key=lambda t: t[1])
    tail = [g for r, g in rows if r > 6.0]
    far = sum(tail) / len(tail)
    print("O-O g(R): peak %.3f at %.2f A, mean beyond 6 A %.3f" % (g_peak, r_peak, far))
    # The averages file holds the same g(R) as plain columns after the averages.
    av = open(os.path.join(work, "job.av")).read().splitlines()
    cols = [tuple(map(float, r.split())) for r in av[av.index("# R sv:1-1") + 1:]]
    same = len(cols) == BINS and all(abs(a[1] - b[1]) < 6e-4 for a, b in zip(cols, rows))
    print("averages file: %s, g(R) columns as listed: %s" % (av[1].split()[:2], same))
    return (2.7 <= r_peak <= 2.9 and 2.5 <= g_peak <= 3.6 and 0.93 <= far <= 1.07 and same
            and av[1].startswith("Total_Energy"))


def main():
    veka, source, _ = rc.args()
    with rc.workdir() as work:
        ok = growth(veka, source, work)
        ok = water(veka, source, work) and ok
    return 0 if ok else 1


if __name__ == "__main__":
    sys.exit(main())
