#!/usr/bin/python3
"""Liquid validation runs of veka: water models in the NPT ensemble from a lattice start.

For each model the script builds a job in a scratch folder (a stored-box file holding an
8 x 8 x 8 lattice of 512 waters at 1 g/cm3 as the 512-molecule box, a command section, the
project's force field), runs a new system (job code 100) and further blocks (000) for the
equilibration, then a block with the counters zeroed (010) and continuation blocks (000)
for the production. The per-block averages of the block history give the mean density
and energy per molecule with batch-mean errors (one batch per production block).

    tools/validate_liquids.py BUILD/src/veka [--models TIP4P,TIP3P] [--equil 5]
        [--prod 10] [--block 1000000] [--work DIR]

Prints one table row per model (Markdown) and the moves per second of every block (CPU
time of the whole process: set-up, block, results and files).
"""
import argparse
import math
import os
import re
import resource
import subprocess
import sys
import time

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
AVOGADRO = 6.02214076e23
RT = 0.0019872 * 298.15  # kcal/mol at 25 C
WATER = [(0, 0, 0), (0.7570, 0.5859, 0), (-0.7570, 0.5859, 0), (0, 0.15, 0)]  # O H H M
# OPLS methanol, sites O, H, CH3: O-H 0.945 A, C-O 1.430 A, C-O-H 108.5 degrees.
METHANOL = [(0, 0, 0), (0.945, 0, 0), (-0.45357, 1.35612, 0)]
# Model: molar mass, molecules, stored-box file option, lines before the box, start
# density, site geometry, volume-move interval and range.
MODELS = {
    "TIP4P": (18.01528, 512, "-wa", 2919, 1.00, WATER, 1000, 350.0),
    "TIP3P": (18.01528, 512, "-wa", 2919, 1.00, WATER, 1000, 350.0),
    "CH3OH": (32.04186, 128, "-o1", 0, 0.75, METHANOL, 500, 400.0),
}


def lattice(nmol, edge):
    """Centres of a simple-cubic lattice filling the box, the molecules beyond the cube
    number placed at the body centres of cells along the diagonal."""
    side = int(round(nmol ** (1 / 3)))
    side -= side ** 3 > nmol
    a, half = edge / side, edge / 2
    cells = [(m % side, (m // side) % side, m // side ** 2) for m in range(side ** 3)]
    centres = [[-half + (g + 0.5) * a for g in c] for c in cells]
    for k in range(nmol - side ** 3):
        centres.append([-half + ((k * d) % (side - 1) + 1) * a for d in (1, 2, 3)])
    return centres


def stored_box(model, edge):
    """The box in the stored layout: for each site the x of every molecule, then y, then
    z; six numbers a line; after the lines the file holds before this box."""
    mass, nmol, _, skip, _, sites = MODELS[model][:6]
    half = edge / 2
    centres = lattice(nmol, edge)
    out = ["%4d%12.8f%12.8f%12.8f" % (nmol, half, half, half)]
    nums = [c[ax] + p[ax] for p in sites for ax in range(3) for c in centres]
    for i in range(0, len(nums), 6):
        out.append("".join("%13.8f" % v for v in nums[i:i + 6]))
    return "\n".join(["(filler line before the box)"] * skip + out) + "\n"


def command_section(model, rcut):
    nmol, nvchg, vdel = MODELS[model][1], MODELS[model][6], MODELS[model][7]
    records = {1: "%-5s    0.0000" % model, 4: "BOXES          ",
               9: "%4d%4d  0.00" % (nmol, nmol), 11: "  1  1  1  1",
               21: "  -30.0000    1.0000", 22: "  -40.0000    0.0000",
               25: "%6d  9999    15     0" % nvchg, 26: "999999     1     0     0",
               27: "%10.4f    0.0000" % vdel, 28: "    0.1500   15.0000    0.0000",
               32: "%10.4f%10.4f  100.0000   0" % (rcut, rcut),
               33: "   25.0000    1.0000    0.0000    1.0000"}
    with open(os.path.join(ROOT, "tests/support/data/command_section.txt")) as f:
        lines = f.read().splitlines()[:71]
    lines[0] = "Liquid validation: %s %d NPT 25 C 1 atm" % (model, nmol)
    for n, text in records.items():
        lines[2 * n] = text
    return "\n".join(lines) + "\n"


NO_SOLUTE = "No solute\n   1 DUM   -1   -1\n" + "                    heading\n" * 10
FILES = {"-ot": "out.txt", "-in": "in.txt", "-up": "up.txt", "-sv": "/dev/null",
         "-av": "/dev/null", "-zm": "zmat.txt", "-pa": "par.txt", "-wa": "water.txt",
         "-o1": "org.txt", "-o2": "org.txt", "-pl": "/dev/null", "-su": "sum.txt",
         "-ba": "bang.txt", "-sz": "szmat.txt"}


def set_up(folder, model, rcut):
    mass, nmol, option, _, rho0 = MODELS[model][:5]
    os.makedirs(folder, exist_ok=True)
    edge = (nmol * mass / AVOGADRO / rho0 / 1.0e-24) ** (1 / 3)
    box = stored_box(model, edge)
    ff = open(os.path.join(ROOT, "data/forcefield/opls-aa.par")).read()
    bang = open(os.path.join(ROOT, "data/forcefield/opls-aa-bonded.par")).read()
    for name, text in (("water.txt", box if option == "-wa" else ""),
                       ("org.txt", box if option == "-o1" else ""),
                       ("zmat.txt", NO_SOLUTE), ("bang.txt", bang),
                       ("par.txt", command_section(model, rcut) + ff)):
        with open(os.path.join(folder, name), "w") as f:
            f.write(text)


def run_block(veka, folder, code, mxcon, rc=("0.0", "0.0", "0.0")):
    """Runs one block at coupling values rc (RC0, RC1, RC2); returns its wall-clock and CPU
    seconds."""
    args = [veka, code, str(mxcon), *rc]
    for k, v in FILES.items():
        args += [k, v]
    t0, c0 = time.monotonic(), resource.getrusage(resource.RUSAGE_CHILDREN)
    r = subprocess.run(args, cwd=folder, stdout=subprocess.DEVNULL, stderr=subprocess.PIPE)
    t1, c1 = time.monotonic(), resource.getrusage(resource.RUSAGE_CHILDREN)
    if r.returncode != 0:
        sys.exit("veka %s failed (%d) in %s: %s" % (code, r.returncode, folder, r.stderr))
    return t1 - t0, (c1.ru_utime + c1.ru_stime) - (c0.ru_utime + c0.ru_stime)


def block_row(folder):
    """Total energy and volume of the last block, from the listing's block table."""
    text = open(os.path.join(folder, "out.txt")).read()
    table = text[text.rfind(" Thermodynamic Results"):]
    table = table.split(" Averages")[0]
    rows = [l.split() for l in table.splitlines() if re.match(r"^\s+\d+\s+-?\d", l)]
    return float(rows[-1][1]), float(rows[-1][3])


def batch(values, size=1):
    """Mean and its batch-mean error, with batches of `size` consecutive blocks."""
    values = [sum(values[i:i + size]) / size for i in range(0, len(values) - size + 1, size)]
    n = len(values)
    mean = sum(values) / n
    var = sum((v - mean) ** 2 for v in values) / (n - 1) if n > 1 else 0.0
    return mean, math.sqrt(var / n)


def density(model, volume):
    return MODELS[model][1] * MODELS[model][0] / AVOGADRO / (volume * 1.0e-24)


def validate(args, model):
    folder = os.path.join(args.work, model.lower())
    set_up(folder, model, args.rcut)
    nmol = MODELS[model][1]
    codes = ["100"] + ["000"] * (args.equil - 1) + ["010"] + ["000"] * (args.prod - 1)
    e, rho, seconds = [], [], 0.0
    for k, code in enumerate(codes):
        dt = run_block(args.veka, folder, code, args.block)[1]
        etot, vol = block_row(folder)
        tag = "equil" if k < args.equil else "prod"
        print("%s block %2d (%s, %s): %8.0f moves/s  E/N %9.4f  rho %.4f" %
              (model, k + 1, code, tag, args.block / dt, etot / nmol, density(model, vol)),
              flush=True)
        if k >= args.equil:
            e.append(etot / nmol)
            rho.append(density(model, vol))
            seconds += dt
    (em, ee), (rm, re_) = batch(e), batch(rho)
    ee2, re2 = batch(e, 2)[1], batch(rho, 2)[1]
    return ("| %s | %.1f | %d x %.0e | %d x %.0e | %.4f ± %.4f (%.4f) | %.3f ± %.3f (%.3f) |"
            " %.2f | %.0f |" % (model, args.rcut, args.equil, args.block, args.prod, args.block,
                                rm, re_, re2, em, ee, ee2, RT - em, args.prod * args.block / seconds))


def main():
    p = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    p.add_argument("veka")
    p.add_argument("--models", default="TIP4P,TIP3P")
    p.add_argument("--equil", type=int, default=5)
    p.add_argument("--prod", type=int, default=10)
    p.add_argument("--block", type=int, default=1000000)
    p.add_argument("--rcut", type=float, default=8.5)
    p.add_argument("--work", default="validate-liquids")
    args = p.parse_args()
    args.veka = os.path.abspath(args.veka)
    rows = [validate(args, m) for m in args.models.split(",")]
    print("Errors: batch means of one block (in parentheses: of two blocks).")
    print("| model | RCUT | equilibration | production | density (g/cm3) | E/N (kcal/mol) |"
          " ΔHvap = -E/N + RT | moves/s |")
    print("|---|---|---|---|---|---|---|---|")
    print("\n".join(rows))


if __name__ == "__main__":
    main()
