// Additional dihedrals and angles generated from the covalent neighbours when the solute
// Z-matrix file asks for them with "AUTO".
#pragma once

#include "state/state.hpp"

namespace veka {

// Automatic additional dihedrals and angles ("AUTO" in the Z-matrix file).
void adddih(State& s);
void addang(State& s);

}  // namespace veka
