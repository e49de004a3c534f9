"""Solvent-solvent energy of a box of rigid solvent molecules, from the formulas.

An evaluator that shares no code with the program: the pair energies of a periodic box
of one or two solvents with a spherical cutoff, feathering and the reaction field, as
the solvent-solvent energy is defined, computed with numpy over all molecule pairs at
once. Also places rigid molecules of a few models at random in a box (no two sites of
different molecules closer than a given distance), and writes and reads the files of the
test tool `solvent_tool` (tests/energy/solvent_tool.cpp), whose output gives the
program's site parameters and energies.

The energy of a pair of molecules A and B (cutoff RCUT, rc2 = RCUT^2):
  water pair (both models TIP3P or TIP4P): the first sites' separation d, per axis
    |d| less one edge where |d| > edge/2 (molecule image; not along z in a slab);
    r2 = sum of squares; interacting when r2 <= rc2; E = AOO/r^12 - COO/r^6 on that r2
    plus, for the charged sites i, j (from FIRST on), qq_ij (1/r + krf r^2) with B moved
    by the edge along each axis where its first site's image lies;
  other pairs: cutoff r2 the smallest over the cutoff sites of A and B, each axis with
    its own image; E = sum over active sites of A_iA_j/r^12 - C_iC_j/r^6 + q_iq_j (1/r +
    krf r^2), each site pair with its own image (atom image);
  feathering: E (rc2 - r2) / (rc2 - (RCUT - 0.5)^2) where r2 >= the feathering start.

Command line (a quick look at one box file): solvent_energy.py <box file> <tool output>
"""

import math
import sys

import numpy as np

WATER = ("TIP3P", "TIP4P")


def _tip(m_site):
    """Water sites: O at the origin, H at 0.9572 A with H-O-H 104.52 degrees, and the
    TIP4P M site 0.15 A along the bisector."""
    a = math.radians(104.52)
    sites = [[0, 0, 0], [0.9572, 0, 0], [0.9572 * math.cos(a), 0.9572 * math.sin(a), 0]]
    if m_site:
        b = a / 2
        sites.append([0.15 * math.cos(b), 0.15 * math.sin(b), 0])
    return np.array(sites, float)


def _methanol():
    """United-atom methanol: O, H (0.945 A), CH3 (1.43 A, C-O-H 108.5 degrees)."""
    a = math.radians(108.5)
    return np.array([[0, 0, 0], [0.945, 0, 0], [1.43 * math.cos(a), 1.43 * math.sin(a), 0]])


# Site positions in the models' own site order (the program's site tables).
GEOMETRY = {
    "TIP3P": _tip(False),
    "TIP4P": _tip(True),
    "CH3OH": _methanol(),
    "CH3CN": np.array([[0, 0, 0], [1.157, 0, 0], [-1.458, 0, 0]]),  # C, N, CH3 (linear)
}


def random_rotation(rng):
    q = rng.normal(size=4)
    w, x, y, z = q / np.linalg.norm(q)
    return np.array([[1 - 2 * (y * y + z * z), 2 * (x * y - z * w), 2 * (x * z + y * w)],
                     [2 * (x * y + z * w), 1 - 2 * (x * x + z * z), 2 * (y * z - x * w)],
                     [2 * (x * z - y * w), 2 * (y * z + x * w), 1 - 2 * (x * x + y * y)]])


def place(species, edge, seed, min_dist=2.2, radius=None, tries=200000):
    """Molecules at random: species is a list of (model, kind, count). Centres uniform in
    the box (or within `radius` of the origin, without periodic images), random
    orientations, no two sites of different molecules closer than min_dist (minimum image
    in a periodic box). Returns a list of (kind, sites)."""
    rng = np.random.default_rng(seed)
    edge = np.asarray(edge, float)
    placed, all_sites = [], np.zeros((0, 3))
    for model, kind, count in species:
        body = GEOMETRY[model] - GEOMETRY[model].mean(axis=0)
        for _ in range(count):
            for _ in range(tries):
                if radius is None:
                    centre = (rng.random(3) - 0.5) * edge
                else:
                    centre = rng.uniform(-radius, radius, 3)
                    if np.linalg.norm(centre) > radius:
                        continue
                sites = body @ random_rotation(rng).T + centre
                d = sites[:, None, :] - all_sites[None, :, :]
                if radius is None:
                    d -= edge * np.round(d / edge)
                if len(all_sites) == 0 or np.min(np.sum(d * d, axis=2)) >= min_dist ** 2:
                    break
            else:
                raise RuntimeError("no room for another molecule")
            placed.append((kind, sites))
            all_sites = np.vstack([all_sites, sites])
    return placed


def write_box(path, solvents, edge, mols, rcut, dielrf=0.0, smooth=1, slab=0, icutas=None):
    lines = ["solvent " + " ".join(solvents), "edge %.17g %.17g %.17g" % tuple(edge),
             "rcut %.17g" % rcut, "dielrf %.17g" % dielrf, "smooth %d" % smooth,
             "slab %d" % slab]
    if icutas:
        lines.append("icutas " + " ".join(str(s) for s in icutas))
    for kind, sites in mols:
        lines.append("mol %d " % kind + " ".join("%.17g" % v for v in sites.ravel()))
    with open(path, "w") as f:
        f.write("\n".join(lines) + "\n")


class Params:
    """The program's parameters and energies as the solvent tool writes them."""

    def __init__(self, text):
        self.sites, self.icutas, self.pairs, self.energy = {1: {}, 2: {}}, {}, {}, {}
        self.water = None
        for line in text.splitlines():
            f = line.split()
            if f[0] == "setting":
                self.rcut, self.krf, self.feather = float(f[2]), float(f[4]), float(f[6])
            elif f[0] == "site":
                self.sites[int(f[1])][int(f[2])] = tuple(float(v) for v in f[3:6])
            elif f[0] == "icutas":
                self.icutas[int(f[1])] = [int(v) for v in f[2:]]
            elif f[0] == "water":
                self.water = (float(f[1]), float(f[2]), int(f[3]), [float(v) for v in f[4:13]])
            elif f[0] == "pair":
                self.pairs[(int(f[1]), int(f[2]))] = float(f[3])
            elif f[0] == "energy":
                self.energy[f[1]] = float(f[2])


def _imaged(d, edge, slab):
    """|d| less one edge where it exceeds the half edge (not along z in a slab)."""
    a = np.abs(d)
    far = a > edge / 2
    if slab:
        far[..., 2] = False
    return np.where(far, a - edge, a)


def _coulomb(qq, r2, krf):
    r = np.sqrt(r2)
    return qq * (1.0 / r + krf * r2)


def _feather(e, r2, p):
    rc2 = p.rcut ** 2
    f = np.where(r2 >= p.feather, (rc2 - r2) / (rc2 - (p.rcut - 0.5) ** 2), 1.0)
    return np.where(r2 <= rc2, e * f, 0.0)


def _water_block(p, xa, xb, edge, slab):
    aoo, coo, first, qq = p.water
    d1 = xa[:, None, 0, :] - xb[None, :, 0, :]
    far = np.abs(d1) > edge / 2
    if slab:
        far[..., 2] = False
    shift = np.where(far, np.sign(d1) * edge, 0.0)
    r2 = np.sum(_imaged(d1, edge, slab) ** 2, axis=2)
    with np.errstate(divide="ignore", invalid="ignore"):
        e = aoo / r2 ** 6 - coo / r2 ** 3
        k = 0
        for i in range(first - 1, first + 2):
            for j in range(first - 1, first + 2):
                d = xa[:, None, i, :] - (xb[None, :, j, :] + shift)
                e = e + _coulomb(qq[k], np.sum(d * d, axis=2), p.krf)
                k += 1
        return _feather(e, r2, p)


def _general_block(p, a, b, xa, xb, edge, slab):
    r2 = np.full((len(xa), len(xb)), np.inf)
    for ka in p.icutas[a]:
        for kb in p.icutas[b]:
            d = xa[:, None, ka - 1, :] - xb[None, :, kb - 1, :]
            r2 = np.minimum(r2, np.sum(_imaged(d, edge, slab) ** 2, axis=2))
    e = np.zeros_like(r2)
    with np.errstate(divide="ignore", invalid="ignore"):
        for i, (qi, ai, ci) in p.sites[a].items():
            for j, (qj, aj, cj) in p.sites[b].items():
                d = xa[:, None, i - 1, :] - xb[None, :, j - 1, :]
                rr = np.sum(_imaged(d, edge, slab) ** 2, axis=2)
                if ai * aj != 0.0:
                    e = e + ai * aj / rr ** 6 - ci * cj / rr ** 3
                if qi * qj != 0.0:
                    e = e + _coulomb(qi * qj, rr, p.krf)
        return _feather(e, r2, p)


def pair_energies(p, solvents, mols, edge, slab=0):
    """The symmetric matrix of pair energies (diagonal 0)."""
    edge = np.asarray(edge, float)
    n = len(mols)
    kinds = np.array([k for k, _ in mols])
    energies = np.zeros((n, n))
    for a in (1, 2):
        for b in (1, 2):
            ia, ib = np.nonzero(kinds == a)[0], np.nonzero(kinds == b)[0]
            if len(ia) == 0 or len(ib) == 0:
                continue
            xa = np.array([mols[i][1] for i in ia])
            xb = np.array([mols[i][1] for i in ib])
            if solvents[a - 1] in WATER and solvents[b - 1] in WATER:
                block = _water_block(p, xa, xb, edge, slab)
            else:
                block = _general_block(p, a, b, xa, xb, edge, slab)
            energies[np.ix_(ia, ib)] = block
    np.fill_diagonal(energies, 0.0)
    return energies


def long_range(p, solvents, counts, edge):
    """The long-range Lennard-Jones correction of one non-aqueous solvent."""
    if solvents[0] in WATER + ("TIP5P",):
        return 0.0
    sa = sum(a for _, a, _ in p.sites[1].values())
    sc = sum(c for _, _, c in p.sites[1].values())
    rc = p.rcut
    return (2 * math.pi * counts[0] ** 2 / (3 * np.prod(edge))
            * (sa * sa / (3 * rc ** 9) - sc * sc / rc ** 3))


def main():
    box, out = sys.argv[1], sys.argv[2]
    header = dict(line.split(None, 1) for line in open(box) if not line.startswith("mol"))
    solvents = header["solvent"].split()
    edge = [float(v) for v in header["edge"].split()]
    mols = []
    for line in open(box):
        if line.startswith("mol"):
            f = line.split()
            mols.append((int(f[1]), np.array([float(v) for v in f[2:]]).reshape(-1, 3)))
    p = Params(open(out).read())
    e = pair_energies(p, solvents, mols, edge, int(header.get("slab", "0")))
    print("total %.10f program %.10f" % (np.sum(np.triu(e, 1)), p.energy["ess"]))


if __name__ == "__main__":
    main()
