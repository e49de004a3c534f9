// Covalent neighbours of the solute atoms: the bonds of the bond list plus every pair of
// atoms of one solute molecule that lies within the sum of their covalent radii + 0.1 A
// in either end-state set-up geometry.
#pragma once

#include "state/state.hpp"

namespace veka {

// Covalent radius (A) by atomic number 0..99 (0 gives 0.44).
double covalentRadius(int atomicNumber);

// Builds the covalent-neighbour list (`covnbr`). Neighbours of each atom are stored in
// increasing atom order. Distance-based bonding is switched off by switch 9 of record
// 14 of the command section (sw.noDistanceBonds = 1): then only the bond list counts. With `quiet`
// false the list is printed under "Covalent Neigbors List -". Stops on an atomic number
// outside 0..99 and on an eleventh neighbour.
void covneb(State& s, bool quiet);

}  // namespace veka
