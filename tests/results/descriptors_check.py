#!/usr/bin/python3
"""Summary descriptors of one-configuration gas-phase blocks compared with RDKit.

For each solute the program writes its MOL file (its own bond orders) and the summary;
RDKit reads the MOL file and counts the rotatable bonds with its own (strict) pattern on
the molecule without hydrogens. The summary's "#Rotor Bonds=" must agree, and "#Amide ="
must equal RDKit's count of amide C(=O)-N bonds.

Arguments: <veka binary> <source dir> <build dir>. Exit status 77 without RDKit.
"""

import os
import re
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, "..", "support"))
sys.dont_write_bytecode = True
import mcjob  # noqa: E402
import refcheck as rc  # noqa: E402

SOLUTES = ["data/examples/pentane/pentane.z", "tests/energy/data/nma.z",
           "tests/energy/data/phenol.z", "tests/energy/data/ethanol.z",
           "tests/search/data/cyclohexane.z", "tests/search/data/heptane.z",
           "tests/search/data/ethanediol.z", "tests/molecule/data/benzene.z"]


def main():
    veka, source, _ = rc.args()
    Chem = rc.need("rdkit.Chem", "RDKit")
    from rdkit.Chem import Lipinski
    amide = Chem.MolFromSmarts("C(=O)-N")
    bad = 0
    with rc.workdir() as work:
        mcjob.write_par(source, work, "tip4p-npt", {1: "NONE     0.0000", 4: "NONE           ",
                                                    9: "   0   0  0.00", 35: "MDLMO   1"})
        for z in SOLUTES:
            mcjob.run(veka, source, work, "100", 1, os.path.join(source, z), **{"-pl": "job.mol"})
            text = open(os.path.join(work, "job.sum")).read()
            rotors = int(re.search(r"#Rotor Bonds=\s*(\d+)", text).group(1))
            amides = int(re.search(r"#Amide =\s*(\d+)", text).group(1))
            block = open(os.path.join(work, "job.mol")).read().replace(" V2006", " V2000")
            heavy = Chem.MolFromMolBlock(block)  # the writer's own version tag renamed
            want = (Lipinski.NumRotatableBonds(heavy), len(heavy.GetSubstructMatches(amide)))
            ok = (rotors, amides) == want
            bad += not ok
            print("%-40s rotors %d amides %d, RDKit %d %d %s" %
                  (z, rotors, amides, want[0], want[1], "" if ok else "DIFFER"))
    return 1 if bad else 0


if __name__ == "__main__":
    sys.exit(main())
