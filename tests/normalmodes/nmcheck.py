"""Shared helpers of the normal-mode reference checks: molecules with hand-made force-field
parameters, the molecule description read by tests/tools/nmd_tool, running the analysis
and reading its listing."""

import math
import os
import re
import sys

import numpy as np

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "support"))
import refcheck as rc  # noqa: E402

# Atomic weights the analysis uses (amu).
WEIGHT = {1: 1.0079, 6: 12.011, 7: 14.0067, 8: 15.9994, 9: 18.998403, 18: 39.948}
SYMBOL = {1: "H", 6: "C", 7: "N", 8: "O", 9: "F", 18: "Ar"}


class Molecule:
    """Atoms (name, Z, q, sigma, eps, molecule, xyz), bonds (i, j, K, R0), angles
    (i, j, k, K, theta0 deg) and torsions (i, j, k, l, V1, V2, V3, V4, f1, f2, f3 deg);
    atoms are numbered from 1."""

    def __init__(self, name):
        self.name, self.atoms, self.bonds, self.angles, self.torsions = name, [], [], [], []
        self.dielectric = 1.0

    def atom(self, name, z, q, sigma, eps, mol, xyz):
        self.atoms.append(dict(name=name, z=z, q=q, sigma=sigma, eps=eps, mol=mol,
                               xyz=np.array(xyz, float)))
        return len(self.atoms)

    def xyz(self):
        return np.array([a["xyz"] for a in self.atoms])

    def set_xyz(self, x):
        for a, p in zip(self.atoms, np.asarray(x).reshape(-1, 3)):
            a["xyz"] = np.array(p)

    def masses(self):
        return np.array([WEIGHT[a["z"]] for a in self.atoms])

    def bonded_terms(self, angles, torsions):
        """Every angle and proper torsion of the bond graph, with its parameters looked up by
        the atomic numbers of its atoms (in either order)."""
        nb = {i: [] for i in range(1, len(self.atoms) + 1)}
        for i, j, *_ in self.bonds:
            nb[i].append(j)
            nb[j].append(i)
        z = lambda *ids: tuple(self.atoms[i - 1]["z"] for i in ids)  # noqa: E731
        look = lambda table, key: table.get(key, table.get(key[::-1]))  # noqa: E731
        for j in nb:
            for a, b in ((a, b) for n, a in enumerate(nb[j]) for b in nb[j][n + 1:]):
                self.angles.append((a, j, b) + look(angles, z(a, j, b)))
        for j, k, *_ in self.bonds:
            for i in (i for i in nb[j] if i != k):
                for l in (l for l in nb[k] if l != j):
                    self.torsions.append((i, j, k, l) + look(torsions, z(i, j, k, l)) + (0.0,) * 3)

    def nmd(self, extra=""):
        """The description read by nmd_tool."""
        lines = ["# " + self.name, "dielectric %.17g" % self.dielectric]
        mol = self.atoms[0]["mol"]
        for k, a in enumerate(self.atoms, 1):
            if a["mol"] != mol:
                lines.append("ter")
                mol = a["mol"]
            lines.append("atom %s %d %d %.17g %.17g %.17g %.17g %.17g %.17g"
                         % ((a["name"], k, a["z"]) + tuple(a["xyz"]) + (a["q"], a["sigma"], a["eps"])))
        lines += ["bond %d %d %.17g %.17g" % b for b in self.bonds]
        lines += ["angle %d %d %d %.17g %.17g" % a for a in self.angles]
        lines += ["dihedral %d %d %d %d " % t[:4] + " ".join("%.17g" % v for v in t[4:])
                  for t in self.torsions]
        pairs = rc.topology_pairs([a["mol"] for a in self.atoms], [b[:2] for b in self.bonds])
        lines += ["pair %d %d%s" % (i, j, " 14" if f else "") for (i, j), f in sorted(pairs.items())]
        return "\n".join(lines) + "\n" + extra


def place(a, b, c, r, theta, phi):
    """Atom bonded to c at distance r, angle with b theta, dihedral with a phi (degrees)."""
    theta, phi = math.radians(theta), math.radians(phi)
    n1 = np.cross(a - c, b - c)
    n1 /= np.linalg.norm(n1)
    n2 = np.cross(b - c, n1)
    n2 /= np.linalg.norm(n2)
    n3 = np.cross(n2, n1)
    n3 /= np.linalg.norm(n3)
    return (c - r * math.cos(theta) * n3 + r * math.sin(theta) * math.cos(phi) * n2
            + r * math.sin(theta) * math.sin(phi) * n1)


def analyse(build_dir, text):
    """Runs the analysis on a description; returns the listing text."""
    with rc.workdir() as tmp:
        nmd, lst = os.path.join(tmp, "mol.nmd"), os.path.join(tmp, "mol.lst")
        with open(nmd, "w") as f:
            f.write(text)
        rc.tool(build_dir, "nmd_tool", nmd, lst)
        with open(lst) as f:
            return f.read()


def modes(listing):
    """Reported modes as (number, frequency in cm-1); a raw non-positive eigenvalue is
    returned as a negative frequency -108.587 sqrt(-lambda)."""
    out = []
    for m in re.finditer(r"^ Mode =\s*(\d+)\s+Frequency =\s*(\S+)", listing, re.M):
        f = float(m.group(2))
        out.append((int(m.group(1)), f if f > 0 else -108.587 * math.sqrt(-f)))
    return out


def n0(listing):
    return int(re.search(r"\(First (\d+) modes are probably", listing).group(1))


def value(listing, label):
    """The number after a label of the thermochemistry table."""
    m = re.search("^" + re.escape(label) + r"\s*(\S+)", listing, re.M)
    if not m:
        raise KeyError(label)
    return float(m.group(1))


def passed_frequencies(listing):
    vals = []
    for line in listing.split(" Frequencies -----\n", 1)[1].splitlines():
        if not line.strip():
            break
        vals += [float(line[k:k + 10]) for k in range(0, len(line), 10)]
    return vals


# ----------------------------------------------------------------- molecules
# Hand-made OPLS-like parameter sets; angle and torsion parameters by atomic numbers.
ANGLES = {(1, 6, 1): (33.0, 107.8), (1, 6, 6): (37.5, 110.7), (6, 6, 6): (58.35, 112.7),
          (1, 6, 8): (35.0, 109.5), (6, 8, 1): (55.0, 108.5)}
TORSIONS = {(1, 6, 6, 1): (0.0, 0.0, 0.3, 0.0), (1, 6, 6, 6): (0.0, 0.0, 0.366, 0.0),
            (6, 6, 6, 6): (1.740, -0.157, 0.279, 0.0), (1, 6, 8, 1): (0.0, 0.0, 0.45, 0.0)}


def water_into(m, mol, origin, axis_phi=0.0):
    o = m.atom("O", 8, -0.834, 3.15061, 0.1521, mol, origin)
    h1 = m.atom("H", 1, 0.417, 1.0, 0.0, mol, origin + np.array([0.9572, 0, 0]))
    c, s = (0.9572 * f(math.radians(104.52)) for f in (math.cos, math.sin))
    h2 = m.atom("H", 1, 0.417, 1.0, 0.0, mol,
                origin + np.array([c, s * math.cos(axis_phi), s * math.sin(axis_phi)]))
    m.bonds += [(o, h1, 450.0, 0.9572), (o, h2, 450.0, 0.9572)]
    m.angles += [(h1, o, h2, 55.0, 104.52)]


def water():
    m = Molecule("water")
    water_into(m, 1, np.zeros(3))
    return m


def water_dimer():
    m = Molecule("water dimer")
    water_into(m, 1, np.zeros(3))
    water_into(m, 2, np.array([-1.0, 2.9, 0.3]), 1.2)
    m.dielectric = 2.0
    return m


def hydrogens(m, c, a, point, phis, q=0.06):
    """Hydrogens on carbon c at the dihedrals H-c-a-point given."""
    x = m.xyz()
    for phi in phis:
        h = m.atom("H", 1, q, 2.5, 0.03, 1, place(point, x[a - 1], x[c - 1], 1.09, 110.7, phi))
        m.bonds.append((c, h, 340.0, 1.09))


def ethane():
    m = Molecule("ethane")
    m.atom("C", 6, -0.18, 3.5, 0.066, 1, [0, 0, 0])
    m.atom("C", 6, -0.18, 3.5, 0.066, 1, [1.529, 0, 0])
    m.bonds.append((1, 2, 268.0, 1.529))
    hydrogens(m, 1, 2, np.array([0.5, 1.0, 0.2]), (60.0, 180.0, 300.0))
    hydrogens(m, 2, 1, m.xyz()[2], (180.0, 300.0, 60.0))
    m.bonded_terms(ANGLES, TORSIONS)
    return m


def methanol():
    m = Molecule("methanol")
    c = m.atom("C", 6, 0.145, 3.5, 0.066, 1, [0, 0, 0])
    o = m.atom("O", 8, -0.683, 3.12, 0.17, 1, [1.41, 0, 0])
    ho = m.atom("H", 1, 0.418, 1.0, 0.0, 1,
                place(np.array([0.3, 1.0, 0.0]), m.xyz()[0], m.xyz()[1], 0.945, 108.5, 180.0))
    m.bonds += [(c, o, 320.0, 1.41), (o, ho, 553.0, 0.945)]
    hydrogens(m, c, o, m.xyz()[ho - 1], (60.0, 180.0, 300.0), q=0.04)
    m.bonded_terms(ANGLES, TORSIONS)
    return m


def peroxide():
    """Hydrogen peroxide with a torsion of all four Fourier terms and phases 90/180/270."""
    m = Molecule("hydrogen peroxide")
    h1 = m.atom("H", 1, 0.41, 1.0, 0.0, 1, [0.3, 0.9, 0.0])
    o1 = m.atom("O", 8, -0.41, 3.0, 0.17, 1, [0, 0, 0])
    o2 = m.atom("O", 8, -0.41, 3.0, 0.17, 1, [1.45, 0, 0])
    h2 = m.atom("H", 1, 0.41, 1.0, 0.0, 1, place(*m.xyz(), 0.96, 100.0, 115.0))
    m.bonds += [(h1, o1, 553.0, 0.96), (o1, o2, 400.0, 1.45), (o2, h2, 553.0, 0.96)]
    m.angles += [(h1, o1, o2, 50.0, 100.0), (o1, o2, h2, 50.0, 100.0)]
    m.torsions.append((h1, o1, o2, h2, 1.2, 2.5, 0.4, 0.3, 90.0, 180.0, 270.0))
    return m


def butane():
    """n-Butane: CT-CT-CT-CT torsion, 1-4 and longer-range pairs."""
    m = Molecule("butane")
    x = [np.zeros(3), np.array([1.529, 0, 0])]
    x.append(place(np.array([0, 1.0, 0]), x[0], x[1], 1.529, 112.7, 0.0))
    x.append(place(x[0], x[1], x[2], 1.529, 112.7, 180.0))
    for k in range(4):
        m.atom("C", 6, -0.18 if k in (0, 3) else -0.12, 3.5, 0.066, 1, x[k])
    m.bonds += [(k, k + 1, 268.0, 1.529) for k in (1, 2, 3)]
    for c, a, b, phis in ((1, 2, 3, (60.0, 180.0, 300.0)), (4, 3, 2, (60.0, 180.0, 300.0)),
                          (2, 1, 3, (120.0, -120.0)), (3, 2, 4, (120.0, -120.0))):
        hydrogens(m, c, a, x[b - 1], phis)
    m.bonded_terms(ANGLES, TORSIONS)
    return m


def carbon_dioxide():
    m = Molecule("carbon dioxide")
    o1 = m.atom("O", 8, -0.35, 3.0, 0.17, 1, [-1.16, 0, 0])
    c = m.atom("C", 6, 0.70, 3.2, 0.06, 1, [0, 0, 0])
    o2 = m.atom("O", 8, -0.35, 3.0, 0.17, 1, [1.16, 0, 0])
    m.bonds += [(c, o1, 1000.0, 1.16), (c, o2, 1000.0, 1.16)]
    m.angles.append((o1, c, o2, 55.0, 180.0))
    return m


def argon():
    m = Molecule("argon")
    m.atom("Ar", 18, 0.0, 3.4, 0.24, 1, [0.3, -0.2, 0.1])
    return m
