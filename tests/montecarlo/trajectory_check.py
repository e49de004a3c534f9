#!/usr/bin/python3
"""The trajectory of constant-pressure blocks of methanol in 213 TIP4P waters, read by
MDAnalysis and mdtraj against the configuration snapshots of SAVEFILE (same interval).

Three blocks (run mode 1, then 0 twice) of 2000 configurations, a frame every 200: 858
atoms, 30 frames, each equal to its snapshot (coordinates and box edges). A long block
killed (SIGKILL) after a few frames leaves a file both readers open with its complete
frames, also when the header's count lags one frame behind a torn last frame; run again,
the block keeps only the 30 frames of the completed blocks and adds its 10. A kill after
the in-file but before the final count (the header still says "next N S") keeps the
block's frames when the in-file carries seed S, and drops them when it does not.

Arguments: <veka binary> <source dir> <build dir>. Exit 77 when a reader is missing.
"""
import os
import signal
import subprocess
import sys
import time
import warnings

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "support"))
import refcheck as rc  # noqa: E402

np = rc.need("numpy", "numpy")
mda = rc.need("MDAnalysis", "MDAnalysis (python3-mdanalysis)")
md = rc.need("mdtraj", "mdtraj (python3-mdtraj)")
VEKA, SRC, _ = rc.args()
DATA = os.path.join(SRC, "data")
ATOMS, HEADER = 858, 276
FRAME = 56 + 3 * (8 + 4 * ATOMS)
FAILS = []


def job(work, code, mxcon, save):
    cmd = [VEKA, code, str(mxcon), "0.0", "0.0", "0.0", "-sv", save, "-tr", "traj",
           "-zm", os.path.join(DATA, "examples", "methanol", "methanol.z"), "-pa", "par",
           "-wa", os.path.join(DATA, "boxes", "water.box"),
           "-ba", os.path.join(DATA, "forcefield", "opls-aa-bonded.par")]
    for opt in ("-ot", "-in", "-up", "-av", "-su", "-pl"):
        cmd += [opt, opt[1:]]
    return subprocess.Popen(cmd + ["-sz", "/dev/null", "-o1", "/dev/null", "-o2", "/dev/null"],
                            cwd=work, stdout=subprocess.DEVNULL)


def snapshots(path):
    """(coordinates in frame order, box edges) of every snapshot of a SAVEFILE (TIP4P)."""
    lines, k, out = open(path).read().splitlines(), 0, []

    def values(n):
        nonlocal k
        rows, k = lines[k:k + (n + 5) // 6], k + (n + 5) // 6
        return [float(r[i:i + 13]) for r in rows for i in range(0, len(r), 13)]

    while k < len(lines):
        head = [int(lines[k][5 * i:5 * i + 5]) for i in range(6)]
        nmol, nsatm = head[:2]
        edges = [2 * float(lines[k + 1][18 + 13 * i:31 + 13 * i]) for i in range(3)]
        k += 11  # header, box, three energy records
        solute = np.array(values(9 * nsatm + sum(head[3:]))[:3 * nsatm]).reshape(3, nsatm).T
        try:  # the last one of a killed block may be cut short
            solvent = np.array(values(12 * nmol)).reshape(4, 3, nmol).transpose(2, 0, 1)
        except ValueError:
            break
        k += (nmol + 79) // 80
        out.append((np.vstack([solute, solvent.reshape(-1, 3)]), np.array(edges)))
    return out


def readers(work, dcd):
    """(coordinates, box edges) in A per frame as MDAnalysis and mdtraj read them."""
    pdb, dcd = os.path.join(work, "traj.pdb"), os.path.join(work, dcd)
    with warnings.catch_warnings():
        warnings.simplefilter("ignore")
        u = mda.Universe(pdb, dcd)
        t = md.load(dcd, top=pdb)
    if len(u.atoms) != ATOMS or t.n_atoms != ATOMS:
        FAILS.append("atoms: MDAnalysis %d, mdtraj %d" % (len(u.atoms), t.n_atoms))
    return {"MDAnalysis": [(ts.positions.copy(), ts.dimensions[:3]) for ts in u.trajectory],
            "mdtraj": list(zip(10 * t.xyz, 10 * t.unitcell_lengths))}


def compare(work, snaps, dcd="traj.dcd", count=None):
    count = count or len(snaps)
    for name, frames in readers(work, dcd).items():
        if len(frames) != count:
            FAILS.append("%s, %s: %d frames, %d expected" % (name, dcd, len(frames), count))
        for n, ((xyz, box), (ref, edges)) in enumerate(zip(frames, snaps)):
            if np.abs(xyz - ref).max() > 1e-3 or np.abs(box - edges).max() > 1e-3:
                FAILS.append("%s, %s: frame %d differs from its snapshot" % (name, dcd, n + 1))


def killed_block(work, snaps):
    p, path = job(work, "000", 10000000, "killed"), os.path.join(work, "traj.dcd")
    deadline = time.time() + 120
    while os.path.getsize(path) < HEADER + 34 * FRAME and time.time() < deadline:
        time.sleep(0.01)
    p.send_signal(signal.SIGKILL)
    p.wait()
    whole = (os.path.getsize(path) - HEADER) // FRAME
    if whole < 34:
        FAILS.append("the killed block wrote %d frames" % (whole - 30))
    data = bytearray(open(path, "rb").read()[:HEADER + whole * FRAME])
    data[8:12] = (whole - 1).to_bytes(4, "little")  # the count lags, a frame is torn
    open(os.path.join(work, "lag.dcd"), "wb").write(data + data[-FRAME:-FRAME // 2])
    # The killed block's snapshots that reached the file (its last ones may be lost).
    snaps = snaps + snapshots(os.path.join(work, "killed"))[:whole - len(snaps)]
    for dcd in ("traj.dcd", "lag.dcd"):
        compare(work, snaps, dcd, whole)


def end_of_block_kill(work):
    path = os.path.join(work, "traj.dcd")
    for lost in (False, True):
        n = (os.path.getsize(path) - HEADER) // FRAME
        seed = int(open(os.path.join(work, "in")).readline()[48:57]) + lost
        data = bytearray(open(path, "rb").read())
        title = "REMARKS frames of completed blocks = %d next %d %d" % (n - 10, n, seed)
        data[180:260] = title.ljust(80).encode()
        open(path, "wb").write(data)
        job(work, "000", 2000, "gap").wait()
        got = (os.path.getsize(path) - HEADER) // FRAME
        if got != n + 10 - 10 * lost:
            FAILS.append("kill at the end of a block (in-file %s): %d frames, %d expected"
                         % ("older" if lost else "written", got, n + 10 - 10 * lost))


def main():
    with rc.workdir() as work:
        with open(os.path.join(DATA, "examples", "methanol-water", "command.txt")) as f:
            lines = f.read().splitlines()
        lines[52] = "   200" + lines[52][6:]  # NSAVE
        with open(os.path.join(DATA, "forcefield", "opls-aa.par")) as f:
            open(os.path.join(work, "par"), "w").write("\n".join(lines) + "\n" + f.read())
        snaps = []
        for b, code in enumerate(("100", "000", "000", "000")):
            if b == 3:
                compare(work, snaps)
                killed_block(work, snaps)
            if job(work, code, 2000, "save%d" % b).wait() != 0:
                raise SystemExit("block %d failed" % (b + 1))
            snaps += snapshots(os.path.join(work, "save%d" % b))
        compare(work, snaps)
        end_of_block_kill(work)
    for f in FAILS:
        print(f)
    sys.exit(1 if FAILS else 0)


main()
