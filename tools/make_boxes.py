#!/usr/bin/python3
"""Makes the stored solvent boxes of data/boxes/ with VEKA itself.

For each box: a lattice of rigid molecules at the target density (random orientations,
seeded), written into a start file at the box's line offset; then VEKA at constant
pressure (NPT; 25 C and 1 atm, or the conditions of the solvent's published liquid runs
where it is no liquid there): run mode 1 for the first block, run mode 0 block after block,
until the block means of density and energy per molecule are stationary. The final
configuration of the in-file (its solvent record is already in the stored-box layout:
site by site, x of every molecule, then y, then z) is wrapped into the box by each
molecule's first site and written into the box file at the box's offset; the other
boxes of the file are kept. The run is recorded in a table beside the file (water.md,
org1.md, org2.md).

Stationarity: blocks of a fixed number of configurations; after at least MIN_BLOCKS
blocks, the means of the last WINDOW blocks and of the WINDOW blocks before them must
agree, for density and for energy per molecule, within twice the standard error of
their difference (from the spread of the block means) or within the tolerance
(DENSITY_TOL g/cm3, ENERGY_TOL kcal/mol), whichever is larger. The last WINDOW blocks
are the production whose means and batch errors the table records.

A production run (--production K) starts run mode 1 from a committed box and runs K
blocks in all at the box's settings, leaving the files untouched; it prints the means and
batch errors of the K block means (the figures compared with the published models).

Usage: make_boxes.py [--veka build/veka] [--only water:512,CH3OH:128] [--work DIR]
                     [--production K]
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
ORGANIC_SIZES = (128, 267, 400)

MIN_BLOCKS, WINDOW, MAX_BLOCKS = 8, 4, 60
DENSITY_TOL, ENERGY_TOL = 0.004, 0.02
START_SEED = 786123  # the program's seed of a new system


def ring(a, b, theta_o):
    """A planar five-membered ring O, C1, C2, C1', C2' (bonds O-C1 a, C1-C2 and C2-C2' b;
    angle at O theta_o degrees), symmetric about the x axis, O at the origin."""
    h = math.radians(theta_o) / 2
    c1 = (a * math.cos(h), a * math.sin(h))
    x2 = c1[0] + math.sqrt(b * b - (b / 2 - c1[1]) ** 2)
    return [(0, 0, 0), (c1[0], c1[1], 0), (x2, b / 2, 0), (c1[0], -c1[1], 0),
            (x2, -b / 2, 0)]


def bent(a, b, angle):
    """Three sites: the centre, one at a along x, one at b at the angle (degrees)."""
    t = math.radians(angle)
    return [(0, 0, 0), (a, 0, 0), (b * math.cos(t), b * math.sin(t), 0)]


def tetrahedral(centre, r, ligands):
    """A centre and up to four ligands at r along the tetrahedral directions."""
    d = r / math.sqrt(3)
    dirs = [(d, d, d), (-d, -d, d), (-d, d, -d), (d, -d, -d)]
    return [(0, 0, 0)] + dirs[:ligands] if centre else dirs[:ligands]


def pyramid(r, angle):
    """A centre and three sites at r, each pair at the angle (degrees), symmetric about z."""
    c = math.cos(math.radians(angle))
    s2 = 2 * (1 - c) / 3  # squared distance of each site from the axis, per r^2
    rho, z = math.sqrt(s2), math.sqrt(1 - s2)
    return [(0, 0, 0)] + [(r * rho * math.cos(k * 2 * math.pi / 3),
                           r * rho * math.sin(k * 2 * math.pi / 3), r * z) for k in range(3)]


def dmso():
    """S, O, CH3, CH3: S=O 1.53 A, S-C 1.80 A, O-S-C 106.75, C-S-C 97.4 degrees."""
    uz = math.cos(math.radians(106.75))
    d = math.cos(math.radians(97.4)) - uz * uz  # ux^2 - uy^2
    ux, uy = math.sqrt((1 - uz * uz + d) / 2), math.sqrt((1 - uz * uz - d) / 2)
    return [(0, 0, 0), (0, 0, 1.53), (1.80 * ux, 1.80 * uy, 1.80 * uz),
            (1.80 * ux, -1.80 * uy, 1.80 * uz)]


def tip4p_sites():
    """O, H, H, M: O-H 0.9572 A, H-O-H 104.52 degrees, M 0.15 A along the bisector."""
    h = math.radians(104.52) / 2
    s, c = 0.9572 * math.sin(h), 0.9572 * math.cos(h)
    return [(0.0, 0.0, 0.0), (s, c, 0.0), (-s, c, 0.0), (0.0, 0.15, 0.0)]


class Solvent:
    """One solvent's boxes: the file and model name, sizes and line offsets, molar mass
    (g/mol), rigid geometry (sites in the order of the model's site table, the first one
    the cutoff site), the start density (g/cm3) and the conditions of its runs."""

    def __init__(self, file, model, offsets, mass, sites, density, t=25.0, p=1.0,
                 sizes=ORGANIC_SIZES):
        self.file, self.model, self.sizes, self.offsets = file, model, sizes, offsets
        self.mass, self.sites, self.density, self.t, self.p = mass, sites, density, t, p

    def extent(self):
        """The largest distance of a site from the cutoff site (A)."""
        return max(math.dist(self.sites[0], s) for s in self.sites)


# Geometries of the published rigid models (OPLS united-atom unless said otherwise); the
# start densities are near the liquid's at the conditions of its runs.
SOLVENTS = {
    "water": Solvent("water.box", "TIP4P", (0, 433, 934, 1469, 2118, 2919, 3944), 18.0153,
                     tip4p_sites(), 0.997, sizes=(216, 250, 267, 324, 400, 512, 750)),
    # O, H, CH3: O-H 0.945 A, C-O 1.430 A, C-O-H 108.5 degrees
    "CH3OH": Solvent("org1.box", "CH3OH", (0, 193, 595), 32.042, bent(0.945, 1.430, 108.5),
                     0.76),
    # C, N, CH3, linear: C-N 1.157 A, C-CH3 1.458 A
    "CH3CN": Solvent("org1.box", "CH3CN", (1196, 1389, 1791), 41.053,
                     [(0, 0, 0), (1.157, 0, 0), (-1.458, 0, 0)], 0.78),
    # O, CH3, CH3: C-O 1.410 A, C-O-C 112 degrees; a liquid at -25 C
    "MEOME": Solvent("org1.box", "MEOME", (2392, 2581, 2983), 46.069,
                     bent(1.410, 1.410, 112.0), 0.735, t=-25.0, sizes=(125, 267, 400)),
    # CH2, CH3, CH3: C-C 1.53 A, C-C-C 112 degrees; a liquid at -42 C
    "C3H8": Solvent("org1.box", "C3H8 ", (3584, 3777, 4179), 44.097,
                    bent(1.53, 1.53, 112.0), 0.58, t=-42.0),
    # CH, Cl, Cl, Cl: C-Cl 1.758 A, Cl-C-Cl 111.3 degrees
    "CHCL3": Solvent("org1.box", "CHCL3", (4780, 5037, 5572), 119.377,
                     pyramid(1.758, 111.3), 1.48),
    # CH2, Cl, Cl: C-Cl 1.772 A, Cl-C-Cl 111.8 degrees
    "MECL2": Solvent("org1.box", "MECL2", (6373, 6566, 6968), 84.932,
                     bent(1.772, 1.772, 111.8), 1.32),
    # O, CH2(O), CH2, CH2(O), CH2: a planar ring, C-O 1.41 A, C-C 1.53 A, C-O-C 109.5
    "THF": Solvent("org2.box", "THF  ", (0, 321, 990), 72.107, ring(1.41, 1.53, 109.5),
                   0.88),
    # one Lennard-Jones site; a liquid at its normal boiling point, 87.3 K
    "ARGON": Solvent("org2.box", "ARGON", (1991, 2056, 2191), 39.948, [(0, 0, 0)], 1.39,
                     t=-185.85),
    # C, Cl x 4 (all-atom OPLS charges): C-Cl 1.769 A, tetrahedral
    "CCL4": Solvent("org2.box", "CCL4 ", (2392, 2713, 3382), 153.823,
                    tetrahedral(True, 1.769, 4), 1.58),
    # S, O, CH3, CH3 (see dmso())
    "DMSO": Solvent("org2.box", "DMSO ", (4383, 4640, 5175), 78.133, dmso(), 1.10),
}
FILES = ("water.box", "org1.box", "org2.box")


def settings(name, n):
    """(configurations per block, VDEL A^3, RCUT A, blocks at most) of a box. Water: about
    2300 moves per molecule a block (the 512 box, the one of the validation runs, 3900),
    VDEL about twice the volume's standard deviation, RCUT 8.5 A. Organic solvents: 2500
    moves per molecule a block, VDEL 5.5 sqrt(V) (33 % accepted for methanol), RCUT the
    largest multiple of 0.5 A, at most 12 A, that keeps a whole molecule pair inside half
    the box (half the edge less twice the extent and 0.3 A of volume fluctuation)."""
    if name == "water":
        block = 2_000_000 if n == 512 else 500_000 * max(1, round(n / 216))
        return block, 300.0 * math.sqrt(n / 216.0), 8.5, MAX_BLOCKS
    sv = SOLVENTS[name]
    volume = n * sv.mass / (AVOGADRO * sv.density)
    limit = volume ** (1 / 3) / 2 - 2 * sv.extent() - 0.3
    return 2500 * n, round(5.5 * math.sqrt(volume), 1), min(12.0, math.floor(2 * limit) / 2), 24


def box_seed(n):
    return 1000 + n


def rotation(rng):
    """A uniform random rotation matrix (from a random unit quaternion)."""
    q = [rng.gauss(0, 1) for _ in range(4)]
    norm = math.sqrt(sum(v * v for v in q))
    w, x, y, z = (v / norm for v in q)
    return [[1 - 2 * (y * y + z * z), 2 * (x * y - w * z), 2 * (x * z + w * y)],
            [2 * (x * y + w * z), 1 - 2 * (x * x + z * z), 2 * (y * z - w * x)],
            [2 * (x * z - w * y), 2 * (y * z + w * x), 1 - 2 * (x * x + y * y)]]


def closest(mol, placed, edge):
    """The shortest minimum-image distance between the sites of mol and those of the
    molecules placed."""
    best = math.inf
    for other in placed:
        for a in mol:
            for b in other:
                d = [u - v - edge * round((u - v) / edge) for u, v in zip(a, b)]
                best = min(best, d[0] * d[0] + d[1] * d[1] + d[2] * d[2])
    return math.sqrt(best)


def lattice(sv, n, seed):
    """n molecules on a simple cubic lattice filling a cube at the start density: the
    smallest k^3 >= n lattice points, n of them chosen at random, each molecule turned at
    random. A molecule of several heavy sites is turned again (up to 50 times) while one of
    its sites lies within 2.6 A of a site of the lattice neighbours placed before it.
    Returns (half edge, sites[site][molecule] = (x, y, z))."""
    edge = (n * sv.mass / (AVOGADRO * sv.density)) ** (1 / 3)
    half, k = edge / 2, math.ceil(n ** (1 / 3) - 1e-9)
    rng = random.Random(seed)
    points = sorted(rng.sample(range(k ** 3), n))
    geom, a = sv.sites, edge / k
    sites, placed = [[None] * len(points) for _ in geom], []
    for m, p in enumerate(points):
        centre = [-half + (g + 0.5) * a for g in (p % k, (p // k) % k, p // (k * k))]
        near = [mol for c, mol in placed if closest([c], [[centre]], edge) < 1.9 * a]
        for _ in range(50 if sv.model != "TIP4P" and len(geom) > 1 else 1):
            r = rotation(rng)
            mol = [tuple(centre[i] + sum(r[i][j] * g[j] for j in range(3)) for i in range(3))
                   for g in geom]
            if not near or closest(mol, near, edge) >= 2.6:
                break
        placed.append((centre, mol))
        for s in range(len(geom)):
            sites[s][m] = mol[s]
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


def start_box(name, n):
    half, sites = lattice(SOLVENTS[name], n, box_seed(n))
    return box_text([half] * 3, sites)


def box_lines(name, n):
    return 1 + -(-n * len(SOLVENTS[name].sites) * 3 // 6)


def layout(file):
    """[(solvent, size, offset)] of a box file, in file order."""
    return [(name, n, o) for name, sv in SOLVENTS.items() if sv.file == file
            for n, o in zip(sv.sizes, sv.offsets)]


def write_box_file(path, file, boxes):
    """A box file from {(solvent, size): box text}; each box at its offset (checked)."""
    text, line = "", 0
    for name, n, offset in layout(file):
        if line != offset:
            sys.exit(f"{name}:{n} would start at line {line}, not {offset}")
        body = boxes[name, n]
        if body.count("\n") != box_lines(name, n):
            sys.exit(f"{name}:{n} has {body.count(chr(10))} lines, not {box_lines(name, n)}")
        text, line = text + body, line + box_lines(name, n)
    with open(path + ".new", "w") as f:
        f.write(text)
    os.replace(path + ".new", path)


def read_box_file(path, file):
    """{(solvent, size): box text} of an existing box file; a missing file gives {}."""
    if not os.path.exists(path):
        return {}
    lines = open(path).read().splitlines(keepends=True)
    return {(name, n): "".join(lines[o:o + box_lines(name, n)]) for name, n, o in layout(file)
            if len(lines) >= o + box_lines(name, n)}


def command_section(name, n):
    """The 71-line command section of a solvent-only NPT block of n molecules."""
    sv, (_, vdel, rcut, _) = SOLVENTS[name], settings(name, n)
    records = {1: "%-5s    0.0000" % sv.model, 4: "BOXES          ",
               9: "%4d%4d  0.00" % (n, n), 11: "  1  1  1  1",
               21: "  -10.0000    5.0000", 22: "  -40.0000    0.0000",
               25: "%6d%6d    15     0" % (250, 999999), 26: "999999     1     0     0",
               27: "%10.4f    0.0000" % vdel, 28: "    0.1500   15.0000    0.0000",
               32: "%10.4f%10.4f  100.0000   0" % (rcut, rcut),
               33: "%10.4f%10.4f    0.0000    1.0000" % (sv.t, sv.p),
               35: "NONE    1     0.0000     0.0000"}
    template = open(os.path.join(ROOT, "data", "examples", "methanol", "command.txt"))
    lines = template.read().splitlines()
    lines[0] = f"{sv.model} box of {n} molecules, NPT {sv.t} C {sv.p} atm"
    for rec, text in records.items():
        lines[2 * rec] = text
    return "\n".join(lines) + "\n"


NO_SOLUTE = "No solute\n   1 DUM   -1   -1\n" + "                    heading\n" * 10


class Job:
    """The files of one box's runs in a work folder."""

    def __init__(self, veka, folder, name, n):
        self.veka, self.dir, self.n = veka, folder, n
        os.makedirs(folder, exist_ok=True)
        ff = open(os.path.join(FORCEFIELD, "opls-aa.par")).read()
        self.write("par.txt", command_section(name, n) + ff)
        self.write("zmat.txt", NO_SOLUTE)
        for f in WORK_FILES.values():
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


WORK_FILES = {"water.box": "water.txt", "org1.box": "org1.txt", "org2.box": "org2.txt"}


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


def block_series(listing, name, n):
    """Density (g/cm3) and energy per molecule of every block of the listing's table."""
    rows = block_rows(listing)
    return ([n * SOLVENTS[name].mass / (AVOGADRO * v) for _, _, v in rows],
            [e / n for _, e, _ in rows])


def equilibrate(job, name, n, log):
    """Blocks until density and energy per molecule are stationary; returns the run's
    figures."""
    (mxcon, _, _, max_blocks), start = settings(name, n), time.time()
    job.run("100", mxcon)
    while True:
        density, energy = block_series(job.run("000", mxcon), name, n)
        log(f"  block {len(density):3d}: density {density[-1]:.4f} g/cm3, "
            f"E/molecule {energy[-1]:.4f} kcal/mol, {time.time() - start:.0f} s")
        done = len(density) >= MIN_BLOCKS and stationary(density, DENSITY_TOL) and \
            stationary(energy, ENERGY_TOL)
        if done or len(density) >= max_blocks:
            break
    return {"blocks": len(density), "configurations": len(density) * mxcon, "block": mxcon,
            "density": mean_error(density[-WINDOW:]), "energy": mean_error(energy[-WINDOW:]),
            "seconds": time.time() - start, "stationary": done}


def final_box(job, name, n):
    """The configuration of the in-file as a stored box, every molecule moved by whole
    edges so that its first site lies inside the box."""
    lines = open(os.path.join(job.dir, "in.txt")).read().splitlines()
    if int(lines[0][:5]) != n:
        sys.exit(f"in-file of {job.dir} holds {lines[0][:5]} molecules, not {n}")
    halves = [float(lines[1][18 + 13 * i:31 + 13 * i]) for i in range(3)]
    # The solvent record: the last lines of F13.8 numbers before the integer records.
    nsite = len(SOLVENTS[name].sites)
    fixed = [i for i, l in enumerate(lines) if re.fullmatch(r"( *-?\d+\.\d{8}){1,6}", l)]
    end = fixed[-1] + 1
    values = [float(l[i:i + 13]) for l in lines[end - box_lines(name, n) + 1:end]
              for i in range(0, len(l), 13)]
    if len(values) != 3 * nsite * n:
        sys.exit(f"in-file of {job.dir}: {len(values)} solvent coordinates, not {3 * nsite * n}")
    sites = [[[values[(3 * s + ax) * n + m] for ax in range(3)] for m in range(n)]
             for s in range(nsite)]
    for m in range(n):
        for ax in range(3):
            shift = 2 * halves[ax] * math.floor((sites[0][m][ax] + halves[ax]) /
                                                (2 * halves[ax]))
            for s in range(nsite):
                sites[s][m][ax] -= shift
    return box_text(halves, sites)


TABLE_HEAD = (
    "| box | molecules | T (C) | P (atm) | RCUT (A) | VDEL (A^3) | lattice seed | "
    "start seed | configurations per block | blocks | configurations | density (g/cm3) | "
    "E/molecule (kcal/mol) | stationary | seconds |\n"
    "|---|---|---|---|---|---|---|---|---|---|---|---|---|---|---|\n")


def table_row(name, n, run):
    sv, (_, vdel, rcut, _) = SOLVENTS[name], settings(name, n)
    (rho, erho), (e, ee) = run["density"], run["energy"]
    return (f"| {name}:{n} | {n} | {sv.t:.1f} | {sv.p:.1f} | {rcut:.1f} | "
            f"{vdel:.1f} | {box_seed(n)} | {START_SEED} | {run['block']} | {run['blocks']} | "
            f"{run['configurations']:.3g} | {rho:.4f} +- {erho:.4f} | {e:.4f} +- {ee:.4f} | "
            f"{'yes' if run['stationary'] else 'NO'} | {run['seconds']:.0f} |\n")


def update_table(path, file, rows):
    """Replaces the rows of the boxes in `rows` ({name: row}) in the table file, keeping
    the others, in the order of the file."""
    old = {}
    if os.path.exists(path):
        for line in open(path):
            m = re.match(r"\| (\w+:\d+) \|", line)
            if m:
                old[m.group(1)] = line
    old.update(rows)
    keys = [f"{name}:{n}" for name, n, _ in layout(file)]
    with open(path, "w") as f:
        f.write(TABLE_HEAD + "".join(old[k] for k in keys if k in old))


def parse_only(text):
    """[(solvent, size)] of the --only list; every box of every file without one."""
    every = [(name, n) for name, sv in SOLVENTS.items() for n in sv.sizes]
    if not text:
        return every
    boxes = []
    for item in text.split(","):
        name, _, size = item.partition(":")
        if (name, int(size) if size.isdigit() else 0) not in every:
            sys.exit(f"unknown box {item!r}: " +
                     " ".join(f"{k}:{{{','.join(map(str, sv.sizes))}}}"
                              for k, sv in SOLVENTS.items()))
        boxes.append((name, int(size)))
    return boxes


def make_box(veka, work, out, name, n):
    """Equilibrates one box and writes it into its file and its row into the table."""
    sv = SOLVENTS[name]
    print(f"{name}:{n}: {settings(name, n)[0]} configurations per block", flush=True)
    folder = os.path.join(work, f"{name}-{n}")
    shutil.rmtree(folder, ignore_errors=True)
    job = Job(veka, folder, name, n)
    starts = {(k, m): start_box(k, m) for k, m, _ in layout(sv.file)}
    write_box_file(os.path.join(folder, WORK_FILES[sv.file]), sv.file, starts)
    run = equilibrate(job, name, n, lambda t: print(t, flush=True))
    path = os.path.join(out, sv.file)
    boxes = read_box_file(path, sv.file)
    boxes = {k: boxes.get(k, starts[k]) for k in starts}
    boxes[name, n] = final_box(job, name, n)
    write_box_file(path, sv.file, boxes)
    table = os.path.join(out, sv.file.replace(".box", ".md"))
    update_table(table, sv.file, {f"{name}:{n}": table_row(name, n, run)})
    print(table_row(name, n, run), end="", flush=True)


def production(veka, work, name, n, blocks):
    """K blocks from the committed box: (density, energy per molecule) as (mean, error) of
    the block means, and the seconds taken."""
    start = time.time()
    job = Job(veka, os.path.join(work, f"{name}-{n}-production"), name, n)
    for file in FILES:
        shutil.copy(os.path.join(BOXES, file), os.path.join(job.dir, WORK_FILES[file]))
    mxcon = settings(name, n)[0]
    job.run("100", mxcon)
    for _ in range(blocks - 1):
        listing = job.run("000", mxcon)
    density, energy = block_series(listing, name, n)
    return mean_error(density), mean_error(energy), time.time() - start


def main():
    ap = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    ap.add_argument("--veka", default=os.path.join(ROOT, "build", "veka"))
    ap.add_argument("--only", help="boxes to make, e.g. water:512 or CH3OH:128,THF:400")
    ap.add_argument("--work", default="/tmp/veka-boxes", help="folder for the runs")
    ap.add_argument("--out", default=BOXES, help="folder of the box files and tables")
    ap.add_argument("--production", type=int, metavar="K",
                    help="run K blocks from each committed box instead of making it")
    args = ap.parse_args()
    veka = os.path.abspath(args.veka)
    if args.production:
        if args.production < 2:
            sys.exit("--production needs at least 2 blocks")
        print("| box | blocks | configurations | density (g/cm3) | E/molecule (kcal/mol) | "
              "seconds |\n|---|---|---|---|---|---|", flush=True)
        for name, n in parse_only(args.only):
            (rho, erho), (e, ee), sec = production(veka, args.work, name, n, args.production)
            print(f"| {name}:{n} | {args.production} | "
                  f"{args.production * settings(name, n)[0]:.3g} | {rho:.4f} +- {erho:.4f} | "
                  f"{e:.4f} +- {ee:.4f} | {sec:.0f} |", flush=True)
        return
    os.makedirs(args.out, exist_ok=True)
    for name, n in parse_only(args.only):
        make_box(veka, args.work, args.out, name, n)


if __name__ == "__main__":
    main()
