#!/usr/bin/python3
"""The committed force-field files read correctly through the fixed-column rules that the
program's readers follow: atom lookup, torsion-table search, torsion records, BANGFIL."""

import os
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import ffreader as fr  # noqa: E402

# Net charges of the built-in solvent models (sites as the solvent tables list them).
MODELS = {
    "TIP3P": [111, 112, 112], "TIP4P": [113, 114, 114, 115], "CH3OH": [78, 79, 80],
    "CH3CN": [95, 94, 96], "MEOME": [108, 109, 109], "C3H8": [71, 68, 68],
    "CHCL3": [120, 121, 121, 121], "MECL2": [118, 119, 119], "THF": [108, 110, 71, 110, 71],
    "ARGON": [103], "CCL4": [122, 123, 123, 123, 123], "DMSO": [124, 125, 126, 126],
    "TIP5P": [97, 98, 98, 99, 99]
}


def check_records(c, name, lines):
  for i, line in enumerate(lines, 1):
    c.check(len(line) <= 80, "%s record %d longer than 80 columns" % (name, i))
    c.check(all(32 <= ord(ch) < 127 for ch in line), "%s record %d: non-printable" % (name, i))


def check_atoms(c, ff):
  atoms = ff["atoms"]
  numbers = [a["number"] for a in atoms]
  c.check(len(atoms) > 700, "atom table has only %d types" % len(atoms))
  c.check(numbers == sorted(set(numbers)), "atom type numbers not unique and ascending")
  bad = [n for n in numbers if not 1 <= n <= 9999 or 800 <= n <= 899 or n >= 9500]
  c.check(not bad, "atom types outside 1-9999 or in the local ranges: %s" % bad[:10])
  records = ff["records"]
  for a in atoms:
    c.check(a["fftype"].strip() != "", "type %d has a blank force-field type" % a["number"])
  # Every record between the header and the end record is an atom or a '#' comment.
  for i in range(fr.SKIP_BEFORE_ATOMS, ff["end"]):
    rec = records[i]
    c.check(rec.startswith("#") or rec[0:4].strip() != "", "blank type at record %d" % (i + 1))
  # The torsion reader must stop exactly at the end record of the atom table.
  c.check(ff["torsion_end"] == ff["end"], "torsion reader stops at record %d, table ends at %d"
          % (ff["torsion_end"] + 1, ff["end"] + 1))
  small = [i for i in range(fr.TORSION_SKIP, ff["end"])
           if not records[i].startswith("#") and fr.fortran_int(records[i][0:3]) == 0]
  c.check(not small, "records past 84 whose columns 1-3 read 0: %s" % small[:5])
  c.check(ff["layout"] == 1, "layout code %r" % ff["layout"])
  c.check(not records[ff["end"] + 1].startswith("#") and not records[ff["end"] + 2].startswith(
      "#"), "skipped or layout record starts with '#'")
  by = {a["number"]: a for a in atoms}
  for model, sites in MODELS.items():
    if all(n in by for n in sites):
      c.close(sum(by[n]["q"] for n in sites), 0.0, 1e-9, "net charge of %s" % model)
  dm = by.get(100, {})
  c.check(dm.get("q") == 0 and dm.get("sigma") == 0 and dm.get("eps") == 0 and
          dm.get("z") == 0, "type 100 is not a zero dummy")
  for a in atoms:
    if a["sigma"] == 0.0 or a["eps"] == 0.0:
      c.check(a["sigma"] == 0.0 and a["eps"] == 0.0 or a["number"] in (1099,),
              "type %d has only one of sigma, epsilon zero" % a["number"])
  return {a["fftype"] for a in atoms}


def check_torsions(c, ff, fftypes):
  tors = ff["torsions"]
  c.check(len(tors) > 700, "torsion table has only %d records" % len(tors))
  first = tors[0]
  c.check(first["types"] == ("??",) * 4 and first["v"] == [0.0] * 4,
          "first torsion record is not the zero catch-all: %r" % (first,))
  exact = {}
  for t in tors:
    n = t["number"]
    c.check(1 <= n <= 999 and n != 500, "torsion type %d outside 1-999 or 500" % n)
    c.check(t["blanks"] == "    ", "torsion type %d: columns 4-5/46-47 not blank" % n)
    c.check(t["codes"] in ([0, 0, 0, 0], [0, 2, 0, 0]), "odd phase codes %r" % t["codes"])
    for ty in t["types"]:
      c.check(ty in fftypes or ty in ("??", "--"), "torsion type %d names unknown type %r" %
              (n, ty))
    if "--" not in t["types"] and t is not first:
      key = min(t["types"], t["types"][::-1])
      c.check(key not in exact, "types %s listed twice (types %d and %d): the automatic lookup "
              "would report two exact matches" % ("-".join(key), exact.get(key, 0), n))
      exact[key] = n
  # One coefficient set per type number.
  sets = {}
  for t in tors:
    want = sets.setdefault(t["number"], (t["v"], t["codes"][:3]))
    c.check(want == (t["v"], t["codes"][:3]), "torsion type %d has two coefficient sets" %
            t["number"])
  c.check(sets.get(1) == ([0.0] * 4, [0, 0, 0]), "type 1 is not the zero set")


def check_bangfil(c, path, fftypes):
  bonds, angles, rest = fr.read_bangfil(path)
  c.check(len(bonds) > 200 and len(angles) > 600, "%d bonds, %d angles" % (len(bonds),
                                                                           len(angles)))
  c.check(all(not line.strip() for line in rest), "records after the angle section")
  seen = set()
  for b in bonds:
    key = tuple(sorted((b["a"], b["b"])))
    c.check(key not in seen, "bond %s-%s twice" % key)
    seen.add(key)
    c.check(b["k"] > 0 and 0.1 < b["r0"] < 3.0, "bond %s-%s: K %g R0 %g" % (key + (b["k"],
                                                                               b["r0"])))
    c.check(b["sep"] == "-", "bond %s-%s: column 3 is %r" % (key + (b["sep"],)))
    c.check(set(key) <= fftypes, "bond names a type no atom has: %s-%s" % key)
  seen = set()
  for a in angles:
    key = (min(a["a"], a["c"]), a["b"], max(a["a"], a["c"]))
    c.check(key not in seen, "angle %s-%s-%s twice" % key)
    seen.add(key)
    # GROMACS has two lone-pair angles with K = 0 (LP-S-LP, LP-SH-LP); they are kept.
    c.check(a["k"] > 0 or a["b"] in ("S ", "SH") and a["a"] == a["c"] == "LP",
            "angle %s-%s-%s: zero force constant" % key)
    c.check(a["k"] >= 0 and 0 < a["t0"] <= 180, "angle %s-%s-%s: K %g t0 %g" % (
        key + (a["k"], a["t0"])))
    c.check(a["gap"] == "  ", "angle %s-%s-%s: columns 9-10 not blank" % key)
    c.check(set(key) <= fftypes, "angle names a type no atom has: %s-%s-%s" % key)


def main():
  _, src, _ = fr.args()
  par, bangfil = fr.paths(src)
  c = fr.Checks("ffdata_layout")
  check_records(c, "opls-aa.par", fr.read_lines(par))
  check_records(c, "opls-aa-bonded.par", fr.read_lines(bangfil))
  ff = fr.read_forcefield(par)
  fftypes = check_atoms(c, ff)
  check_torsions(c, ff, fftypes)
  check_bangfil(c, bangfil, fftypes)
  return c.finish()


if __name__ == "__main__":
  sys.exit(fr.run(main))
