"""Solvent-solvent pair energies of molecule clusters against LAMMPS.

Three clusters, each of two solvents (the program's limit): TIP4P water with methanol,
TIP3P water with acetonitrile, methanol with acetonitrile. The molecules lie within 7 A
of the centre of a 200 A box with a cutoff of 60 A, so no periodic image and no
feathering enters. The test tool solvent_tool gives the program's pair energy of every
molecule pair and the parameters it used (site charges, Lennard-Jones A and C, the water
constants). The same model goes to LAMMPS: units real, lj/cut/coul/cut with an explicit
pair coefficient for every pair of site types (epsilon = C^2 / 4A, sigma = (A/C)^(1/6) of
the products A_iA_j, C_iC_j; between water oxygens from A_OO, C_OO), charges q = Q /
sqrt(332.06) with the Coulomb constant brought to 332.06 through the dielectric constant.
compute group/group gives LAMMPS's energy of every molecule pair; each is compared with
the program's to 1e-6 kcal/mol.

Arguments: <veka binary> <source dir> <build dir of the tests>. Exit 77 when LAMMPS or
numpy is not installed."""

import os
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "support"))
import refcheck as rc  # noqa: E402

rc.need("numpy", "numpy")  # the box placement
lammps = rc.need("lammps", "LAMMPS Python module").lammps

SQ332 = 18.222513547806734
TOLERANCE = 1.0e-6
EDGE, RCUT = 200.0, 60.0
CLUSTERS = [(["TIP4P", "CH3OH"], 6, 5), (["TIP3P", "CH3CN"], 6, 5), (["CH3OH", "CH3CN"], 5, 5)]
WATER = ("TIP3P", "TIP4P")


def lj_coeff(a, c):
    """epsilon, sigma of the pair term a / r^12 - c / r^6."""
    if a == 0.0:
        return 0.0, 1.0
    return c * c / (4.0 * a), (a / c) ** (1.0 / 6.0)


def write_data(path, p, solvents, mols):
    types = [(sv, j) for sv in (1, 2) for j in sorted(p.sites[sv])]
    tid = {t: k + 1 for k, t in enumerate(types)}
    atoms = []
    for m, (kind, sites) in enumerate(mols):
        for j in sorted(p.sites[kind]):
            x, y, z = sites[j - 1]
            atoms.append("%d %d %d %.15f %.15f %.15f %.15f"
                         % (len(atoms) + 1, m + 1, tid[(kind, j)], p.sites[kind][j][0] / SQ332,
                            x, y, z))
    lines = ["solvent clusters", "", "%d atoms" % len(atoms), "%d atom types" % len(types), "",
             "%f %f xlo xhi" % (-EDGE / 2, EDGE / 2), "%f %f ylo yhi" % (-EDGE / 2, EDGE / 2),
             "%f %f zlo zhi" % (-EDGE / 2, EDGE / 2), "", "Masses", ""]
    lines += ["%d 12.0" % (k + 1) for k in range(len(types))]
    lines += ["", "Atoms # full", ""] + atoms
    with open(path, "w") as f:
        f.write("\n".join(lines) + "\n")
    coeffs = []
    for t1 in types:
        for t2 in types:
            if tid[t1] > tid[t2]:
                continue
            (sv1, j1), (sv2, j2) = t1, t2
            if solvents[sv1 - 1] in WATER and solvents[sv2 - 1] in WATER:
                a, c = (p.water[0], p.water[1]) if j1 == j2 == 1 else (0.0, 0.0)
            else:
                a = p.sites[sv1][j1][1] * p.sites[sv2][j2][1]
                c = p.sites[sv1][j1][2] * p.sites[sv2][j2][2]
            coeffs.append("pair_coeff %d %d %.15g %.15g" % ((tid[t1], tid[t2]) + lj_coeff(a, c)))
    return coeffs


def lammps_pairs(data, coeffs, nmol):
    lmp = lammps(cmdargs=["-log", "none", "-screen", "none", "-nocite"])
    for c in ["units real", "atom_style full", "boundary f f f", "atom_modify map array",
              "pair_style lj/cut/coul/cut %.1f" % RCUT, "read_data " + data] + coeffs + [
              "dielectric %.15f" % (rc.COULOMB_LAMMPS / rc.COULOMB),
              "neighbor 2.0 bin", "neigh_modify exclude molecule/intra all"]:
        lmp.command(c)
    for m in range(1, nmol + 1):
        lmp.command("group m%d molecule %d" % (m, m))
    for i in range(1, nmol + 1):
        for j in range(i + 1, nmol + 1):
            lmp.command("compute g%d_%d m%d group/group m%d" % (i, j, i, j))
    lmp.command("run 0 post no")
    out = {(i, j): lmp.extract_compute("g%d_%d" % (i, j), 0, 0)
           for i in range(1, nmol + 1) for j in range(i + 1, nmol + 1)}
    lmp.close()
    return out


def check(c, k, cluster, build, se, tmp):
    solvents, n1, n2 = cluster
    name = "+".join(solvents)
    mols = se.place([(solvents[0], 1, n1), (solvents[1], 2, n2)], [EDGE] * 3, seed=40 + k,
                    min_dist=2.6, radius=7.0)
    box = os.path.join(tmp, "cluster%d.txt" % k)
    se.write_box(box, solvents, [EDGE] * 3, mols, RCUT, icutas=[1, 2])
    p = se.Params(rc.tool(build, "solvent_tool", box))
    data = os.path.join(tmp, "cluster%d.data" % k)
    ref = lammps_pairs(data, write_data(data, p, solvents, mols), len(mols))
    for (i, j), e in ref.items():
        c.check(e != 0.0, "%s pair %d-%d: no LAMMPS energy" % (name, i, j))
        c.close(p.pairs.get((i, j), 0.0), e, TOLERANCE, "%s pair %d-%d (program, LAMMPS)"
                % (name, i, j))
    c.close(p.energy["ess"], sum(ref.values()), 1e-5, "%s total (program, LAMMPS)" % name)
    print("%-12s %2d molecules, %3d pairs, E %.6f" % (name, len(mols), len(ref),
                                                     sum(ref.values())))


def main():
    _, src, build = rc.args()
    sys.path.insert(0, os.path.join(src, "tools"))
    import solvent_energy as se

    c = rc.Checks("lammps_solvent")
    with rc.workdir() as tmp:
        for k, cluster in enumerate(CLUSTERS):
            check(c, k, cluster, build, se, tmp)
    return c.finish()


if __name__ == "__main__":
    sys.exit(main())
