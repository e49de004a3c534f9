#!/usr/bin/python3
"""Limits that a Monte Carlo job meets at its set-up, on real jobs (tools/validate_liquids
builds them: lattice boxes, no solute).

1. Methanol (128 molecules, edge 20.9 A): RCUT 8.5 plus twice the molecule's radius
   (C-O 1.43 A) exceeds half the edge and the listing warns; RCUT 7.0 does not; both run.
2. An in-file whose NACCPT stands for 500 blocks of the requested size: the next block
   stops with "*** INCREASE MR IN OUTAVE AND INIT & RECOMPILE ***" (exit status 255) and
   leaves the in-file, block history and summary of the previous block as they were.

Arguments: <veka binary> <source dir> <build dir>.
"""

import os
import stat
import subprocess
import sys
import tempfile

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, "..", "..", "tools"))
sys.dont_write_bytecode = True
import validate_liquids as vl  # noqa: E402

WARNING = "*** Warning: RCUT + 2 x Solvent Radius ="


def run(veka, folder, code, mxcon):
    args = [veka, code, str(mxcon), "0.0", "0.0", "0.0"]
    for k, v in vl.FILES.items():
        args += [k, v]
    return subprocess.run(args, cwd=folder, capture_output=True, text=True)


def warning(veka, work):
    ok = True
    for rcut, want in ((8.5, True), (7.0, False)):
        folder = os.path.join(work, "meoh%.1f" % rcut)
        vl.set_up(folder, "CH3OH", rcut)
        r = run(veka, folder, "100", 10)
        got = WARNING in open(os.path.join(folder, "out.txt")).read()
        print("RCUT %.1f: exit %d, warning %s" % (rcut, r.returncode, got))
        ok = ok and r.returncode == 0 and got == want
    return ok


def block_limit(veka, work):
    folder = os.path.join(work, "limit")
    vl.set_up(folder, "TIP4P", 8.5)
    if run(veka, folder, "100", 10).returncode != 0:
        return False
    path = os.path.join(folder, "in.txt")
    lines = open(path).read().split("\n")
    lines[0] = lines[0][:30] + "%9d" % 5000 + lines[0][39:]
    open(path, "w").write("\n".join(lines))
    keep = {n: open(os.path.join(folder, n), "rb").read() for n in ("in.txt", "up.txt", "sum.txt")}
    r = run(veka, folder, "000", 10)
    stop = "*** INCREASE MR IN OUTAVE AND INIT & RECOMPILE ***"
    same = all(open(os.path.join(folder, n), "rb").read() == b for n, b in keep.items())
    print("500 blocks: exit %d, message %s, files kept %s" %
          (r.returncode, stop in r.stdout, same))
    return r.returncode == 255 and stop in r.stdout and same


def main():
    veka = os.path.abspath(sys.argv[1])
    with tempfile.TemporaryDirectory(prefix="veka-check-") as work:
        ok = warning(veka, work)
        ok = block_limit(veka, work) and ok
    # The jobs write their averages file to /dev/null, which must stay the device.
    return 0 if ok and stat.S_ISCHR(os.stat("/dev/null").st_mode) else 1


if __name__ == "__main__":
    sys.exit(main())
