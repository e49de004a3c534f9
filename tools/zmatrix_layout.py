"""The section headings of a solute Z-matrix file, for the scripts that write test data.

After the title and the atom records a Z-matrix file holds nine sections, each closed by
the first record whose columns 1-4 are blank; these headings are such records and name
the section that follows them. The tenth line closes the excluded-pair section.
"""

HEADINGS = [
    "                    Geometry Variations follow    (2I4,F12.6)",
    "                    Variable Bonds follow         (I4)",
    "                    Additional Bonds follow       (2I4)",
    "                    Harmonic Constraints follow   (2I4,4F10.4)",
    "                    Variable Bond Angles follow   (I4)",
    "                    Additional Bond Angles follow (3I4)",
    "                    Variable Dihedrals follow     (3I4,F12.6)",
    "                    Additional Dihedrals follow   (6I4)",
    "                    Domain Definitions follow     (4I4)",
    "                    Final blank line",
]
