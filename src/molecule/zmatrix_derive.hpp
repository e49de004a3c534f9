// A Z-matrix derived from Cartesian coordinates, for solutes read as coordinates (Protein
// Data Bank and free-format layouts). The atoms keep their file order.
//
// Two atoms are covalently bonded when their distance is at most the sum of their covalent
// radii plus 0.1 A. Partners of atom i (all earlier than i; ties always go to the lower
// atom number, so the result depends on nothing but the coordinates and elements):
//   - bond partner j: the nearest earlier atom bonded to i; when there is none, the nearest
//     earlier atom. Atom 2 takes atom 1; atom 3 takes whichever of atoms 1 and 2 is bonded
//     to it (the nearer when both or neither are);
//   - angle partner k: the lowest-numbered earlier atom other than j bonded to j; when
//     there is none, the earlier atom nearest to j. Atom 3 takes the other of atoms 1, 2;
//   - dihedral partner l: the candidates, in order of preference, are the earlier atoms
//     bonded to k, then those bonded to j (each group by atom number), then all other
//     earlier atoms by distance from j. The first candidate that makes an angle l-j-k whose
//     sine is at least 0.1 is taken (so j, k and l never lie on one line); when none
//     does, the candidate with the largest sine. Only when every earlier atom lies on the
//     line j-k is the frame degenerate, and then the position of i about that line is a
//     free rotation of the whole fragment.
// Bond lengths, angles and dihedrals are then measured from the coordinates, so that
// `makmol` rebuilds the molecule up to a rigid motion.
#pragma once

#include "state/solute.hpp"

namespace veka {

// Fills the partners and the working, initial and final internal coordinates of atoms
// 1..n of `z` from the coordinates `c` and the atomic numbers `nat` (for covalent radii).
void deriveZmatrix(Zmat& z, const Xyz& c, const Array1<int, MAXATM>& nat, int n);

}  // namespace veka
