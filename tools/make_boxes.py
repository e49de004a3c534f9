#!/usr/bin/python3
"""Makes the stored solvent boxes of data/boxes/ with VEKA itself.

For each box: a lattice of rigid molecules at the target density (random orientations,
seeded), written into a start file at the box's line offset; then VEKA at constant
pressure (NPT, 25 C, 1 atm): run mode 1 for the first block, run mode 0 block after block,
until the block means of density and energy per molecule are stationary. The final
configuration of the in-file (its solvent record is already in the stored-box layout:
site by site, x of every molecule, then y, then z) is wrapped into the box by each
molecule's first site and written into the box file at the box's offset; the other
boxes of the file are kept. The run is recorded in a table beside the file.

Stationarity: blocks of a fixed number of configurations; after at least MIN_BLOCKS
blocks, the means of the last WINDOW blocks and of the WINDOW blocks before them must
agree, for density and for energy per molecule, within twice the standard error of
their difference (from the spread of the block means) or within the tolerance
(DENSITY_TOL g/cm3, ENERGY_TOL kcal/mol), whichever is larger. The last WINDOW blocks
are the production whose means and batch errors the table records.

Usage: make_boxes.py [--veka build/veka] [--only water:512[,water:216]] [--work DIR]
"""

import argparse
import math
import os
import random
import re
import shutil
import subprocess
import sys
import time

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.dirname(HERE)
BOXES = os.path.join(ROOT, "data", "boxes")
FORCEFIELD = os.path.join(ROOT, "data", "forcefield")

AVOGADRO = 0.602214076  # molecules per (g/mol) per A^3 per g/cm3
WATER_MASS = 18.0153
WATER_SIZES = (216, 250, 267, 324, 400, 512, 750)
WATER_OFFSETS = (0, 433, 934, 1469, 2118, 2919, 3944)

MIN_BLOCKS, WINDOW, MAX_BLOCKS = 8, 4, 60
DENSITY_TOL, ENERGY_TOL = 0.004, 0.02
TEMPERATURE, PRESSURE, RCUT = 25.0, 1.0, 8.5


def block_configurations(n):
    """Configurations per block: about 2300 moves per molecule (the 512 box, the one of
    the validation runs, about 3900)."""
    return 2_000_000 if n == 512 else 500_000 * max(1, round(n / 216))


def vdel(n):
    """Volume step (A^3): about twice the volume's standard deviation at 25 C."""
    return 300.0 * math.sqrt(n / 216.0)


def box_seed(n):
    return 1000 + n


def tip4p_sites():
    """O, H, H, M: O-H 0.9572 A, H-O-H 104.52 degrees, M 0.15 A along the bisector."""
    h = math.radians(104.52) / 2
    s, c = 0.9572 * math.sin(h), 0.9572 * math.cos(h)
    return [(0.0, 0.0, 0.0), (s, c, 0.0), (-s, c, 0.0), (0.0, 0.15, 0.0)]


def rotation(rng):
    """A uniform random rotation matrix (from a random unit quaternion)."""
    q = [rng.gauss(0, 1) for _ in range(4)]
    norm = math.sqrt(sum(v * v for v in q))
    w, x, y, z = (v / norm for v in q)
    return [[1 - 2 * (y * y + z * z), 2 * (x * y - w * z), 2 * (x * z + w * y)],
            [2 * (x * y + w * z), 1 - 2 * (x * x + z * z), 2 * (y * z - w * x)],
            [2 * (x * z - w * y), 2 * (y * z + w * x), 1 - 2 * (x * x + y * y)]]


def lattice(n, density, seed):
    """n waters on a simple cubic lattice filling a cube at the density (g/cm3): the
    smallest k^3 >= n lattice points, n of them chosen at random, each molecule turned at
    random. Returns (half edge, sites[site][molecule] = (x, y, z))."""
    edge = (n * WATER_MASS / (AVOGADRO * density)) ** (1 / 3)
    half, k = edge / 2, math.ceil(n ** (1 / 3) - 1e-9)
    rng = random.Random(seed)
    points = sorted(rng.sample(range(k ** 3), n))
    geom, a = tip4p_sites(), edge / k
    sites = [[None] * n for _ in geom]
    for m, p in enumerate(points):
        centre = [-half + (g + 0.5) * a for g in (p % k, (p // k) % k, p // (k * k))]
        r = rotation(rng)
        for s, g in enumerate(geom):
            sites[s][m] = tuple(centre[i] + sum(r[i][j] * g[j] for j in range(3))
                                for i in range(3))
    return half, sites


def box_text(halves, sites):
    """One stored box: the header I4,3F12.8, then the coordinates in 6F13.8, site by
    site, x of every molecule, then y, then z."""
    n = len(sites[0])
    values = [mol[ax] for site in sites for ax in range(3) for mol in site]
    out = ["%4d%12.8f%12.8f%12.8f" % (n, *halves)]
    for i in range(0, len(values), 6):
        out.append("".join("%13.8f" % v for v in values[i:i + 6]))
    return "\n".join(out) + "\n"


def start_box(n):
    half, sites = lattice(n, 0.997, box_seed(n))
    return box_text([half] * 3, sites)


def box_lines(n, sites=4):
    return 1 + n * sites * 3 // 6


def write_water_file(path, boxes):
    """The water file from {size: box text}; each box at its offset (checked)."""
    text, line = "", 0
    for n, offset in zip(WATER_SIZES, WATER_OFFSETS):
        if line != offset:
            sys.exit(f"box {n} would start at line {line}, not {offset}")
        body = boxes[n]
        if body.count("\n") != box_lines(n):
            sys.exit(f"box {n} has {body.count(chr(10))} lines, not {box_lines(n)}")
        text, line = text + body, line + box_lines(n)
    with open(path + ".new", "w") as f:
        f.write(text)
    os.replace(path + ".new", path)


def read_water_file(path):
    """{size: box text} of an existing water file; a missing file gives {}."""
    if not os.path.exists(path):
        return {}
    lines = open(path).read().splitlines(keepends=True)
    return {n: "".join(lines[o:o + box_lines(n)]) for n, o in zip(WATER_SIZES, WATER_OFFSETS)
            if len(lines) >= o + box_lines(n)}


def command_section(n):
    """The 71-line command section of a solvent-only NPT block of n TIP4P waters."""
    records = {1: "TIP4P    0.0000", 4: "BOXES          ", 9: "%4d%4d  0.00" % (n, n),
               11: "  1  1  1  1", 21: "  -10.0000    5.0000", 22: "  -40.0000    0.0000",
               25: "%6d%6d    15     0" % (250, 999999), 26: "999999     1     0     0",
               27: "%10.4f    0.0000" % vdel(n), 28: "    0.1500   15.0000    0.0000",
               32: "%10.4f%10.4f  100.0000   0" % (RCUT, RCUT),
               33: "%10.4f%10.4f    0.0000    1.0000" % (TEMPERATURE, PRESSURE),
               35: "NONE    1     0.0000     0.0000"}
    template = open(os.path.join(ROOT, "data", "examples", "methanol", "command.txt"))
    lines = template.read().splitlines()
    lines[0] = f"TIP4P box of {n} molecules, NPT {TEMPERATURE} C {PRESSURE} atm"
    for rec, text in records.items():
        lines[2 * rec] = text
    return "\n".join(lines) + "\n"


NO_SOLUTE = "No solute\n   1 DUM   -1   -1\n" + "                    heading\n" * 10


class Job:
    """The files of one box's runs in a work folder."""

    def __init__(self, veka, folder, n):
        self.veka, self.dir, self.n = veka, folder, n
        os.makedirs(folder, exist_ok=True)
        ff = open(os.path.join(FORCEFIELD, "opls-aa.par")).read()
        self.write("par.txt", command_section(n) + ff)
        self.write("zmat.txt", NO_SOLUTE)
        for f in ("org1.txt", "org2.txt"):
            self.write(f, "")

    def write(self, name, text):
        with open(os.path.join(self.dir, name), "w") as f:
            f.write(text)

    def run(self, code, mxcon):
        files = {"-ot": "out.txt", "-in": "in.txt", "-up": "up.txt", "-sv": "/dev/null",
                 "-av": "ave.txt", "-zm": "zmat.txt", "-pa": "par.txt", "-wa": "water.txt",
                 "-o1": "org1.txt", "-o2": "org2.txt", "-pl": "/dev/null", "-su": "sum.txt",
                 "-ba": os.path.join(FORCEFIELD, "opls-aa-bonded.par"), "-sz": "/dev/null"}
        args = [self.veka, code, str(mxcon), "0.0", "0.0", "0.0"]
        for k, v in files.items():
            args += [k, v]
        r = subprocess.run(args, cwd=self.dir, capture_output=True, text=True)
        if r.returncode != 0:
            sys.exit(f"veka {code} failed ({r.returncode}) in {self.dir}:\n{r.stdout}{r.stderr}")
        return open(os.path.join(self.dir, "out.txt")).read()


def block_rows(listing):
    """(block, total energy, volume) of every block row of the last thermodynamic table."""
    table = listing[listing.rfind(" Thermodynamic Results"):]
    table = table[:table.find(" Averages")]
    rows = []
    for line in table.splitlines():
        f = line.split()
        if len(f) == 9 and re.fullmatch(r"\d+", f[0]):
            rows.append((int(f[0]), float(f[1]), float(f[3])))
    return rows


def mean_error(values):
    """Mean and its standard error from the spread of the values."""
    m = sum(values) / len(values)
    var = sum((v - m) ** 2 for v in values) / max(1, len(values) - 1)
    return m, math.sqrt(var / len(values))


def stationary(series, tol):
    """The last WINDOW values against the WINDOW before them (see the module text)."""
    (a, ea), (b, eb) = mean_error(series[-2 * WINDOW:-WINDOW]), mean_error(series[-WINDOW:])
    return abs(a - b) <= max(2 * math.hypot(ea, eb), tol)


def equilibrate(job, n, log):
    """Blocks until density and energy per molecule are stationary; returns the run's
    figures."""
    mxcon, start = block_configurations(n), time.time()
    job.run("100", mxcon)
    while True:
        rows = block_rows(job.run("000", mxcon))
        density = [n * WATER_MASS / (AVOGADRO * v) for _, _, v in rows]
        energy = [e / n for _, e, _ in rows]
        log(f"  block {len(rows):3d}: density {density[-1]:.4f} g/cm3, "
            f"E/molecule {energy[-1]:.4f} kcal/mol, {time.time() - start:.0f} s")
        done = len(rows) >= MIN_BLOCKS and stationary(density, DENSITY_TOL) and \
            stationary(energy, ENERGY_TOL)
        if done or len(rows) >= MAX_BLOCKS:
            break
    return {"blocks": len(rows), "configurations": len(rows) * mxcon, "block": mxcon,
            "density": mean_error(density[-WINDOW:]), "energy": mean_error(energy[-WINDOW:]),
            "seconds": time.time() - start, "stationary": done}


def final_box(job, n):
    """The configuration of the in-file as a stored box, every molecule moved by whole
    edges so that its first site lies inside the box."""
    lines = open(os.path.join(job.dir, "in.txt")).read().splitlines()
    if int(lines[0][:5]) != n:
        sys.exit(f"in-file of {job.dir} holds {lines[0][:5]} molecules, not {n}")
    halves = [float(lines[1][18 + 13 * i:31 + 13 * i]) for i in range(3)]
    # The solvent record: the last 2 n lines of F13.8 numbers before the integer records.
    fixed = [i for i, l in enumerate(lines) if re.fullmatch(r"( *-?\d+\.\d{8}){1,6}", l)]
    end = fixed[-1] + 1
    values = [float(l[i:i + 13]) for l in lines[end - 2 * n:end] for i in range(0, 78, 13)]
    sites = [[[values[(3 * s + ax) * n + m] for ax in range(3)] for m in range(n)]
             for s in range(4)]
    for m in range(n):
        for ax in range(3):
            shift = 2 * halves[ax] * math.floor((sites[0][m][ax] + halves[ax]) /
                                                (2 * halves[ax]))
            for s in range(4):
                sites[s][m][ax] -= shift
    return box_text(halves, sites)


TABLE_HEAD = (
    "| box | molecules | T (C) | P (atm) | RCUT (A) | VDEL (A^3) | lattice seed | "
    "start seed | configurations per block | blocks | configurations | density (g/cm3) | "
    "E/molecule (kcal/mol) | stationary | seconds |\n"
    "|---|---|---|---|---|---|---|---|---|---|---|---|---|---|---|\n")


def table_row(n, run):
    (rho, erho), (e, ee) = run["density"], run["energy"]
    return (f"| water:{n} | {n} | {TEMPERATURE:.1f} | {PRESSURE:.1f} | {RCUT:.1f} | "
            f"{vdel(n):.1f} | {box_seed(n)} | 786123 | {run['block']} | {run['blocks']} | "
            f"{run['configurations']:.3g} | {rho:.4f} +- {erho:.4f} | {e:.4f} +- {ee:.4f} | "
            f"{'yes' if run['stationary'] else 'NO'} | {run['seconds']:.0f} |\n")


def update_table(path, rows):
    """Replaces the rows of the boxes in `rows` ({name: row}) in the table file, keeping
    the others, in the order of the sizes."""
    old = {}
    if os.path.exists(path):
        for line in open(path):
            m = re.match(r"\| (water:\d+) \|", line)
            if m:
                old[m.group(1)] = line
    old.update(rows)
    body = "".join(old[k] for k in (f"water:{n}" for n in WATER_SIZES) if k in old)
    with open(path, "w") as f:
        f.write(TABLE_HEAD + body)


def parse_only(text):
    if not text:
        return list(WATER_SIZES)
    sizes = []
    for item in text.split(","):
        solvent, _, size = item.partition(":")
        if solvent != "water" or not size.isdigit() or int(size) not in WATER_SIZES:
            sys.exit(f"unknown box {item!r}: water:{{{','.join(map(str, WATER_SIZES))}}}")
        sizes.append(int(size))
    return sizes


def main():
    ap = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    ap.add_argument("--veka", default=os.path.join(ROOT, "build", "veka"))
    ap.add_argument("--only", help="boxes to make, e.g. water:512 or water:216,water:250")
    ap.add_argument("--work", default="/tmp/veka-boxes", help="folder for the runs")
    ap.add_argument("--out", default=BOXES, help="folder of the box files and table")
    args = ap.parse_args()
    veka = os.path.abspath(args.veka)
    os.makedirs(args.out, exist_ok=True)
    water = os.path.join(args.out, "water.box")
    for n in parse_only(args.only):
        print(f"water:{n}: {block_configurations(n)} configurations per block", flush=True)
        folder = os.path.join(args.work, f"water-{n}")
        shutil.rmtree(folder, ignore_errors=True)
        job = Job(veka, folder, n)
        starts = {m: start_box(m) for m in WATER_SIZES}
        write_water_file(os.path.join(folder, "water.txt"), starts)
        run = equilibrate(job, n, lambda t: print(t, flush=True))
        boxes = read_water_file(water)
        boxes = {m: boxes.get(m, starts[m]) for m in WATER_SIZES}
        boxes[n] = final_box(job, n)
        write_water_file(water, boxes)
        update_table(os.path.join(args.out, "water.md"), {f"water:{n}": table_row(n, run)})
        print(table_row(n, run), end="", flush=True)


if __name__ == "__main__":
    main()
