"""Shared helpers of the normal-mode reference checks: molecules with hand-made force-field
parameters, the molecule description read by the driver test, running the analysis and
reading its listing."""

import math
import os
import re
import subprocess
import sys
import tempfile

import numpy as np

# Atomic weights the analysis uses (amu).
WEIGHT = {1: 1.0079, 6: 12.011, 7: 14.0067, 8: 15.9994, 9: 18.998403, 18: 39.948}
SYMBOL = {1: "H", 6: "C", 7: "N", 8: "O", 9: "F", 18: "Ar"}


class Molecule:
    """Atoms (name, Z, q, sigma, eps, molecule, xyz), bonds (i, j, K, R0), angles
    (i, j, k, K, theta0 deg) and torsions (i, j, k, l, V1, V2, V3, V4, f1, f2, f3 deg);
    atoms are numbered from 1."""

    def __init__(self, name):
        self.name = name
        self.atoms = []
        self.bonds = []
        self.angles = []
        self.torsions = []
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

    def pairs(self):
        """Nonbonded pairs inside each molecule: (i, j, is14) for atoms three or more bonds
        apart."""
        n = len(self.atoms)
        nb = {i: set() for i in range(1, n + 1)}
        for i, j, *_ in self.bonds:
            nb[i].add(j)
            nb[j].add(i)
        out = []
        for i in range(1, n + 1):
            dist = {i: 0}
            front = [i]
            while front:
                nxt = []
                for a in front:
                    for b in nb[a]:
                        if b not in dist:
                            dist[b] = dist[a] + 1
                            nxt.append(b)
                front = nxt
            for j in range(i + 1, n + 1):
                if self.atoms[i - 1]["mol"] != self.atoms[j - 1]["mol"] or j not in dist:
                    continue
                if dist[j] >= 3:
                    out.append((i, j, dist[j] == 3))
        return out

    def nmd(self, extra=""):
        """The description read by the driver test."""
        lines = ["# " + self.name, "dielectric %.17g" % self.dielectric]
        mol = self.atoms[0]["mol"]
        for k, a in enumerate(self.atoms, 1):
            if a["mol"] != mol:
                lines.append("ter")
                mol = a["mol"]
            x, y, z = a["xyz"]
            lines.append("atom %s %d %d %.17g %.17g %.17g %.17g %.17g %.17g"
                         % (a["name"], k, a["z"], x, y, z, a["q"], a["sigma"], a["eps"]))
        for i, j, k_, r0 in self.bonds:
            lines.append("bond %d %d %.17g %.17g" % (i, j, k_, r0))
        for i, j, k, kf, th in self.angles:
            lines.append("angle %d %d %d %.17g %.17g" % (i, j, k, kf, th))
        for t in self.torsions:
            lines.append("dihedral %d %d %d %d " % t[:4] + " ".join("%.17g" % v for v in t[4:]))
        for i, j, is14 in self.pairs():
            lines.append("pair %d %d%s" % (i, j, " 14" if is14 else ""))
        return "\n".join(lines) + "\n" + extra


def place(a, b, c, r, theta, phi):
    """Atom bonded to c at distance r, angle with b theta, dihedral with a phi (degrees)."""
    theta, phi = math.radians(theta), math.radians(phi)
    u1, u2 = a - c, b - c
    n1 = np.cross(u1, u2)
    n1 /= np.linalg.norm(n1)
    n2 = np.cross(u2, n1)
    n2 /= np.linalg.norm(n2)
    n3 = np.cross(n2, n1)
    n3 /= np.linalg.norm(n3)
    return (c - r * math.cos(theta) * n3 + r * math.sin(theta) * math.cos(phi) * n2
            + r * math.sin(theta) * math.sin(phi) * n1)


def driver(build_dir):
    """Path of the test program that holds the driver."""
    exe = os.path.join(build_dir, "test_normalmodes")
    if not os.path.exists(exe):
        sys.exit("test_normalmodes not found in " + build_dir)
    return exe


def analyse(build_dir, text):
    """Runs the analysis on a description; returns the listing text."""
    with tempfile.TemporaryDirectory() as tmp:
        nmd = os.path.join(tmp, "mol.nmd")
        lst = os.path.join(tmp, "mol.lst")
        with open(nmd, "w") as f:
            f.write(text)
        env = dict(os.environ, VEKA_NMD=nmd, VEKA_NMD_LISTING=lst)
        r = subprocess.run([driver(build_dir), "--gtest_filter=Driver.*"], env=env,
                           capture_output=True, text=True)
        if r.returncode != 0:
            sys.exit("driver failed:\n" + r.stdout + r.stderr)
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
    block = listing.split(" Frequencies -----\n", 1)[1]
    vals = []
    for line in block.splitlines():
        if not line.strip():
            break
        vals += [float(line[k:k + 10]) for k in range(0, len(line), 10)]
    return vals


# ----------------------------------------------------------------- molecules
# Hand-made OPLS-like parameter sets.
def water_into(m, mol, origin, axis_phi=0.0):
    o = m.atom("O", 8, -0.834, 3.15061, 0.1521, mol, origin)
    h1 = m.atom("H", 1, 0.417, 1.0, 0.0, mol, origin + np.array([0.9572, 0, 0]))
    c = math.cos(math.radians(104.52)) * 0.9572
    s = math.sin(math.radians(104.52)) * 0.9572
    h2 = m.atom("H", 1, 0.417, 1.0, 0.0, mol,
                origin + np.array([c, s * math.cos(axis_phi), s * math.sin(axis_phi)]))
    m.bonds += [(o, h1, 450.0, 0.9572), (o, h2, 450.0, 0.9572)]
    m.angles += [(h1, o, h2, 55.0, 104.52)]
    return o, h1, h2


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


def methyl(m, c, x, mol, ref1, ref2, q=0.06, phi0=60.0):
    hs = []
    for k in range(3):
        p = place(ref2, ref1, x, 1.09, 110.7, phi0 + 120.0 * k)
        hs.append(m.atom("H", 1, q, 2.5, 0.03, mol, p))
        m.bonds.append((c, hs[-1], 340.0, 1.09))
    return hs


def ethane():
    m = Molecule("ethane")
    c1 = m.atom("C", 6, -0.18, 3.5, 0.066, 1, [0, 0, 0])
    c2 = m.atom("C", 6, -0.18, 3.5, 0.066, 1, [1.529, 0, 0])
    m.bonds.append((c1, c2, 268.0, 1.529))
    ref = np.array([0.5, 1.0, 0.2])
    h1 = methyl(m, c1, m.xyz()[0], 1, m.xyz()[1], ref)
    h2 = methyl(m, c2, m.xyz()[1], 1, m.xyz()[0], m.xyz()[h1[0] - 1], phi0=180.0)
    for c, hs, other in ((c1, h1, c2), (c2, h2, c1)):
        for h in hs:
            m.angles.append((h, c, other, 37.5, 110.7))
        for a in range(3):
            for b in range(a + 1, 3):
                m.angles.append((hs[a], c, hs[b], 33.0, 107.8))
    for a in h1:
        for b in h2:
            m.torsions.append((a, c1, c2, b, 0.0, 0.0, 0.3, 0.0, 0.0, 0.0, 0.0))
    return m


def methanol():
    m = Molecule("methanol")
    c = m.atom("C", 6, 0.145, 3.5, 0.066, 1, [0, 0, 0])
    o = m.atom("O", 8, -0.683, 3.12, 0.17, 1, [1.41, 0, 0])
    ho = m.atom("H", 1, 0.418, 1.0, 0.0, 1,
                place(np.array([0.3, 1.0, 0.0]), m.xyz()[0], m.xyz()[1], 0.945, 108.5, 180.0))
    m.bonds += [(c, o, 320.0, 1.41), (o, ho, 553.0, 0.945)]
    m.angles.append((c, o, ho, 55.0, 108.5))
    hs = methyl(m, c, m.xyz()[0], 1, m.xyz()[1], m.xyz()[2], q=0.04)
    for h in hs:
        m.angles.append((h, c, o, 35.0, 109.5))
        m.torsions.append((h, c, o, ho, 0.0, 0.0, 0.45, 0.0, 0.0, 0.0, 0.0))
    for a in range(3):
        for b in range(a + 1, 3):
            m.angles.append((hs[a], c, hs[b], 33.0, 107.8))
    return m


def peroxide():
    """Hydrogen peroxide with a torsion of all four Fourier terms and phases 90/180/270."""
    m = Molecule("hydrogen peroxide")
    h1 = m.atom("H", 1, 0.41, 1.0, 0.0, 1, [0.3, 0.9, 0.0])
    o1 = m.atom("O", 8, -0.41, 3.0, 0.17, 1, [0, 0, 0])
    o2 = m.atom("O", 8, -0.41, 3.0, 0.17, 1, [1.45, 0, 0])
    h2 = m.atom("H", 1, 0.41, 1.0, 0.0, 1,
                place(m.xyz()[0], m.xyz()[1], m.xyz()[2], 0.96, 100.0, 115.0))
    m.bonds += [(h1, o1, 553.0, 0.96), (o1, o2, 400.0, 1.45), (o2, h2, 553.0, 0.96)]
    m.angles += [(h1, o1, o2, 50.0, 100.0), (o1, o2, h2, 50.0, 100.0)]
    m.torsions.append((h1, o1, o2, h2, 1.2, 2.5, 0.4, 0.3, 90.0, 180.0, 270.0))
    return m


def butane():
    """n-Butane: CT-CT-CT-CT torsion, 1-4 and longer-range pairs."""
    m = Molecule("butane")
    cs = [m.atom("C", 6, -0.18 if k in (0, 3) else -0.12, 3.5, 0.066, 1, [0, 0, 0])
          for k in range(4)]
    x = [np.zeros(3), np.array([1.529, 0, 0])]
    x.append(place(np.array([0, 1.0, 0]), x[0], x[1], 1.529, 112.7, 0.0))
    x.append(place(x[0], x[1], x[2], 1.529, 112.7, 180.0))
    m.set_xyz(x)
    for a, b in zip(cs, cs[1:]):
        m.bonds.append((a, b, 268.0, 1.529))
    m.angles += [(cs[0], cs[1], cs[2], 58.35, 112.7), (cs[1], cs[2], cs[3], 58.35, 112.7)]
    hmap = {}
    xyz = m.xyz()
    # Methyl hydrogens on the ends, two hydrogens on each middle carbon.
    for c, nb, ref in ((0, 1, 2), (3, 2, 1)):
        hmap[c] = methyl(m, cs[c], xyz[c], 1, xyz[nb], xyz[ref])
    for c, (p, q) in ((1, (0, 2)), (2, (1, 3))):
        hs = []
        for phi in (120.0, -120.0):
            pos = place(xyz[q], xyz[p], xyz[c], 1.09, 110.7, phi)
            hs.append(m.atom("H", 1, 0.06, 2.5, 0.03, 1, pos))
            m.bonds.append((cs[c], hs[-1], 340.0, 1.09))
        hmap[c] = hs
    nb = {k: [] for k in range(1, len(m.atoms) + 1)}
    for i, j, *_ in m.bonds:
        nb[i].append(j)
        nb[j].append(i)
    for j in range(1, len(m.atoms) + 1):
        for a in range(len(nb[j])):
            for b in range(a + 1, len(nb[j])):
                i, k = nb[j][a], nb[j][b]
                zs = [m.atoms[p - 1]["z"] for p in (i, j, k)]
                if zs == [1, 6, 1]:
                    m.angles.append((i, j, k, 33.0, 107.8))
                elif zs in ([1, 6, 6], [6, 6, 1]):
                    m.angles.append((i, j, k, 37.5, 110.7))
    for j, k in ((1, 2), (2, 3), (3, 4)):
        for i in nb[j]:
            for l in nb[k]:
                if i in (j, k) or l in (j, k):
                    continue
                zi, zl = m.atoms[i - 1]["z"], m.atoms[l - 1]["z"]
                if zi == 6 and zl == 6:
                    v = (1.740, -0.157, 0.279, 0.0)
                elif zi == 1 and zl == 1:
                    v = (0.0, 0.0, 0.3, 0.0)
                else:
                    v = (0.0, 0.0, 0.366, 0.0)
                m.torsions.append((i, j, k, l) + v + (0.0, 0.0, 0.0))
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
