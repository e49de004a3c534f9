#!/usr/bin/python3
"""Writes the solute files of the optimiser tests (run once; the output is committed).

Z-matrices with OPLS-AA type numbers of data/forcefield/opls-aa.par. Chains are built
from their heavy atoms; every hydrogen is placed by a proper torsion (H-Ci-Cj-Ck along
bonds) so that each variable dihedral is a real torsion of the force field. The "start"
files are displaced from the minimum: bonds, angles and dihedrals are shifted by fixed
pseudo-random amounts (a linear congruential sequence, so the files regenerate exactly).
"""
import math
import os
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, "..", "..", "..", "tools"))
from zmatrix_layout import HEADINGS  # noqa: E402

CH3, CH2, HC = 135, 136, 140
OW, HW = 111, 112
OH, HO, HCO, COH = 154, 155, 156, 157


class Jitter:
    """Deterministic displacements in [-1, 1)."""

    def __init__(self, seed):
        self.state = seed

    def __call__(self):
        self.state = (self.state * 1103515245 + 12345) % 2 ** 31
        return 2.0 * self.state / 2 ** 31 - 1.0


def atom_record(n, name, t, j=0, r=0.0, k=0, a=0.0, l=0, d=0.0):
    return "%4d %-3s %4d %4d %4d%12.6f%4d%12.6f%4d%12.6f" % (n, name, t, t, j, r, k, a, l, d)


def rng(a, b):
    return "%4d-%4d" % (a, b)


def write(name, title, rows, var, addbonds=(), restraints=(), ter_after=None, jitter=None,
          adddih=None):
    """rows: (name, type, j, r, k, a, l, d); var: the three variable-section records
    (bonds, angles, dihedrals), each a list of records; adddih: additional dihedrals
    (i, j, k, l) with automatic torsion types instead of "AUTO"."""
    lines = ["%-30s" % title]
    for i, row in enumerate(rows):
        row = list(row) + [0, 0.0, 0, 0.0, 0, 0.0][len(row) - 2:]
        nm, t, j, r, k, a, l, d = row
        if jitter is not None:
            r += 0.03 * jitter() if j else 0.0
            a += 4.0 * jitter() if k else 0.0
            d += 15.0 * jitter() if l else 0.0
        lines.append(atom_record(i + 1, nm, t, j, r, k, a, l, d))
        if ter_after and i + 1 in (ter_after if isinstance(ter_after, tuple) else (ter_after,)):
            lines.append("TER")
    sections = [[], var[0], ["%4d%4d" % b for b in addbonds],
                ["%4d%4d%10.4f%10.4f%10.4f%10.4f" % c for c in restraints], var[1], ["AUTO"],
                var[2],
                ["AUTO"] if adddih is None else ["%4d%4d%4d%4d%4d%4d" % (d + (-1, -1)) for d in adddih],
                []]
    for heading, recs in zip(HEADINGS, sections):
        lines.append(heading)
        lines.extend(recs)
    lines.append(HEADINGS[9])
    with open(os.path.join(HERE, name), "w") as f:
        f.write("\n".join(lines) + "\n")


def all_variable(n, first=1):
    """Every bond, angle and dihedral of atoms first+1 .. first+n-1 variable."""
    return ([rng(first + 1, first + n - 1)], [rng(first + 2, first + n - 1)],
            [rng(first + 3, first + n - 1)])


def chain(heavy, dihedrals, r=1.529, theta=112.7):
    """heavy: list of (name, type, number of H, H type, bond to previous, angle at
    previous); dihedrals[k] is the dihedral of chain atom k (0-based, k >= 3)."""
    rows = []
    for k, (nm, t, _, _, b, a) in enumerate(heavy):
        if k == 0:
            rows.append((nm, t))
        elif k == 1:
            rows.append((nm, t, 1, b))
        elif k == 2:
            rows.append((nm, t, 2, b, 1, a))
        else:
            rows.append((nm, t, k, b, k - 1, a, k - 2, dihedrals[k]))
    n = len(heavy)
    count = n
    for k, (_, _, nh, ht, _, _) in enumerate(heavy):
        i = k + 1  # atom number of the heavy atom
        if nh == 0:
            continue
        # The backbone dihedral about the bond the hydrogen's torsion runs along.
        if k + 2 < n and (nh == 2 or k == 0):
            ref = (i + 1, i + 2)
            base = dihedrals[k + 2]
        else:
            ref = (i - 1, i - 2)
            base = dihedrals[k + 1] if k + 1 < n else 180.0
        if nh == 3:
            values = (180.0, 60.0, -60.0)
        elif nh == 2:
            values = (base + 120.0, base - 120.0)
        else:
            values = (base + 180.0,)
        for v in values:
            count += 1
            rows.append(("H%d" % (count % 100), ht, i, 1.09, ref[0], 109.5, ref[1], v))
    return rows


def torsions(rows):
    """Every proper dihedral i-j-k-l of the bond graph of a Z-matrix (bonds to the bond
    partners), each once."""
    nb = {i + 1: set() for i in range(len(rows))}
    for i, row in enumerate(rows):
        if len(row) > 2 and row[2]:
            nb[i + 1].add(row[2])
            nb[row[2]].add(i + 1)
    out = []
    for j in nb:
        for k in nb[j]:
            if k < j:
                continue
            for i in sorted(nb[j] - {k}):
                for l in sorted(nb[k] - {j}):
                    out.append((i, j, k, l))
    return out


def alkane(n, dihedrals):
    heavy = [("C1", CH3, 3, HC, 0, 0)]
    for k in range(1, n - 1):
        heavy.append(("C%d" % (k + 1), CH2, 2, HC, 1.529, 112.7))
    heavy.append(("C%d" % n, CH3, 3, HC, 1.529, 112.7))
    d = [180.0] * n
    for k, v in dihedrals.items():
        d[k] = v
    return chain(heavy, d)


def ethane(t=180.0):
    """H4-C1-C2-H3 = t; the other hydrogens 120 degrees apart (staggered for t = 180)."""
    return [("C1", CH3), ("C2", CH3, 1, 1.529), ("H3", HC, 2, 1.09, 1, 110.7),
            ("H4", HC, 1, 1.09, 2, 110.7, 3, t), ("H5", HC, 1, 1.09, 2, 110.7, 3, t + 120.0),
            ("H6", HC, 1, 1.09, 2, 110.7, 3, t - 120.0),
            ("H7", HC, 2, 1.09, 1, 110.7, 4, t + 120.0),
            ("H8", HC, 2, 1.09, 1, 110.7, 4, t - 120.0)]


def cyclohexane():
    """Chair: angles 111.4 degrees and ring dihedrals of +-54.93 close the ring with
    equal bonds; the bond C6-C1 is an additional bond."""
    phi = 54.93
    rows = [("C1", CH2), ("C2", CH2, 1, 1.529), ("C3", CH2, 2, 1.529, 1, 111.4),
            ("C4", CH2, 3, 1.529, 2, 111.4, 1, phi), ("C5", CH2, 4, 1.529, 3, 111.4, 2, -phi),
            ("C6", CH2, 5, 1.529, 4, 111.4, 3, phi)]
    count = 6
    for k in range(1, 7):
        nxt, nxt2 = k % 6 + 1, (k + 1) % 6 + 1
        ring = phi if k % 2 == 0 else -phi  # dihedral C(k-1)-Ck-C(k+1)-C(k+2)
        for v in (ring + 120.0, ring - 120.0):
            count += 1
            rows.append(("H%d" % count, HC, k, 1.09, nxt, 109.5, nxt2, v))
    return rows


def octanol():
    heavy = [("C1", CH3, 3, HC, 0, 0)]
    for k in range(2, 8):
        heavy.append(("C%d" % k, CH2, 2, HC, 1.529, 112.7))
    heavy += [("C8", COH, 2, HC, 1.529, 112.7), ("O9", OH, 0, 0, 1.41, 109.5),
              ("H10", HO, 0, 0, 0.945, 108.5)]
    d = [180.0] * 10
    d[9] = 60.0
    return chain(heavy, d)


def water(r1=0.9572, r2=0.9572, a=109.5):
    return [("OW", OW), ("HW", HW, 1, r1), ("HW", HW, 1, r2, 2, a)]


def water_methanol():
    return water() + [("O", OH, 2, 1.95, 1, 168.0, 3, 175.0),
                      ("C", COH, 4, 1.41, 2, 112.0, 1, 115.0),
                      ("H", HO, 4, 0.945, 5, 108.5, 2, -118.0),
                      ("H", HCO, 5, 1.09, 4, 109.5, 6, 180.0),
                      ("H", HCO, 5, 1.09, 4, 109.5, 6, 60.0),
                      ("H", HCO, 5, 1.09, 4, 109.5, 6, -60.0)]


def main():
    write("water.z", "water displaced", water(1.00, 0.93, 98.0),
          ([rng(2, 3)], [rng(3, 3)], []))
    write("ethane.z", "ethane, near eclipsed", ethane(20.0), all_variable(8), jitter=Jitter(11))
    write("butane_anti.z", "n-butane near anti", alkane(4, {3: 160.0}), all_variable(14),
          jitter=Jitter(3))
    write("butane_gauche.z", "n-butane near gauche", alkane(4, {3: 80.0}), all_variable(14),
          jitter=Jitter(5))
    write("cyclohexane.z", "cyclohexane chair, displaced", cyclohexane(), all_variable(18),
          addbonds=[(6, 1)], jitter=Jitter(7))
    # O1...O4 distance restraint of 3.0 A (10 kcal/mol/A^2) on a water-methanol complex;
    # the intermolecular coordinates (atoms 4-6) are variable too.
    write("complex.z", "water + methanol, restrained", water_methanol(),
          all_variable(9), restraints=[(1, 4, 3.0, 10.0, 10.0, 10.0)], ter_after=3)
    # Three solutes: water, methanol, water (the methanol hydroxyl donating to the second).
    rows = water_methanol() + [("OW", OW, 6, 1.9, 4, 165.0, 5, 180.0),
                               ("HW", HW, 10, 0.9572, 6, 110.0, 4, 60.0),
                               ("HW", HW, 10, 0.9572, 11, 104.5, 6, 120.0)]
    write("three.z", "water + methanol + water", rows, all_variable(12), ter_after=(3, 9))
    # The same complex with the methanol oxygen 0.3 A from a water hydrogen: an energy
    # far above 10000 kcal/mol at the start.
    rows = water_methanol()
    rows[3] = ("O", OH, 2, 0.3, 1, 168.0, 3, 175.0)
    write("clash.z", "water + methanol, clash", rows, all_variable(9),
          restraints=[(1, 4, 3.0, 10.0, 10.0, 10.0)], ter_after=3)
    # Scans: butane at its minimum-energy start with every coordinate variable, and the
    # same with only the C1-C2-C3-C4 dihedral variable (a rigid scan).
    write("butane.z", "n-butane", alkane(4, {}), all_variable(14))
    # The rigid rotor: the hydrogens of C2 placed from C1, those of C3 from C4, so that a
    # change of the C4 dihedral turns the C3 end as a whole about C2-C3 (these placements
    # are no torsions; only the listed dihedrals are energy terms).
    rows = alkane(4, {})
    rows[7] = ("H8", HC, 2, 1.09, 3, 109.5, 1, 120.0)
    rows[8] = ("H9", HC, 2, 1.09, 3, 109.5, 1, -120.0)
    rows[9] = ("H10", HC, 3, 1.09, 2, 109.5, 4, 120.0)
    rows[10] = ("H11", HC, 3, 1.09, 2, 109.5, 4, -120.0)
    write("butane_rigid.z", "n-butane, rigid", rows, ([], [], [rng(4, 4)]),
          adddih=[t for t in torsions(rows) if t not in ((1, 2, 3, 4), (4, 3, 2, 1))])
    # Dependent entries: the bond of H9 follows that of H8, the angle of H6 that of H12 (a
    # later atom), the dihedral of H10 that of H8.
    write("butane_dependent.z", "n-butane with dependent entries", alkane(4, {3: 170.0}),
          ([rng(2, 14), "   9=   8"], [rng(3, 14), "   6=  12"], [rng(4, 14), "  10=   8"]),
          jitter=Jitter(17))
    write("octanol.z", "1-octanol, displaced", octanol(), all_variable(27), jitter=Jitter(13))
    # 451 variables: 155 atoms, bonds of atoms 2-155, angles 3-155, dihedrals 4-147.
    write("c51.z", "C51H104", alkane(51, {}), ([rng(2, 155)], [rng(3, 155)], [rng(4, 147)]))
    write("c50.z", "C50H102", alkane(50, {}), all_variable(152))
    # Invalid start geometries: a linear variable angle, a bond of 0.005 A, and an angle
    # within one degree of 180 (a warning only).
    rows = alkane(4, {})
    rows[2] = ("C3", CH2, 2, 1.529, 1, 180.0)
    write("linear.z", "n-butane, linear angle", rows, all_variable(14))
    rows = alkane(4, {})
    rows[1] = ("C2", CH2, 1, 0.005)
    write("short_bond.z", "n-butane, short bond", rows, all_variable(14))
    rows = alkane(4, {})
    rows[2] = ("C3", CH2, 2, 1.529, 1, 179.5)
    write("near_linear.z", "n-butane, nearly linear", rows, all_variable(14))


if __name__ == "__main__":
    main()
