#!/usr/bin/python3
"""Writes the solute files the molecule tests read (run once; the output is committed).

Z-matrix files are written from hand-made internal coordinates; the coordinates of the
PDB and free-format files come from RDKit's ETKDG embedding followed by an MMFF
minimisation with fixed random seeds.
"""
import math
import os
import sys

HERE = os.path.dirname(os.path.abspath(__file__))

sys.path.insert(0, os.path.join(HERE, "..", "..", "..", "tools"))
from zmatrix_layout import HEADINGS  # noqa: E402


def atom(n, name, t1, t2, j=0, r=0.0, k=0, a=0.0, l=0, d=0.0, res="", resn=0):
    return "%4d %-3s %4d %4d %4d%12.6f%4d%12.6f%4d%12.6f %-3s %4d" % (
        n, name, t1, t2, j, r, k, a, l, d, res, resn)


def zfile(name, title, atoms, sections=None):
    """sections: list of 9 lists of records (geometry variations .. excluded pairs)."""
    sections = sections or [[] for _ in range(9)]
    lines = ["%-30s" % title] + atoms
    for heading, recs in zip(HEADINGS, sections):
        lines.append(heading)
        lines.extend(recs)
    lines.append(HEADINGS[9])
    with open(os.path.join(HERE, name), "w") as f:
        f.write("\n".join(lines) + "\n")


def numbered(rows):
    return [atom(i + 1, *row) for i, row in enumerate(rows)]


WATER = [("OW", 111, 111),
         ("HW", 112, 112, 1, 0.9572),
         ("HW", 112, 112, 1, 0.9572, 2, 104.52)]

METHANOL = [("DUM", -1, -1),
            ("DUM", -1, -1, 1, 1.0),
            ("C", 80, 80, 2, 1.0, 1, 90.0),
            ("O", 78, 78, 3, 1.43, 2, 90.0, 1, 90.0),
            ("H", 79, 79, 4, 0.945, 3, 108.5, 2, 180.0),
            ("H", 81, 81, 3, 1.09, 4, 109.5, 5, 60.0),
            ("H", 81, 81, 3, 1.09, 4, 109.5, 5, 180.0),
            ("H", 81, 81, 3, 1.09, 4, 109.5, 5, -60.0)]

ETHANE = [("C", 80, 80),
          ("C", 80, 80, 1, 1.529),
          ("H", 85, 85, 1, 1.09, 2, 110.7),
          ("H", 85, 85, 1, 1.09, 2, 110.7, 3, 120.0),
          ("H", 85, 85, 1, 1.09, 2, 110.7, 3, -120.0),
          ("H", 85, 85, 2, 1.09, 1, 110.7, 3, 180.0),
          ("H", 85, 85, 2, 1.09, 1, 110.7, 3, 60.0),
          ("H", 85, 85, 2, 1.09, 1, 110.7, 3, -60.0)]

BUTANE = [("C1", 80, 80, 0, 0.0, 0, 0.0, 0, 0.0, "BUT", 1),
          ("C2", 81, 81, 1, 1.529, 0, 0.0, 0, 0.0, "BUT", 1),
          ("C3", 81, 81, 2, 1.529, 1, 112.7, 0, 0.0, "BUT", 1),
          ("C4", 80, 80, 3, 1.529, 2, 112.7, 1, 180.0, "BUT", 1),
          ("H", 85, 85, 1, 1.09, 2, 110.7, 3, 180.0, "BUT", 1),
          ("H", 85, 85, 1, 1.09, 2, 110.7, 3, 60.0, "BUT", 1),
          ("H", 85, 85, 1, 1.09, 2, 110.7, 3, -60.0, "BUT", 1),
          ("H", 85, 85, 2, 1.09, 3, 109.5, 4, 58.0, "BUT", 1),
          ("H", 85, 85, 2, 1.09, 3, 109.5, 4, -58.0, "BUT", 1),
          ("H", 85, 85, 3, 1.09, 2, 109.5, 1, 58.0, "BUT", 1),
          ("H", 85, 85, 3, 1.09, 2, 109.5, 1, -58.0, "BUT", 1),
          ("H", 85, 85, 4, 1.09, 3, 110.7, 2, 180.0, "BUT", 1),
          ("H", 85, 85, 4, 1.09, 3, 110.7, 2, 60.0, "BUT", 1),
          ("H", 85, 85, 4, 1.09, 3, 110.7, 2, -60.0, "BUT", 1)]

BENZENE = [("C", 90, 90),
           ("C", 90, 90, 1, 1.40),
           ("C", 90, 90, 2, 1.40, 1, 120.0),
           ("C", 90, 90, 3, 1.40, 2, 120.0, 1, 0.0),
           ("C", 90, 90, 4, 1.40, 3, 120.0, 2, 0.0),
           ("C", 90, 90, 5, 1.40, 4, 120.0, 3, 0.0),
           ("H", 91, 91, 1, 1.08, 2, 120.0, 3, 180.0),
           ("H", 91, 91, 2, 1.08, 3, 120.0, 4, 180.0),
           ("H", 91, 91, 3, 1.08, 4, 120.0, 5, 180.0),
           ("H", 91, 91, 4, 1.08, 5, 120.0, 6, 180.0),
           ("H", 91, 91, 5, 1.08, 6, 120.0, 1, 180.0),
           ("H", 91, 91, 6, 1.08, 1, 120.0, 2, 180.0)]

NMA = [("C", 80, 80, 0, 0.0, 0, 0.0, 0, 0.0, "NMA", 1),
       ("C", 235, 235, 1, 1.522, 0, 0.0, 0, 0.0, "NMA", 1),
       ("O", 236, 236, 2, 1.229, 1, 120.5, 0, 0.0, "NMA", 1),
       ("N", 238, 238, 2, 1.335, 1, 116.6, 3, 180.0, "NMA", 1),
       ("C", 242, 242, 4, 1.449, 2, 121.9, 1, 180.0, "NMA", 1),
       ("H", 240, 240, 4, 1.010, 2, 119.8, 1, 0.0, "NMA", 1),
       ("H", 85, 85, 1, 1.09, 2, 109.5, 3, 0.0, "NMA", 1),
       ("H", 85, 85, 1, 1.09, 2, 109.5, 3, 120.0, "NMA", 1),
       ("H", 85, 85, 1, 1.09, 2, 109.5, 3, -120.0, "NMA", 1),
       ("H", 85, 85, 5, 1.09, 4, 109.5, 2, 180.0, "NMA", 1),
       ("H", 85, 85, 5, 1.09, 4, 109.5, 2, 60.0, "NMA", 1),
       ("H", 85, 85, 5, 1.09, 4, 109.5, 2, -60.0, "NMA", 1)]


def zmatrix_files():
    zfile("water.z", "Water", numbered(WATER))
    zfile("methanol.z", "Methanol with two dummy atoms", numbered(METHANOL),
          [[], [], [], [], [], [], ["   5  -1  -1   -1.000000"], [], []])
    zfile("ethane.z", "Ethane staggered", numbered(ETHANE))
    zfile("butane.z", "n-Butane anti to gauche", numbered(BUTANE),
          [["   4   3   60.000000"], [], [], [], [], [], ["   4-   4"], ["AUTO"], []])
    zfile("benzene.z", "Benzene", numbered(BENZENE))
    zfile("nma.z", "N-methylacetamide trans", numbered(NMA))
    # Two solutes: a water molecule and methanol 3 A away; the first three atoms of the
    # second solute refer to atoms of the first.
    water = numbered(WATER)
    meoh = [("C", 80, 80, 1, 3.0, 2, 100.0, 3, 120.0, "MOH", 2),
            ("O", 78, 78, 4, 1.43, 1, 110.0, 2, 60.0, "MOH", 2),
            ("H", 79, 79, 5, 0.945, 4, 108.5, 1, 180.0, "MOH", 2),
            ("H", 81, 81, 4, 1.09, 5, 109.5, 6, 60.0, "MOH", 2),
            ("H", 81, 81, 4, 1.09, 5, 109.5, 6, 180.0, "MOH", 2),
            ("H", 81, 81, 4, 1.09, 5, 109.5, 6, -60.0, "MOH", 2)]
    water = [w[:-8] + "HOH    1" for w in water]
    second = [atom(i + 4, *row) for i, row in enumerate(meoh)]
    zfile("two_solutes.z", "Water and methanol", water + ["TERC"] + second,
          [[], ["   6"], [], [], ["   6"], [], ["   6-   9"], [], []])


def all_sections_file():
    """Butane with every section populated."""
    sections = [
        ["   2   1    1.600000", "   3   2  120.000000", "   4   3   60.000000"],
        ["   2-   4", "   5", "   6=   5", "   7=   6"],
        ["   1   4", "   5   8"],
        ["   1   4    3.9000   10.0000   20.0000   30.0000",
         "   19999    0.5000    1.0000    2.0000    3.0000",
         "9999   4    2.0000    1.0000    2.0000    3.0000",
         "   2   3   -1.0000    1.4000    1.6000  100.0000"],
        ["   3-   5", "   6=   5"],
        ["AUTO", "   5   1   6"],
        ["FLIP   4 120", "   4  12   0   10.000000", "   5-   7", "   8=   7",
         "   9   3   5    5.000000", "  12 500   0    0.000000"],
        ["AUTO", "   5   1   2   3  10   0", "   1   2   3  12   7  11"],
        ["   1   3   5   7", "   2   2  12  14"],
    ]
    zfile("all_sections.z", "Butane, every section", numbered(BUTANE), sections)


def embed(smiles, seed):
    from rdkit import Chem
    from rdkit.Chem import AllChem
    m = Chem.AddHs(Chem.MolFromSmiles(smiles))
    AllChem.EmbedMolecule(m, randomSeed=seed)
    AllChem.MMFFOptimizeMolecule(m)
    return m


NAMES = {}


def atom_names(m):
    counts = {}
    names = []
    for a in m.GetAtoms():
        sym = a.GetSymbol().upper() if a.GetSymbol() in ("Cl", "Br") else a.GetSymbol()
        counts[sym] = counts.get(sym, 0) + 1
        names.append(("%s%d" % (sym, counts[sym]))[:3])
    return names


def pdb_files():
    from rdkit import Chem
    mols = {
        "benzene": "c1ccccc1",
        "cyclohexane": "C1CCCCC1",
        "neopentane": "CC(C)(C)C",
        "tbutanol": "CC(C)(C)O",
        "chlorobenzene": "Clc1ccccc1",
        "pyridine": "c1ccncc1",
        "acetonitrile": "CC#N",
        "norbornane": "C1CC2CCC1C2",
    }
    for seed, (name, smi) in enumerate(sorted(mols.items())):
        m = embed(smi, 1000 + seed)
        conf = m.GetConformer()
        names = atom_names(m)
        lines = ["HEADER    %s" % name, "COMPND    %s" % name.upper(),
                 "REMARK    coordinates from RDKit ETKDG + MMFF"]
        for i, a in enumerate(m.GetAtoms()):
            p = conf.GetAtomPosition(i)
            lines.append("%-6s%5d  %-3s %3s  %4d    %8.3f%8.3f%8.3f%6.2f%6.2f" % (
                "HETATM" if name == "chlorobenzene" else "ATOM", i + 1, names[i], "UNK", 1,
                p.x, p.y, p.z, 1.0, 0.0))
        lines.append("TER")
        lines.append("CONECT    1    2")
        lines.append("END")
        n = m.GetNumAtoms()
        types = [80 + (a.GetAtomicNum() % 20) for a in m.GetAtoms()]
        for i in range(0, n, 10):
            lines.append("".join("%3d" % t for t in types[i:i + 10]))
        lines.append("10")
        for i in range(0, n, 10):
            lines.append("".join("%3d" % (t + 100) for t in types[i:i + 10]))
        with open(os.path.join(HERE, name + ".pdb"), "w") as f:
            f.write("\n".join(lines) + "\n")
    # "PDBP " layout: methanol with charge, sigma, epsilon.
    m = embed("CO", 7)
    conf = m.GetConformer()
    params = {6: (0.145, 3.5, 0.066), 8: (-0.683, 3.12, 0.17), 1: (0.04, 2.5, 0.03)}
    lines = ["REMARK    methanol with nonbonded parameters"]
    for i, a in enumerate(m.GetAtoms()):
        p = conf.GetAtomPosition(i)
        q, s, e = params[a.GetAtomicNum()]
        if a.GetAtomicNum() == 1 and a.GetNeighbors()[0].GetAtomicNum() == 8:
            q = 0.418
        lines.append("%-6s%5d %-3s  %3s  %4d    %8.3f%8.3f%8.3f%9.3f%7.3f%7.3f" % (
            "ATOM", i + 1, atom_names(m)[i], "MOH", 1, p.x, p.y, p.z, q, s, e))
    lines.append("END")
    with open(os.path.join(HERE, "methanol_params.pdb"), "w") as f:
        f.write("\n".join(lines) + "\n")


def free_format_file():
    """Methanol in three blocks: the second a rotated and shifted copy of the first with
    other charges, the third a different conformer."""
    import numpy as np
    m = embed("CO", 11)
    conf = m.GetConformer()
    xyz = np.array([[conf.GetAtomPosition(i).x, conf.GetAtomPosition(i).y,
                     conf.GetAtomPosition(i).z] for i in range(m.GetNumAtoms())])
    nat = [a.GetAtomicNum() for a in m.GetAtoms()]
    th = 0.7
    rot = np.array([[math.cos(th), -math.sin(th), 0], [math.sin(th), math.cos(th), 0], [0, 0, 1]])
    xyz2 = xyz @ rot.T + np.array([3.0, -1.0, 2.5])
    xyz3 = xyz.copy()
    xyz3[3:] = xyz3[3:] * 1.02  # a slightly different geometry
    lines = ["MIND  Methanol in three blocks", "# reference block", "$ charges: OPLS-like"]
    names = ["CT", "OH1", None, "HC1", "HC", "HO"]
    for block, (c, qscale) in enumerate([(xyz, 1.0), (xyz2, 0.5), (xyz3, 1.0)]):
        if block:
            lines.append("%% block %d" % (block + 1))
        for i, z in enumerate(nat):
            q = {6: 0.145, 8: -0.683, 1: 0.04}[z] * qscale
            sig, eps = {6: (3.5, 0.066), 8: (3.12, 0.17), 1: (2.5, 0.03)}[z]
            name = names[i] if i < len(names) and names[i] else ""
            fields = ["%d" % z, "%.10f" % c[i, 0], "%.10f" % c[i, 1], "%.10E" % c[i, 2],
                      "%.4f" % q, "%.3f" % sig, "%.4f" % eps]
            if name:
                fields.insert(1 if i % 2 else 7, name)
            lines.append(", ".join(fields) if i == 1 else "  ".join(fields))
    with open(os.path.join(HERE, "methanol.mind"), "w") as f:
        f.write("\n".join(lines) + "\n")


if __name__ == "__main__":
    zmatrix_files()
    all_sections_file()
    pdb_files()
    free_format_file()
    sys.exit(0)
