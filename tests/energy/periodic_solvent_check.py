"""Solvent-solvent energies of periodic boxes against the evaluator in tools/.

Boxes of TIP3P, TIP4P and acetonitrile (and one of water with methanol as a second
solvent, and a slab) are filled with rigid molecules at random; the program's energy of
each box (through the test tool solvent_tool) is compared with tools/solvent_energy.py,
which computes it from the formulas with numpy: at two cutoffs with feathering and with
the reaction field, the total to 1e-6 kcal/mol and every pair to 1e-9 kcal/mol, and the
long-range correction of the organic solvent.

Arguments: <veka binary> <source dir> <build dir of the tests>. Exit 77 without numpy."""

import os
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "support"))
import refcheck as rc  # noqa: E402

np = rc.need("numpy", "numpy")

# (solvents, species (model, kind, count), edge, rcut, dielrf, slab, icutas)
CASES = [
    (["TIP3P"], [("TIP3P", 1, 260)], 22.0, 8.5, 0.0, 0, None),
    (["TIP3P"], [("TIP3P", 1, 260)], 22.0, 10.5, 0.0, 0, None),
    (["TIP4P"], [("TIP4P", 1, 260)], 22.0, 8.5, 0.0, 0, None),
    (["TIP4P"], [("TIP4P", 1, 260)], 22.0, 10.5, 0.0, 0, None),
    (["TIP4P"], [("TIP4P", 1, 260)], 22.0, 9.0, 78.5, 0, None),
    (["CH3CN"], [("CH3CN", 1, 110)], 24.0, 10.0, 0.0, 0, [1, 3]),
    (["CH3CN"], [("CH3CN", 1, 110)], 24.0, 11.5, 0.0, 0, [2]),
    (["CH3CN"], [("CH3CN", 1, 110)], 24.0, 10.0, 37.5, 0, [1, 3]),
    (["TIP4P", "CH3OH"], [("TIP4P", 1, 180), ("CH3OH", 2, 40)], 22.0, 8.5, 0.0, 0, None),
    (["TIP3P"], [("TIP3P", 1, 200)], 22.0, 8.5, 0.0, 1, None),
]


def check(c, case, k, build, se, tmp):
    solvents, species, edge, rcut, dielrf, slab, icutas = case
    edges = [edge, edge, edge]
    mols = se.place(species, edges, seed=100 + k, min_dist=2.2 if "TIP" in solvents[0] else 2.8)
    path = os.path.join(tmp, "box%d.txt" % k)
    se.write_box(path, solvents, edges, mols, rcut, dielrf, 1, slab, icutas)
    p = se.Params(rc.tool(build, "solvent_tool", path))
    e = np.triu(se.pair_energies(p, solvents, mols, edges, slab), 1)
    program = np.zeros_like(e)
    for (i, j), v in p.pairs.items():
        program[i - 1, j - 1] = v
    name = "case %d (%s, RCUT %.2f, DIELRF %.1f, slab %d)" % (k, "+".join(solvents), rcut,
                                                              dielrf, slab)
    c.close(p.energy["ess"], float(np.sum(e)), 1e-6, name + ": total (program, evaluator)")
    c.close(float(np.max(np.abs(e - program))), 0.0, 1e-9, name + ": largest pair difference")
    c.check(np.count_nonzero(e) >= len(mols), name + ": too few interacting pairs")
    if len(solvents) == 1:
        c.close(p.energy["ecut"], se.long_range(p, solvents, [len(mols)], edges), 1e-9,
                name + ": ECUT (program, evaluator)")
    print("%s: E %.6f (%d pairs) ECUT %.6f" % (name, float(np.sum(e)), np.count_nonzero(e),
                                               p.energy["ecut"]))


def main():
    _, src, build = rc.args()
    sys.path.insert(0, os.path.join(src, "tools"))
    import solvent_energy as se

    c = rc.Checks("periodic_solvent")
    with rc.workdir() as tmp:
        for k, case in enumerate(CASES):
            check(c, case, k, build, se, tmp)
    return c.finish()


if __name__ == "__main__":
    sys.exit(main())
