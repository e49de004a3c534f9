"""makmol against an independent Z-matrix converter: Open Babel reads random Z-matrices as
Gaussian-style input and writes Cartesian coordinates (GAMESS input, ten decimals); the
program builds the same Z-matrices (tests/tools/zmatrix_tool). After superposition every
molecule must agree to an RMSD of 1e-4 A. The set includes angles within a few degrees of
0 and 180 degrees.

Arguments: <veka binary> <source dir> <build dir>. Exit 77 when Open Babel is missing."""

import os
import random
import sys

import numpy as np

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "support"))
import refcheck as rc  # noqa: E402

MOLECULES = 240


def random_zmatrix(g):
    """Rows (j, r, k, theta, l, phi) of atoms 1..n, partners mostly earlier atoms near."""
    rows = [(0, 0.0, 0, 0.0, 0, 0.0)]
    for i in range(2, g.randint(4, 40) + 1):
        partners = g.sample(range(1, i), min(i - 1, 3)) + [0, 0]
        p = g.random()
        theta = g.uniform(0.5, 3.0) if p < 0.1 else g.uniform(177.0, 179.5) if p < 0.2 else \
            g.uniform(15.0, 165.0)
        rows.append((partners[0], g.uniform(0.8, 2.5), partners[1] if i > 2 else 0, theta,
                     partners[2] if i > 3 else 0, g.uniform(-180.0, 180.0)))
    return [(j, float("%.10f" % r), k, float("%.10f" % t), l, float("%.10f" % f))
            for j, r, k, t, l, f in rows]


def gzmat(rows, title):
    lines, values = ["#", "", title, "", "0 1", "C"], []
    for i, (j, r, k, t, l, f) in enumerate(rows[1:], 2):
        names = [n for n in ("r%d" % i, "a%d" % i, "d%d" % i)][:min(i - 1, 3)]
        refs = [j, k, l][:len(names)]
        lines.append("C " + " ".join("%d %s" % (a, n) for a, n in zip(refs, names)))
        values += ["%s= %.10f" % (n, v) for n, v in zip(names, (r, t, f))]
    return "\n".join(lines + [""] + values + ["", ""])


def gamess_molecules(text):
    mols, skip = [], -1
    for line in text.splitlines():
        if "$DATA" in line:
            mols.append([])
            skip = 2  # title and symmetry records
        elif "$END" in line:
            skip = -1
        elif skip > 0:
            skip -= 1
        elif skip == 0 and len(line.split()) == 5:
            mols[-1].append([float(v) for v in line.split()[2:]])
    return [np.array(m) for m in mols]


def main():
    obabel = rc.need_program("obabel")
    _, _, build = rc.args()
    g = random.Random(20240615)
    zms = [random_zmatrix(g) for _ in range(MOLECULES)]
    with rc.workdir() as tmp:
        files = []
        for m, rows in enumerate(zms):
            files.append(os.path.join(tmp, "%d.gzmat" % (1000 + m)))
            with open(files[-1], "w") as f:
                f.write(gzmat(rows, "random %d" % m))
        theirs = gamess_molecules(rc.run([obabel, "-igzmat"] + files + ["-ogamin"]))
    tool_input = "".join("".join("%d %.10f %d %.10f %d %.10f\n" % row for row in rows) + "end\n"
                         for rows in zms)
    ours = [np.array([[float(v) for v in line.split()] for line in block.strip().splitlines()])
            for block in rc.run([os.path.join(build, "zmatrix_tool")],
                                input=tool_input).split("end\n")[:-1]]
    c = rc.Checks("obabel_zmatrix")
    c.check(len(theirs) == MOLECULES == len(ours), "%d molecules read back" % len(theirs))
    for m, (rows, a, b) in enumerate(zip(zms, ours, theirs)):
        if c.check(a.shape == b.shape, "molecule %d: %d atoms, Open Babel %d" % (m, len(a), len(b))):
            rmsd = float(np.sqrt((rc.superposed(b, a) ** 2).mean()))
            c.check(rmsd < 1e-4, "molecule %d (%d atoms): RMSD %.2e" % (m, len(a), rmsd))
    near_linear = sum(1 for rows in zms for row in rows[2:] if row[3] < 3.0 or row[3] > 177.0)
    c.check(near_linear > 100, "only %d angles near 0 or 180 degrees" % near_linear)
    return c.finish()


if __name__ == "__main__":
    sys.exit(main())
