"""veka-fe end to end on methanol in water with the carbon charge perturbed (type 157 to
158): the -dh file read independently reproduces a block's DeltaG lines; plan, run and
analyse give the table, the plots and a total that matches the summary files; BAR agrees
with exponential averaging; a killed run resumes to the same table; bad windows are named."""
import math, os, re, shutil, signal, subprocess, sys, tempfile, time

veka, src = sys.argv[1], sys.argv[2]
tool = os.path.join(src, "tools", "veka-fe")
ff = os.path.join(src, "data", "forcefield")
work = tempfile.mkdtemp(prefix="vekafe")
os.chdir(work)
with open(os.path.join(src, "data/examples/methanol/methanol.z")) as f:
    open("pert.z", "w").write(f.read().replace("   1 C1   157  157", "   1 C1   157  158"))
command = open(os.path.join(src, "data/examples/methanol-water/command.txt")).read()
force = open(os.path.join(ff, "opls-aa.par")).read()
for nschg in (1, 50):
    open("job%d.par" % nschg, "w").write(
        command.replace("   250    50    15", "   250 %5d    15" % nschg) + force)
files = ["-zm", "pert.z", "-ba", os.path.join(ff, "opls-aa-bonded.par"),
         "-wa", os.path.join(src, "data/boxes/water.box")]
nulls = [x for o in ("-av", "-pl", "-sv", "-sz", "-o1", "-o2") for x in (o, "/dev/null")]
BETA = 1 / (0.00198717 * 298.15)


def blocks_of_dh(path, mxcon):
    """Rows of the xvg layout (comments '#', headers '@'), cut into blocks by the count."""
    cols, out = [], {}
    for ln in open(path):
        if ln.startswith("@") and "legend" in ln and " to " in ln:
            cols.append(float(ln.split(" to ")[-1].strip().strip('"')))
        elif ln[0] not in "#@":
            v = ln.split()
            out.setdefault((int(v[0]) - 1) // mxcon, []).append([float(x) / 4.184 for x in v[1:]])
    return cols, out


# The exponential average over each block's lines is that block's DeltaG (NSCHG = 1).
for code in ("100", "000"):
    r = subprocess.run([veka, code, "3000", "0.5", "0.0", "1.0", "-ot", "x.out", "-in", "x.in",
                        "-up", "x.up", "-su", "x.sum", "-pa", "job1.par", "-dh", "x.xvg"]
                       + files + nulls)
    assert r.returncode == 0
# A block killed while writing leaves only whole lines.
k = subprocess.Popen([veka, "000", "3000000", "0.5", "0.0", "1.0", "-in", "x.in", "-pa",
                      "job1.par", "-dh", "k.xvg", "-ot", "k.out", "-up", "k.up", "-su", "k.sum"]
                     + files + nulls)
for _ in range(600):
    if os.path.exists("k.xvg") and os.path.getsize("k.xvg") > 100000:
        break
    time.sleep(0.05)
k.kill()
k.wait()
text = open("k.xvg").read()
data = [ln.split() for ln in text.split("\n")[:-1] if ln[0] not in "#@"]
assert text.endswith("\n") and len(data) > 1000 and all(len(v) == 4 for v in data)
cols, blocks = blocks_of_dh("x.xvg", 3000)
assert cols == [0.0, 0.5, 1.0] and sorted(blocks) == [0, 1] and len(blocks[1]) == 3000
rows = open("x.sum").read().split(" Delta G1")[1].splitlines()[1:3]
for b, row in enumerate(rows):
    g1 = -math.log(sum(math.exp(-BETA * x[0]) for x in blocks[b]) / 3000) / BETA
    g2 = -math.log(sum(math.exp(-BETA * x[2]) for x in blocks[b]) / 3000) / BETA
    got = [float(x) for x in row.split()]
    assert abs(got[1] - g1) < 6e-4 and abs(got[4] - g2) < 6e-4, (row, g1, g2)


def fe(*args, **kw):
    return subprocess.run([sys.executable, tool] + list(args), capture_output=True, text=True,
                          **kw)


def plan(d):
    r = fe("plan", d, "--lambdas", "0,0.5,1", "--blocks", "3", "--mxcon", "20000", "--equil",
           "1", "-pa", "job50.par", *files)
    assert r.returncode == 0, r.stderr


plan("A")
assert fe("run", "A", "--veka", veka).returncode == 0
r = fe("analyse", "A")
assert r.returncode == 0 and re.search(r"total dG = \S+ \+/- \S+ kcal/mol\n$", r.stdout), r.stdout
table = [ln.split(",") for ln in open("A/results.csv").read().split("\n")[1:] if ln]
assert all(os.path.getsize("A/" + p) > 1000 for p in ("dg_lambda.png", "blocks.png"))
fwd = [float(t[3]) for t in table if t[2] == "exp-fwd"]
lines = [float(ln.split("=")[1].split()[0]) for w in ("w00_0.0000", "w01_0.5000")
         for ln in open("A/%s/prod.sum" % w) if ln.startswith(" DeltaG")][1::2]
assert abs(sum(fwd) - sum(lines)) < 1e-9, (fwd, lines)
for lo in ("0.0000", "0.5000"):
    est = {t[2]: (float(t[3]), float(t[4])) for t in table if t[0] == lo}
    for m in ("exp-fwd", "exp-bwd", "sos"):
        err = math.hypot(est[m][1], est["bar"][1]) + 0.02
        assert abs(est[m][0] - est["bar"][0]) < 3 * err, (lo, m, est)

# Kill a run after its first whole block, then resume: same table as the uninterrupted run.
plan("B")
p = subprocess.Popen([sys.executable, tool, "run", "B", "--veka", veka, "--jobs", "1"],
                     stdout=subprocess.PIPE, text=True, start_new_session=True)
while "w00_0.0000: production block 1/3" not in p.stdout.readline():
    pass
os.killpg(p.pid, signal.SIGKILL)
p.wait()
r = fe("run", "B", "--veka", veka)
assert r.returncode == 0 and "w00_0.0000: production block 1/3" not in r.stdout, r.stdout
assert "w00_0.0000: production block 3/3" in r.stdout
assert fe("analyse", "B").stdout == fe("analyse", "A").stdout

# Bad input: a missing binary; a window of another plan; a corrupt in-file.
r = fe("run", "B", "--veka", os.path.join(work, "nothing"))
assert r.returncode != 0 and "nothing" in r.stderr
plan("C")
shutil.copyfile("A/w01_0.5000/window.json", "C/w01_0.5000/window.json")
r = fe("run", "C", "--veka", veka)
assert r.returncode == 1 and "w01_0.5000: belongs to a different plan" in r.stderr
assert os.path.exists("C/w00_0.0000/prod.sum") and not os.path.exists("C/w01_0.5000/state.in")
open("B/w02_1.0000/state.in", "w").write("garbage\n")
open("B/w02_1.0000/progress.json", "w").write('{"equil": 1, "prod": 1}')
before = open("B/w01_0.5000/prod.sum").read()
r = fe("run", "B", "--veka", veka)
assert r.returncode == 1 and "window w02_1.0000: veka ended" in r.stderr, r.stderr
assert open("B/w01_0.5000/prod.sum").read() == before
shutil.rmtree(work)
