#!/usr/bin/python3
"""Make VEKA's OPLS-AA parameter files from the OPLS-AA tables that GROMACS ships.

    /usr/bin/python3 tools/ffconvert.py [--gromacs DIR] [--out DIR] [--quiet]

reads DIR (default /usr/share/gromacs/top/oplsaa.ff: ffnonbonded.itp, ffbonded.itp,
atomtypes.atp and the water-model .itp files) and writes into --out (default
data/forcefield beside this tool's repository):

  opls-aa.par         force-field part of a job's PARFILE: two header records, the
                      atom-type table, its end record, one skipped record, the layout
                      record and the torsion-type table.  A job's PARFILE is the 71-record
                      command section followed by this file.
  opls-aa-bonded.par  BANGFIL: bond records, a blank record, angle records, a blank record.

The output depends on the input files only (no dates, no versions), so running the tool
twice gives identical bytes.  Standard library only.

Units and conventions (GROMACS -> VEKA)
  * lengths nm -> Angstrom (x 10); energies kJ/mol -> kcal/mol (/ 4.184).
  * Lennard-Jones: GROMACS sigma/epsilon (combination rule 3, geometric) -> sigma in
    Angstrom, epsilon in kcal/mol.  Charges are copied.
  * bonds: GROMACS 1/2 kb (r - b0)^2 with kb in kJ/mol/nm^2 -> VEKA K (r - R0)^2, so
    K = kb / 2 / 4.184 / 100 kcal/mol/A^2 and R0 = 10 b0 A.
  * angles: GROMACS 1/2 k (theta - theta0)^2 with k in kJ/mol/rad^2 -> VEKA
    K (theta - theta0)^2, so K = k / 2 / 4.184 kcal/mol/rad^2; theta0 stays in degrees.
  * torsions: GROMACS Ryckaert-Bellemans sum_n C_n cos^n(psi), psi = phi - 180 deg, ->
    VEKA 1/2 [V1 (1 + cos phi) + V2 (1 - cos 2 phi) + V3 (1 + cos 3 phi)]
    + 1/2 V4 (1 - cos 4 phi), all phases 0:
        V4 = -C4/4, V3 = -C3/2, V2 = -C2 - C4, V1 = -2 C1 - 3/2 C3  (rb_to_fourier()).
    The Fourier form is zero at phi = 180 deg, where the RB sum is C0+...+C5; GROMACS's
    OPLS sets have that sum zero up to the rounding of their five printed decimals
    (at most 2e-5 kJ/mol), which is dropped; a set whose sum exceeds 5e-5 kJ/mol, or with
    C5 != 0, cannot be written and is reported.
  * periodic impropers k (1 + cos(n phi - phi_s)) with phi_s 0 or 180 deg become the
    matching Fourier term with V_n = 2k.
  * layout code 1 (V1..V4 with a true cos 4 phi term): OPLS-AA has cos 4 phi terms
    (benzamidine CA-CA-CA-N2, perfluoroalkanes) and, apart from that rounding residue,
    never a constant term, which is the only thing layout 0 would add (at the price of V4).

Atom types
  * a type keeps its GROMACS number (opls_NNN -> NNN) unless the built-in solvent models
    need that number or the GROMACS name carries a letter suffix; the moves are listed in
    RENUMBERED and follow the rule "first free of 1000+NNN, 2000+NNN, ...".  Water-model
    sites whose charge GROMACS sets in a molecule file are in WATER_SITES.
  * numbers 800-899 and from 9500 on are left to the users' Z-matrix files; the table is
    ascending, has no blank record before its end and keeps every type below 10 within
    its first 11 records (the torsion reader skips 84 PARFILE records, then stops at the
    first record whose columns 1-3 read 0).  check_atom_table() enforces all of this.

Two-character force-field types (two_char())
  * names of at most two characters are kept ("C" is written "C ");
  * NAME_suffix -> NAME (C_2, C_3 -> C; CT_2, CT_3, CT_4 -> CT; O_2, O_3 -> O;
    OW_tip4pew -> OW); a two-letter name followed by a digit loses the digit (SY2 -> SY);
    an ion (element symbol, optional digit, sign) becomes its element symbol (Na+ -> Na,
    Mg2+ -> Mg, Cl- -> Cl, F- -> F); GROMACS's wildcard X becomes "??";
  * massless charge sites of the water models get "LP" (MASSLESS_SITES).
  Collisions: atom types keep their own numbers and parameters, so nothing is lost there.
  Bonded records whose renamed types coincide are merged when their values agree.  When
  they disagree, the record whose GROMACS names needed the fewest renamings (then the
  earliest in the file) is the one the automatic lookup finds; a bond or angle that loses
  is dropped and reported; a torsion that loses keeps its own type number in a block of
  explicit-only records whose renamed positions read "--", which no atom type matches.

Torsion type numbers (number_torsions())
  0 is no torsion and is not written.  1 is the all-zero set; its first record is the
  catch-all "?? ?? ?? ??" at the top of the table, so a torsion with no better match gets
  no energy and the listing names that record.  160, 161, 162 are the impropers of the
  automatic assignment (GROMACS improper_O_C_X_Y, improper_Z_N_X_Y, improper_Z_CA_X_Y).
  Every other distinct coefficient set (after rounding to the file's four decimals) gets
  the next free number from 2 in the order: automatic records in ffbonded.itp order,
  explicit-only records, GROMACS's dih_* defines, the remaining impropers; 160-162 and
  500 (the harmonic dihedral constraint) are never handed out.
"""

import argparse
import os
import re
import sys
from collections import OrderedDict, defaultdict

KJ_PER_KCAL = 4.184
GROMACS_DIR = "/usr/share/gromacs/top/oplsaa.ff"
PAR_NAME = "opls-aa.par"
BONDED_NAME = "opls-aa-bonded.par"
RECORD_WIDTH = 80
COMMAND_SECTION_RECORDS = 71
HEADER_RECORDS = 2
TORSION_SKIP = 84  # records the torsion reader skips from the top of a PARFILE
LAYOUT_CODE = 1
RB_RESIDUE_LIMIT = 5e-5  # kJ/mol; GROMACS prints 5 decimals, so 6 terms round to <3e-5
TORSION_DECIMALS = 4
NEUTRAL_TYPE = "--"  # never an atom type: explicit-only torsion records use it
WILDCARD = "??"
RESERVED_TORSION_TYPES = (0, 500)
IMPROPER_TYPES = OrderedDict(
    [(160, "improper_O_C_X_Y"), (161, "improper_Z_N_X_Y"), (162, "improper_Z_CA_X_Y")])

HEADER = (
    "OPLS-AA force field (GROMACS oplsaa.ff, OPLS-AA/L) for VEKA - tools/ffconvert.py",
    "q in e, sigma in A, epsilon and torsion V1-V4 in kcal/mol; see data/forcefield",
)

# GROMACS types whose numbers the built-in solvent models take, and GROMACS names
# without a usable number.  Built from the rule in renumber() and checked against it.
RENUMBERED = OrderedDict([
    ("opls_097", 103),    # argon: built-in argon site
    ("opls_098", 1098),   # krypton
    ("opls_099", 1099),   # xenon
    ("opls_103", 1103),   # N in R4N+
    ("opls_145B", 1145),
    ("opls_223B", 1223),
    ("opls_224B", 1224),
    ("opls_225B", 1225),
    ("opls_292B", 1292),
    ("opls_293B", 1293),
    ("opls_319B", 1319),
    ("opls_333B", 1333),
    ("opls_354B", 1354),
    ("opls_377B", 1377),
    ("opls_906B", 1906),
    ("opls_912B", 1912),
])

# GROMACS types whose numbers a built-in solvent site takes over with their parameters.
BUILTIN_MOVES = OrderedDict([("opls_097", 103)])  # argon

# GROMACS atom types that are not OPLS atoms: virtual-site construction masses.
SKIPPED_TYPES = ("MNH3", "MNH2", "MCH3A", "MCH3B", "MW")

# Water-model sites: (model file, GROMACS type, VEKA number, force-field type, text).
# The charge is the one of the model's [ atoms ] section; sigma and epsilon come from
# the GROMACS atom type.  TIP5P moves to 97-99 for the built-in TIP5P solvent.
WATER_SITES = (
    ("tip3p.itp", "opls_111", 111, "OW", "TIP3P O"),
    ("tip3p.itp", "opls_112", 112, "HW", "TIP3P H"),
    ("tip4p.itp", "opls_113", 113, "OW", "TIP4P O"),
    ("tip4p.itp", "opls_114", 114, "HW", "TIP4P H"),
    ("tip4p.itp", "opls_115", 115, "LP", "TIP4P M"),
    ("tip5p.itp", "opls_118", 97, "OW", "TIP5P O"),
    ("tip5p.itp", "opls_119", 98, "HW", "TIP5P H"),
    ("tip5p.itp", "opls_120", 99, "LP", "TIP5P L"),
    ("tip5pe.itp", "opls_118e", 1118, "OW", "TIP5P-E O"),
    ("spc.itp", "opls_116", 116, "OW", "SPC O"),
    ("spc.itp", "opls_117", 117, "HW", "SPC H"),
    ("tip4pew.itp", "OW_tip4pew", 2001, "OW", "TIP4P-Ew O"),
    ("tip4pew.itp", "HW_tip4pew", 2002, "HW", "TIP4P-Ew H"),
    ("tip4pew.itp", "MW", 2003, "LP", "TIP4P-Ew M"),
    ("spce.itp", "opls_116", 2004, "OW", "SPC/E O"),
    ("spce.itp", "opls_117", 2005, "HW", "SPC/E H"),
)
MASSLESS_SITES = ("opls_115", "opls_120", "MW")

# GROMACS data errors corrected here: (GROMACS name, atomic number, reason).
ATOMIC_NUMBER_FIXES = (
    ("opls_009", 6, "united-atom CH2 (mass 14.027) listed with atomic number 7"),
    ("opls_436", 92, "uranium of UO2(2+) listed with atomic number 0"),
)

# Types GROMACS lacks: (number, Z, type, q, sigma A, epsilon kcal/mol, text, source).
# The sources are written in front of the types as "#" records of the table.
LITERATURE_TYPES = (
    (100, 0, "DM", 0.0, 0.0, 0.0, "dummy site, no interactions", None),
    (118, 6, "C2", 0.220, 3.800, 0.118, "CH2Cl2 CH2 (united atom)",
     "OPLS united-atom CH2Cl2 of W. L. Jorgensen and co-workers. UNVERIFIED: the "
     "values are recalled, and the paper that published them was not identified or "
     "checked here."),
    (119, 17, "Cl", -0.110, 3.400, 0.300, "CH2Cl2 Cl (united atom)", None),
    (120, 6, "CH", 0.420, 3.800, 0.080, "CHCl3 CH (united atom)",
     "OPLS united-atom CHCl3: W. L. Jorgensen, J. M. Briggs, M. L. Contreras, "
     "J. Phys. Chem. 94, 1683 (1990). UNVERIFIED: values recalled from that paper, "
     "not checked against its text here."),
    (121, 17, "Cl", -0.140, 3.470, 0.300, "CHCl3 Cl (united atom)", None),
)

# Published values of the built-in solvent models that GROMACS carries, checked against
# GROMACS's numbers: number -> (q, sigma A, epsilon kcal/mol, source).  TIP3P and TIP4P
# were published as A and C (kcal A^12/mol, kcal A^6/mol): sigma = (A/C)^(1/6),
# epsilon = C^2 / (4A).
JCP_1983 = "W. L. Jorgensen, J. Chandrasekhar, J. D. Madura, R. W. Impey, M. L. Klein, " \
    "J. Chem. Phys. 79, 926 (1983)"


def _lj_from_ac(a, c):
  return (a / c)**(1.0 / 6.0), c * c / (4.0 * a)


PUBLISHED_SOLVENT = OrderedDict([
    (111, (-0.834,) + _lj_from_ac(582000.0, 595.0) + (JCP_1983,)),
    (112, (0.417, 0.0, 0.0, JCP_1983)),
    (113, (0.0,) + _lj_from_ac(600000.0, 610.0) + (JCP_1983,)),
    (114, (0.52, 0.0, 0.0, JCP_1983)),
    (115, (-1.04, 0.0, 0.0, JCP_1983)),
    (97, (0.0, 3.12, 0.16, "M. W. Mahoney, W. L. Jorgensen, J. Chem. Phys. 112, 8910 (2000)")),
    (98, (0.241, 0.0, 0.0, "as type 97")),
    (99, (-0.241, 0.0, 0.0, "as type 97")),
    (78, (-0.700, 3.070, 0.170, "W. L. Jorgensen, J. Phys. Chem. 90, 1276 (1986)")),
    (79, (0.435, 0.0, 0.0, "as type 78")),
    (80, (0.265, 3.775, 0.207, "as type 78")),
    (94, (-0.430, 3.20, 0.170, "W. L. Jorgensen, J. M. Briggs, Mol. Phys. 63, 547 (1988)")),
    (95, (0.280, 3.65, 0.150, "as type 94")),
    (96, (0.150, 3.775, 0.207, "as type 94")),
    (108, (-0.500, 3.00, 0.170,
           "J. M. Briggs, T. Matsui, W. L. Jorgensen, J. Comput. Chem. 11, 958 (1990)")),
    (109, (0.250, 3.80, 0.170, "as type 108")),
    (110, (0.250, 3.80, 0.118, "as type 108")),
    (68, (0.0, 3.905, 0.175,
          "W. L. Jorgensen, J. D. Madura, C. J. Swenson, J. Am. Chem. Soc. 106, 6638 (1984)")),
    (71, (0.0, 3.905, 0.118, "as type 68")),
])
PUBLISHED_TOLERANCE = 5e-4  # relative; TIP3P's sigma/epsilon in GROMACS are rounded

# Built-in solvent sites: number -> force-field type the tables must hold.
BUILTIN_SOLVENT_TYPES = OrderedDict([
    (111, "OW"), (112, "HW"), (113, "OW"), (114, "HW"), (115, "LP"), (97, "OW"), (98, "HW"),
    (99, "LP"), (103, "Ar"), (78, "OH"), (79, "HO"), (80, "C3"), (95, "C "), (94, "N "),
    (96, "C3"), (108, "OS"), (109, "C3"), (110, "C2"), (71, "C2"), (68, "C3"), (118, "C2"),
    (119, "Cl"), (120, "CH"), (121, "Cl"), (122, "CT"), (123, "Cl"), (124, "S "), (125, "O2"),
    (126, "C3"), (100, "DM")
])

IONIC_ELEMENTS = ("F", "Cl", "Br", "I", "Li", "Na", "K", "Rb", "Cs", "Mg", "Ca", "Sr", "Ba",
                  "Ac", "Th", "Am", "La", "Nd", "Eu", "Gd", "Yb")


class ConversionError(Exception):
  pass


# ----------------------------------------------------------------------------------------
# Reading GROMACS files


def read_itp(path, defined=()):
  """Return [(line number, text without comment, comment)] of an .itp file with its
  #ifdef/#ifndef/#else/#endif blocks resolved for the macros in `defined`."""
  out, stack = [], []
  with open(path, encoding="latin-1") as f:
    for n, raw in enumerate(f, 1):
      text, _, comment = raw.rstrip("\n").partition(";")
      words = text.split()
      if words and words[0] in ("#ifdef", "#ifndef"):
        stack.append((words[1] in defined) == (words[0] == "#ifdef"))
        continue
      if words and words[0] == "#else":
        stack[-1] = not stack[-1]
        continue
      if words and words[0] == "#endif":
        stack.pop()
        continue
      if all(stack) and words:
        out.append((n, text.strip(), comment.strip()))
  return out


def sections(lines):
  """Group itp lines by [ section ]; #define lines go to the pseudo-section '#define'."""
  groups, current = defaultdict(list), None
  for n, text, comment in lines:
    m = re.match(r"\[\s*(\w+)\s*\]$", text)
    if m:
      current = m.group(1)
    elif text.startswith("#define"):
      groups["#define"].append((n, text.split()[1:], comment))
    elif current:
      groups[current].append((n, text.split(), comment))
  return groups


class AtomType:
  def __init__(self, name, bond_type, z, mass, charge, sigma_nm, eps_kj):
    self.name, self.bond_type, self.z, self.mass = name, bond_type, z, mass
    self.charge, self.sigma_nm, self.eps_kj = charge, sigma_nm, eps_kj


def read_atomtypes(gmx):
  types = OrderedDict()
  for n, w, _ in sections(read_itp(os.path.join(gmx, "ffnonbonded.itp")))["atomtypes"]:
    if len(w) == 7:  # no bond_type column: it equals the name
      w = [w[0]] + w
    if len(w) != 8:
      raise ConversionError("ffnonbonded.itp line %d: unexpected atom type" % n)
    types[w[0]] = AtomType(w[0], w[1], int(w[2]), float(w[3]), float(w[4]), float(w[6]),
                           float(w[7]))
  return types


def read_descriptions(gmx):
  desc = {}
  with open(os.path.join(gmx, "atomtypes.atp"), encoding="latin-1") as f:
    for raw in f:
      text, _, comment = raw.partition(";")
      words = text.split()
      if words:
        desc[words[0]] = " ".join(comment.split())
  return desc


def read_water_charges(gmx, model):
  """GROMACS type -> charge from a water model's [ atoms ] section."""
  charges = {}
  for n, w, _ in sections(read_itp(os.path.join(gmx, model)))["atoms"]:
    q = float(w[6])
    if charges.setdefault(w[1], q) != q:
      raise ConversionError("%s line %d: two charges for %s" % (model, n, w[1]))
  return charges


class Bonded:
  """One GROMACS bonded record: names, parameters, line number, comment."""

  def __init__(self, names, params, line, comment):
    self.names, self.params, self.line, self.comment = tuple(names), params, line, comment


def read_bonded(gmx):
  """Bonds, angles, proper dihedrals (RB), dih_* defines and improper_* defines."""
  groups = sections(read_itp(os.path.join(gmx, "ffbonded.itp")))
  bonds, angles, dihedrals, defines, impropers, skipped = [], [], [], [], [], []
  for n, w, c in groups["bondtypes"]:
    if w[2] != "1":
      raise ConversionError("ffbonded.itp line %d: bond function %s" % (n, w[2]))
    bonds.append(Bonded(w[:2], (float(w[3]), float(w[4])), n, c))
  for n, w, c in groups["angletypes"]:
    if w[3] != "1":
      raise ConversionError("ffbonded.itp line %d: angle function %s" % (n, w[3]))
    angles.append(Bonded(w[:3], (float(w[4]), float(w[5])), n, c))
  for n, w, c in groups["dihedraltypes"]:
    if len(w) == 11 and w[4] == "3":
      dihedrals.append(Bonded(w[:4], tuple(float(x) for x in w[5:11]), n, c))
    else:
      skipped.append((n, " ".join(w)))
  for n, w, c in groups["#define"]:
    if w[0].startswith("dih_"):
      defines.append(Bonded([w[0]], tuple(float(x) for x in w[1:7]), n, c))
    elif w[0].startswith("improper_"):
      impropers.append(Bonded([w[0]], (float(w[1]), float(w[2]), int(w[3])), n, c))
  return bonds, angles, dihedrals, defines, impropers, skipped


# ----------------------------------------------------------------------------------------
# Conversions


def kcal(x_kj):
  return x_kj / KJ_PER_KCAL


def lj_params(sigma_nm, eps_kj):
  """GROMACS sigma (nm), epsilon (kJ/mol) -> sigma (A), epsilon (kcal/mol)."""
  return sigma_nm * 10.0, kcal(eps_kj)


def bond_params(b0_nm, kb):
  """GROMACS 1/2 kb (r-b0)^2, kb in kJ/mol/nm^2 -> (K kcal/mol/A^2, R0 A) of K (r-R0)^2."""
  return kcal(kb) / 2.0 / 100.0, b0_nm * 10.0


def angle_params(theta0_deg, k):
  """GROMACS 1/2 k (t-t0)^2, k in kJ/mol/rad^2 -> (K kcal/mol/rad^2, t0 deg) of K (t-t0)^2."""
  return kcal(k) / 2.0, theta0_deg


def rb_to_fourier(c):
  """Ryckaert-Bellemans C0..C5 (psi = phi - 180 deg) -> (V1, V2, V3, V4, residue) in the
  same energy unit.  With cos psi = -cos phi and the multiple-angle formulas,
      C1 = (-V1 + 3 V3)/2,  C2 = -V2 + 4 V4,  C3 = -2 V3,  C4 = -4 V4,
      C0 = V2 + (V1 + V3)/2 and C5 = 0;
  inverting the first four gives the V's; the C0 relation holds when C0+...+C4 = 0, and
  the residue C0+...+C5 is the constant the Fourier form cannot carry."""
  if len(c) != 6:
    raise ValueError("six Ryckaert-Bellemans coefficients expected")
  if c[5] != 0.0:
    raise ConversionError("C5 = %g needs a cos 5 phi term" % c[5])
  v4 = -c[4] / 4.0
  v3 = -c[3] / 2.0
  v2 = -c[2] - c[4]
  v1 = -2.0 * c[1] - 1.5 * c[3]
  return v1, v2, v3, v4, sum(c)


def periodic_to_fourier(phase_deg, k, n):
  """GROMACS k (1 + cos(n phi - phase)) with phase 0 or 180 deg -> (V1..V4, phase codes).
  VEKA's term n is 1/2 Vn (1 + cos(n phi + fn)) for n = 1, 3 and 1/2 Vn (1 - cos(...))
  for n = 2, 4; a sign flip of the cosine is a phase of 180 deg (code 2)."""
  if phase_deg not in (0.0, 180.0) or not 1 <= n <= 4:
    raise ConversionError("periodic term n=%d phase=%g" % (n, phase_deg))
  v = [0.0, 0.0, 0.0, 0.0]
  codes = [0, 0, 0]
  v[n - 1] = 2.0 * k
  plus_cos = phase_deg == 0.0
  native_plus = n in (1, 3)
  if plus_cos != native_plus:
    if n == 4:
      raise ConversionError("cos 4 phi term has no phase")
    codes[n - 1] = 2
  return tuple(v), tuple(codes)


# ----------------------------------------------------------------------------------------
# Names


def two_char(name):
  """GROMACS bond type -> two-character force-field type (see the module notes)."""
  if name == "X":
    return WILDCARD
  m = re.fullmatch(r"([A-Z][a-z]?)\d?[+-]", name)
  if m and m.group(1) in IONIC_ELEMENTS:
    return m.group(1).ljust(2)
  if len(name) <= 2:
    return name.ljust(2)
  base = name.split("_")[0]
  if base != name and 1 <= len(base) <= 2:
    return base.ljust(2)
  m = re.fullmatch(r"([A-Z]{2})\d", name)
  if m:
    return m.group(1)
  raise ConversionError("no two-character form for GROMACS type %s" % name)


def renamed_count(names):
  return sum(1 for n in names if n != "X" and two_char(n).strip() != n)


# ----------------------------------------------------------------------------------------
# Atom types


class Entry:
  """One record of the atom-type table."""

  def __init__(self, number, z, fftype, q, sigma, eps, text, origin):
    self.number, self.z, self.fftype = number, z, fftype
    self.q, self.sigma, self.eps, self.text, self.origin = q, sigma, eps, text, origin


def gromacs_number(name):
  m = re.fullmatch(r"opls_(\d+)[A-Za-z]*", name)
  return int(m.group(1)) if m else None


def renumber(name, taken):
  """VEKA number of a GROMACS opls_ name, or None for names without a number."""
  m = re.fullmatch(r"opls_(\d+)([A-Za-z]*)", name)
  if not m:
    return None
  base = int(m.group(1))
  if not m.group(2) and base not in taken:
    return base
  k = 1
  while 1000 * k + base in taken:
    k += 1
  return 1000 * k + base


def build_atom_table(gmx):
  types = read_atomtypes(gmx)
  desc = read_descriptions(gmx)
  fixes = {name: z for name, z, _ in ATOMIC_NUMBER_FIXES}
  entries = []
  water = {}
  for model, gname, number, fftype, text in WATER_SITES:
    charges = read_water_charges(gmx, model)
    if gname not in charges:
      raise ConversionError("%s has no site %s" % (model, gname))
    water.setdefault(gname, []).append((number, fftype, text, charges[gname], model))
  # Numbers held by the solvent tables and water sites; GROMACS types never take them.
  held = {n for n, *_ in LITERATURE_TYPES} | {s[2] for s in WATER_SITES}
  held |= set(BUILTIN_MOVES.values())
  moved = OrderedDict()
  for name, t in types.items():
    z = fixes.get(name, t.z)
    sigma, eps = lj_params(t.sigma_nm, t.eps_kj)
    if name in water:
      for number, fftype, text, q, model in water[name]:
        entries.append(Entry(number, z, fftype, q, sigma, eps, text, name))
        if number != gromacs_number(name):
          moved[name + " (" + model[:-4] + ")"] = number
      continue
    if name in SKIPPED_TYPES:
      continue
    number = BUILTIN_MOVES.get(name) or renumber(name, held)
    if number is None:
      raise ConversionError("GROMACS atom type %s has no number" % name)
    if number != gromacs_number(name):
      moved[name] = number
    held.add(number)
    fftype = "LP" if name in MASSLESS_SITES else two_char(t.bond_type)
    text = desc.get(name, "")
    entries.append(Entry(number, z, fftype, t.charge, sigma, eps, text, name))
  for number, z, fftype, q, sigma, eps, text, source in LITERATURE_TYPES:
    entries.append(Entry(number, z, fftype, q, sigma, eps, text, "literature"))
  entries.sort(key=lambda e: e.number)
  plain = OrderedDict((k, v) for k, v in moved.items() if " " not in k)
  if plain != RENUMBERED:
    raise ConversionError("the renumbering differs from RENUMBERED (and the README): %s" %
                          sorted(set(plain.items()) ^ set(RENUMBERED.items())))
  return entries, moved


def check_published(entries):
  """Built-in solvent sites that GROMACS carries agree with the published models."""
  by_number = {e.number: e for e in entries}
  for number, (q, sigma, eps, source) in PUBLISHED_SOLVENT.items():
    e = by_number[number]
    for got, want, what in ((e.q, q, "charge"), (e.sigma, sigma, "sigma"), (e.eps, eps,
                                                                            "epsilon")):
      if abs(got - want) > PUBLISHED_TOLERANCE * max(abs(want), 1.0):
        raise ConversionError("type %d %s %.6f differs from %.6f (%s)" %
                              (number, what, got, want, source))
  for number, fftype in BUILTIN_SOLVENT_TYPES.items():
    if number not in by_number or by_number[number].fftype != fftype:
      raise ConversionError("built-in solvent type %d must be %r" % (number, fftype))


def atom_record(e):
  text = (e.origin + " " + e.text).strip() if e.origin != "literature" else e.text
  line = "%4d %2d %-2s %10.6f%10.6f%10.6f %s" % (e.number, e.z, e.fftype, fix0(e.q, 6),
                                                 fix0(e.sigma, 6), fix0(e.eps, 6), text)
  return line[:RECORD_WIDTH].rstrip()


def literature_comments(number):
  """'#' records in front of a literature type: where its numbers come from."""
  for n, z, fftype, q, sigma, eps, text, source in LITERATURE_TYPES:
    if n == number and source:
      return wrap("# %d: %s" % (n, source))
  return []


def wrap(text):
  lines, line = [], ""
  for word in text.split():
    if len(line) + 1 + len(word) > RECORD_WIDTH:
      lines.append(line)
      line = "#"
    line = (line + " " + word) if line else word
  return lines + [line]


def check_atom_table(records):
  """The atom-type table's constraints; records are the table's lines before its end."""
  numbers = []
  for i, rec in enumerate(records, 1):
    if len(rec) > RECORD_WIDTH:
      raise ConversionError("atom record %d longer than %d columns" % (i, RECORD_WIDTH))
    if rec.startswith("#"):
      continue
    if not rec.strip() or not rec[:4].strip():
      raise ConversionError("atom record %d is blank in columns 1-4" % i)
    n = int(rec[:4])
    if not 1 <= n <= 9999:
      raise ConversionError("atom type %d outside 1-9999" % n)
    if 800 <= n <= 899 or n >= 9500:
      raise ConversionError("atom type %d is in a range left to Z-matrix files" % n)
    if numbers and n <= numbers[-1]:
      raise ConversionError("atom type %d after %d: not ascending" % (n, numbers[-1]))
    if n < 10 and i > TORSION_SKIP - COMMAND_SECTION_RECORDS - HEADER_RECORDS:
      raise ConversionError("atom type %d at table record %d: the torsion reader would "
                            "stop there" % (n, i))
    numbers.append(n)
  return numbers


# ----------------------------------------------------------------------------------------
# Torsions


class Torsion:
  """A torsion record: four two-character types, V1..V4 (kcal/mol), phase codes."""

  def __init__(self, types, v, codes, origin, line, kind):
    self.types, self.v, self.codes = tuple(types), v, codes
    self.origin, self.line, self.kind = origin, line, kind
    self.number = None

  def key(self):
    return tuple(fix0(x, TORSION_DECIMALS) for x in self.v) + self.codes


def fix0(x, decimals):
  """x rounded as the file writes it, without a negative zero."""
  r = round(x, decimals)
  return 0.0 if r == 0.0 else r


def convert_dihedral(d, kind):
  v1, v2, v3, v4, residue = rb_to_fourier(d.params)
  if abs(residue) > RB_RESIDUE_LIMIT:
    raise ConversionError("RB sum %.2e kJ/mol: a constant term" % residue)
  v = tuple(kcal(x) for x in (v1, v2, v3, v4))
  if kind == "define":
    types, origin = (NEUTRAL_TYPE,) * 4, d.names[0]
  else:
    types, origin = tuple(two_char(n) for n in d.names), "-".join(d.names)
  return Torsion(types, v, (0, 0, 0), origin, d.line, kind)


def quad_key(types):
  return min(types, types[::-1])


def build_torsions(dihedrals, defines, impropers):
  """All torsion records with their kinds: 'auto', 'explicit', 'define', 'improper'.
  Returns (records, merged count, unconverted [(origin, reason)])."""
  unconverted, groups = [], OrderedDict()
  for d in dihedrals:
    try:
      t = convert_dihedral(d, "auto")
    except ConversionError as err:
      unconverted.append(("-".join(d.names), str(err)))
      continue
    groups.setdefault(quad_key(t.types), []).append((renamed_count(d.names), d, t))
  records, merged = [], 0
  for members in groups.values():
    primary = min(members, key=lambda m: (m[0], m[1].line))[2]
    records.append(primary)
    seen = {primary.key()}
    for _, d, t in members:
      if t is primary:
        continue
      if t.key() in seen:
        merged += 1
        continue
      seen.add(t.key())
      t.kind = "explicit"
      t.types = tuple(NEUTRAL_TYPE if two_char(n).strip() != n and n != "X" else two_char(n)
                      for n in d.names)
      if t.types == primary.types or t.types[::-1] == primary.types:
        t.types = (NEUTRAL_TYPE,) * 4
      records.append(t)
  for d in defines:
    try:
      records.append(convert_dihedral(d, "define"))
    except ConversionError as err:
      unconverted.append((d.names[0], str(err)))
  for d in impropers:
    v, codes = periodic_to_fourier(*d.params)
    records.append(Torsion((NEUTRAL_TYPE,) * 4, tuple(kcal(x) for x in v), codes, d.names[0],
                           d.line, "improper"))
  return records, merged, unconverted


def number_torsions(records):
  numbers = {}
  zero = (0.0, 0.0, 0.0, 0.0, 0, 0, 0)
  numbers[zero] = 1
  by_name = {r.origin: r for r in records if r.kind == "improper"}
  for number, name in IMPROPER_TYPES.items():
    if name not in by_name:
      raise ConversionError("GROMACS has no %s" % name)
    key = by_name[name].key()
    if key in numbers:
      raise ConversionError("%s repeats another improper's coefficients" % name)
    numbers[key] = number
  used = set(numbers.values()) | set(RESERVED_TORSION_TYPES)
  next_free = 2
  order = {"auto": 0, "explicit": 1, "define": 2, "improper": 3}
  for r in sorted(records, key=lambda r: (order[r.kind], r.line)):
    if r.key() not in numbers:
      while next_free in used:
        next_free += 1
      numbers[r.key()] = next_free
      used.add(next_free)
    r.number = numbers[r.key()]
  if max(numbers.values()) > 999:
    raise ConversionError("torsion types exceed 999")
  return numbers


def torsion_record(r, note):
  fields = "".join("%8.4f %1d" % (fix0(v, TORSION_DECIMALS), c)
                   for v, c in zip(r.v, r.codes + (0,)))
  line = "%3d  %s  %s  %s" % (r.number, fields, " ".join(r.types), note)
  return line[:RECORD_WIDTH].rstrip()


def torsion_lines(records):
  catch_all = Torsion((WILDCARD,) * 4, (0.0,) * 4, (0, 0, 0), "no match: no torsion", 0,
                      "auto")
  catch_all.number = 1
  lines = [torsion_record(catch_all, catch_all.origin)]
  blocks = (
      ("auto", None),
      ("explicit", "# Explicit only: GROMACS types that read as a record above once renamed;"),
      ("define", "# GROMACS dih_* sets for explicit use (see the name at the right)"),
      ("improper", "# Impropers: 160 carbonyl C, 161 N/NA/N2/NO, 162 other C with three "
                   "neighbours"),
  )
  for kind, heading in blocks:
    chosen = sorted((r for r in records if r.kind == kind), key=lambda r: (r.number, r.line))
    if heading:
      lines.append(heading)
      if kind == "explicit":
        lines.append("# '--' marks a renamed type; use these by their number.")
    for r in chosen:
      if kind == "define":
        lines.append("# " + r.origin)
      lines.append(torsion_record(r, "define" if kind == "define" else r.origin))
  return lines


# ----------------------------------------------------------------------------------------
# Bonds and angles


def bonded_entries(items, key_of, convert):
  """Merge GROMACS bond or angle records by their renamed types.  Returns
  ([(types, params, origin)], merged count, dropped [(origin, kept origin)])."""
  groups = OrderedDict()
  for b in items:
    types = tuple(two_char(n) for n in b.names)
    groups.setdefault(key_of(types), []).append((renamed_count(b.names), b, types))
  out, merged, dropped = [], 0, []
  for key, members in groups.items():
    _, primary, types = min(members, key=lambda m: (m[0], m[1].line))
    params = convert(*primary.params)
    origin = "-".join(primary.names)
    out.append((types, params, origin))
    for _, b, _ in members:
      if b is primary:
        continue
      if all(abs(x - y) < 1e-9 for x, y in zip(b.params, primary.params)):
        merged += 1
      else:
        dropped.append(("-".join(b.names), origin))
  return out, merged, dropped


def bond_lines(bonds):
  entries, merged, dropped = bonded_entries(bonds, lambda t: tuple(sorted(t)), bond_params)
  lines = []
  for (a, b), (k, r0), origin in entries:
    lines.append(("%-2s-%-2s%10.4f%10.4f  %s" % (a, b, k, r0, origin))[:RECORD_WIDTH])
  return lines, merged, dropped


def angle_lines(angles):
  key = lambda t: (min(t[0], t[2]), t[1], max(t[0], t[2]))
  entries, merged, dropped = bonded_entries(angles, key, angle_params)
  lines = []
  for (a, b, c), (k, t0), origin in entries:
    lines.append(("%-2s-%-2s-%-2s  %10.3f%10.3f  %s" % (a, b, c, k, t0, origin))[:RECORD_WIDTH])
  return lines, merged, dropped


# ----------------------------------------------------------------------------------------
# Output


class Result:
  pass


def convert(gmx):
  res = Result()
  entries, res.moved = build_atom_table(gmx)
  check_published(entries)
  atom_lines = []
  for e in entries:
    if e.origin == "literature":
      atom_lines += literature_comments(e.number)
    atom_lines.append(atom_record(e))
  res.atom_numbers = check_atom_table(atom_lines)
  res.entries = entries
  bonds, angles, dihedrals, defines, impropers, res.skipped = read_bonded(gmx)
  res.torsions, res.merged_torsions, res.unconverted = build_torsions(
      dihedrals, defines, impropers)
  res.torsion_numbers = number_torsions(res.torsions)
  par = list(HEADER) + atom_lines + ["   0  end of atom types"]
  par += ["TORSION TYPES: V1-V4 kcal/mol, phase code n = n x 90 deg, ?? matches any type",
          "LAYOUT  %d  V1 V2 V3 V4 (cos 4 phi term)" % LAYOUT_CODE]
  par += torsion_lines(res.torsions)
  blines, res.merged_bonds, res.dropped_bonds = bond_lines(bonds)
  alines, res.merged_angles, res.dropped_angles = angle_lines(angles)
  res.bond_count, res.angle_count = len(blines), len(alines)
  bonded = blines + [""] + alines + [""]
  for line in par + bonded:
    if len(line) > RECORD_WIDTH:
      raise ConversionError("record longer than %d columns: %s" % (RECORD_WIDTH, line))
  res.par_text = "\n".join(par) + "\n"
  res.bonded_text = "\n".join(bonded) + "\n"
  return res


def summary(res):
  auto = sum(1 for r in res.torsions if r.kind == "auto")
  out = [
      "atom types: %d" % len(res.atom_numbers),
      "torsion records: %d (+1 catch-all), automatic %d, torsion types %d, merged %d" %
      (len(res.torsions), auto, len(set(res.torsion_numbers.values())), res.merged_torsions),
      "bond records: %d (merged %d, dropped %d)" % (res.bond_count, res.merged_bonds,
                                                     len(res.dropped_bonds)),
      "angle records: %d (merged %d, dropped %d)" % (res.angle_count, res.merged_angles,
                                                      len(res.dropped_angles)),
      "layout code: %d" % LAYOUT_CODE,
  ]
  out += ["renumbered: %s -> %d" % kv for kv in res.moved.items()]
  out += ["dropped bond %s (kept %s)" % d for d in res.dropped_bonds]
  out += ["dropped angle %s (kept %s)" % d for d in res.dropped_angles]
  out += ["not converted: %s: %s" % u for u in res.unconverted]
  out += ["skipped dihedraltypes line %d: %s" % s for s in res.skipped]
  return out


def main(argv=None):
  here = os.path.dirname(os.path.abspath(__file__))
  ap = argparse.ArgumentParser(description=__doc__.splitlines()[0])
  ap.add_argument("--gromacs", default=GROMACS_DIR, help="GROMACS oplsaa.ff directory")
  ap.add_argument("--out", default=os.path.join(os.path.dirname(here), "data", "forcefield"))
  ap.add_argument("--quiet", action="store_true")
  args = ap.parse_args(argv)
  try:
    res = convert(args.gromacs)
  except (ConversionError, OSError) as err:
    print("ffconvert: %s" % err, file=sys.stderr)
    return 1
  os.makedirs(args.out, exist_ok=True)
  for name, text in ((PAR_NAME, res.par_text), (BONDED_NAME, res.bonded_text)):
    with open(os.path.join(args.out, name), "w", encoding="ascii", newline="\n") as f:
      f.write(text)
  if not args.quiet:
    print("\n".join(summary(res)))
  return 0


if __name__ == "__main__":
  sys.exit(main())
