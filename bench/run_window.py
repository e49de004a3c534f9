#!/usr/bin/python3
"""Whole-run benchmark of one free-energy window: a perturbed 9-atom solute (ethanol whose
hydroxyl becomes a methyl group, tests/energy/data/ethanol_perturbed.z; every bond, angle
and dihedral after its first three atoms variable) in the stored 250-molecule TIP4P box
less the 5 waters of highest energy with it, 25 C, 1 atm, RCUT = SCUT 8.5 A, a solute move
every NSCHG configurations, a volume move every 1000, neighbour lists on, the window RC0
0.5 with RC1 0.375 and RC2 0.625. A new system (job code 100) then continuation blocks
(000), each one process of the real program; prints the CPU and wall time of every block,
its configurations per second and its DeltaG lines.

    bench/run_window.py BUILD/veka [--blocks 3] [--block 200000] [--nschg 50] [--work DIR]
"""
import argparse
import os
import re
import sys
import tempfile

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
sys.path.insert(0, os.path.join(ROOT, "tools"))
import validate_liquids as vl  # noqa: E402


def command_section(nschg):
    records = {1: "TIP4P    0.0000", 4: "BOXES          ", 9: " 245 250  0.00",
               11: "  1  2  1  1", 25: "  1000%6d    15     0" % nschg,
               26: "999999     1     0     0", 27: "  250.0000    0.0000",
               28: "    0.1500   15.0000    0.0000", 29: "    0.1000   10.0000",
               32: "    8.5000    8.5000  100.0000   0",
               33: "   25.0000    1.0000    0.0000    1.0000"}
    with open(os.path.join(ROOT, "tests/support/data/command_section.txt")) as f:
        lines = f.read().splitlines()[:71]
    lines[0] = "Free-energy window benchmark: perturbed ethanol in 245 TIP4P"
    for n, text in records.items():
        lines[2 * n] = text
    return "\n".join(lines) + "\n"


def set_up(folder, nschg):
    def text(path):
        with open(os.path.join(ROOT, path)) as f:
            return f.read()
    files = {"water.txt": text("data/boxes/water.box"), "org.txt": "",
             "zmat.txt": text("tests/energy/data/ethanol_perturbed.z"),
             "bang.txt": text("data/forcefield/opls-aa-bonded.par"),
             "par.txt": command_section(nschg) + text("data/forcefield/opls-aa.par")}
    for name, content in files.items():
        with open(os.path.join(folder, name), "w") as f:
            f.write(content)


def run_block(veka, folder, code, mxcon):
    """Runs one block of the window; returns its wall-clock and CPU seconds."""
    return vl.run_block(veka, folder, code, mxcon, ("0.5", "0.375", "0.625"))


def main():
    p = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    p.add_argument("veka")
    p.add_argument("--blocks", type=int, default=3)
    p.add_argument("--block", type=int, default=200000)
    p.add_argument("--nschg", type=int, default=50)
    p.add_argument("--work", default=None)
    args = p.parse_args()
    veka = os.path.abspath(args.veka)
    with tempfile.TemporaryDirectory() as tmp:
        folder = args.work or tmp
        os.makedirs(folder, exist_ok=True)
        set_up(folder, args.nschg)
        cpu_all = 0.0
        for k in range(args.blocks):
            code = "100" if k == 0 else "000"
            wall, cpu = run_block(veka, folder, code, args.block)
            cpu_all += cpu
            with open(os.path.join(folder, "sum.txt")) as f:
                dg = re.findall(r" DeltaG \(.*", f.read())
            print("block %d (%s): %d configurations, CPU %.2f s = %.0f /s, wall %.2f s;  %s" %
                  (k + 1, code, args.block, cpu, args.block / cpu, wall, "; ".join(dg)))
        print("run: %d blocks, %.0f configurations per second (CPU)" %
              (args.blocks, args.blocks * args.block / cpu_all))


if __name__ == "__main__":
    main()
