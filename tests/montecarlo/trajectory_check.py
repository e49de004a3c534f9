#!/usr/bin/python3
"""The trajectory of a constant-pressure run of methanol in 213 TIP4P waters, read by
MDAnalysis and mdtraj against the configuration snapshots (SAVEFILE, same interval).

Three blocks (run mode 1, then 0 twice) of 2000 configurations, a frame every 200: both
readers find 858 atoms (6 solute, 4 x 213 sites) and 30 frames, each frame's coordinates
and box edges those of its snapshot. Then a long block is killed (SIGKILL) once the file
has grown by a few frames: both readers open it with the frames up to the kill; the block
run again keeps only the frames of the completed blocks and adds its own (40 frames).

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
    files = {"-ot": "out", "-in": "in", "-up": "up", "-av": "av", "-su": "sum", "-pl": "plt",
             "-zm": os.path.join(DATA, "examples", "methanol", "methanol.z"), "-pa": "par",
             "-wa": os.path.join(DATA, "boxes", "water.box"), "-sv": save,
             "-ba": os.path.join(DATA, "forcefield", "opls-aa-bonded.par"), "-tr": "traj"}
    cmd = [VEKA, code, str(mxcon), "0.0", "0.0", "0.0"]
    for opt in ("-sz", "-o1", "-o2"):
        cmd += [opt, "/dev/null"]
    for opt, name in files.items():
        cmd += [opt, name]
    return subprocess.Popen(cmd, cwd=work, stdout=subprocess.DEVNULL)


def snapshots(path):
    """(coordinates in frame order, box edges) of every snapshot of a SAVEFILE."""
    lines, k, out = open(path).read().splitlines(), 0, []

    def values(n, width=13, per=6):
        nonlocal k
        rows = lines[k:k + (n + per - 1) // per]
        k += len(rows)
        return [float(r[i:i + width]) for r in rows for i in range(0, len(r), width)]

    while k < len(lines):
        head = [int(lines[k][5 * i:5 * i + 5]) for i in range(6)]
        nmol, nsatm, nsolut = head[:3]
        half = [float(lines[k + 1][18 + 13 * i:31 + 13 * i]) for i in range(3)]
        k += 2 + 9  # header, box, three energy records
        solute = values(9 * nsatm + sum(head[3:]))
        if nsolut > 2:
            values(2 * (nsolut - 2))
        solvent = np.array(values(12 * nmol)).reshape(4, 3, nmol).transpose(2, 0, 1)
        k += (nmol + 79) // 80
        xyz = np.array(solute[:3 * nsatm]).reshape(3, nsatm).T
        out.append((np.vstack([xyz, solvent.reshape(-1, 3)]), 2 * np.array(half)))
    return out


def readers(work, dcd="traj.dcd"):
    """(coordinates in A, box edges in A) per frame as MDAnalysis and mdtraj read them."""
    pdb, dcd = os.path.join(work, "traj.pdb"), os.path.join(work, dcd)
    with warnings.catch_warnings():
        warnings.simplefilter("ignore")
        u = mda.Universe(pdb, dcd)
        a = [(ts.positions.copy(), ts.dimensions[:3].copy()) for ts in u.trajectory]
        t = md.load(dcd, top=pdb)
    b = [(10 * t.xyz[i], 10 * t.unitcell_lengths[i]) for i in range(t.n_frames)]
    if len(u.atoms) != ATOMS or t.n_atoms != ATOMS:
        FAILS.append("atoms: MDAnalysis %d, mdtraj %d" % (len(u.atoms), t.n_atoms))
    return {"MDAnalysis": a, "mdtraj": b}


def compare(work, snaps):
    for name, frames in readers(work).items():
        if len(frames) != len(snaps):
            FAILS.append("%s: %d frames, %d snapshots" % (name, len(frames), len(snaps)))
            continue
        for n, ((xyz, box), (ref, edges)) in enumerate(zip(frames, snaps)):
            if np.abs(xyz - ref).max() > 1e-3 or np.abs(box - edges).max() > 1e-3:
                FAILS.append("%s: frame %d differs from its snapshot" % (name, n + 1))


def killed_block(work):
    """A long block killed once a few frames beyond the 30 kept ones are written."""
    p = job(work, "000", 10000000, "/dev/null")
    path = os.path.join(work, "traj.dcd")
    deadline = time.time() + 120
    while os.path.getsize(path) < HEADER + 34 * FRAME and time.time() < deadline:
        time.sleep(0.01)
    p.send_signal(signal.SIGKILL)
    p.wait()
    whole = (os.path.getsize(path) - HEADER) // FRAME
    # The same file as a kill between a frame and its count, or within a frame, leaves it.
    data = bytearray(open(path, "rb").read()[:HEADER + whole * FRAME])
    data[8:12] = (whole - 1).to_bytes(4, "little")
    open(os.path.join(work, "lag.dcd"), "wb").write(data + data[-FRAME:-FRAME // 2])
    for dcd in ("traj.dcd", "lag.dcd"):
        for name, frames in readers(work, dcd).items():
            if not 33 <= len(frames) == whole:
                FAILS.append("%s, %s after the kill: %d frames of %d" % (name, dcd, len(frames),
                                                                        whole))


def main():
    with rc.workdir() as work:
        with open(os.path.join(DATA, "examples", "methanol-water", "command.txt")) as f:
            lines = f.read().splitlines()
        lines[52] = "   200" + lines[52][6:]  # NSAVE
        with open(os.path.join(DATA, "forcefield", "opls-aa.par")) as f:
            open(os.path.join(work, "par"), "w").write("\n".join(lines) + "\n" + f.read())
        snaps = []
        for b, code in enumerate(("100", "000", "000")):
            save = "save%d" % b
            if job(work, code, 2000, save).wait() != 0:
                raise SystemExit("block %d failed" % (b + 1))
            snaps += snapshots(os.path.join(work, save))
        compare(work, snaps)
        killed_block(work)
        if job(work, "000", 2000, "save3").wait() != 0:
            raise SystemExit("the block after the kill failed")
        compare(work, snaps + snapshots(os.path.join(work, "save3")))
    for f in FAILS:
        print(f)
    sys.exit(1 if FAILS else 0)


main()
