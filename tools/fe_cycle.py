#!/usr/bin/python3
"""Free-energy cycle of methanol -> ethane in TIP4P water with veka, window by window.

The solute file data/examples/methanol-ethane/methanol-ethane.z maps the coupling value to
the molecule: 0 = methanol, 1 = ethane. A window is one Monte Carlo simulation with the
reference solute at RC0 perturbed to RC1 and RC2 (RC1 <= RC0 <= RC2). Each window runs in
its own folder: a new system (job code 100) and continuation blocks (000) for the
equilibration, then a block with the counters zeroed (010) and continuation blocks (000)
for the production. The summary file of the last block holds the free-energy lines
("DeltaG (", "DelSOS (", always from the smaller to the larger coupling value) and the
per-block tables from which the batch-mean errors are formed.

Two window layouts over n equal coupling intervals of width d = 1/n:
  dws  n/2 double-wide windows at RC0 = d, 3d, 5d, ... with RC1 = RC0 - d, RC2 = RC0 + d;
       each window gives DeltaG(RC1 to RC0) + DeltaG(RC0 to RC2), and the windows meet at
       the even multiples of d, so the cycle is the sum of the windows.
  sos  n + 1 windows at RC0 = 0, d, 2d, ..., 1 with RC1, RC2 the neighbouring values; each
       interval is combined from its two end windows: forward perturbation of the lower
       window, backward perturbation of the upper one, and the overlap estimate
       DelSOS(lower, to the upper value) + DelSOS(upper, from the lower value).

    tools/fe_cycle.py [--veka build/veka] [--layout dws] [--intervals 10] [--equil 2]
        [--prod 6] [--block 500000] [--jobs 2] [--work fe-cycle] [--no-run]
        [--solute data/examples/methanol-ethane/methanol-ethane-ua.z]

Prints the per-window (dws) or per-interval (sos) table and the total, in kcal/mol, with
errors in the "+/-" form of the summary file. Run it under nice on a shared machine.
"""
import argparse
import concurrent.futures
import math
import os
import re
import subprocess
import sys
import time

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
EXAMPLE = os.path.join(ROOT, "data", "examples", "methanol-ethane")
NAME = "methanol-ethane"
LINE = re.compile(r"^ (DeltaG|DelSOS) \(\s*(\S+) to\s*(\S+)\)\s*=\s*(\S+) \+/-\s*(\S+)")


def windows(layout, n):
    """(RC1, RC0, RC2) of every window, lowest RC0 first."""
    d = 1.0 / n
    if layout == "dws":
        if n % 2:
            sys.exit("fe_cycle: the dws layout needs an even number of intervals")
        return [((2 * k) * d, (2 * k + 1) * d, (2 * k + 2) * d) for k in range(n // 2)]
    return [(max(i - 1, 0) * d, i * d, min(i + 1, n) * d) for i in range(n + 1)]


def folder(work, w):
    return os.path.join(work, "rc0-%.4f" % w[1])


def run_window(args, w):
    """Runs the blocks of one window in its own folder; returns the wall time in seconds."""
    here = folder(args.work, w)
    os.makedirs(here, exist_ok=True)
    data = os.path.join(ROOT, "data")
    with open(os.path.join(here, NAME + ".par"), "w") as par:
        for part in (os.path.join(EXAMPLE, "command.txt"),
                     os.path.join(data, "forcefield", "opls-aa.par")):
            with open(part) as f:
                par.write(f.read())
    files = {"-ot": ".out", "-in": ".in", "-up": ".up", "-av": ".av", "-su": ".sum",
             "-pl": ".pdb", "-pa": ".par"}
    opts = [x for o, ext in files.items() for x in (o, NAME + ext)]
    opts += ["-zm", args.solute,
             "-wa", os.path.join(data, "boxes", "water.box"),
             "-ba", os.path.join(data, "forcefield", "opls-aa-bonded.par"),
             "-sv", "/dev/null", "-sz", "/dev/null", "-o1", "/dev/null", "-o2", "/dev/null"]
    codes = ["000"] * (args.equil + args.prod)
    if args.equil:
        codes[args.equil] = "010"
    codes[0] = "100"
    lam = ["%.4f" % x for x in (w[1], w[0], w[2])]
    start = time.time()
    for code in codes:
        cmd = [args.veka, code, str(args.block)] + lam + opts
        if subprocess.run(cmd, cwd=here, stdout=subprocess.DEVNULL).returncode != 0:
            raise RuntimeError("veka %s failed in %s (see %s.out)" % (code, here, NAME))
    return time.time() - start


def table_rows(lines, head):
    """The per-block rows (lists of floats) of the summary table whose heading starts so."""
    rows, inside = [], False
    for line in lines:
        if inside and line.startswith(" Averages"):
            return rows
        if inside and line.strip():
            rows.append([float(x) for x in line.split()[1:]])
        inside = inside or line.startswith(head)
    return rows


def batch_error(values, mean):
    n = len(values)
    if n < 2:
        return float("nan")
    return math.sqrt(sum((v - mean) ** 2 for v in values) / (n * (n - 1)))


def read_window(args, w):
    """Free-energy lines of a window's summary: {"DeltaG": [(lo, hi, value, error), ...],
    "DelSOS": [...], "sum": (DeltaG(RC1 to RC2), batch error)}."""
    with open(os.path.join(folder(args.work, w), NAME + ".sum")) as f:
        lines = f.read().splitlines()
    out = {"DeltaG": [], "DelSOS": []}
    for line in lines:
        m = LINE.match(line)
        if m:
            out[m.group(1)].append(tuple(float(m.group(k)) for k in range(2, 6)))
    if len(out["DeltaG"]) != 2 or len(out["DelSOS"]) != 2:
        raise RuntimeError("no free-energy lines in the summary of window RC0 = %g" % w[1])
    # Both halves come from the same configurations: the error of their sum is formed
    # from the per-block values of DeltaG2 - DeltaG1 (the table holds RC0 -> RC1, RC2).
    total = out["DeltaG"][0][2] + out["DeltaG"][1][2]
    blocks = [r[3] - r[0] for r in table_rows(lines, "  Run   Delta G1")]
    out["sum"] = (total, batch_error(blocks, total))
    return out


def pm(value, error):
    return "%7.3f ± %.3f" % (value, error)


def quad(*errors):
    return math.sqrt(sum(e * e for e in errors))


def report_dws(ws, res):
    print("| window | RC1 / RC0 / RC2 | ΔG(RC1→RC0) | ΔG(RC0→RC2) | ΔG window | DelSOS lines |")
    print("|---|---|---|---|---|---|")
    for k, (w, r) in enumerate(zip(ws, res), 1):
        g, s = r["DeltaG"], r["DelSOS"]
        print("| %d | %.3f / %.3f / %.3f | %s | %s | %s | %.3f, %.3f |" % (
            k, w[0], w[1], w[2], pm(*g[0][2:]), pm(*g[1][2:]), pm(*r["sum"]),
            s[0][2], s[1][2]))
    total = sum(r["sum"][0] for r in res)
    print("\nTotal ΔG(methanol → ethane) = %s kcal/mol" % pm(total, quad(
        *(r["sum"][1] for r in res))))


def report_sos(ws, res):
    print("| interval | forward FEP | backward FEP | mean FEP | SOS |")
    print("|---|---|---|---|---|")
    tot = {"fwd": [], "bwd": [], "mean": [], "sos": []}
    for w, lo, hi in zip(ws, res, res[1:]):
        f, b = lo["DeltaG"][1][2:], hi["DeltaG"][0][2:]
        so = (lo["DelSOS"][1][2] + hi["DelSOS"][0][2], quad(lo["DelSOS"][1][3],
                                                             hi["DelSOS"][0][3]))
        mean = ((f[0] + b[0]) / 2, quad(f[1], b[1]) / 2)
        for key, v in zip(tot, (f, b, mean, so)):
            tot[key].append(v)
        print("| %.3f → %.3f | %s | %s | %s | %s |" % (w[1], w[2], pm(*f), pm(*b),
                                                       pm(*mean), pm(*so)))
    for key, v in tot.items():
        print("Total ΔG(methanol → ethane), %-4s = %s kcal/mol" % (
            key, pm(sum(x[0] for x in v), quad(*(x[1] for x in v)))))


def main():
    p = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    p.add_argument("--veka", default=os.path.join(ROOT, "build", "veka"))
    p.add_argument("--solute", default=os.path.join(EXAMPLE, NAME + ".z"),
                   help="solute Z-matrix (0 = methanol, 1 = ethane)")
    p.add_argument("--layout", choices=("dws", "sos"), default="dws")
    p.add_argument("--intervals", type=int, default=10)
    p.add_argument("--equil", type=int, default=2, help="equilibration blocks per window")
    p.add_argument("--prod", type=int, default=6, help="production blocks per window")
    p.add_argument("--block", type=int, default=500000, help="configurations per block")
    p.add_argument("--jobs", type=int, default=2, help="windows run at the same time")
    p.add_argument("--work", default="fe-cycle", help="folder of the window folders")
    p.add_argument("--no-run", action="store_true", help="only read the finished windows")
    args = p.parse_args()
    args.veka = os.path.abspath(args.veka)
    args.work = os.path.abspath(args.work)
    args.solute = os.path.abspath(args.solute)
    ws = windows(args.layout, args.intervals)
    if not args.no_run:
        start = time.time()
        with concurrent.futures.ThreadPoolExecutor(max_workers=args.jobs) as pool:
            walls = list(pool.map(lambda w: run_window(args, w), ws))
        print("%d windows, %d + %d blocks of %d configurations each; wall %.0f s "
              "(per window %s s)\n" % (len(ws), args.equil, args.prod, args.block,
                                       time.time() - start,
                                       ", ".join("%.0f" % t for t in walls)))
    res = [read_window(args, w) for w in ws]
    (report_dws if args.layout == "dws" else report_sos)(ws, res)


if __name__ == "__main__":
    main()
