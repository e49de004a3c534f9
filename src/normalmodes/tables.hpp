// Element tables of the normal-mode analysis: standard atomic weights (atomic numbers
// 0-103) for the mass weighting and the thermochemistry, and covalent radii (0-100) from
// which the analysis recognises bonded atom pairs when it builds its rigid terms.
#pragma once

namespace veka::nm {

// Atomic weight (amu) of atomic number z; 0.0 for z = 0 and for numbers outside 0-103.
double atomicWeight(int z);

// Covalent radius (A) of atomic number z; 0.0 for z = 0 and for numbers outside 0-100.
double covalentRadius(int z);

}  // namespace veka::nm
