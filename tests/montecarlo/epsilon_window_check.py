"""The free energy of one perturbation window against the exponential average formed here.

A Lennard-Jones particle (charge 0, sigma 3.4 A) whose epsilon goes from 0.20 (RC0 = 0) to
0.30 kcal/mol (RC1 = 1; RC2 = 0.5 gives 0.25) sits in 64 TIP4P waters at constant volume,
25 C. One block writes every configuration to the save file (NSAVE 1): since each cycle
counts the configuration it leaves behind, the snapshots are exactly the configurations of
the block's sums. From their coordinates and the parameter values alone (the particle's,
and TIP4P's oxygen read from the force-field file), this script forms each state's
solute-solvent energy (minimum image on the oxygens, SCUT 6 A with the 0.5 A feathering
zone), checks it against the energies the snapshot records, and compares
-kT ln<exp(-beta dE)> (and the half-step overlap term) with the "DeltaG" and "DelSOS" lines
of the summary file, to their printed precision.

Arguments: <veka binary> <source dir> <build dir of the tests>. Exit 77 without numpy."""

import math
import os
import re
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "support"))
import refcheck  # noqa: E402

np = refcheck.need("numpy", "numpy")

SIGMA, EPS0, EPS1 = 3.4, 0.20, 0.30
SCUT, SIDE, SPACING, CONFIGS = 6.0, 4, 3.1, 1500
TK = 298.15
BETA = 1.0 / (0.00198717 * TK)

SOLUTE = ("LJ particle\n   1  AR  800  801    0    0.000000    0    0.000000    0    0.000000\n" +
          "                    closing record of a section\n" * 9 + "\n" +
          " Final Non-Bonded Parameters\n Type  Z  FF    charge     sigma   epsilon\n" +
          "800 18 AR   0.000000%10.6f%10.6f\n" % (SIGMA, EPS0) +
          "801 18 AR   0.000000%10.6f%10.6f\n" % (SIGMA, EPS1) +
          "  0  0      0.000000  0.000000  0.000000\n")


def command_section(src):
    lines = open(os.path.join(src, "tests", "support", "data", "command_section.txt")).read()
    lines = lines.split("\n")
    n = SIDE ** 3
    records = {1: "TIP4P    0.0000", 4: "BOXES          ", 9: "%4d 216  0.00" % n,
               11: "  1  1  1  1  0  0  0  0", 25: "999999     4    15     0",
               26: "     1     0     0     0", 32: "%10.4f%10.4f  100.0000   0" % (SCUT, SCUT)}
    for k, text in records.items():
        lines[2 * k] = text
    return "\n".join(lines[:71]) + "\n"


def lattice_box():
    """A SIDE^3 lattice of TIP4P waters as a stored box, the particle's site left empty."""
    half = SIDE * SPACING / 2
    site = [(0, 0, 0), (0.7570, 0.5859, 0), (-0.7570, 0.5859, 0), (0, 0.15, 0)]
    grid = [(i, j, k) for k in range(SIDE) for j in range(SIDE) for i in range(SIDE)]
    values = [-half + (g[ax] + 0.5) * SPACING + p[ax] for p in site for ax in range(3) for g in grid]
    out = ["%4d%12.8f%12.8f%12.8f" % (len(grid), half, half, half)]
    out += ["".join("%13.8f" % v for v in values[j:j + 6]) for j in range(0, len(values), 6)]
    return "\n".join(out) + "\n"


def oxygen_parameters(src):
    for line in open(os.path.join(src, "data", "forcefield", "opls-aa.par")):
        if line[:4] == " 113":  # TIP4P O
            return float(line.split()[4]), float(line.split()[5])
    raise RuntimeError("no TIP4P oxygen in the force-field file")


def fixed(line, width):
    return [float(line[i:i + width].replace("D", "E")) for i in range(0, len(line.rstrip()), width)]


def snapshots(path):
    """(half edges, [ESOLD, ESOL1, ESOL2], solute x/y/z of the reference, oxygen x/y/z) of
    every snapshot."""
    rows = open(path).read().split("\n")
    at, out = 0, []
    while at < len(rows) and rows[at].strip():
        head = [int(rows[at][i:i + 5]) for i in range(0, 30, 5)]
        nmol, natm = head[0], head[1]
        half = fixed(rows[at + 1][18:], 13)
        energies = [v for r in rows[at + 2:at + 8] for v in fixed(r, 20)]
        at += 2 + 6 + 1 + 2
        def block(count):
            nonlocal at
            values = []
            while len(values) < count:
                values += fixed(rows[at], 13)
                at += 1
            return np.array(values)
        solute = block(9 * natm)[:3 * natm].reshape(3, natm)
        solvent = block(12 * nmol).reshape(4, 3, nmol)
        at += (nmol + 79) // 80
        out.append((np.array(half), energies[2:5], solute[:, 0], solvent[0]))
    return out


def lj_energy(half, atom, oxygens, a_pair, c_pair):
    d = np.abs(atom[:, None] - oxygens)
    d = np.where(d > half[:, None], d - 2 * half[:, None], d)
    r2 = d[2] * d[2] + d[0] * d[0] + d[1] * d[1]
    inside = r2 <= SCUT * SCUT
    start = (SCUT - 0.5) ** 2
    f = np.where(r2 >= start, (SCUT * SCUT - r2) / (SCUT * SCUT - start), 1.0)
    ri6 = 1.0 / r2 ** 3
    return float(np.sum(np.where(inside, f * (a_pair * ri6 - c_pair) * ri6, 0.0)))


def summary_value(text, label, lo, hi):
    pattern = r" %s \(\s*%.3f to\s*%.3f\)  =\s*(\S+) \+/-" % (label, lo, hi)
    m = re.search(pattern, text)
    return float(m.group(1)) if m else None


def main():
    veka, src, _ = refcheck.args()
    report = refcheck.Checks("epsilon_window_check")
    sig_o, eps_o = oxygen_parameters(src)
    with refcheck.workdir() as work:
        with open(os.path.join(src, "data", "forcefield", "opls-aa.par")) as f, \
                open(os.path.join(work, "par.txt"), "w") as p:
            p.write(command_section(src) + f.read())
        for name, text in (("zmat.txt", SOLUTE), ("water.txt", lattice_box())):
            with open(os.path.join(work, name), "w") as f:
                f.write(text)
        files = {"-ot": "out.txt", "-in": "in.txt", "-up": "up.txt", "-sv": "save.txt",
                 "-zm": "zmat.txt", "-pa": "par.txt", "-wa": "water.txt", "-su": "sum.txt",
                 "-ba": os.path.join(src, "data", "forcefield", "opls-aa-bonded.par")}
        cmd = [veka, "100", str(CONFIGS), "0.0", "1.0", "0.5"]
        for opt in ("-ot", "-in", "-up", "-sv", "-av", "-zm", "-pa", "-wa", "-o1", "-o2", "-pl",
                    "-su", "-ba", "-sz"):
            cmd += [opt, files.get(opt, "/dev/null")]
        refcheck.run(cmd, cwd=work)
        snaps = snapshots(os.path.join(work, "save.txt"))
        summary = open(os.path.join(work, "sum.txt")).read()
    report.check(len(snaps) == CONFIGS, "%d snapshots for %d configurations" %
                 (len(snaps), CONFIGS))
    coef = lambda eps, sig: 2.0 * math.sqrt(eps) * np.array([sig ** 6, sig ** 3])
    water = coef(eps_o, sig_o)
    states = [coef(EPS0 + lam * (EPS1 - EPS0), SIGMA) * water for lam in (0.0, 1.0, 0.5)]
    de = np.zeros((len(snaps), 2))
    for n, (half, recorded, atom, oxygens) in enumerate(snaps):
        e = [lj_energy(half, atom, oxygens, a, c) for a, c in states]
        for k in range(3):
            report.close(e[k], recorded[k], 1e-6, "snapshot %d, state %d energy" % (n + 1, k))
        de[n] = e[1] - e[0], e[2] - e[0]
    report.check(np.ptp(de[:, 0]) > 0.1, "the perturbation energy varies over the block")
    for k, rc in ((0, 1.0), (1, 0.5)):
        dg = -math.log(np.mean(np.exp(-BETA * de[:, k]))) / BETA
        sos = -math.log(np.mean(np.exp(-BETA * de[:, k] / 2))) / BETA
        for label, mine in (("DeltaG", dg), ("DelSOS", sos)):
            printed = summary_value(summary, label, 0.0, rc)
            if report.check(printed is not None, "%s line for 0 to %g" % (label, rc)):
                report.close(printed, mine, 6e-4, "%s 0 to %g" % (label, rc))
    return report.finish()


if __name__ == "__main__":
    sys.exit(main())
