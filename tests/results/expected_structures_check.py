#!/usr/bin/python3
"""The hand-checked structure files against independent readings.

The expected files of the structure-writer tests (tests/results/data/expected/) and the
PDB file of the single-point example (data/examples/methanol/run-single-point, whose
summary is data/examples/methanol/expected.sum: the Z-matrix of methanol.z, as a single
point leaves it) are read by RDKit and by Open Babel. Their atoms,
elements, coordinates and bonds must be those of the molecule the file comes from, built
independently: Open Babel turns the source Z-matrix into Cartesian coordinates (Gaussian
Z-matrix input) and perceives the bonds of that geometry. Elements come from the atom
names of the Z-matrix (element symbol and a counter). Coordinates are compared after a
least-squares superposition by a proper rotation (a mirror image fails) to the precision
of the file (PDB 3 decimals, MOL 4). From the MOL file RDKit must also rebuild the
molecule of expected.json (canonical SMILES), so its bond orders are checked too.

Arguments: <veka binary> <source dir> <build dir>. Exit 77 when a reader is missing.
"""
import json
import os
import subprocess
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "support"))
import refcheck as rc  # noqa: E402

np = rc.need("numpy", "numpy")
Chem = rc.need("rdkit.Chem", "RDKit")
rc.need("rdkit.RDLogger", "RDKit").DisableLog("rdApp.*")
OBABEL = rc.need_program("obabel")
VEKA, SRC, _ = rc.args()
RESULTS = os.path.join(SRC, "tests", "results", "data")
TOLERANCE = {"pdb": 2e-3, "mol": 2e-4}  # A, after superposition


def zmatrix_atoms(path):
    """(name, bond partner, r, angle partner, theta, dihedral partner, phi) per atom."""
    atoms = []
    for line in open(path).read().splitlines()[1:]:
        if line.startswith("TER"):
            continue
        if not line[:4].strip().isdigit():
            break
        f = line.split()
        atoms.append((f[1], int(f[4]), float(f[5]), int(f[6]), float(f[7]), int(f[8]),
                      float(f[9])))
    return atoms


def obabel(args, text=None):
    r = subprocess.run([OBABEL] + args, input=text, capture_output=True, text=True)
    if r.returncode != 0 or "1 molecule converted" not in r.stderr:
        raise RuntimeError("obabel %s: %s" % (" ".join(args), r.stderr.strip()))
    return r.stdout


def read_sdf(text):
    """Elements, coordinates and bonds (as index pairs from 0) of one SD record."""
    lines = text.splitlines()
    na, nb = int(lines[3][:3]), int(lines[3][3:6])
    atoms = [lines[4 + k].split() for k in range(na)]
    bonds = {tuple(sorted((int(lines[4 + na + k][:3]) - 1, int(lines[4 + na + k][3:6]) - 1)))
             for k in range(nb)}
    return [a[3] for a in atoms], np.array([[float(v) for v in a[:3]] for a in atoms]), bonds


def reference(zfile):
    """The molecule of a Z-matrix as Open Babel builds it."""
    atoms = zmatrix_atoms(zfile)
    lines, variables = ["#", "", "reference", "", "0 1"], []
    for k, (name, j, r, a, theta, d, phi) in enumerate(atoms, 1):
        parts = [name.rstrip("0123456789")]
        for partner, value, tag, needed in ((j, r, "r", 2), (a, theta, "a", 3), (d, phi, "d", 4)):
            if k >= needed:
                parts += [str(partner), "%s%d" % (tag, k)]
                variables.append("%s%d= %.6f" % (tag, k, value))
        lines.append(" ".join(parts))
    text = "\n".join(lines + ["Variables:"] + variables) + "\n\n"
    elements, xyz, bonds = read_sdf(obabel(["-igzmat", "-osdf"], text))
    names = [a[0].rstrip("0123456789").capitalize() for a in atoms]
    if elements != names:
        raise RuntimeError("Open Babel builds %s from %s" % (elements, names))
    return names, xyz, bonds


def rdkit_reading(path, kind):
    if kind == "pdb":
        mol = Chem.MolFromPDBFile(path, removeHs=False, sanitize=False)
    else:
        mol = Chem.MolFromMolFile(path, removeHs=False, strictParsing=False)
    if mol is None:
        raise RuntimeError("RDKit cannot read the file")
    xyz = mol.GetConformer().GetPositions()
    bonds = {tuple(sorted((b.GetBeginAtomIdx(), b.GetEndAtomIdx()))) for b in mol.GetBonds()}
    return [a.GetSymbol() for a in mol.GetAtoms()], xyz, bonds, mol


def misfit(xyz, ref):
    return float(np.max(rc.superposed(xyz, ref)))


def check(label, path, kind, zfile, smiles=None):
    try:
        elements, ref_xyz, ref_bonds = reference(zfile)
        r_el, r_xyz, r_bonds, mol = rdkit_reading(path, kind)
        o_el, o_xyz, o_bonds = read_sdf(obabel(["-i" + kind, path, "-osdf"]))
    except RuntimeError as e:
        print("%-34s FAIL: %s" % (label, e))
        return False
    problems = []
    for reader, el, xyz, bonds in (("RDKit", r_el, r_xyz, r_bonds),
                                   ("Open Babel", o_el, o_xyz, o_bonds)):
        if el != elements:
            problems.append("%s reads elements %s" % (reader, el))
            continue
        off = misfit(xyz, ref_xyz)
        if off > TOLERANCE[kind]:
            problems.append("%s: coordinates off by up to %.4f A" % (reader, off))
        if bonds != ref_bonds:
            problems.append("%s: bonds %s differ from %s" % (reader, sorted(bonds ^ ref_bonds),
                                                             "the molecule's"))
    if smiles and Chem.MolToSmiles(Chem.RemoveHs(mol)) != smiles:
        problems.append("RDKit rebuilds %s, not %s" % (Chem.MolToSmiles(Chem.RemoveHs(mol)),
                                                       smiles))
    print("%-34s %3d atoms %3d bonds  coordinates within %.5f A" %
          (label, len(elements), len(ref_bonds), misfit(r_xyz, ref_xyz)))
    for p in problems:
        print("   FAIL:", p)
    return not problems


def example_pdb(work):
    """Runs the example job into work/ and returns its PDB file."""
    r = subprocess.run(["/bin/sh", os.path.join(SRC, "data", "examples", "methanol", "run-single-point"), VEKA,
                        work], capture_output=True, text=True)
    if r.returncode != 0:
        raise RuntimeError("the example job failed: " + r.stderr)
    return os.path.join(work, "methanol.pdb")


def main():
    with open(os.path.join(RESULTS, "expected.json")) as f:
        expected = json.load(f)
    ok = check("expected/two_plain.pdb", os.path.join(RESULTS, "expected", "two_plain.pdb"),
               "pdb", os.path.join(RESULTS, "two_plain.z"))
    ok &= check("expected/toluene.mol", os.path.join(RESULTS, "expected", "toluene.mol"), "mol",
                os.path.join(RESULTS, "toluene.z"), expected["toluene.z"]["smiles"])
    example = os.path.join(SRC, "data", "examples", "methanol")
    with rc.workdir() as work:
        ok &= check("example methanol.pdb (expected.sum)", example_pdb(work), "pdb",
                    os.path.join(example, "expected.sum"))
    # A single point leaves the geometry as it was read.
    if zmatrix_atoms(os.path.join(example, "expected.sum")) != \
            zmatrix_atoms(os.path.join(example, "methanol.z")):
        print("   FAIL: the Z-matrix of expected.sum is not the one of methanol.z")
        ok = False
    return 0 if ok else 1


if __name__ == "__main__":
    sys.exit(main())
