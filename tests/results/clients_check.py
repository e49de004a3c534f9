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
import subprocess
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "support"))
import refcheck as rc  # noqa: E402

Chem = rc.need("rdkit.Chem", "RDKit")
rdBase = rc.need("rdkit.rdBase", "RDKit")
OBABEL = rc.need_program("obabel")
VEKA, SRC, _ = rc.args()
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


def structure_file(work, zfile, keyword):
    """The structure file of a single-point job of the example's command section with the
    structure output `keyword` (record 35)."""
    with open(os.path.join(SRC, "data", "examples", "methanol", "command.txt")) as f:
        lines = f.read().splitlines()
    lines[70] = keyword + lines[70][5:]
    rc.veka_job(VEKA, SRC, work, os.path.join(DATA, zfile), "\n".join(lines) + "\n")
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
    c = rc.Checks("clients")
    for zfile, want in sorted(expected.items()):
        for kind, keyword in sorted(FORMATS.items()):
            with rc.workdir() as work:
                path = structure_file(work, zfile, keyword)
                problems = []
                check_obabel(path, kind, want, problems.append)
                check_rdkit(path, kind, want, problems.append)
                c.check(not problems, "%s (%s): %s" % (zfile, kind, " | ".join(problems)))
    return c.finish()


if __name__ == "__main__":
    sys.exit(main())
