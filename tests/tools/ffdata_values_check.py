#!/usr/bin/python3
"""Selected atom types, bonds, angles and torsions of the committed files equal values
converted by hand from the published OPLS-AA / water-model numbers (the conversion is
written beside each value)."""

import os
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import ffreader as fr  # noqa: E402

KCAL = 4.184


def lj_from_ac(a, c):
  """Models published as A (kcal A^12/mol) and C (kcal A^6/mol): A = 4 eps sigma^12,
  C = 4 eps sigma^6."""
  return (a / c)**(1 / 6), c * c / (4 * a)


TIP3P = lj_from_ac(582.0e3, 595.0)  # 3.15066 A, 0.152075 kcal/mol
TIP4P = lj_from_ac(600.0e3, 610.0)  # 3.15365 A, 0.154817 kcal/mol

# (number, force-field type, Z, q, sigma A, epsilon kcal/mol, tolerance, what)
ATOMS = [
    # opls_135: 0.35 nm -> 3.5 A; 0.276144 kJ/mol / 4.184 = 0.066 kcal/mol
    (135, "CT", 6, -0.18, 3.5, 0.066, 0, "alkane CH3 carbon"),
    # opls_140: 0.25 nm; 0.12552 / 4.184 = 0.030
    (140, "HC", 1, 0.06, 2.5, 0.030, 0, "alkane H"),
    # opls_154: 0.312 nm; 0.71128 / 4.184 = 0.170
    (154, "OH", 8, -0.683, 3.12, 0.170, 0, "methanol O"),
    (155, "HO", 1, 0.418, 0.0, 0.0, 0, "methanol H(O)"),
    # opls_145: 0.355 nm; 0.29288 / 4.184 = 0.070
    (145, "CA", 6, -0.115, 3.55, 0.070, 0, "benzene C"),
    # opls_146: 0.242 nm; 0.12552 / 4.184 = 0.030
    (146, "HA", 1, 0.115, 2.42, 0.030, 0, "benzene H"),
    # opls_235/236 amide C=O: 0.375 nm, 0.43932 / 4.184 = 0.105; 0.296 nm, 0.87864 / 4.184 = 0.210
    (235, "C ", 6, 0.5, 3.75, 0.105, 0, "amide C"),
    (236, "O ", 8, -0.5, 2.96, 0.210, 0, "amide O"),
    # opls_224B (peptide C alpha, GROMACS type CT_2) renumbered 1224, two-character CT
    (1224, "CT", 6, 0.14, 3.5, 0.066, 0, "C alpha"),
    # opls_405 Na+: 0.189744 nm; 6.72427 / 4.184 = 1.607139
    (405, "Na", 11, 1.0, 1.89744, 1.607139, 0, "sodium ion"),
    # TIP3P, TIP4P (J. Chem. Phys. 79, 926 (1983)): from A and C; the file holds GROMACS's
    # rounded values (TIP3P 3.15061 A, 0.1521; TIP4P 0.1550 kcal/mol), within 5e-4
    (111, "OW", 8, -0.834, TIP3P[0], TIP3P[1], 5e-4, "TIP3P O"),
    (112, "HW", 1, 0.417, 0.0, 0.0, 0, "TIP3P H"),
    (113, "OW", 8, 0.0, TIP4P[0], TIP4P[1], 5e-4, "TIP4P O"),
    (114, "HW", 1, 0.52, 0.0, 0.0, 0, "TIP4P H"),
    (115, "LP", 0, -1.04, 0.0, 0.0, 0, "TIP4P M"),
    # TIP5P (J. Chem. Phys. 112, 8910 (2000)): sigma 3.12 A, epsilon 0.16, q(H) = -q(L) = 0.241
    (97, "OW", 8, 0.0, 3.12, 0.16, 0, "TIP5P O"),
    (98, "HW", 1, 0.241, 0.0, 0.0, 0, "TIP5P H"),
    (99, "LP", 0, -0.241, 0.0, 0.0, 0, "TIP5P L"),
    # argon (GROMACS opls_097): 0.3401 nm; 0.978638 / 4.184 = 0.233900
    (103, "Ar", 18, 0.0, 3.401, 0.2339, 0, "argon"),
    # united-atom methanol (J. Phys. Chem. 90, 1276 (1986))
    (78, "OH", 8, -0.700, 3.070, 0.170, 0, "methanol O (UA)"),
    (80, "C3", 6, 0.265, 3.775, 0.207, 0, "methanol CH3 (UA)"),
    # propane CH2 and THF alpha-CH2 (J. Am. Chem. Soc. 106, 6638 (1984); J. Comput. Chem. 11,
    # 958 (1990))
    (71, "C2", 6, 0.0, 3.905, 0.118, 0, "propane CH2"),
    (110, "C2", 6, 0.25, 3.80, 0.118, 0, "THF alpha CH2"),
    (100, "DM", 0, 0.0, 0.0, 0.0, 0, "dummy"),
]

# (a, b, K kcal/mol/A^2, R0 A): K = kb [kJ/mol/nm^2] / 2 / 4.184 / 100
BONDS = [
    ("CT", "CT", 224262.4 / 2 / KCAL / 100, 1.529),  # 268.0
    ("CT", "HC", 284512.0 / 2 / KCAL / 100, 1.090),  # 340.0
    ("C ", "O ", 476976.0 / 2 / KCAL / 100, 1.229),  # 570.0
    ("CA", "CA", 392459.2 / 2 / KCAL / 100, 1.400),  # 469.0
    ("CA", "HA", 307105.6 / 2 / KCAL / 100, 1.080),  # 367.0
]
# (a, vertex, c, K kcal/mol/rad^2, theta0 deg): K = k [kJ/mol/rad^2] / 2 / 4.184
ANGLES = [
    ("HC", "CT", "HC", 276.144 / 2 / KCAL, 107.8),  # 33.0
    ("CT", "CT", "CT", 488.273 / 2 / KCAL, 112.7),  # 58.35
    ("CT", "CT", "HC", 313.800 / 2 / KCAL, 110.7),  # 37.5
    ("CA", "CA", "CA", 527.184 / 2 / KCAL, 120.0),  # 63.0
]
# (types, V1..V4 kcal/mol): from GROMACS's RB C0..C4 (kJ/mol): V4 = -C4/4,
# V3 = -C3/2, V2 = -C2 - C4, V1 = -2 C1 - 3/2 C3, then / 4.184
TORSIONS = [
    # HC-CT-CT-HC: C = 0.6276 1.8828 0 -2.5104 0 -> V3 = 1.2552 kJ = 0.300
    (("HC", "CT", "CT", "HC"), [0.0, 0.0, 0.300, 0.0]),
    # CT-CT-CT-CT: C = 2.9288 -1.4644 0.2092 -1.6736 0 -> V1 = 5.4392, V2 = -0.2092,
    # V3 = 0.8368 kJ = 1.300, -0.050, 0.200 kcal
    (("CT", "CT", "CT", "CT"), [1.300, -0.050, 0.200, 0.0]),
    # CT-C-N-CT amide: C = 30.28798 -4.8116 -25.47638 0 0 -> V1 = 9.6232, V2 = 25.47638 kJ
    (("CT", "C ", "N ", "CT"), [2.300, 6.089, 0.0, 0.0]),
    # HC-CT-OH-HO: C = 0.9414 2.8242 0 -3.7656 -> V3 = 1.8828 kJ = 0.450
    (("HC", "CT", "OH", "HO"), [0.0, 0.0, 0.450, 0.0]),
    # CA-CA-CA-N2 (benzamidine): C2 = 16.736, C4 = -16.736 -> V2 = 0, V4 = 4.184 kJ = 1.000
    (("CA", "CA", "CA", "N2"), [0.0, 0.0, 0.0, 1.000]),
]
# Impropers, GROMACS k (1 + cos(2 phi - 180)) = k (1 - cos 2 phi) -> V2 = 2k / 4.184
IMPROPERS = [(160, 2 * 43.932 / KCAL), (161, 2 * 4.184 / KCAL), (162, 2 * 4.6024 / KCAL)]


def main():
  src = fr.args()
  par, bangfil = fr.paths(src)
  c = fr.Checks("ffdata_values")
  ff = fr.read_forcefield(par)
  by = {a["number"]: a for a in ff["atoms"]}
  for n, t, z, q, sigma, eps, tol, what in ATOMS:
    a = by.get(n)
    c.check(a is not None, "type %d (%s) missing" % (n, what))
    if a is None:
      continue
    c.check((a["fftype"], a["z"]) == (t, z), "type %d (%s): %r Z %d" % (n, what, a["fftype"],
                                                                         a["z"]))
    c.close(a["q"], q, 5e-7, "type %d (%s) charge" % (n, what))
    c.close(a["sigma"], sigma, max(tol * sigma, 5e-7), "type %d (%s) sigma" % (n, what))
    c.close(a["eps"], eps, max(tol * eps, 5e-7), "type %d (%s) epsilon" % (n, what))
  bonds, angles, _ = fr.read_bangfil(bangfil)
  for a, b, k, r0 in BONDS:
    found = [x for x in bonds if {x["a"], x["b"]} == {a, b} and (x["a"], x["b"]) in ((a, b),
                                                                                      (b, a))]
    c.check(len(found) == 1, "bond %s-%s found %d times" % (a, b, len(found)))
    for x in found:
      c.close(x["k"], k, 5e-5, "bond %s-%s K" % (a, b))
      c.close(x["r0"], r0, 5e-5, "bond %s-%s R0" % (a, b))
  for a, b, cc, k, t0 in ANGLES:
    found = [x for x in angles if x["b"] == b and (x["a"], x["c"]) in ((a, cc), (cc, a))]
    c.check(len(found) == 1, "angle %s-%s-%s found %d times" % (a, b, cc, len(found)))
    for x in found:
      c.close(x["k"], k, 5e-4, "angle %s-%s-%s K" % (a, b, cc))
      c.close(x["t0"], t0, 5e-4, "angle %s-%s-%s theta0" % (a, b, cc))
  for types, v in TORSIONS:
    found = [t for t in ff["torsions"] if t["types"] in (types, types[::-1])]
    c.check(len(found) == 1, "torsion %s found %d times" % ("-".join(types), len(found)))
    for t in found:
      for i in range(4):
        c.close(t["v"][i], v[i], 5e-5, "torsion %s V%d" % ("-".join(types), i + 1))
      c.check(t["codes"] == [0, 0, 0, 0], "torsion %s phases %r" % ("-".join(types),
                                                                    t["codes"]))
  for n, v2 in IMPROPERS:
    found = [t for t in ff["torsions"] if t["number"] == n]
    c.check(found and found[0]["v"] == [0.0, round(v2, 4), 0.0, 0.0],
            "improper %d: %r, expected V2 = %.4f" % (n, found and found[0]["v"], v2))
  return c.finish()


if __name__ == "__main__":
  sys.exit(fr.run(main))
