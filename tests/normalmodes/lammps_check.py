"""Harmonic frequencies of fully flexible molecules at their minimum against an independent
analysis: the Hessian by central differences of LAMMPS forces (units real, harmonic bonds
and angles, each Fourier torsion term as a charmm dihedral, lj/cut/coul/cut with geometric
mixing and 1-4 scaling 0.5), mass-weighted and diagonalised with numpy.

The molecule is minimised by LAMMPS and polished by Newton steps on the difference
Hessian; the same geometry and parameters are written as a molecule description and
analysed by the program through the driver test. Every vibrational mode must agree to
0.1 cm-1, and the first six (five for a linear molecule) must be near zero in both.

Arguments: <veka binary> <source dir> <build dir>. Exit 77 when LAMMPS is not installed."""

import ctypes
import math
import os
import sys

import numpy as np

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import nmcheck  # noqa: E402
from nmcheck import (butane, carbon_dioxide, ethane, methanol, peroxide, water,  # noqa: E402
                     water_dimer)

try:
    from lammps import lammps
except ImportError:
    print("LAMMPS Python module not available")
    sys.exit(77)

COULOMB_REAL = 332.06371  # LAMMPS qqr2e in units real
COULOMB = 332.06


# ----------------------------------------------------------------- LAMMPS
def charmm_terms(t):
    """Fourier torsion -> charmm terms K [1 + cos(n phi - d)] (constant offsets dropped)."""
    v1, v2, v3, v4, f1, f2, f3 = t[4:]
    out = []
    for v, n, d in ((v1, 1, -f1), (v2, 2, -(f2 + 180.0)), (v3, 3, -f3), (v4, 4, 180.0)):
        if v == 0.0:
            continue
        k = v / 2.0
        if k < 0:
            k, d = -k, d + 180.0
        out.append((k, n, int(round(d)) % 360))
    return out


def write_data(m, path):
    n = len(m.atoms)
    dih = []
    for t in m.torsions:
        for term in charmm_terms(t):
            dih.append((t[:4], term))
    lines = ["molecule for the normal-mode check", "",
             "%d atoms" % n, "%d bonds" % len(m.bonds), "%d angles" % len(m.angles),
             "%d dihedrals" % len(dih), "",
             "%d atom types" % n, "%d bond types" % len(m.bonds),
             "%d angle types" % len(m.angles), "%d dihedral types" % len(dih),
             "", "-60 60 xlo xhi", "-60 60 ylo yhi", "-60 60 zlo zhi", "", "Masses", ""]
    masses = m.masses()
    lines += ["%d %.10f" % (k + 1, masses[k]) for k in range(n)]
    lines += ["", "Pair Coeffs", ""]
    for k, a in enumerate(m.atoms):
        lines.append("%d %.10f %.10f" % (k + 1, a["eps"], a["sigma"] if a["sigma"] > 0 else 1.0))
    if m.bonds:
        lines += ["", "Bond Coeffs", ""]
        lines += ["%d %.10f %.10f" % (k + 1, b[2], b[3]) for k, b in enumerate(m.bonds)]
    if m.angles:
        lines += ["", "Angle Coeffs", ""]
        lines += ["%d %.10f %.10f" % (k + 1, a[3], a[4]) for k, a in enumerate(m.angles)]
    if dih:
        lines += ["", "Dihedral Coeffs", ""]
        lines += ["%d %.10f %d %d 0.0" % ((k + 1,) + d[1]) for k, d in enumerate(dih)]
    lines += ["", "Atoms # full", ""]
    for k, a in enumerate(m.atoms):
        x, y, z = a["xyz"]
        lines.append("%d %d %d %.10f %.15f %.15f %.15f" % (k + 1, a["mol"], k + 1, a["q"], x, y, z))
    if m.bonds:
        lines += ["", "Bonds", ""]
        lines += ["%d %d %d %d" % (k + 1, k + 1, b[0], b[1]) for k, b in enumerate(m.bonds)]
    if m.angles:
        lines += ["", "Angles", ""]
        lines += ["%d %d %d %d %d" % ((k + 1, k + 1) + a[:3]) for k, a in enumerate(m.angles)]
    if dih:
        lines += ["", "Dihedrals", ""]
        lines += ["%d %d %d %d %d %d" % ((k + 1, k + 1) + d[0]) for k, d in enumerate(dih)]
    with open(path, "w") as f:
        f.write("\n".join(lines) + "\n")


class Lammps:
    def __init__(self, m, tmp):
        data = os.path.join(tmp, m.name.replace(" ", "_") + ".data")
        write_data(m, data)
        self.n = len(m.atoms)
        self.lmp = lammps(cmdargs=["-log", "none", "-screen", "none", "-nocite"])
        for c in ["units real", "atom_style full", "boundary f f f", "atom_modify map array",
                  "bond_style harmonic", "angle_style harmonic", "dihedral_style charmm",
                  "pair_style lj/cut/coul/cut 50.0", "pair_modify mix geometric",
                  "read_data " + data, "special_bonds lj/coul 0.0 0.0 0.5",
                  "dielectric %.15f" % (COULOMB_REAL / COULOMB * m.dielectric),
                  "neighbor 10.0 bin", "neigh_modify every 1 delay 0 check no",
                  "thermo_style custom step pe fmax"]:
            self.lmp.command(c)

    def set_x(self, x):
        arr = (ctypes.c_double * (3 * self.n))(*np.asarray(x, float).ravel())
        self.lmp.scatter_atoms("x", 1, 3, arr)

    def x(self):
        return np.array(self.lmp.gather_atoms("x", 1, 3)[:3 * self.n])

    def forces(self, x):
        self.set_x(x)
        self.lmp.command("run 0 post no")
        return np.array(self.lmp.gather_atoms("f", 1, 3)[:3 * self.n])

    def minimise(self):
        self.lmp.command("min_style cg")
        self.lmp.command("minimize 0.0 1.0e-12 100000 1000000")
        return self.x()

    def hessian(self, x, h):
        """Central differences of the forces with Richardson extrapolation (steps h and h/2)
        so that the error is of order h^4."""
        return (4 * self._hessian(x, h / 2) - self._hessian(x, h)) / 3

    def _hessian(self, x, h):
        m = 3 * self.n
        hess = np.zeros((m, m))
        for a in range(m):
            xp, xm = x.copy(), x.copy()
            xp[a] += h
            xm[a] -= h
            hess[a] = -(self.forces(xp) - self.forces(xm)) / (2 * h)
        return 0.5 * (hess + hess.T)


def frequencies(hess, masses):
    w = 1.0 / np.sqrt(np.repeat(masses, 3))
    lam = np.linalg.eigvalsh(hess * np.outer(w, w))
    return np.sign(lam) * 108.587 * np.sqrt(np.abs(lam))


def polish(lmp, x, masses, h):
    """Newton steps on the difference Hessian (its rigid-body null space excluded)."""
    for _ in range(6):
        f = lmp.forces(x)
        if np.max(np.abs(f)) < 1e-9:
            break
        x = x + np.linalg.pinv(lmp.hessian(x, h), rcond=1e-8, hermitian=True) @ f
    return x


def check(m, build_dir, tmp, linear=False, step=1e-4):
    lmp = Lammps(m, tmp)
    x = polish(lmp, lmp.minimise(), m.masses(), step)
    fmax = np.max(np.abs(lmp.forces(x)))
    m.set_xyz(x)
    ref = frequencies(lmp.hessian(x, step), m.masses())
    listing = nmcheck.analyse(build_dir, m.nmd())
    got = [f for _, f in sorted(nmcheck.modes(listing))]
    n0 = 5 if linear else 6
    problems = []
    if nmcheck.n0(listing) != n0:
        problems.append("n0 = %d, expected %d" % (nmcheck.n0(listing), n0))
    if len(got) != len(ref):
        problems.append("%d modes reported, %d expected" % (len(got), len(ref)))
    zero = max(abs(f) for f in got[:n0])
    zero_ref = max(abs(f) for f in ref[:n0])
    if max(zero, zero_ref) > 1.0:
        problems.append("translation/rotation modes up to %.3f / %.3f cm-1" % (zero, zero_ref))
    worst = max(abs(a - b) for a, b in zip(got[n0:], ref[n0:]))
    if worst > 0.1:
        problems.append("largest difference %.4f cm-1" % worst)
    print("%-18s |F| %.1e  modes %2d  zero modes below %.4f (LAMMPS %.4f)  worst diff %.1e cm-1"
          "  %s" % (m.name, fmax, len(got) - n0, zero, zero_ref, worst,
             " ".join("%.2f" % f for f in got[n0:n0 + 4])))
    for p in problems:
        print("   FAIL:", p)
    return not problems


def main():
    build_dir = sys.argv[3]
    import tempfile
    ok = True
    with tempfile.TemporaryDirectory() as tmp:
        for make, linear, step in ((water, False, 1e-4), (water_dimer, False, 1e-4),
                                   (ethane, False, 1e-4), (methanol, False, 1e-4),
                                   (peroxide, False, 1e-4), (butane, False, 1e-4),
                                   (carbon_dioxide, True, 5e-3)):
            ok &= check(make(), build_dir, tmp, linear, step)
    sys.exit(0 if ok else 1)


if __name__ == "__main__":
    main()
