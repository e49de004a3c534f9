#!/usr/bin/python3
"""Conformers of the searches against independent references.

1. Structure files: a Monte Carlo search of n-pentane (data/examples/pentane) writes one
   structure per conformer; Open Babel and RDKit must read as many structures as the
   listing reports conformers, each with the 17 atoms of pentane, from the MOL (SD) file
   and from the PDB file (one structure up to each "END" record).
2. Completeness, for each molecule of the table: RDKit ETKDG conformers, each turned into
   the molecule's Z-matrix and minimised by the program's own optimiser (run mode 2), give
   the reference minima (clustered by the store's duplicate test). The energy tolerance of
   the test is 0.01 kcal/mol here, not the default 0.1: at 0.1 n-heptane's g+ttg+
   (5.028) passes as a repeat of tg-tg- (5.103), so the set kept depends on the order in
   which the store meets them. Both searches (run modes 5 and 6, the tries of the table)
   must find every reference minimum within 3 kcal/mol of the lowest one, with the same
   energy to 0.01 kcal/mol, and nothing else in that range; no two stored conformers may
   pass the duplicate test, and no stored structure may have a centre of four neighbours
   inverted against the start. Cyclohexane starts from a twist-boat. n-Heptane (six C-C
   bonds, four of them backbone rotors) runs only with VEKA_SLOW_CHECKS=1.

Arguments: <veka binary> <source dir> <build dir>. Exit 77 when a reader is missing.
"""
import os
import re
import subprocess
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "support"))
import refcheck as rc  # noqa: E402

np = rc.need("numpy", "numpy")

Chem = rc.need("rdkit.Chem", "RDKit")
AllChem = rc.need("rdkit.Chem.AllChem", "RDKit")
rdMT = rc.need("rdkit.Chem.rdMolTransforms", "RDKit")
OBABEL = rc.need_program("obabel")
VEKA, SRC, _ = rc.args()
EXAMPLE = os.path.join(SRC, "data", "examples", "pentane")
ZMAT = os.path.join(EXAMPLE, "pentane.z")
ATOMS = 17
DATA = os.path.join(SRC, "tests", "search", "data")
CSETOL, CSRMS, CSRTOL, WINDOW = 0.01, 0.25, 1.0, 3.0
# name, Z-matrix, ETKDG conformers of the reference, tries of each search
MOLECULES = [("n-pentane", ZMAT, 40, 150)] + [
    (name, os.path.join(DATA, name + ".z"), confs, tries)
    for name, confs, tries in (("butane", 20, 60), ("cyclohexane", 20, 60),
                               ("ethanediol", 100, 150))]
SLOW = [("heptane", os.path.join(DATA, "heptane.z"), 150, 1000)]


def command_section(keyword="PDB  "):
    with open(os.path.join(EXAMPLE, "command.txt")) as f:
        lines = f.read().splitlines()
    lines[70] = keyword + lines[70][5:]
    return "\n".join(lines).replace("00000000    0.0000", "00000000    %.4f" % CSETOL) + "\n"


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


def zmatrix_rows(path):
    with open(path) as f:
        lines = f.read().splitlines()
    n = next(i for i, line in enumerate(lines[1:], 1) if not line[:4].strip())
    return lines[0], lines[1:n], lines[n:]


def zmatrix_of(conf, rows):
    """The Z-matrix with every value measured on an RDKit conformer."""
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


def structures(work):
    """Coordinates of the structures of the PDB file plt.txt, one per "END" record."""
    with open(os.path.join(work, "plt.txt")) as f:
        blocks = [b for b in f.read().split("END\n") if b.strip()]
    return [np.array([[float(x[30:38]), float(x[38:46]), float(x[46:54])]
                      for x in b.splitlines() if x.startswith("ATOM")]) for b in blocks]


class Molecule:
    """A solute file with its start structure, covalent neighbours (RDKit's reading of the
    start structure), chiral centres (four neighbours) and the atoms the store compares
    (all but carbon-bound hydrogens)."""

    def __init__(self, path):
        self.path, self.rows = path, zmatrix_rows(path)
        with rc.workdir() as work:
            rc.veka_job(VEKA, SRC, work, path, command_section())
            self.mol = Chem.MolFromPDBFile(os.path.join(work, "plt.txt"), removeHs=False)
        atoms = self.mol.GetAtoms()
        self.centres = [[a.GetIdx()] + sorted(n.GetIdx() for n in a.GetNeighbors())[:3]
                        for a in atoms if a.GetDegree() == 4]
        self.compared = [a.GetIdx() for a in atoms if a.GetAtomicNum() > 1 or
                         a.GetNeighbors()[0].GetAtomicNum() != 6]
        self.start = self.chirality(self.mol.GetConformer().GetPositions())

    def chirality(self, xyz):
        return [np.sign(np.linalg.det(xyz[n] - xyz[c])) for c, *n in self.centres]

    def same(self, a, b):
        """The duplicate test of the store on (energy, coordinates) a and b."""
        x, y = a[1][self.compared], b[1][self.compared]
        r2 = [len(p) * np.sum((p - p.mean(axis=0)) ** 2) for p in (x, y)]
        rms = np.sqrt(np.sum(rc.superposed(x, y) ** 2))
        return abs(a[0] - b[0]) < CSETOL and (rms <= CSRMS or abs(r2[0] - r2[1]) < CSRTOL)


def reference_minima(m, confs):
    """ETKDG conformers, each minimised by the optimiser (run mode 2), clustered by the
    store's duplicate test: the energies of the distinct minima."""
    ids = AllChem.EmbedMultipleConfs(m.mol, numConfs=confs, randomSeed=7)
    minima = []
    for cid in ids:
        with rc.workdir() as work:
            path = os.path.join(work, "start.z")
            with open(path, "w") as f:
                f.write(zmatrix_of(m.mol.GetConformer(cid), m.rows))
            rc.veka_job(VEKA, SRC, work, path, command_section(), "200", "50")
            with open(os.path.join(work, "out.txt")) as f:
                e = float(re.search(r"Optimized energy =\s*(\S+)", f.read()).group(1))
            minima.append((e, structures(work)[-1]))
    distinct = []
    for x in sorted(minima, key=lambda t: t[0]):
        if not any(m.same(x, y) for y in distinct):
            distinct.append(x)
    return [e for e, _ in distinct]


def check_search(c, name, m, ref, code, tries):
    """Every reference minimum within the window found to 0.01 kcal/mol and nothing else
    there; no two stored conformers alike; no centre of a stored structure inverted."""
    low = [e for e in ref if e <= ref[0] + WINDOW]
    with rc.workdir() as work:
        rc.veka_job(VEKA, SRC, work, m.path, command_section(), code, str(tries))
        _, energies = listing_energies(work)
        stored = list(zip(energies, structures(work)))
    found = [e for e in energies if e <= ref[0] + WINDOW]
    what = "%s, mode %s, %d tries" % (name, code[0], tries)
    c.check(len(found) == len(low) and all(abs(e - f) <= 0.01 for e, f in zip(low, found)),
            "%s: found %s, reference %s" % (what, found, low))
    alike = [(i + 1, j + 1) for i in range(len(stored)) for j in range(i)
             if m.same(stored[i], stored[j])]
    c.check(not alike, "%s: stored conformers alike %s" % (what, alike))
    inverted = [k + 1 for k, (_, xyz) in enumerate(stored) if m.chirality(xyz) != m.start]
    c.check(not inverted, "%s: conformers with an inverted centre %s" % (what, inverted))


def main():
    c = rc.Checks("conformers")
    check_files(c)
    table = MOLECULES + (SLOW if os.environ.get("VEKA_SLOW_CHECKS") else [])
    for name, path, confs, tries in table:
        m = Molecule(path)
        ref = reference_minima(m, confs)
        print("%s: reference minima within %g kcal/mol: %s" %
              (name, WINDOW, [e for e in ref if e <= ref[0] + WINDOW]))
        for code in ("510", "610"):
            check_search(c, name, m, ref, code, tries)
    return c.finish()


if __name__ == "__main__":
    sys.exit(main())
