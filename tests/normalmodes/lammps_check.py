"""Harmonic frequencies of fully flexible molecules at their minimum against an independent
analysis: the Hessian by central differences of LAMMPS forces (units real, harmonic bonds
and angles, each Fourier torsion term as a charmm dihedral, lj/cut/coul/cut with geometric
mixing and 1-4 scaling 0.5), mass-weighted and diagonalised with numpy.

The molecule is minimised by LAMMPS and polished by Newton steps on the difference
Hessian; the same geometry and parameters are written as a molecule description and
analysed by the program through tests/tools/nmd_tool. Every vibrational mode must agree to
0.1 cm-1, and the first six (five for a linear molecule) must be near zero in both.

Arguments: <veka binary> <source dir> <build dir>. Exit 77 when LAMMPS is not installed."""

import ctypes
import os
import sys

import numpy as np

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import nmcheck as nm  # noqa: E402
from nmcheck import rc  # noqa: E402

rc.need("lammps", "LAMMPS Python module")


def charmm_terms(t):
    """Fourier torsion -> charmm terms K [1 + cos(n phi - d)] (constant offsets dropped)."""
    v1, v2, v3, v4, f1, f2, f3 = t[4:]
    out = []
    for v, n, d in ((v1, 1, -f1), (v2, 2, -(f2 + 180.0)), (v3, 3, -f3), (v4, 4, 180.0)):
        if v != 0.0:
            k, d = (v / 2.0, d) if v > 0 else (-v / 2.0, d + 180.0)
            out.append(tuple(t[:4]) + (k, n, int(round(d)) % 360, 0.0))
    return out


class Lammps:
    def __init__(self, m, tmp):
        data = os.path.join(tmp, m.name.replace(" ", "_") + ".data")
        rc.lammps_data(data, m.atoms, m.bonds, m.angles,
                       [d for t in m.torsions for d in charmm_terms(t)], list(m.masses()))
        self.n = len(m.atoms)
        self.lmp = rc.lammps(data, "charmm", "lj/coul 0.0 0.0 0.5", m.dielectric)

    def forces(self, x):
        self.lmp.scatter_atoms("x", 1, 3, (ctypes.c_double * (3 * self.n))(*np.ravel(x)))
        self.lmp.command("run 0 post no")
        return np.array(self.lmp.gather_atoms("f", 1, 3)[:3 * self.n])

    def minimise(self):
        self.lmp.command("min_style cg")
        self.lmp.command("minimize 0.0 1.0e-12 100000 1000000")
        return np.array(self.lmp.gather_atoms("x", 1, 3)[:3 * self.n])

    def hessian(self, x, h):
        """Central differences of the forces with Richardson extrapolation (steps h and h/2)
        so that the error is of order h^4."""
        return (4 * self._hessian(x, h / 2) - self._hessian(x, h)) / 3

    def _hessian(self, x, h):
        hess = np.zeros((3 * self.n, 3 * self.n))
        for a in range(3 * self.n):
            xp, xm = x.copy(), x.copy()
            xp[a] += h
            xm[a] -= h
            hess[a] = -(self.forces(xp) - self.forces(xm)) / (2 * h)
        return 0.5 * (hess + hess.T)


def frequencies(hess, masses):
    w = 1.0 / np.sqrt(np.repeat(masses, 3))
    lam = np.linalg.eigvalsh(hess * np.outer(w, w))
    return np.sign(lam) * 108.587 * np.sqrt(np.abs(lam))


def polish(lmp, x, h):
    """Newton steps on the difference Hessian (its rigid-body null space excluded)."""
    for _ in range(6):
        f = lmp.forces(x)
        if np.max(np.abs(f)) < 1e-9:
            break
        x = x + np.linalg.pinv(lmp.hessian(x, h), rcond=1e-8, hermitian=True) @ f
    return x


def check(c, m, build_dir, tmp, linear=False, step=1e-4):
    lmp = Lammps(m, tmp)
    x = polish(lmp, lmp.minimise(), step)
    fmax = np.max(np.abs(lmp.forces(x)))
    m.set_xyz(x)
    ref = frequencies(lmp.hessian(x, step), m.masses())
    listing = nm.analyse(build_dir, m.nmd())
    got = [f for _, f in sorted(nm.modes(listing))]
    n0 = 5 if linear else 6
    c.check(nm.n0(listing) == n0, "%s: n0 = %d, expected %d" % (m.name, nm.n0(listing), n0))
    c.check(len(got) == len(ref), "%s: %d modes, %d expected" % (m.name, len(got), len(ref)))
    zero, zero_ref = max(abs(f) for f in got[:n0]), max(abs(f) for f in ref[:n0])
    c.check(max(zero, zero_ref) <= 1.0, "%s: translation/rotation modes up to %.3f / %.3f cm-1"
            % (m.name, zero, zero_ref))
    worst = max(abs(a - b) for a, b in zip(got[n0:], ref[n0:]))
    c.check(worst <= 0.1, "%s: largest difference %.4f cm-1" % (m.name, worst))
    print("%-18s |F| %.1e  modes %2d  zero modes below %.4f (LAMMPS %.4f)  worst diff %.1e cm-1"
          "  %s" % (m.name, fmax, len(got) - n0, zero, zero_ref, worst,
                    " ".join("%.2f" % f for f in got[n0:n0 + 4])))


def main():
    build_dir = rc.args()[2]
    c = rc.Checks("lammps_frequencies")
    with rc.workdir() as tmp:
        for name in ("water", "water_dimer", "ethane", "methanol", "hydrogen_peroxide", "butane"):
            check(c, nm.molecule(name), build_dir, tmp)
        check(c, nm.molecule("carbon_dioxide"), build_dir, tmp, True, 5e-3)
    return c.finish()


if __name__ == "__main__":
    sys.exit(main())
