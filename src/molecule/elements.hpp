// Element data by atomic number: the standard atomic weights used by the set-up
// (molecular weights, centres of mass) and by the normal-mode analysis (mass weighting,
// thermochemistry).
#pragma once

namespace veka {

// Atomic weight (amu) of atomic number z; 0.0 for z = 0 and for numbers outside 0-103.
double atomicWeight(int z);

}  // namespace veka
