"""Monte Carlo jobs of the shipped examples with some command-section records changed."""
import os
import subprocess


def write_par(source, work, example, changes):
    lines = open(os.path.join(source, "data/examples", example, "command.txt")).read()
    lines = lines.splitlines()[:71]
    for n, text in changes.items():
        lines[2 * n] = text
    ff = open(os.path.join(source, "data/forcefield/opls-aa.par")).read()
    open(os.path.join(work, "job.par"), "w").write("\n".join(lines) + "\n" + ff)


def run(veka, source, work, code, mxcon, solute, **extra):
    """One block; files job.* in `work`; extra options as {"-pl": "job.mol"}."""
    d = os.path.join(source, "data")
    files = {"-ot": "job.out", "-in": "job.in", "-up": "job.up", "-av": "job.av",
             "-su": "job.sum", "-pl": "job.pdb", "-zm": solute, "-pa": "job.par",
             "-wa": d + "/boxes/water.box", "-ba": d + "/forcefield/opls-aa-bonded.par",
             "-sv": "/dev/null", "-sz": "sz.txt", "-o1": "o1.txt", "-o2": "o2.txt"}
    files.update(extra)
    for name in ("sz.txt", "o1.txt", "o2.txt"):
        open(os.path.join(work, name), "a").close()
    cmd = [veka, code, str(mxcon), "0.0", "0.0", "0.0"] + [a for kv in files.items() for a in kv]
    subprocess.run(cmd, cwd=work, check=True, stdout=subprocess.DEVNULL)
