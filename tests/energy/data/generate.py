#!/usr/bin/python3
"""Writes the solute files of the energy tests (run once; the output is committed).

Hand-made Z-matrices with OPLS-AA type numbers of data/forcefield/opls-aa.par. Bond
lengths and angles are set a little off their force-field equilibrium values and the
hydrogens a little off their staggered or in-plane positions, so that every energy term
of the reference comparison is non-zero.
"""
import os
import sys

HERE = os.path.dirname(os.path.abspath(__file__))

sys.path.insert(0, os.path.join(HERE, "..", "..", "..", "tools"))
from zmatrix_layout import HEADINGS  # noqa: E402


def atom(n, name, t, j=0, r=0.0, k=0, a=0.0, l=0, d=0.0):
    """t: one type for both states, or (reference type, final type)."""
    t0, t1 = t if isinstance(t, tuple) else (t, t)
    return "%4d %-3s %4d %4d %4d%12.6f%4d%12.6f%4d%12.6f" % (n, name, t0, t1, j, r, k, a, l, d)


def rng(a, b):
    return "%4d-%4d" % (a, b)


def zfile(name, title, rows, var=None, addbonds=(), addangles=("AUTO",), adddih=("AUTO",),
          extra_dih=(), excluded=(), ter_after=None, variations=(), restraints=()):
    n = len(rows)
    var = var or (rng(2, n), rng(3, n), rng(4, n))
    lines = ["%-30s" % title]
    for i, row in enumerate(rows):
        lines.append(atom(i + 1, *row))
        if ter_after and i + 1 == ter_after:
            lines.append("TER")
    sections = [["%4d%4d%12.6f" % g for g in variations], [var[0]], ["%4d%4d" % b for b in addbonds],
                ["%4d%4d%10.4f%10.4f%10.4f%10.4f" % c for c in restraints], [var[1]], list(addangles),
                [var[2]], list(adddih) + ["%4d%4d%4d%4d%4d%4d" % (i, j, k, l, -1, -1)
                                          for i, j, k, l in extra_dih],
                ["%4d%4d%4d%4d" % e for e in excluded]]
    for heading, recs in zip(HEADINGS, sections):
        lines.append(heading)
        lines.extend(r for r in recs if r)
    lines.append(HEADINGS[9])
    with open(os.path.join(HERE, name), "w") as f:
        f.write("\n".join(lines) + "\n")


CH3, CH2, HC = 135, 136, 140


def butane(dih):
    """n-butane with C1-C2-C3-C4 = dih; the hydrogens staggered about it."""
    return [("C1", CH3), ("C2", CH2, 1, 1.535),
            ("C3", CH2, 2, 1.531, 1, 112.1),
            ("C4", CH3, 3, 1.527, 2, 111.6, 1, dih),
            ("H5", HC, 1, 1.092, 2, 110.8, 3, 179.0),
            ("H6", HC, 1, 1.089, 2, 111.2, 3, 59.0),
            ("H7", HC, 1, 1.094, 2, 110.1, 3, -61.0),
            ("H8", HC, 2, 1.091, 3, 109.2, 4, dih - 122.0),
            ("H9", HC, 2, 1.093, 3, 109.8, 4, dih + 118.5),
            ("H10", HC, 3, 1.090, 2, 109.6, 1, dih - 118.2),
            ("H11", HC, 3, 1.092, 2, 109.3, 1, dih + 121.9),
            ("H12", HC, 4, 1.091, 3, 110.9, 2, 179.5),
            ("H13", HC, 4, 1.088, 3, 111.3, 2, 60.2),
            ("H14", HC, 4, 1.093, 3, 110.5, 2, -59.4)]


def pentane():
    """n-pentane, trans then gauche."""
    return [("C1", CH3), ("C2", CH2, 1, 1.533),
            ("C3", CH2, 2, 1.536, 1, 112.4),
            ("C4", CH2, 3, 1.528, 2, 113.0, 1, 178.2),
            ("C5", CH3, 4, 1.530, 3, 112.2, 2, 66.5),
            ("H6", HC, 1, 1.092, 2, 110.8, 3, 178.0),
            ("H7", HC, 1, 1.089, 2, 111.2, 3, 58.0),
            ("H8", HC, 1, 1.094, 2, 110.1, 3, -62.0),
            ("H9", HC, 2, 1.091, 3, 109.2, 4, 57.0),
            ("H10", HC, 2, 1.093, 3, 109.8, 4, -59.0),
            ("H11", HC, 3, 1.090, 4, 109.6, 5, -57.0),
            ("H12", HC, 3, 1.092, 4, 109.3, 5, -173.0),
            ("H13", HC, 4, 1.091, 3, 109.0, 2, -62.0),
            ("H14", HC, 4, 1.088, 3, 109.7, 2, -178.0),
            ("H15", HC, 5, 1.090, 4, 110.9, 3, 177.0),
            ("H16", HC, 5, 1.093, 4, 111.3, 3, 57.5),
            ("H17", HC, 5, 1.089, 4, 110.4, 3, -62.5)]


def ethanol():
    """Ethanol with a gauche hydroxyl hydrogen."""
    return [("C1", CH3), ("C2", 157, 1, 1.521),
            ("O3", 154, 2, 1.427, 1, 108.3),
            ("H4", 155, 3, 0.951, 2, 107.6, 1, 64.0),
            ("H5", HC, 1, 1.092, 2, 110.6, 3, 178.0),
            ("H6", HC, 1, 1.089, 2, 111.3, 3, 58.5),
            ("H7", HC, 1, 1.094, 2, 110.0, 3, -61.5),
            ("H8", HC, 2, 1.091, 3, 109.9, 4, -176.0),
            ("H9", HC, 2, 1.093, 3, 110.4, 4, -54.0)]


def dimethyl_ether():
    return [("C1", 181), ("O2", 180, 1, 1.415),
            ("C3", 181, 2, 1.408, 1, 112.4),
            ("H4", 185, 1, 1.092, 2, 109.0, 3, 178.5),
            ("H5", 185, 1, 1.089, 2, 110.9, 3, 58.0),
            ("H6", 185, 1, 1.095, 2, 110.2, 3, -61.0),
            ("H7", 185, 3, 1.090, 2, 109.4, 1, -177.0),
            ("H8", 185, 3, 1.093, 2, 110.6, 1, 63.0),
            ("H9", 185, 3, 1.088, 2, 111.1, 1, -56.0)]


def nma():
    """trans N-methylacetamide, its carbonyl carbon and nitrogen slightly pyramidal."""
    return [("C1", CH3), ("C2", 235, 1, 1.518),
            ("O3", 236, 2, 1.232, 1, 121.3),
            ("N4", 238, 2, 1.341, 1, 115.9, 3, 172.0),
            ("C5", 242, 4, 1.452, 2, 122.6, 1, 176.0),
            ("H6", 241, 4, 1.012, 2, 118.9, 1, -6.0),
            ("H7", HC, 1, 1.091, 2, 109.8, 3, 4.0),
            ("H8", HC, 1, 1.089, 2, 110.3, 3, 123.0),
            ("H9", HC, 1, 1.094, 2, 109.1, 3, -118.0),
            ("H10", HC, 5, 1.090, 4, 109.9, 2, 178.0),
            ("H11", HC, 5, 1.092, 4, 110.6, 2, 58.5),
            ("H12", HC, 5, 1.088, 4, 109.2, 2, -61.0)]


def phenol():
    """Phenol with a slightly puckered ring and hydrogens just off the ring plane."""
    ca, ha = 145, 146
    return [("C1", 166), ("C2", ca, 1, 1.401),
            ("C3", ca, 2, 1.395, 1, 120.2),
            ("C4", ca, 3, 1.398, 2, 119.6, 1, 0.8),
            ("C5", ca, 4, 1.392, 3, 120.3, 2, -1.1),
            ("C6", ca, 5, 1.401, 4, 119.9, 3, 0.7),
            ("O7", 167, 1, 1.366, 2, 120.6, 3, 178.8),
            ("H8", 168, 7, 0.962, 1, 109.2, 2, 6.0),
            ("H9", ha, 2, 1.082, 3, 120.1, 4, 178.3),
            ("H10", ha, 3, 1.080, 4, 119.8, 5, -178.9),
            ("H11", ha, 4, 1.081, 5, 120.2, 6, 179.4),
            ("H12", ha, 5, 1.083, 6, 119.6, 1, 178.6),
            ("H13", ha, 6, 1.079, 1, 120.4, 2, -179.1)]


def methanol_water():
    """A TIP3P water and a methanol whose hydroxyl oxygen accepts a hydrogen bond."""
    return [("OW", 111), ("HW", 112, 1, 0.9572),
            ("HW", 112, 1, 0.9572, 2, 104.52),
            ("O", 154, 2, 1.95, 1, 168.0, 3, 175.0),
            ("C", 157, 4, 1.412, 2, 112.0, 1, 115.0),
            ("H", 155, 4, 0.947, 5, 108.2, 2, -118.0),
            ("H", 156, 5, 1.091, 4, 109.7, 6, 178.0),
            ("H", 156, 5, 1.089, 4, 110.3, 6, 58.5),
            ("H", 156, 5, 1.094, 4, 109.4, 6, -61.5)]


def main():
    zfile("butane_anti.z", "n-butane anti", butane(178.0))
    zfile("butane_gauche.z", "n-butane gauche", butane(64.0))
    zfile("pentane_tg.z", "n-pentane trans-gauche", pentane())
    zfile("ethanol.z", "ethanol gauche OH", ethanol())
    zfile("dimethyl_ether.z", "dimethyl ether", dimethyl_ether())
    # Impropers at the carbonyl carbon (centre C2) and the nitrogen (centre N4).
    zfile("nma.z", "N-methylacetamide trans", nma(), extra_dih=[(3, 2, 4, 1), (6, 4, 2, 5)])
    # Ring closure C6-C1; impropers at C1 and at two ring carbons with hydrogens.
    zfile("phenol.z", "phenol", phenol(), addbonds=[(6, 1)],
          extra_dih=[(7, 1, 2, 6), (9, 2, 3, 1), (11, 4, 5, 3)])
    zfile("methanol_water.z", "water + methanol", methanol_water(), ter_after=3,
          var=(rng(5, 9), rng(6, 9), rng(7, 9)))
    # The complex with one restraint of each kind: distance O1-O4, position of C5,
    # centroid of the water against H6, flat-bottomed H3-H7.
    zfile("methanol_water_restrained.z", "water + methanol, restrained", methanol_water(),
          ter_after=3, var=(rng(5, 9), rng(6, 9), rng(7, 9)),
          restraints=[(1, 4, 2.6, 5.0, 6.0, 7.0), (5, 9999, 1.5, 0.4, -0.2, 0.3),
                      (9999, 6, 2.0, 1.0, 2.0, 3.0), (3, 7, -1.0, 2.0, 2.8, 4.0)])
    # Ethanol whose hydroxyl group turns into a methoxy-like end: other final types of O3
    # and H4, a longer C2-O3 bond and the hydroxyl hydrogen turned in the final state.
    rows = ethanol()
    rows[2] = ("O3", (154, 180)) + rows[2][2:]
    rows[3] = ("H4", (155, 140)) + rows[3][2:]
    zfile("ethanol_perturbed.z", "ethanol perturbed", rows,
          variations=[(3, 1, 1.52), (4, 3, 95.0)])


if __name__ == "__main__":
    main()
