"""Shared helpers of the normal-mode reference checks: the molecules of data/ (hand-made
force-field parameters), the molecule description read by tests/tools/nmd_tool
(tests/normalmodes/nmd.hpp), running the analysis and reading its listing."""

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


def molecule(name):
    """A molecule of data/ (hand-made OPLS-like parameters, the description format above)."""
    m, mol = Molecule(name.replace("_", " ")), 1
    with open(os.path.join(os.path.dirname(os.path.abspath(__file__)), "data", name + ".nmd")) as f:
        for line in f:
            key, *v = line.split("#")[0].split() or [None]
            if key == "atom":
                m.atom(v[0], int(v[2]), float(v[6]), float(v[7]), float(v[8]), mol,
                       [float(t) for t in v[3:6]])
            elif key == "ter":
                mol += 1
            elif key == "dielectric":
                m.dielectric = float(v[0])
            elif key in ("bond", "angle", "dihedral"):
                n = {"bond": 2, "angle": 3, "dihedral": 4}[key]
                entries = {"bond": m.bonds, "angle": m.angles, "dihedral": m.torsions}[key]
                entries.append(tuple(int(t) for t in v[:n]) + tuple(float(t) for t in v[n:]))
    return m


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
