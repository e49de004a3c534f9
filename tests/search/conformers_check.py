#!/usr/bin/python3
"""Conformers of the searches against independent references.

1. Structure files: a Monte Carlo search of n-pentane (data/examples/pentane) writes one
   structure per conformer; Open Babel and RDKit must read as many structures as the
   listing reports conformers, each with the 17 atoms of pentane, from the MOL (SD) file
   and from the PDB file (one structure up to each "END" record).
2. Completeness: 40 RDKit ETKDG conformers of pentane, each turned into the example's
   Z-matrix and minimised by the program's own optimiser (run mode 2), give the reference
   minima (energies clustered at 0.01 kcal/mol). Both searches (run modes 5 and 6, 150
   tries) must find every reference minimum within 3 kcal/mol of the lowest one, with the
   same energy to 0.01 kcal/mol, and nothing else in that range.

Arguments: <veka binary> <source dir> <build dir>. Exit 77 when a reader is missing.
"""
import os
import re
import subprocess
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "support"))
import refcheck as rc  # noqa: E402

Chem = rc.need("rdkit.Chem", "RDKit")
AllChem = rc.need("rdkit.Chem.AllChem", "RDKit")
rdMT = rc.need("rdkit.Chem.rdMolTransforms", "RDKit")
OBABEL = rc.need_program("obabel")
VEKA, SRC, _ = rc.args()
EXAMPLE = os.path.join(SRC, "data", "examples", "pentane")
ZMAT = os.path.join(EXAMPLE, "pentane.z")
ATOMS = 17


def command_section(keyword="PDB  "):
    with open(os.path.join(EXAMPLE, "command.txt")) as f:
        lines = f.read().splitlines()
    lines[70] = keyword + lines[70][5:]
    return "\n".join(lines) + "\n"


def listing_energies(work):
    with open(os.path.join(work, "out.txt")) as f:
        text = f.read()
    count = int(re.search(r"Total Number of Conformers =\s*(\d+)", text).group(1))
    return count, [float(e) for e in re.findall(r"^Conformer\s+\d+\s+E =\s*(\S+)", text, re.M)]


def obabel_atoms(path, kind):
    """Atom counts of the structures Open Babel reads from a file, and its message."""
    r = subprocess.run([OBABEL, "-i" + kind, path, "-osmi", "--append", "atoms"],
                       capture_output=True, text=True)
    return [int(line.split()[-1]) for line in r.stdout.splitlines()], r.stderr.strip()


def check_files(c):
    """The SD file is read whole; the PDB file holds one structure per "END" record (a
    reader takes the first), so it is read block by block."""
    for kind, keyword in (("pdb", "PDB  "), ("sdf", "MOL  ")):
        with rc.workdir() as work:
            rc.veka_job(VEKA, SRC, work, ZMAT, command_section(keyword), "510", "150")
            count, _ = listing_energies(work)
            path = os.path.join(work, "plt.txt")
            if kind == "pdb":
                with open(path) as f:
                    blocks = [b + "END\n" for b in f.read().split("END\n") if b.strip()]
                mols = [Chem.MolFromPDBBlock(b, removeHs=False) for b in blocks]
                atoms = []
                for n, b in enumerate(blocks):
                    one = os.path.join(work, "block%d.pdb" % n)
                    with open(one, "w") as f:
                        f.write(b)
                    atoms += obabel_atoms(one, kind)[0]
            else:
                mols = list(Chem.SDMolSupplier(path, removeHs=False, strictParsing=False))
                atoms, message = obabel_atoms(path, kind)
                c.check(message == "%d molecules converted" % count, "obabel: " + message)
            c.check(atoms == [ATOMS] * count, "obabel (%s) atoms %s, %d conformers" %
                    (kind, atoms, count))
            got = [m.GetNumAtoms() if m is not None else 0 for m in mols]
            c.check(got == [ATOMS] * count, "RDKit (%s) atoms %s" % (kind, got))


def zmatrix_rows():
    with open(ZMAT) as f:
        lines = f.read().splitlines()
    return lines[0], lines[1:ATOMS + 1], lines[ATOMS + 1:]


def zmatrix_of(conf, rows):
    """The example's Z-matrix with every value measured on an RDKit conformer."""
    title, atoms, rest = rows
    out = [title]
    for line in atoms:
        f = line.split()
        i, j, k, l = int(f[0]) - 1, int(f[4]) - 1, int(f[6]) - 1, int(f[8]) - 1
        r = rdMT.GetBondLength(conf, i, j) if j >= 0 else 0.0
        a = rdMT.GetAngleDeg(conf, i, j, k) if k >= 0 else 0.0
        d = rdMT.GetDihedralDeg(conf, l, k, j, i) if l >= 0 else 0.0
        out.append(line[:23] + "%12.6f%4d%12.6f%4d%12.6f" % (r, k + 1, a, l + 1, d))
    return "\n".join(out + rest) + "\n"


def reference_minima():
    rows = zmatrix_rows()
    with rc.workdir() as work:
        rc.veka_job(VEKA, SRC, work, ZMAT, command_section())
        mol = Chem.MolFromPDBFile(os.path.join(work, "plt.txt"), removeHs=False)
    ids = AllChem.EmbedMultipleConfs(mol, numConfs=40, randomSeed=7)
    energies = []
    for cid in ids:
        with rc.workdir() as work:
            path = os.path.join(work, "start.z")
            with open(path, "w") as f:
                f.write(zmatrix_of(mol.GetConformer(cid), rows))
            rc.veka_job(VEKA, SRC, work, path, command_section(), "200", "50")
            with open(os.path.join(work, "out.txt")) as f:
                energies.append(float(re.search(r"Optimized energy =\s*(\S+)", f.read()).group(1)))
    return cluster(energies)


def cluster(energies):
    minima = []
    for e in sorted(energies):
        if not minima or e - minima[-1] > 0.01:
            minima.append(e)
    return minima


def check_completeness(c):
    ref = reference_minima()
    low = [e for e in ref if e <= ref[0] + 3.0]
    print("reference minima within 3 kcal/mol:", low)
    for code in ("510", "610"):
        with rc.workdir() as work:
            rc.veka_job(VEKA, SRC, work, ZMAT, command_section(), code, "150")
            _, found = listing_energies(work)
        found = [e for e in found if e <= ref[0] + 3.0]
        matched = all(any(abs(e - f) <= 0.01 for f in found) for e in low)
        c.check(matched and len(found) == len(low),
                "mode %s finds %s, reference %s" % (code[0], found, low))


def main():
    c = rc.Checks("conformers")
    check_files(c)
    check_completeness(c)
    return c.finish()


if __name__ == "__main__":
    sys.exit(main())
