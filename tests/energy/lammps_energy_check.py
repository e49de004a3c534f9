"""Solute energies term by term against LAMMPS.

Every solute file of tests/energy/data goes through the program's own set-up (solute
reader, OPLS-AA parameters of the project force field, covalent neighbours, pair list,
energies) by the helper energy_tool, which also writes the geometry and the parameters it
used. The same model is written as a LAMMPS data file: harmonic bonds and angles, dihedral
style opls for every torsion term (proper and improper), lj/cut/coul/cut with geometric
mixing and cut-offs far beyond the molecules, special_bonds 0 0 0.5 (from the program's 1-4
scale factors) on a bond topology equal to the program's covalent neighbours, and the
Coulomb constant brought to 332.06 through the dielectric constant. The program's pair list
must be exactly the topological one (every pair of a molecule that is not 1-2 or 1-3, 1-4
flags as the topology says).

LAMMPS runs three times per molecule: all pairs; intramolecular pairs only; and
intramolecular pairs without the 1-4 pairs. Their differences give the 1-4, the other
intrasolute and the intersolute Coulomb and Lennard-Jones energies, compared with the
program's to 1e-4 kcal/mol each, as are the bond, angle and torsion energies.

The example job's molecule (data/examples/methanol) is checked the same way, and the sum
of the LAMMPS terms must also be the total energy of the example's expected summary file
(expected.sum, "Tot. E =" with four decimals) to 1e-4 kcal/mol.

Arguments: <veka binary> <source dir> <build dir of the tests>. Exit 77 when LAMMPS is
not installed."""

import os
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "support"))
import refcheck as rc  # noqa: E402

rc.need("lammps", "LAMMPS Python module")

TOLERANCE = 1.0e-4
MOLECULES = ["butane_anti", "butane_gauche", "pentane_tg", "ethanol", "dimethyl_ether", "nma",
             "phenol", "methanol_water"]
TERMS = ["bond", "angle", "torsion", "coul14", "lj14", "coul", "lj", "intercoul", "interlj"]


def model_problems(m):
    problems = []
    bonded = {tuple(sorted(b[:2])) for b in m.bonds}
    if not bonded <= set(m.neighbours):
        problems.append("bond-list entries that are not covalent neighbours: %s"
                        % sorted(bonded - set(m.neighbours)))
    if m.pairs != rc.topology_pairs([a["mol"] for a in m.atoms], m.neighbours):
        problems.append("the pair list differs from the topological one")
    if any(abs(f) > 0 for t in m.torsions for f in t[8:11]) or m.setting["constv4"]:
        problems.append("phases or a constant fourth term: not representable as dihedral opls")
    return problems


def write_data(m, path):
    """The model with the covalent neighbours as LAMMPS's bonds (no force where the program
    has no bond term) and each torsion's V1..V4 as a dihedral opls."""
    kb = {tuple(sorted(b[:2])): b[2:4] for b in m.bonds}
    bonds = [(i, j) + tuple(kb.get((i, j), (0.0, 1.0))) for i, j in m.neighbours]
    rc.lammps_data(path, m.atoms, bonds, m.angles, [t[:8] for t in m.torsions],
                   [12.0] * len(m.atoms))


def engine(m, data, with14=True, extra=()):
    c14, l14 = (m.setting["c14"], m.setting["l14"]) if with14 else (0.0, 0.0)
    return rc.lammps(data, "opls", "lj 0.0 0.0 %.15g coul 0.0 0.0 %.15g" % (l14, c14),
                     m.setting["dielec"], extra)


def lammps_energies(m, data, with14, intra_only):
    extra = ["neigh_modify exclude molecule/inter all"] if intra_only else []
    lmp = engine(m, data, with14, extra)
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


def check(c, name, src, build, tmp, solute=None, total=None):
    solute = solute or os.path.join(src, "tests", "energy", "data", name + ".z")
    m = rc.Model(rc.tool(build, "energy_tool", solute))
    for p in model_problems(m):
        c.check(False, "%s: %s" % (name, p))
    data = os.path.join(tmp, name + ".data")
    write_data(m, data)
    ref = reference(m, data)
    for term in TERMS:
        c.close(m.energy[term], ref[term], TOLERANCE, "%s %s (program, LAMMPS)" % (name, term))
    if total is not None:
        c.close(sum(ref[t] for t in TERMS), total, TOLERANCE,
                "%s: LAMMPS total against the expected summary" % name)
    print("%-16s %2d atoms %4d pairs  " % (name, len(m.atoms), len(m.pairs)) +
          " ".join("%s %.5f" % (t, m.energy[t]) for t in TERMS) + "  worst diff %.1e"
          % max(abs(m.energy[t] - ref[t]) for t in TERMS))


def main():
    _, src, build = rc.args()
    c = rc.Checks("lammps_energy")
    with rc.workdir() as tmp:
        for name in MOLECULES:
            check(c, name, src, build, tmp)
        example = os.path.join(src, "data", "examples", "methanol")
        check(c, "methanol", src, build, tmp, os.path.join(example, "methanol.z"),
              expected_total(os.path.join(example, "expected.sum")))
    return c.finish()


if __name__ == "__main__":
    sys.exit(main())
