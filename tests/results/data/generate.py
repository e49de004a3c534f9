#!/usr/bin/python3
"""Writes the solute Z-matrix files the structure-writer tests use (run once; the output
is committed).

Geometries come from RDKit's ETKDG embedding followed by an MMFF minimisation with fixed
random seeds; the Z-matrix of each file is derived from those coordinates (bond partner
an earlier bonded atom, angle and dihedral partners earlier atoms along the bonds where
possible). Atom types are the project's OPLS-AA numbers (data/forcefield/opls-aa.par),
assigned by SMARTS patterns, first match wins. EXPECTED (in expected.json) records what
an independent reader must find in the structure files: atom count, element counts,
bond count and, for aromatic molecules, the number of aromatic rings.
"""
import json
import math
import os
import sys

from rdkit import Chem
from rdkit.Chem import AllChem

HERE = os.path.dirname(os.path.abspath(__file__))

sys.path.insert(0, os.path.join(HERE, "..", "..", "..", "tools"))
from zmatrix_layout import HEADINGS  # noqa: E402

# name: (SMILES, title, [(SMARTS, type), ...])
MOLECULES = {
    "benzene": ("c1ccccc1", "Benzene", [("[H]c", 146), ("c", 145)]),
    "toluene": ("Cc1ccccc1", "Toluene",
                [("[H][CH3]", 140), ("[CH3]", 148), ("[H]c", 146), ("c", 145)]),
    "phenol": ("Oc1ccccc1", "Phenol",
               [("[H]O", 168), ("[OH]", 167), ("c[OH]", 166), ("[H]c", 146), ("c", 145)]),
    "naphthalene": ("c1ccc2ccccc2c1", "Naphthalene",
                    [("[H]c", 146), ("[c;R2]", 147), ("c", 145)]),
    "pyridine": ("c1ccncc1", "Pyridine",
                 [("[H]c1ncccc1", 524), ("[H]c1cnccc1", 525), ("[H]c1ccncc1", 526),
                  ("n", 520), ("c1ncccc1", 521), ("c1cnccc1", 522), ("c1ccncc1", 523)]),
    "nma": ("CC(=O)NC", "N-methylacetamide",
            [("[H]N", 241), ("[H][CH3]", 140), ("[CH3]C=O", 135), ("[CH3]N", 242),
             ("C=O", 235), ("O=C", 236), ("N", 238)]),
    "acetonitrile": ("CC#N", "Acetonitrile",
                     [("[H]C", 759), ("[CH3]", 755), ("C#N", 754), ("N#C", 753)]),
    "propene": ("C=CC", "Propene",
                [("[H][CH3]", 140), ("[H]C=C", 144), ("[CH2]=C", 143), ("[CH]=C", 142),
                 ("[CH3]", 135)]),
    "butadiene": ("C=CC=C", "1,3-Butadiene s-trans",
                  [("[H]C", 144), ("[CH2]", 143), ("[CH]", 150)]),
    "dodecane": ("CCCCCCCCCCCC", "n-Dodecane",
                 [("[H]C", 140), ("[CH3]", 135), ("[CH2]", 136)]),
    "methanol": ("CO", "Methanol",
                 [("[H]O", 155), ("[H]C", 156), ("O", 154), ("C", 157)]),
}

SEEDS = {name: 4100 + i for i, name in enumerate(sorted(MOLECULES))}


def embed(smiles, seed):
    m = Chem.AddHs(Chem.MolFromSmiles(smiles))
    if AllChem.EmbedMolecule(m, randomSeed=seed) != 0:
        raise SystemExit("embedding failed for " + smiles)
    AllChem.MMFFOptimizeMolecule(m, maxIters=2000)
    return m


def opls_types(m, rules):
    types = [0] * m.GetNumAtoms()
    for smarts, t in rules:
        patt = Chem.MolFromSmarts(smarts)
        for match in m.GetSubstructMatches(patt, uniquify=False):
            if types[match[0]] == 0:
                types[match[0]] = t
    missing = [a.GetSymbol() + str(a.GetIdx()) for a in m.GetAtoms() if types[a.GetIdx()] == 0]
    if missing:
        raise SystemExit("untyped atoms: " + " ".join(missing))
    return types


def sub(a, b):
    return [a[0] - b[0], a[1] - b[1], a[2] - b[2]]


def dot(a, b):
    return a[0] * b[0] + a[1] * b[1] + a[2] * b[2]


def cross(a, b):
    return [a[1] * b[2] - a[2] * b[1], a[2] * b[0] - a[0] * b[2], a[0] * b[1] - a[1] * b[0]]


def norm(a):
    return math.sqrt(dot(a, a))


def angle(a, b, c):
    u, v = sub(a, b), sub(c, b)
    return math.degrees(math.acos(max(-1.0, min(1.0, dot(u, v) / (norm(u) * norm(v))))))


def dihedral(a, b, c, d):
    b1, b2, b3 = sub(b, a), sub(c, b), sub(d, c)
    n1 = cross(b1, b2)
    n2 = cross(b2, b3)
    m1 = cross(n1, [x / norm(b2) for x in b2])
    return math.degrees(math.atan2(dot(m1, n2), dot(n1, n2)))


def zmatrix(xyz, neighbours):
    """Partners (1-based, 0 = none) and values of every atom, from coordinates."""
    rows = []
    for i in range(len(xyz)):
        earlier = list(range(i))

        def pick(cands, exclude):
            for c in cands:
                if c not in exclude:
                    return c
            return None

        nb_before = [n for n in neighbours[i] if n < i]
        near = sorted(earlier, key=lambda a: norm(sub(xyz[a], xyz[i])))
        j = k = l = None
        if i >= 1:
            j = pick(nb_before + near, {i})
        if i >= 2:
            k = pick([n for n in neighbours[j] if n < i] + earlier, {i, j})
        if i >= 3:
            cands = ([n for n in neighbours[k] if n < i] + [n for n in neighbours[j] if n < i]
                     + earlier)
            usable = [c for c in cands if c not in (i, j, k)]
            straight = [c for c in usable if 5.0 < angle(xyz[c], xyz[k], xyz[j]) < 175.0]
            l = (straight or usable)[0]  # a linear molecule leaves only collinear ones
        r = norm(sub(xyz[i], xyz[j])) if j is not None else 0.0
        th = angle(xyz[i], xyz[j], xyz[k]) if k is not None else 0.0
        ph = dihedral(xyz[i], xyz[j], xyz[k], xyz[l]) if l is not None else 0.0
        def one_based(a):
            return 0 if a is None else a + 1

        rows.append((one_based(j), r, one_based(k), th, one_based(l), ph))
    return rows


def atom_record(n, name, t, row, res="", resn=0):
    j, r, k, a, l, d = row
    return "%4d %-3s %4d %4d %4d%12.6f%4d%12.6f%4d%12.6f %-3s %4d" % (
        n, name, t, t, j, r, k, a, l, d, res, resn if resn else 0)


def names_of(symbols):
    counts = {}
    out = []
    for s in symbols:
        counts[s] = counts.get(s, 0) + 1
        out.append(("%s%d" % (s, counts[s]))[:3])
    return out


class Solute:
    def __init__(self, name, offset=(0.0, 0.0, 0.0)):
        smiles, self.title, rules = MOLECULES[name]
        self.mol = embed(smiles, SEEDS[name])
        self.types = opls_types(self.mol, rules)
        conf = self.mol.GetConformer()
        self.xyz = [[conf.GetAtomPosition(i).x + offset[0], conf.GetAtomPosition(i).y + offset[1],
                     conf.GetAtomPosition(i).z + offset[2]] for i in range(self.mol.GetNumAtoms())]
        self.symbols = [a.GetSymbol() for a in self.mol.GetAtoms()]
        self.neighbours = [[n.GetIdx() for n in a.GetNeighbors()] for a in self.mol.GetAtoms()]


def write_file(fname, title, solutes, residues=None, sections=None):
    """solutes: list of Solute; residues: list of (name, number) per solute or None."""
    xyz, neigh, types, symbols, starts = [], [], [], [], []
    for s in solutes:
        base = len(xyz)
        starts.append(base)
        xyz += s.xyz
        neigh += [[n + base for n in nb] for nb in s.neighbours]
        types += s.types
        symbols += s.symbols
    rows = zmatrix(xyz, neigh)
    names = names_of(symbols)
    lines = ["%-30s" % title]
    for m, s in enumerate(solutes):
        if m > 0:
            lines.append("TER")
        res, resn = residues[m] if residues else ("", 0)
        for i in range(starts[m], starts[m] + len(s.xyz)):
            lines.append(atom_record(i + 1, names[i], types[i], rows[i], res, resn))
    sections = sections or [[] for _ in range(9)]
    for heading, recs in zip(HEADINGS, sections):
        lines.append(heading)
        lines.extend(recs)
    lines.append(HEADINGS[9])
    with open(os.path.join(HERE, fname), "w") as f:
        f.write("\n".join(lines) + "\n")


def expectations(solutes):
    """What a reader of the structure files must find. "smiles" is the canonical SMILES
    of the molecule (solutes joined by "."); "kekule" is false where the MOL bond orders
    are not expected to reproduce it (pyridine: the parameter-file types make both C-N
    ring bonds single)."""
    elements = {}
    bonds = 0
    aromatic = 0
    for s in solutes:
        for a in s.mol.GetAtoms():
            elements[a.GetSymbol()] = elements.get(a.GetSymbol(), 0) + 1
        bonds += s.mol.GetNumBonds()
        ri = s.mol.GetRingInfo()
        aromatic += sum(1 for ring in ri.BondRings()
                        if all(s.mol.GetBondWithIdx(b).GetIsAromatic() for b in ring))
    smiles = Chem.MolToSmiles(Chem.MolFromSmiles(".".join(
        Chem.MolToSmiles(Chem.RemoveHs(s.mol)) for s in solutes)))
    return {"atoms": sum(elements.values()), "elements": elements, "bonds": bonds,
            "aromatic_rings": aromatic, "smiles": smiles,
            "kekule": not any(s.title == "Pyridine" for s in solutes)}


def main():
    flexible = [[], ["   2-   6"], [], [], ["   3-   6"], ["AUTO"], [], ["AUTO"], []]
    expected = {}
    for name in sorted(MOLECULES):
        s = Solute(name)
        write_file(name + ".z", s.title, [s], sections=flexible)
        expected[name + ".z"] = expectations([s])
    # Two solutes with residues: methanol and benzene 5 A apart.
    meoh, bz = Solute("methanol"), Solute("benzene", (5.0, 0.5, 0.3))
    write_file("two_residues.z", "Methanol and benzene", [meoh, bz],
               residues=[("MOH", 1), ("BNZ", 2)], sections=flexible)
    expected["two_residues.z"] = expectations([meoh, bz])
    # Two solutes without residues: acetonitrile and toluene.
    mecn, tol = Solute("acetonitrile"), Solute("toluene", (0.5, 5.5, -0.4))
    write_file("two_plain.z", "Acetonitrile and toluene", [mecn, tol], sections=flexible)
    expected["two_plain.z"] = expectations([mecn, tol])
    with open(os.path.join(HERE, "expected.json"), "w") as f:
        json.dump(expected, f, indent=1, sort_keys=True)
        f.write("\n")


if __name__ == "__main__":
    main()
