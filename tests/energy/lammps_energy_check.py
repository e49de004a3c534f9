"""Solute energies term by term against LAMMPS.

Every solute file of tests/energy/data goes through the program's own set-up (solute
reader, OPLS-AA parameters of the project force field, covalent neighbours, pair list,
energies) by the helper energy_tool, which also writes the geometry and the parameters it
used. The same model is written as a LAMMPS data file: units real, harmonic bonds and
angles, dihedral style opls for every torsion term (proper and improper), lj/cut/coul/cut
with geometric mixing and cut-offs far beyond the molecules, special_bonds 0 0 0.5 (from
the program's 1-4 scale factors) on a bond topology equal to the program's covalent
neighbours, and the Coulomb constant brought to 332.06 through the dielectric constant.
The program's pair list must be exactly the topological one (every pair of a molecule that
is not 1-2 or 1-3, 1-4 flags as the topology says).

LAMMPS runs three times per molecule: all pairs; intramolecular pairs only; and
intramolecular pairs without the 1-4 pairs. Their differences give the 1-4, the other
intrasolute and the intersolute Coulomb and Lennard-Jones energies, compared with the
program's to 1e-4 kcal/mol each, as are the bond, angle and torsion energies.

The example job's molecule (data/examples/methanol) is checked the same way, and the sum
of the LAMMPS terms must also be the total energy of the example's expected summary file
(expected.sum, "Tot. E =" with four decimals) to 1e-4 kcal/mol.

Arguments: <veka binary> <source dir> <build dir of the tests>. Exit 77 when LAMMPS is
not installed."""

import itertools
import os
import subprocess
import sys
import tempfile

try:
    from lammps import lammps
except ImportError:
    print("LAMMPS Python module not available")
    sys.exit(77)

COULOMB_REAL = 332.06371  # LAMMPS qqr2e in units real
COULOMB = 332.06
TOLERANCE = 1.0e-4
MOLECULES = ["butane_anti", "butane_gauche", "pentane_tg", "ethanol", "dimethyl_ether", "nma",
             "phenol", "methanol_water"]
TERMS = ["bond", "angle", "torsion", "coul14", "lj14", "coul", "lj", "intercoul", "interlj"]


class Model:
    def __init__(self, text):
        self.atoms, self.bonds, self.angles, self.torsions = [], [], [], []
        self.neighbours, self.pairs, self.energy, self.setting = [], {}, {}, {}
        for line in text.splitlines():
            f = line.split()
            key, v = f[0], f[1:]
            if key == "atom":
                self.atoms.append({"z": int(v[1]), "mol": int(v[2]), "q": float(v[3]),
                                   "sigma": float(v[4]), "eps": float(v[5]),
                                   "xyz": [float(t) for t in v[6:9]]})
            elif key == "bond":
                self.bonds.append((int(v[0]), int(v[1]), float(v[2]), float(v[3])))
            elif key == "angle":
                self.angles.append((int(v[0]), int(v[1]), int(v[2]), float(v[3]), float(v[4])))
            elif key == "torsion":
                self.torsions.append(tuple(int(t) for t in v[:4]) + tuple(float(t) for t in v[4:]))
            elif key == "neighbour":
                self.neighbours.append((int(v[0]), int(v[1])))
            elif key == "pair":
                self.pairs[(int(v[0]), int(v[1]))] = int(v[2])
            elif key == "setting":
                self.setting = {"dielec": float(v[1]), "c14": float(v[3]), "l14": float(v[4]),
                                "constv4": int(v[6])}
            elif key == "energy":
                self.energy[v[0]] = float(v[1])


def topology_pairs(m):
    """Pairs of each molecule that are not 1-2 or 1-3, with their 1-4 flag."""
    n = len(m.atoms)
    adj = {i: set() for i in range(1, n + 1)}
    for i, j in m.neighbours:
        adj[i].add(j)
        adj[j].add(i)
    out = {}
    for i, j in itertools.combinations(range(1, n + 1), 2):
        if m.atoms[i - 1]["mol"] != m.atoms[j - 1]["mol"]:
            continue
        near = adj[i] | set().union(*(adj[k] for k in adj[i]))
        if j in near:
            continue
        four = any(j in adj[b] for a in adj[i] for b in adj[a])
        out[(i, j)] = 1 if four else 0
    return out


def model_problems(m):
    problems = []
    bonded = {tuple(sorted(b[:2])) for b in m.bonds}
    covalent = set(m.neighbours)
    if not bonded <= covalent:
        problems.append("bond-list entries that are not covalent neighbours: %s"
                        % sorted(bonded - covalent))
    if m.pairs != topology_pairs(m):
        problems.append("the pair list differs from the topological one")
    if any(abs(f) > 0 for t in m.torsions for f in t[8:11]) or m.setting["constv4"]:
        problems.append("phases or a constant fourth term: not representable as dihedral opls")
    return problems


def write_data(m, path):
    n = len(m.atoms)
    kb = {tuple(sorted(b[:2])): (b[2], b[3]) for b in m.bonds}
    bonds = [(i, j) + kb.get((i, j), (0.0, 1.0)) for i, j in m.neighbours]
    lines = ["solute for the energy check", "",
             "%d atoms" % n, "%d bonds" % len(bonds), "%d angles" % len(m.angles),
             "%d dihedrals" % len(m.torsions), "",
             "%d atom types" % n, "%d bond types" % max(len(bonds), 1),
             "%d angle types" % max(len(m.angles), 1),
             "%d dihedral types" % max(len(m.torsions), 1),
             "", "-60 60 xlo xhi", "-60 60 ylo yhi", "-60 60 zlo zhi", "", "Masses", ""]
    lines += ["%d 12.0" % (k + 1) for k in range(n)]
    lines += ["", "Pair Coeffs", ""]
    for k, a in enumerate(m.atoms):
        eps, sig = (a["eps"], a["sigma"]) if a["eps"] > 0 and a["sigma"] > 0 else (0.0, 1.0)
        lines.append("%d %.12f %.12f" % (k + 1, eps, sig))
    if bonds:
        lines += ["", "Bond Coeffs", ""]
        lines += ["%d %.12f %.12f" % (k + 1, b[2], b[3]) for k, b in enumerate(bonds)]
    if m.angles:
        lines += ["", "Angle Coeffs", ""]
        lines += ["%d %.12f %.12f" % (k + 1, a[3], a[4]) for k, a in enumerate(m.angles)]
    if m.torsions:
        lines += ["", "Dihedral Coeffs", ""]
        lines += ["%d %.12f %.12f %.12f %.12f" % ((k + 1,) + t[4:8])
                  for k, t in enumerate(m.torsions)]
    lines += ["", "Atoms # full", ""]
    for k, a in enumerate(m.atoms):
        x, y, z = a["xyz"]
        lines.append("%d %d %d %.12f %.15f %.15f %.15f" % (k + 1, a["mol"], k + 1, a["q"], x, y, z))
    if bonds:
        lines += ["", "Bonds", ""]
        lines += ["%d %d %d %d" % (k + 1, k + 1, b[0], b[1]) for k, b in enumerate(bonds)]
    if m.angles:
        lines += ["", "Angles", ""]
        lines += ["%d %d %d %d %d" % ((k + 1, k + 1) + a[:3]) for k, a in enumerate(m.angles)]
    if m.torsions:
        lines += ["", "Dihedrals", ""]
        lines += ["%d %d %d %d %d %d" % ((k + 1, k + 1) + t[:4]) for k, t in enumerate(m.torsions)]
    with open(path, "w") as f:
        f.write("\n".join(lines) + "\n")


def lammps_energies(m, data, with14, intra_only):
    lmp = lammps(cmdargs=["-log", "none", "-screen", "none", "-nocite"])
    c14, l14 = (m.setting["c14"], m.setting["l14"]) if with14 else (0.0, 0.0)
    commands = ["units real", "atom_style full", "boundary f f f", "atom_modify map array",
                "bond_style harmonic", "angle_style harmonic", "dihedral_style opls",
                "pair_style lj/cut/coul/cut 50.0", "pair_modify mix geometric",
                "read_data " + data,
                "special_bonds lj 0.0 0.0 %.15g coul 0.0 0.0 %.15g" % (l14, c14),
                "dielectric %.15f" % (COULOMB_REAL / COULOMB * m.setting["dielec"]),
                "neighbor 10.0 bin", "neigh_modify every 1 delay 0 check no"]
    if intra_only:
        commands.append("neigh_modify exclude molecule/inter all")
    for c in commands:
        lmp.command(c)
    names = ("ebond", "eangle", "edihed", "ecoul", "evdwl")
    for name in names:
        lmp.command("variable v_%s equal %s" % (name, name))
    lmp.command("run 0 post no")
    out = {name: lmp.extract_variable("v_" + name, None, 0) for name in names}
    lmp.close()
    return out


def reference(m, data):
    full = lammps_energies(m, data, True, False)
    intra = lammps_energies(m, data, True, True)
    plain = lammps_energies(m, data, False, True)
    return {"bond": full["ebond"], "angle": full["eangle"], "torsion": full["edihed"],
            "coul14": intra["ecoul"] - plain["ecoul"], "lj14": intra["evdwl"] - plain["evdwl"],
            "coul": plain["ecoul"], "lj": plain["evdwl"],
            "intercoul": full["ecoul"] - intra["ecoul"],
            "interlj": full["evdwl"] - intra["evdwl"]}


def expected_total(path):
    """The energy after "Tot. E =" in the first record of a summary file."""
    with open(path) as f:
        return float(f.readline().split("Tot. E =")[1])


def check(name, src, tool, tmp, solute=None, total=None):
    solute = solute or os.path.join(src, "tests", "energy", "data", name + ".z")
    run = subprocess.run([tool, solute], capture_output=True, text=True)
    if run.returncode != 0:
        print("%-16s FAIL: energy_tool: %s" % (name, run.stderr.strip()))
        return False
    m = Model(run.stdout)
    problems = model_problems(m)
    data = os.path.join(tmp, name + ".data")
    write_data(m, data)
    ref = reference(m, data)
    worst = 0.0
    for term in TERMS:
        diff = abs(m.energy[term] - ref[term])
        worst = max(worst, diff)
        if diff > TOLERANCE:
            problems.append("%s: program %.6f, LAMMPS %.6f" % (term, m.energy[term], ref[term]))
    if total is not None and abs(sum(ref[t] for t in TERMS) - total) > TOLERANCE:
        problems.append("expected total %.4f, LAMMPS %.6f" % (total, sum(ref[t] for t in TERMS)))
    print("%-16s %2d atoms %4d pairs  " % (name, len(m.atoms), len(m.pairs)) +
          " ".join("%s %.5f" % (t, m.energy[t]) for t in TERMS) + "  worst diff %.1e" % worst)
    for p in problems:
        print("   FAIL:", p)
    return not problems


def main():
    src, tests = sys.argv[2], sys.argv[3]
    tool = os.path.join(tests, "energy_tool")
    ok = True
    with tempfile.TemporaryDirectory() as tmp:
        for name in MOLECULES:
            ok &= check(name, src, tool, tmp)
        example = os.path.join(src, "data", "examples", "methanol")
        ok &= check("methanol", src, tool, tmp, os.path.join(example, "methanol.z"),
                    expected_total(os.path.join(example, "expected.sum")))
    sys.exit(0 if ok else 1)


if __name__ == "__main__":
    main()
