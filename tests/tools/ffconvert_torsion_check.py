#!/usr/bin/python3
"""Torsions: every GROMACS Ryckaert-Bellemans set converts to Fourier V1..V4 that give back
GROMACS's coefficients and energies, and the committed torsion table carries each set."""

import math
import os
import re
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import ffreader as fr  # noqa: E402

KCAL = 4.184
ANGLES = [math.radians(10.0 * k) for k in range(36)]
# Largest sum C0+..+C5 of a GROMACS set: six coefficients printed to 5 decimals.
RESIDUE_BOUND = 3e-5
# Energy error of the file's four-decimal V's: sum of |dV_n| <= 4 x 0.5e-4 kcal/mol,
# plus the dropped residue.
FILE_BOUND = 2e-4 + RESIDUE_BOUND / KCAL


def gromacs_sets(path):
  """(names, C0..C5, kind) of ffbonded.itp's RB dihedral types and dih_* defines, and
  (name, phase, k, n) of its improper_* defines."""
  rb, impropers, section = [], [], None
  with open(path, encoding="latin-1") as f:
    for raw in f:
      text = raw.split(";")[0].split()
      if not text:
        continue
      m = re.match(r"\[\s*(\w+)\s*\]", " ".join(text))
      if m:
        section = m.group(1)
      elif text[0] == "#define" and text[1].startswith("dih_"):
        rb.append(((text[1],), [float(x) for x in text[2:8]], "define"))
      elif text[0] == "#define" and text[1].startswith("improper_"):
        impropers.append((text[1], float(text[2]), float(text[3]), int(text[4])))
      elif section == "dihedraltypes" and len(text) == 11 and text[4] == "3":
        rb.append((tuple(text[:4]), [float(x) for x in text[5:11]], "auto"))
  return rb, impropers


def fourier_to_rb(v):
  """The Fourier -> RB relations of the GROMACS manual (psi = phi - 180 deg)."""
  v1, v2, v3, v4 = v
  return [v2 + 0.5 * (v1 + v3), 0.5 * (-v1 + 3 * v3), -v2 + 4 * v4, -2 * v3, -4 * v4, 0.0]


def rb_energy(c, phi):
  psi = phi - math.pi
  return sum(cn * math.cos(psi)**n for n, cn in enumerate(c))


def fourier_energy(v, codes, phi):
  """The program's torsion energy, layout code 1, phases code x 90 deg."""
  f = [k * math.pi / 2 for k in codes]
  return (0.5 * (v[0] * (1 + math.cos(phi + f[0])) + v[1] * (1 - math.cos(2 * phi + f[1])) +
                 v[2] * (1 + math.cos(3 * phi + f[2]))) + 0.5 * v[3] * (1 - math.cos(4 * phi)))


def check_conversion(c, tool, rb):
  """Round trip and energies of the unrounded conversion, for every set."""
  for names, coeff, _ in rb:
    label = "-".join(names)
    v1, v2, v3, v4, residue = tool.rb_to_fourier(coeff)
    back = fourier_to_rb((v1, v2, v3, v4))
    back[0] += residue  # the constant the Fourier form cannot carry, added back
    c.check(abs(residue) <= RESIDUE_BOUND, "%s: RB sum %.2e is more than rounding" %
            (label, residue))
    c.check(all(abs(x - y) <= 1e-6 for x, y in zip(back, coeff)), "%s: RB %s -> Fourier -> "
            "RB %s" % (label, coeff, [round(x, 6) for x in back]))
    vk = [x / KCAL for x in (v1, v2, v3, v4)]
    worst = max(abs(fourier_energy(vk, (0, 0, 0), phi) + residue / KCAL -
                    rb_energy(coeff, phi) / KCAL) for phi in ANGLES)
    c.check(worst <= 1e-8, "%s: energy differs by %.2e kcal/mol" % (label, worst))


def file_error(t, energy_kj):
  return max(abs(fourier_energy(t["v"], t["codes"], phi) - energy_kj(phi) / KCAL)
             for phi in ANGLES)


def check_file(c, tool, rb, impropers, torsions):
  """Each GROMACS set is in the committed table, as an automatic record of its renamed
  types or, when another set owns those types, as an explicit-only '--' record."""
  exact = {}
  for t in torsions:
    if "--" not in t["types"]:
      exact[t["types"]] = exact[t["types"][::-1]] = t
  rounded = lambda coeff: [round(x / KCAL, 4) + 0.0 for x in tool.rb_to_fourier(coeff)[:4]]
  explicit = [t for t in torsions if "--" in t["types"]]
  defines = {t["comment"]: t for t in torsions if t["comment"]}
  for names, coeff, kind in rb:
    label = "-".join(names)
    energy = lambda phi, coeff=coeff: rb_energy(coeff, phi)
    if kind == "define":
      t = defines.get(names[0])
    else:
      t = exact.get(tuple(tool.two_char(n) for n in names))
      c.check(t is not None, "%s: no record of its renamed types" % label)
      if t is not None and t["v"] != rounded(coeff):
        # Shadowed by another set with the same renamed types: an explicit-only record.
        matches = [x for x in explicit if x["v"] == rounded(coeff)]
        c.check(matches, "%s: set %s neither automatic nor explicit" % (label, rounded(coeff)))
        t = matches[0] if matches else None
    if t is None:
      c.check(kind != "define", "define %s missing" % label)
      continue
    c.check(t["v"] == rounded(coeff), "%s: file V %s, converted %s" % (label, t["v"],
                                                                     rounded(coeff)))
    err = file_error(t, energy)
    c.check(err <= FILE_BOUND, "%s: file energy off by %.2e kcal/mol" % (label, err))
  by_note = {t["note"]: t for t in torsions}
  for name, phase, k, n in impropers:
    t = by_note.get(name)
    c.check(t is not None, "improper %s missing" % name)
    if t is not None:
      energy = lambda phi: k * (1 + math.cos(n * phi - math.radians(phase)))
      err = file_error(t, energy)
      c.check(err <= 5e-5, "improper %s: energy off by %.2e" % (name, err))


def main():
  _, src, _ = fr.args()
  itp = os.path.join(fr.GROMACS_DIR, "ffbonded.itp")
  if not os.path.isfile(itp):
    print("GROMACS OPLS-AA data (gromacs-data) not installed")
    return fr.SKIP
  tool = fr.import_tool(src)
  rb, impropers = gromacs_sets(itp)
  c = fr.Checks("ffconvert_torsion")
  c.check(len(rb) > 1000 and len(impropers) >= 3, "%d RB sets, %d impropers" %
          (len(rb), len(impropers)))
  check_conversion(c, tool, rb)
  par, _ = fr.paths(src)
  check_file(c, tool, rb, impropers, fr.read_forcefield(par)["torsions"])
  return c.finish()


if __name__ == "__main__":
  sys.exit(fr.run(main))
