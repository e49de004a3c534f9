#!/usr/bin/python3
"""Writes the solute files of the conformer completeness check (run once; the output is
committed).

Each molecule is embedded from its SMILES by RDKit (ETKDG, fixed seed, MMFF minimised;
cyclohexane starts from the highest of 100 such minima, a twist-boat, so that the
searches must find the chair);
the Z-matrix takes RDKit's atom order (heavy atoms along the chain, then the hydrogens of
each in turn): a heavy atom is placed on its lowest-numbered heavy neighbour, a hydrogen
on its heavy atom with its dihedral measured about a heavy-atom bond, so that a dihedral
of the search turns the hydrogens with the chain. A ring is closed by an additional bond;
angles and dihedrals beyond the Z-matrix are left to AUTO. OPLS-AA types of
data/forcefield/opls-aa.par: alkanes CH3 135, CH2 136, H 140; 1,2-ethanediol C 157,
O 169, H(O) 170.
"""
import os
import sys

from rdkit import Chem
from rdkit.Chem import AllChem, rdMolTransforms as mt

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, "..", "..", "..", "tools"))
from zmatrix_layout import HEADINGS  # noqa: E402

# name: (title, SMILES, seed, search-section records)
MOLECULES = {
    "butane": ("n-butane", "CCCC", 3, []),
    "cyclohexane": ("cyclohexane", "C1CCCCC1", 5,
                    ["%4d%4d%12.6f%12.6f" % (a, 3, 0.0, 0.0) for a in (4, 5, 6)]),
    "ethanediol": ("1,2-ethanediol", "OCCO", 11, []),
    "heptane": ("n-heptane", "CCCCCCC", 13, []),
}


def oplsType(atom):
    z, h = atom.GetAtomicNum(), atom.GetTotalNumHs(includeNeighbors=True)
    if z == 8:
        return 169
    if z == 6:
        if any(n.GetAtomicNum() == 8 for n in atom.GetNeighbors()):
            return 157
        return {3: 135, 2: 136}[h]
    return 170 if atom.GetNeighbors()[0].GetAtomicNum() == 8 else 140


def references(mol, i):
    """Bond, angle and dihedral partners of atom i (0-based, -1 for none)."""
    a = mol.GetAtomWithIdx(i)
    heavy = lambda at, excl: sorted(n.GetIdx() for n in at.GetNeighbors()  # noqa: E731
                                    if n.GetAtomicNum() > 1 and n.GetIdx() not in excl)
    if a.GetAtomicNum() > 1:
        j = min(heavy(a, ()), default=-1) if i > 0 else -1
        k = -1 if j < 0 else min((n for n in heavy(mol.GetAtomWithIdx(j), (i,)) if n < i),
                                 default=-1)
        if i == 2 and k < 0:
            k = min(n for n in heavy(a, (j,)) if n < i)
        cand = [n for n in heavy(mol.GetAtomWithIdx(k), (i, j)) if n < i] if k >= 0 else []
        return j, k, (min(cand) if cand else -1)
    j = a.GetNeighbors()[0].GetIdx()
    ks = heavy(mol.GetAtomWithIdx(j), ())
    k = next((n for n in ks if heavy(mol.GetAtomWithIdx(n), (j,))), ks[0])
    ls = heavy(mol.GetAtomWithIdx(k), (j,))
    return j, k, ls[0] if ls else next(n.GetIdx() for n in mol.GetAtomWithIdx(j).GetNeighbors()
                                       if n.GetIdx() not in (i, k) and n.GetIdx() < i)


def write(name, title, smiles, seed, search):
    mol = Chem.AddHs(Chem.MolFromSmiles(smiles))
    if name == "cyclohexane":
        ids = list(AllChem.EmbedMultipleConfs(mol, numConfs=100, randomSeed=seed))
        energies = [e for _, e in AllChem.MMFFOptimizeMoleculeConfs(mol)]
        conf = mol.GetConformer(ids[energies.index(max(energies))])
    else:
        AllChem.EmbedMolecule(mol, randomSeed=seed)
        AllChem.MMFFOptimizeMolecule(mol)
        conf = mol.GetConformer()
    n = mol.GetNumAtoms()
    lines = ["%-30s" % title]
    for i in range(n):
        j, k, l = references(mol, i)
        r = mt.GetBondLength(conf, i, j) if j >= 0 else 0.0
        a = mt.GetAngleDeg(conf, i, j, k) if k >= 0 else 0.0
        d = mt.GetDihedralDeg(conf, i, j, k, l) if l >= 0 else 0.0
        sym = mol.GetAtomWithIdx(i).GetSymbol()
        t = oplsType(mol.GetAtomWithIdx(i))
        lines.append("%4d %-3s %4d %4d %4d%12.6f%4d%12.6f%4d%12.6f" %
                     (i + 1, sym + str(i + 1), t, t, j + 1, r, k + 1, a, l + 1, d))
    closing = [(b.GetBeginAtomIdx() + 1, b.GetEndAtomIdx() + 1) for b in mol.GetBonds()
               if references(mol, max(b.GetBeginAtomIdx(), b.GetEndAtomIdx()))[0]
               != min(b.GetBeginAtomIdx(), b.GetEndAtomIdx())]
    sections = [[], ["%4d-%4d" % (2, n)], ["%4d%4d" % c for c in closing], [],
                ["%4d-%4d" % (3, n)], ["AUTO"], ["%4d-%4d" % (4, n)], ["AUTO"], []]
    for heading, recs in zip(HEADINGS, sections):
        lines.append(heading)
        lines.extend(recs)
    lines.append(HEADINGS[9])
    with open(os.path.join(HERE, name + ".z"), "w") as f:
        f.write("\n".join(lines + search) + "\n")


if __name__ == "__main__":
    for key, (title, smiles, seed, search) in MOLECULES.items():
        write(key, title, smiles, seed, search)
