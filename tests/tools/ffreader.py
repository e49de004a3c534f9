"""Fixed-column reader of VEKA's force-field files, written from their record layouts and
independent of tools/ffconvert.py, for the data checks in this folder."""

import os
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "support"))
from refcheck import SKIP, Checks, args  # noqa: E402,F401

COMMAND_SECTION = 71
SKIP_BEFORE_ATOMS = 73
TORSION_SKIP = 84
GROMACS_DIR = "/usr/share/gromacs/top/oplsaa.ff"


def fortran_int(field):
  return int(field) if field.strip() else 0


def fortran_float(field, decimals):
  """Fw.d input: blank reads 0; without a decimal point the last d digits are decimals."""
  s = field.strip()
  if not s:
    return 0.0
  if "." in s or "e" in s.lower():
    return float(s)
  return int(s) / 10**decimals


def read_lines(path):
  with open(path, encoding="ascii") as f:
    return f.read().split("\n")[:-1]


def parfile(par_lines):
  """A job's PARFILE: 71 command-section records followed by the force-field file."""
  return ["command section record %d" % (i + 1) for i in range(COMMAND_SECTION)] + par_lines


def atom_record(rec):
  return dict(number=fortran_int(rec[0:4]), z=fortran_int(rec[5:7]), fftype=rec[8:10].ljust(2),
              q=fortran_float(rec[11:21], 6), sigma=fortran_float(rec[21:31], 6),
              eps=fortran_float(rec[31:41], 6), text=rec[41:].strip())


def read_atoms(records):
  """The atom lookup: skip 73 records, skip '#' records, stop at a type number of 0.
  Returns (atoms in file order, index of the end record)."""
  atoms = []
  for i in range(SKIP_BEFORE_ATOMS, len(records)):
    rec = records[i]
    if rec.startswith("#"):
      continue
    if fortran_int(rec[0:4]) == 0:
      return atoms, i
    atoms.append(atom_record(rec))
  raise AssertionError("atom-type table has no end record")


def torsion_table_start(records):
  """The torsion reader: skip 84 records, skip '#' records, stop where columns 1-3 read 0;
  skip one record, read the layout code (8X,I1); returns (end index, layout, first index)."""
  for i in range(TORSION_SKIP, len(records)):
    rec = records[i]
    if rec.startswith("#"):
      continue
    if fortran_int(rec[0:3]) == 0:
      try:
        layout = fortran_int(records[i + 2][8:9])
      except ValueError:
        raise AssertionError("torsion reader stops at record %d (%r); no layout code after "
                             "it" % (i + 1, rec)) from None
      return i, layout, i + 3
  raise AssertionError("torsion reader found no end of the atom-type table")


def torsion_record(rec):
  v, codes = [], []
  for g in range(4):
    start = 5 + 10 * g
    v.append(fortran_float(rec[start:start + 8], 4))
    codes.append(fortran_int(rec[start + 9:start + 10]))
  types = tuple(rec[47 + 3 * k:49 + 3 * k].ljust(2) for k in range(4))
  return dict(number=fortran_int(rec[0:3]), v=v, codes=codes, types=types,
              note=rec[59:].strip(), blanks=rec[3:5] + rec[45:47])


def read_torsions(records, first):
  """Torsion records in file order; each also carries the '#' comment just before it."""
  out, comment = [], None
  for rec in records[first:]:
    if rec.startswith("#"):
      comment = rec[1:].strip()
      continue
    t = torsion_record(rec)
    t["comment"] = comment
    comment = None
    out.append(t)
  return out


def read_forcefield(path):
  records = parfile(read_lines(path))
  atoms, end = read_atoms(records)
  tend, layout, first = torsion_table_start(records)
  return dict(records=records, atoms=atoms, end=end, torsion_end=tend, layout=layout,
              torsions=read_torsions(records, first))


def paths(source_dir):
  d = os.path.join(source_dir, "data", "forcefield")
  return os.path.join(d, "opls-aa.par"), os.path.join(d, "opls-aa-bonded.par")


def import_tool(source_dir):
  sys.dont_write_bytecode = True  # leave no __pycache__ in the source tree
  sys.path.insert(0, os.path.join(source_dir, "tools"))
  import ffconvert  # noqa: E402
  return ffconvert


def run(main):
  """Runs a check's main(); a file that cannot even be read is one clear failure."""
  try:
    return main()
  except (AssertionError, ValueError, IndexError, OSError) as err:
    print("FAIL %s: %s" % (type(err).__name__, err))
    return 1
