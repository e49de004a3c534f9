#!/usr/bin/python3
"""The methanol -> ethane window example runs two short blocks, and its free-energy lines
parse with tools/fe_cycle.py and agree with the summary's per-block tables: the first
DeltaG/DelSOS line is the negated RC0 -> RC1 average (it is written from 0.4 to 0.5), the
second the RC0 -> RC2 average; every step of 0.1 costs between 0 and 2 kcal/mol (ethane
is the less soluble end).

Arguments: veka binary, source tree, build folder (unused)."""
import os
import subprocess
import sys
import tempfile

veka, src = sys.argv[1], sys.argv[2]
sys.path.insert(0, os.path.join(src, "tools"))
import fe_cycle  # noqa: E402

with tempfile.TemporaryDirectory() as tmp:
    script = os.path.join(src, "data", "examples", "methanol-ethane", "run-methanol-ethane")
    env = dict(os.environ, MXCON="20000", BLOCKS="2")
    out = os.path.join(tmp, "rc0-0.5000")
    r = subprocess.run([script, veka, out], env=env, capture_output=True, text=True)
    assert r.returncode == 0, r.stdout + r.stderr
    assert r.stdout.count("veka exit status 0") == 2, r.stdout
    args = type("Args", (), {"work": tmp})
    res = fe_cycle.read_window(args, (0.4, 0.5, 0.6))
    with open(os.path.join(out, "methanol-ethane.sum")) as f:
        lines = f.read().splitlines()
    averages = {}
    for head in ("  Run   Delta G1", "  Run       EXX1"):
        at = next(i for i, line in enumerate(lines) if line.startswith(head))
        assert lines[at + 3].startswith(" Averages"), lines[at:at + 4]
        averages[head] = [float(x) for x in lines[at + 4].split()]
    g1, g2 = averages["  Run   Delta G1"][0], averages["  Run   Delta G1"][3]
    s1, s2 = averages["  Run       EXX1"][2], averages["  Run       EXX1"][5]
    expect = {"DeltaG": [(0.4, 0.5, -g1), (0.5, 0.6, g2)],
              "DelSOS": [(0.4, 0.5, -s1), (0.5, 0.6, s2)]}
    for kind, rows in expect.items():
        for got, (lo, hi, value) in zip(res[kind], rows):
            assert got[:3] == (lo, hi, value), (kind, got, value)
            assert 0.0 < got[2] < 2.0 and got[3] > 0.0, (kind, got)
    assert abs(res["sum"][0] - (g2 - g1)) < 2e-3 and res["sum"][1] > 0.0, res["sum"]
print("ok")
