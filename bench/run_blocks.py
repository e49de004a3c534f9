#!/usr/bin/python3
"""Whole-run benchmark: Monte Carlo blocks of 512 TIP4P waters (25 C, 1 atm, RCUT 8.5 A,
NPT, neighbour lists on) run by the real program from a lattice start: a new system (job
code 100) then continuation blocks (000). Prints the moves per second of every block
and of the run, by CPU time and by wall clock of the whole process (set-up, block, results
and files). --nvchg sets the volume-move interval (999999: constant volume).

    bench/run_blocks.py BUILD/veka [--blocks 5] [--block 1000000] [--nvchg 1000] [--work DIR]
"""
import argparse
import os
import sys
import tempfile

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tools"))
import validate_liquids as vl  # noqa: E402


def main():
    p = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    p.add_argument("veka")
    p.add_argument("--blocks", type=int, default=5)
    p.add_argument("--block", type=int, default=1000000)
    p.add_argument("--nvchg", type=int, default=vl.MODELS["TIP4P"][6])
    p.add_argument("--work", default=None)
    args = p.parse_args()
    veka = os.path.abspath(args.veka)
    with tempfile.TemporaryDirectory() as tmp:
        folder = args.work or tmp
        m = vl.MODELS["TIP4P"]
        vl.MODELS["TIP4P"] = m[:6] + (args.nvchg,) + m[7:]
        vl.set_up(folder, "TIP4P", 8.5)
        wall = cpu = 0.0
        for k in range(args.blocks):
            code = "100" if k == 0 else "000"
            w, c = vl.run_block(veka, folder, code, args.block)
            wall, cpu = wall + w, cpu + c
            etot, vol = vl.block_row(folder)
            print("block %d (%s): %d moves, CPU %.2f s = %.0f moves/s, wall %.2f s = %.0f"
                  " moves/s  (E/N %.3f, rho %.4f)" %
                  (k + 1, code, args.block, c, args.block / c, w, args.block / w,
                   etot / 512, vl.density("TIP4P", vol)), flush=True)
        n = args.blocks * args.block
        print("total: %d moves, CPU %.2f s = %.0f moves/s, wall %.2f s = %.0f moves/s" %
              (n, cpu, n / cpu, wall, n / wall))


if __name__ == "__main__":
    main()
