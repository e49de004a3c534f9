// The covalent radii (atomic numbers 0-100) from which the normal-mode analysis
// recognises bonded atom pairs when it builds its rigid terms.
#pragma once

namespace veka::nm {

// Covalent radius (A) of atomic number z; 0.0 for z = 0 and for numbers outside 0-100.
double covalentRadius(int z);

}  // namespace veka::nm
