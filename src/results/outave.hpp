// Results of a Monte Carlo block: the block's sums appended to the block history, averages
// over all blocks with batch-mean errors, free energies, fluctuation properties, energy
// components and distributions in the listing and the summary file, then the restart
// record and the structure file.
#pragma once

#include "state/state.hpp"

namespace veka {

void outave(State& s);

}  // namespace veka
