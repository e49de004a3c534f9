#!/usr/bin/python3
"""Runs the largest stored box of each organic solvent in LAMMPS, as an independent check of
the liquids VEKA makes.

The same rigid models (the stored box's own site positions, so the same geometry), the same
site types and parameters (data/forcefield/opls-aa.par), the same temperature and pressure,
a 12 A Lennard-Jones cutoff with LAMMPS's analytic tail correction for energy and pressure,
and the electrostatics in full (PPPM, relative accuracy 1e-5) instead of VEKA's feathered
molecule cutoff. Molecular dynamics of rigid bodies at constant temperature and pressure
(Nose-Hoover chains, fix rigid/npt/small; argon's single sites fix npt), 20 ps from the
stored box, then a production run sampled every 100 steps. Printed per solvent: density
(g/cm3) and intermolecular energy per molecule (kcal/mol), mean and standard error of 10
block means, in the layout of data/boxes/README.md.

    tools/lammps_liquids.py                  # every organic solvent (about 30 min on one core)
    tools/lammps_liquids.py --only C3H8,MECL2 --ps 300    # longer runs of two

Needs `lmp` (Debian's lammps package) and numpy from /usr/bin/python3.
"""
import argparse
import os
import re
import subprocess
import sys

import numpy as np

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import make_boxes as mb  # noqa: E402

AVOGADRO = mb.AVOGADRO
# Site types of the built-in solvents, in the order of their stored sites.
SITE_TYPES = {
    "CH3OH": (78, 79, 80), "CH3CN": (95, 94, 96), "MEOME": (108, 109, 109),
    "C3H8": (71, 68, 68), "CHCL3": (120, 121, 121, 121), "MECL2": (118, 119, 119),
    "THF": (108, 110, 71, 110, 71), "ARGON": (103,), "CCL4": (122, 123, 123, 123, 123),
    "DMSO": (124, 125, 126, 126),
}
# Site masses (g/mol): only the dynamics depend on them, not the averages.
ELEMENT_MASS = {1: 1.008, 6: 12.011, 7: 14.007, 8: 15.999, 16: 32.06, 17: 35.453,
                18: 39.948}
UNITED = {"C3": 15.035, "C2": 14.027, "CH": 13.019}
TIMESTEP_FS = {"CH3OH": 1.0}  # the hydroxyl hydrogen's fast rotation; 2 fs otherwise


def forcefield_types():
    """{type: (atomic number, name, q, sigma, epsilon)} of the force-field file's atom types."""
    pattern = re.compile(r"^\s*(\d+)\s+(\d+)\s+(\S+)\s+(-?\d+\.\d+)\s+(\d+\.\d+)\s+(\d+\.\d+)")
    types = {}
    with open(os.path.join(mb.FORCEFIELD, "opls-aa.par")) as f:
        for line in f:
            m = pattern.match(line)
            if m and int(m.group(1)) not in types:
                t, z, name, q, sig, eps = m.groups()
                types[int(t)] = (int(z), name, float(q), float(sig), float(eps))
    return types


def stored_box(name):
    """(half edges, sites[site][axis][molecule]) of the solvent's largest stored box."""
    sv = mb.SOLVENTS[name]
    n = sv.sizes[-1]
    text = mb.read_box_file(os.path.join(mb.BOXES, sv.file), sv.file)[name, n]
    head, *rows = text.splitlines()
    halves = [float(v) for v in head.split()[1:4]]
    values = [float(row[k:k + 13]) for row in rows for k in range(0, len(row.rstrip()), 13)]
    sites = np.array(values[:n * 3 * len(sv.sites)]).reshape(len(sv.sites), 3, n)
    return halves, sites


def data_file(name, halves, sites, types):
    """LAMMPS data text: one molecule per solvent molecule, every site pair of a molecule a
    bond (so that the pair styles leave out intramolecular pairs, the long-range part
    included)."""
    kinds = sorted(set(SITE_TYPES[name]))
    nsite, _, n = sites.shape
    pairs = [(a, b) for a in range(nsite) for b in range(a + 1, nsite)]
    out = [f"{name} from data/boxes", "", f"{nsite * n} atoms", f"{len(pairs) * n} bonds",
           f"{len(kinds)} atom types", "1 bond types", ""]
    out += [f"{-h:.8f} {h:.8f} {ax}lo {ax}hi" for h, ax in zip(halves, "xyz")]
    out += ["", "Masses", ""]
    for k, t in enumerate(kinds, 1):
        z, label = types[t][0], types[t][1]
        out.append(f"{k} {UNITED.get(label, ELEMENT_MASS[z])}")
    out += ["", "Atoms # full", ""]
    for m in range(n):
        for s, t in enumerate(SITE_TYPES[name]):
            x, y, z = sites[s, :, m]
            out.append(f"{m * nsite + s + 1} {m + 1} {kinds.index(t) + 1} {types[t][2]:.6f} "
                       f"{x:.8f} {y:.8f} {z:.8f}")
    if pairs:
        out += ["", "Bonds", ""]
        for m in range(n):
            for i, (a, b) in enumerate(pairs):
                out.append(f"{m * len(pairs) + i + 1} 1 {m * nsite + a + 1} {m * nsite + b + 1}")
    return "\n".join(out) + "\n", kinds


def input_file(name, kinds, types, dt, steps, equil):
    sv = mb.SOLVENTS[name]
    t, p = sv.t + 273.15, sv.p
    charged = any(types[k][2] != 0.0 for k in kinds)
    lines = ["units real", "atom_style full", "boundary p p p",
             "bond_style zero", "read_data box.data", "bond_coeff 1",
             "special_bonds lj/coul 0.0 0.0 0.0",
             "pair_style lj/cut/coul/long 12.0" if charged else "pair_style lj/cut 12.0"]
    for k, typ in enumerate(kinds, 1):
        _, _, _, sig, eps = types[typ]
        lines.append(f"pair_coeff {k} {k} {eps} {sig}")
    lines += ["pair_modify mix geometric tail yes"]
    if charged:
        lines.append("kspace_style pppm 1.0e-5")
    lines += ["neighbor 2.0 bin", f"velocity all create {t} 4321 mom yes rot yes",
              f"timestep {dt}"]
    if len(SITE_TYPES[name]) == 1:
        lines.append(f"fix md all npt temp {t} {t} {100 * dt} iso {p} {p} {1000 * dt}")
    else:
        lines.append(f"fix md all rigid/npt/small molecule temp {t} {t} {100 * dt} "
                     f"iso {p} {p} {1000 * dt}")
    lines += ["thermo 1000", "thermo_style custom step temp press pe vol",
              f"run {equil}", "variable v equal vol", "variable e equal pe",
              "fix out all print 100 \"${v} ${e}\" file samples.txt screen no",
              f"run {steps}"]
    return "\n".join(lines) + "\n"


def block_mean(values, blocks=10):
    """Mean and standard error of the means of `blocks` consecutive blocks of the samples."""
    return mb.mean_error([float(b.mean()) for b in np.array_split(np.asarray(values), blocks)])


def run(name, work, ps, lmp):
    types = forcefield_types()
    halves, sites = stored_box(name)
    folder = os.path.join(work, name)
    os.makedirs(folder, exist_ok=True)
    text, kinds = data_file(name, halves, sites, types)
    with open(os.path.join(folder, "box.data"), "w") as f:
        f.write(text)
    dt = TIMESTEP_FS.get(name, 2.0)
    steps, equil = int(round(ps * 1000 / dt / 1000)) * 1000, int(20000 / dt)
    with open(os.path.join(folder, "in.lmp"), "w") as f:
        f.write(input_file(name, kinds, types, dt, steps, equil))
    subprocess.run([lmp, "-in", "in.lmp", "-log", "log.lammps", "-screen", "none"],
                   cwd=folder, check=True)
    volume, energy = np.loadtxt(os.path.join(folder, "samples.txt"), comments="#").T
    n = sites.shape[2]
    density = n * mb.SOLVENTS[name].mass / (AVOGADRO * volume)
    return block_mean(density), block_mean(energy / n)


def main():
    ap = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    ap.add_argument("--only", help="solvents, e.g. C3H8,MECL2 (default: all organic ones)")
    ap.add_argument("--ps", type=float, default=60.0, help="production picoseconds")
    ap.add_argument("--work", default="/tmp/veka-lammps-liquids")
    ap.add_argument("--lmp", default="lmp")
    args = ap.parse_args()
    names = args.only.split(",") if args.only else list(SITE_TYPES)
    for name in names:
        if name not in SITE_TYPES:
            sys.exit(f"unknown solvent {name!r}: {' '.join(SITE_TYPES)}")
    print("| solvent | T (C) | LAMMPS rho (g/cm3) | LAMMPS E/N (kcal/mol) |", flush=True)
    print("|---|---|---|---|", flush=True)
    for name in names:
        (rho, erho), (e, ee) = run(name, args.work, args.ps, args.lmp)
        print(f"| {name} | {mb.SOLVENTS[name].t:g} | {rho:.4f} ± {erho:.4f} | "
              f"{e:.3f} ± {ee:.3f} |", flush=True)


if __name__ == "__main__":
    main()
