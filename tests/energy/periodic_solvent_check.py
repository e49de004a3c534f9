"""Solvent-solvent energies of periodic boxes against the evaluator in tools/.

Boxes of TIP3P, TIP4P and acetonitrile (and one of water with methanol as a second
solvent, and a slab) are filled with rigid molecules at random; the program's energy of
each box (through the test tool solvent_tool) is compared with tools/solvent_energy.py,
which computes it from the formulas with numpy: at two cutoffs with feathering and with
the reaction field, the total to 1e-6 kcal/mol and every pair to 1e-9 kcal/mol, and the
long-range correction of the organic solvent.

Arguments: <veka binary> <source dir> <build dir of the tests>. Exit 77 without numpy."""

import os
import subprocess
import sys
import tempfile

try:
    import numpy as np
except ImportError:
    print("numpy not available")
    sys.exit(77)

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


def check(case, k, tool, tools_dir, tmp):
    sys.path.insert(0, tools_dir)
    import solvent_energy as se

    solvents, species, edge, rcut, dielrf, slab, icutas = case
    edges = [edge, edge, edge]
    mols = se.place(species, edges, seed=100 + k, min_dist=2.2 if "TIP" in solvents[0] else 2.8)
    path = os.path.join(tmp, "box%d.txt" % k)
    se.write_box(path, solvents, edges, mols, rcut, dielrf, 1, slab, icutas)
    run = subprocess.run([tool, path], capture_output=True, text=True)
    if run.returncode != 0:
        print("case %d FAIL: solvent_tool: %s" % (k, run.stderr.strip()))
        return False
    p = se.Params(run.stdout)
    e = se.pair_energies(p, solvents, mols, edges, slab)
    total = float(np.sum(np.triu(e, 1)))
    program = np.zeros_like(e)
    for (i, j), v in p.pairs.items():
        program[i - 1, j - 1] = v
    worst = float(np.max(np.abs(np.triu(e, 1) - program)))
    problems = []
    if abs(total - p.energy["ess"]) > 1e-6:
        problems.append("total: program %.9f, evaluator %.9f" % (p.energy["ess"], total))
    if worst > 1e-9:
        problems.append("largest pair difference %.2e" % worst)
    interacting = int(np.count_nonzero(np.triu(e, 1)))
    if interacting < len(mols):
        problems.append("only %d interacting pairs" % interacting)
    if len(solvents) == 1:
        ecut = se.long_range(p, solvents, [len(mols)], edges)
        if abs(ecut - p.energy["ecut"]) > 1e-9:
            problems.append("ECUT: program %.9f, evaluator %.9f" % (p.energy["ecut"], ecut))
    print("%-12s %3d molecules RCUT %5.2f DIELRF %5.1f slab %d: E %.6f (%d pairs) "
          "ECUT %.6f, pair diff %.1e" % ("+".join(solvents), len(mols), rcut, dielrf, slab,
                                         total, interacting, p.energy["ecut"], worst))
    for problem in problems:
        print("   FAIL:", problem)
    return not problems


def main():
    src, tests = sys.argv[2], sys.argv[3]
    tool = os.path.join(tests, "solvent_tool")
    ok = True
    with tempfile.TemporaryDirectory() as tmp:
        for k, case in enumerate(CASES):
            ok &= check(case, k, tool, os.path.join(src, "tools"), tmp)
    sys.exit(0 if ok else 1)


if __name__ == "__main__":
    main()
