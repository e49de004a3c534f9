#!/usr/bin/python3
"""The converter's naming, numbering and table-checking rules (no GROMACS data needed)."""

import os
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import ffreader as fr  # noqa: E402


def raises(fn, *a):
  try:
    fn(*a)
  except Exception as err:  # noqa: BLE001 - any refusal counts
    return type(err).__name__ == "ConversionError"
  return False


def check_names(c, tool):
  cases = {
      "CT": "CT", "C": "C ", "C_2": "C ", "C_3": "C ", "CT_2": "CT", "CT_4": "CT", "O_3": "O ",
      "SY2": "SY", "OW_tip4pew": "OW", "X": "??", "Na+": "Na", "K+": "K ", "Mg2+": "Mg",
      "Cl-": "Cl", "F-": "F ", "Th4+": "Th", "C+": "C+", "P+": "P+", "C*": "C*", "N*": "N*",
      "Cl": "Cl", "NT": "NT"
  }
  for name, want in cases.items():
    got = tool.two_char(name)
    c.check(got == want, "two_char(%r) = %r, expected %r" % (name, got, want))
  c.check(raises(tool.two_char, "MNH3"), "two_char accepts MNH3")


def check_numbers(c, tool):
  c.check(tool.renumber("opls_135", set()) == 135, "plain GROMACS number not kept")
  c.check(tool.renumber("opls_145B", {145}) == 1145, "suffixed type not moved to 1145")
  c.check(tool.renumber("opls_098", {98}) == 1098, "displaced type not moved to 1098")
  c.check(tool.renumber("opls_098", {98, 1098}) == 2098, "second move not to 2098")
  c.check(tool.renumber("OW_tip4pew", set()) is None, "a name without number got one")


def check_table_rules(c, tool):
  good = ["%4d  6 CT  0.000000  3.500000  0.066000" % n for n in range(1, 12)]
  good += ["# a comment after the eleventh record", "  12  1 HC  0.060000  2.500000  0.030000"]
  c.check(not raises(tool.check_atom_table, good), "a valid table is refused")
  # Two comments in front leave type 9 on record 11, the last one the torsion reader skips.
  c.check(not raises(tool.check_atom_table, ["#", "#"] + good), "type 9 on record 11 refused")
  bad = {
      "type 9 on record 12": ["#", "#", "#"] + good,
      "blank record": good[:5] + [""] + good[5:],
      "descending numbers": good[:3] + [good[4], good[3]] + good[5:],
      "repeated number": good[:3] + [good[2]] + good[3:],
      "local range 800-899": good + ["850  6 CT  0.0  0.0  0.0"],
      "local range 9500-": good + ["9500  6 CT  0.0  0.0  0.0"],
      "record over 80 columns": good + ["  13  1 HC" + " " * 75],
  }
  for what, table in bad.items():
    c.check(raises(tool.check_atom_table, table), "check_atom_table accepts: %s" % what)


def check_conversions(c, tool):
  c.check(raises(tool.rb_to_fourier, [1, 0, 0, 0, 0, 0.5]), "C5 != 0 accepted")
  v, codes = tool.periodic_to_fourier(180.0, 43.932, 2)
  c.check(v == (0.0, 87.864, 0.0, 0.0) and codes == (0, 0, 0), "improper n=2 phase 180: %r %r" %
          (v, codes))
  v, codes = tool.periodic_to_fourier(0.0, 1.0, 2)
  c.check(v == (0.0, 2.0, 0.0, 0.0) and codes == (0, 2, 0), "n=2 phase 0: %r %r" % (v, codes))
  c.check(raises(tool.periodic_to_fourier, 0.0, 1.0, 4), "cos 4 phi with a phase accepted")
  # Published OPLS-AA values converted by hand: opls_135 0.35 nm, 0.276144 kJ/mol; CT-CT
  # bond 0.1529 nm, 224262.4 kJ/mol/nm^2; CT-CT-CT angle 112.7 deg, 488.273 kJ/mol/rad^2.
  for got, want in zip(tool.lj_params(0.35, 0.276144), (3.5, 0.066)):
    c.close(got, want, 1e-9, "sigma, epsilon")
  c.close(tool.bond_params(0.1529, 224262.4)[0], 268.0, 1e-9, "bond K")
  c.close(tool.angle_params(112.7, 488.273)[0], 58.35, 1e-4, "angle K")


def check_published(c, tool, src):
  """The check of the built-in solvent sites against the papers refuses wrong values."""
  par, _ = fr.paths(src)
  atoms = fr.read_forcefield(par)["atoms"]
  entries = [tool.Entry(a["number"], a["z"], a["fftype"], a["q"], a["sigma"], a["eps"], "", "")
             for a in atoms]
  c.check(not raises(tool.check_published, entries), "committed table fails check_published")
  by = {e.number: e for e in entries}
  for n, field, value in ((111, "q", -0.8), (80, "sigma", 3.8), (97, "eps", 0.152),
                          (115, "fftype", "MW"), (100, "fftype", "  ")):
    old = getattr(by[n], field)
    setattr(by[n], field, value)
    c.check(raises(tool.check_published, entries), "check_published accepts %d %s = %r" %
            (n, field, value))
    setattr(by[n], field, old)


def main():
  _, src, _ = fr.args()
  tool = fr.import_tool(src)
  c = fr.Checks("ffconvert_rules")
  check_names(c, tool)
  check_numbers(c, tool)
  check_table_rules(c, tool)
  check_conversions(c, tool)
  check_published(c, tool, src)
  return c.finish()


if __name__ == "__main__":
  sys.exit(fr.run(main))
