#!/usr/bin/python3
"""The conformer search a user would otherwise run, timed: RDKit ETKDG conformers of a
molecule, each minimised with MMFF94 (Debian's python3-rdkit), in batches of growing size
with fixed seeds. Prints for every batch the CPU time, the conformers per CPU second and
the distinct MMFF minima within the window above the lowest one (minima whose energies
differ by less than 0.01 kcal/mol and whose heavy atoms superpose within 0.25 A RMS count
as one; mirror images count as one), so that one reads after how many conformers, and how
much time, the set of minima stops growing.

Usage: tools/conformer_reference.py SMILES [window kcal/mol] [batch sizes...]
Example: tools/conformer_reference.py CCCCCCC 3.0 25 50 100 200 400 800
"""
import sys
import time

from rdkit import Chem
from rdkit.Chem import AllChem, rdMolAlign


def distinct_minima(mol, energies, window):
    heavy = Chem.RemoveHs(mol)
    order = sorted(range(len(energies)), key=energies.__getitem__)
    kept = []
    for c in order:
        if energies[c] > energies[order[0]] + window:
            break
        mirror = Chem.Mol(heavy, confId=c)
        same = False
        for k in kept:
            if abs(energies[c] - energies[k]) >= 0.01:
                continue
            rms = rdMolAlign.GetBestRMS(Chem.Mol(heavy, confId=k), mirror)
            pos = mirror.GetConformer().GetPositions()
            flipped = Chem.Mol(mirror)
            for i, p in enumerate(pos):
                flipped.GetConformer().SetAtomPosition(i, (-p[0], p[1], p[2]))
            rms = min(rms, rdMolAlign.GetBestRMS(Chem.Mol(heavy, confId=k), flipped))
            if rms <= 0.25:
                same = True
                break
        if not same:
            kept.append(c)
    return [energies[k] - energies[order[0]] for k in kept]


def batch(smiles, count):
    mol = Chem.AddHs(Chem.MolFromSmiles(smiles))
    start = time.process_time()
    AllChem.EmbedMultipleConfs(mol, numConfs=count, randomSeed=7)
    result = AllChem.MMFFOptimizeMoleculeConfs(mol, maxIters=2000)
    return mol, [e for _, e in result], time.process_time() - start


def main():
    smiles = sys.argv[1]
    window = float(sys.argv[2]) if len(sys.argv) > 2 else 3.0
    sizes = [int(a) for a in sys.argv[3:]] or [25, 50, 100, 200, 400]
    print("%8s %10s %12s %8s  %s" %
          ("confs", "CPU s", "confs/CPU s", "minima", "relative energies"))
    for n in sizes:
        mol, energies, cpu = batch(smiles, n)
        minima = distinct_minima(mol, energies, window)
        print("%8d %10.2f %12.0f %8d  %s" % (n, cpu, n / cpu, len(minima),
                                             " ".join("%.2f" % e for e in minima)))


if __name__ == "__main__":
    main()
