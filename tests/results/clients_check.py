#!/usr/bin/python3
"""Structure files read by other programs.

For every molecule of tests/results/data (expected.json), a single-point job writes the
PDB file and the MOL file; Open Babel (obabel) and RDKit must read each without a warning
and find the atom count, the elements and the bond count of the molecule. The MOL counts
line ends in the program's own version tag "V2006", which RDKit's strict parser refuses:
RDKit reads the MOL files with strictParsing=False, and its report of that tag is the one
message tolerated. From the MOL
file RDKit must also rebuild the molecule itself (same canonical SMILES after
sanitisation), so the bond orders give the aromatic rings, double and triple bonds.

Arguments: <veka binary> <source dir> <build dir>. Exit 77 when a reader is missing.
"""
import json
import logging
import os
import shutil
import subprocess
import sys
import tempfile

try:
    from rdkit import Chem, rdBase
except ImportError:
    print("RDKit not available")
    sys.exit(77)

OBABEL = shutil.which("obabel")
if OBABEL is None:
    print("Open Babel not available")
    sys.exit(77)

VEKA, SRC = os.path.abspath(sys.argv[1]), os.path.abspath(sys.argv[2])
DATA = os.path.join(SRC, "tests", "results", "data")
FORMATS = {"pdb": "PDB  ", "mol": "MOL  "}


class Messages(logging.Handler):
    """Collects every message RDKit logs."""

    def __init__(self):
        super().__init__(logging.DEBUG)
        self.records = []

    def emit(self, record):
        self.records.append(record.getMessage())


RDKIT_LOG = Messages()
rdBase.LogToPythonLogger()
logging.getLogger("rdkit").addHandler(RDKIT_LOG)
logging.getLogger("rdkit").setLevel(logging.DEBUG)
logging.getLogger("rdkit").propagate = False


def command_section(keyword):
    with open(os.path.join(SRC, "data", "examples", "methanol", "command.txt")) as f:
        lines = f.read().splitlines()
    lines[70] = keyword + lines[70][5:]
    return "\n".join(lines) + "\n"


def run_job(work, zfile, keyword):
    par = os.path.join(work, "par.txt")
    with open(par, "w") as f, open(os.path.join(SRC, "data", "forcefield", "opls-aa.par")) as ff:
        f.write(command_section(keyword) + ff.read())
    args = [VEKA, "700", "0", "0.0", "0.0", "0.0", "-ot", "out.txt", "-zm",
            os.path.join(DATA, zfile), "-pa", par, "-ba",
            os.path.join(SRC, "data", "forcefield", "opls-aa-bonded.par"), "-su", "sum.txt",
            "-pl", "plt.txt"]
    for opt in ("-in", "-up", "-sv", "-av", "-sz", "-wa", "-o1", "-o2"):
        args += [opt, "/dev/null"]
    r = subprocess.run(args, cwd=work, capture_output=True, text=True)
    if r.returncode != 0:
        raise RuntimeError("veka failed on %s: %s" % (zfile, r.stderr))
    return os.path.join(work, "plt.txt")


def element_counts(mol):
    counts = {}
    for a in mol.GetAtoms():
        counts[a.GetSymbol()] = counts.get(a.GetSymbol(), 0) + 1
    return counts


def check_obabel(path, kind, want, fail):
    r = subprocess.run([OBABEL, "-i" + kind, path, "-osmi", "--append", "atoms bonds"],
                       capture_output=True, text=True)
    if r.stderr.strip() != "1 molecule converted":
        fail("obabel: " + r.stderr.strip())
        return
    fields = r.stdout.split()
    atoms, bonds = int(fields[-2]), int(fields[-1])
    if (atoms, bonds) != (want["atoms"], want["bonds"]):
        fail("obabel finds %d atoms, %d bonds" % (atoms, bonds))


def check_rdkit(path, kind, want, fail):
    del RDKIT_LOG.records[:]
    if kind == "pdb":
        mol = Chem.MolFromPDBFile(path, removeHs=False)
    else:
        mol = Chem.MolFromMolFile(path, removeHs=False, strictParsing=False)
    messages = [m for m in RDKIT_LOG.records
                if not (kind == "mol" and "Unsupported CTAB version: 'V2006'" in m)]
    if messages:
        fail("RDKit: " + " | ".join(messages))
    if mol is None:
        fail("RDKit could not read the file")
        return
    if mol.GetNumAtoms() != want["atoms"] or mol.GetNumBonds() != want["bonds"]:
        fail("RDKit finds %d atoms, %d bonds" % (mol.GetNumAtoms(), mol.GetNumBonds()))
    if element_counts(mol) != want["elements"]:
        fail("RDKit finds elements %s" % element_counts(mol))
    if kind == "mol" and want["kekule"]:
        smiles = Chem.MolToSmiles(Chem.RemoveHs(mol))
        if smiles != want["smiles"]:
            fail("RDKit rebuilds %s, not %s" % (smiles, want["smiles"]))
        rings = sum(1 for ring in mol.GetRingInfo().BondRings()
                    if all(mol.GetBondWithIdx(b).GetIsAromatic() for b in ring))
        if rings != want["aromatic_rings"]:
            fail("RDKit finds %d aromatic rings" % rings)


def main():
    with open(os.path.join(DATA, "expected.json")) as f:
        expected = json.load(f)
    failures = []
    checked = 0
    for zfile, want in sorted(expected.items()):
        for kind, keyword in sorted(FORMATS.items()):
            work = tempfile.mkdtemp(prefix="veka-clients-")
            try:
                path = run_job(work, zfile, keyword)

                def fail(msg, tag="%s (%s)" % (zfile, kind)):
                    failures.append("%s: %s" % (tag, msg))

                check_obabel(path, kind, want, fail)
                check_rdkit(path, kind, want, fail)
                checked += 1
            finally:
                shutil.rmtree(work)
    for f in failures:
        print("FAIL " + f)
    print("%d structure files checked, %d failures" % (checked, len(failures)))
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
