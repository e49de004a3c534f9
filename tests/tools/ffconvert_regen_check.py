#!/usr/bin/python3
"""The committed force-field files are what tools/ffconvert.py makes from GROMACS's files,
byte for byte, and data/forcefield/README.md lists the renumbering the tool applies."""

import os
import re
import subprocess
import sys
import tempfile

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import ffreader as fr  # noqa: E402


def first_difference(a, b):
  la, lb = a.split("\n"), b.split("\n")
  for i, (x, y) in enumerate(zip(la, lb), 1):
    if x != y:
      return "line %d:\n  committed: %s\n  generated: %s" % (i, x, y)
  return "lengths %d and %d lines" % (len(la), len(lb))


def check_regenerated(c, src, build):
  tool = os.path.join(src, "tools", "ffconvert.py")
  os.makedirs(build, exist_ok=True)
  with tempfile.TemporaryDirectory(dir=build) as out:
    run = subprocess.run([sys.executable, tool, "--out", out, "--quiet"], capture_output=True,
                         text=True, check=False)
    c.check(run.returncode == 0, "ffconvert failed: %s" % run.stderr.strip())
    if run.returncode != 0:
      return
    for committed in fr.paths(src):
      generated = os.path.join(out, os.path.basename(committed))
      with open(committed, "rb") as f:
        a = f.read()
      with open(generated, "rb") as f:
        b = f.read()
      c.check(a == b, "%s differs from a fresh conversion at %s" % (
          os.path.basename(committed), first_difference(a.decode(), b.decode())))


def readme_renumbering(src):
  """'| `name` (model) | number |' rows of the README's renumbering tables."""
  rows = {}
  with open(os.path.join(src, "data", "forcefield", "README.md"), encoding="utf-8") as f:
    for line in f:
      m = re.match(r"\|\s*`([^`]+)`(?:\s*\((\w+)\))?\s*\|\s*(\d+)\s*\|", line)
      if m:
        key = m.group(1) + (" (%s)" % m.group(2) if m.group(2) else "")
        rows[key] = int(m.group(3))
  return rows


def check_readme(c, src):
  tool = fr.import_tool(src)
  res = tool.convert(fr.GROMACS_DIR)
  documented = readme_renumbering(src)
  for name, number in res.moved.items():
    c.check(documented.get(name) == number, "README: %s -> %r, the tool gives %d" %
            (name, documented.get(name), number))
  for name in documented:
    c.check(name in res.moved, "README lists %s, which the tool does not move" % name)


def main():
  _, src, build = fr.args()
  if not os.path.isfile(os.path.join(fr.GROMACS_DIR, "ffnonbonded.itp")):
    print("GROMACS OPLS-AA data (gromacs-data) not installed")
    return fr.SKIP
  c = fr.Checks("ffconvert_regen")
  check_regenerated(c, src, build)
  check_readme(c, src)
  return c.finish()


if __name__ == "__main__":
  sys.exit(fr.run(main))
