// The block-history file (UPFILE): one record per block holding the block's weighted sums,
// from which the results form averages and batch-mean errors over all blocks so far.
//
// A record is a line "' BLOCK',I6,I10,I8" (block number, configurations of the block,
// dihedral bins) followed by the sums, 4D25.16: the scalar sums in the order of SumIndex,
// the four distributions of 50 bins, then the dihedral bins.
//
// The file is replaced whole at the end of every block: the earlier records and the new
// one are written beside it and the new file then takes its name, so that a run killed at
// any moment leaves either the old or the new file, never a part.
#pragma once

#include <vector>

#include "state/state.hpp"

namespace veka {

// Reads the first `count` records from the UPFILE unit (from its start) into `blocks`.
// Fewer records than that, or a record for another number of configurations, stops the run.
void readHistory(State& s, int count, std::vector<Sums>& blocks);

// Writes `blocks` as the whole block-history file (replacing it).
void writeHistory(State& s, const std::vector<Sums>& blocks);

// Reconnects unit u to an empty file beside its file; `commitReplacement` then renames it
// over the old file and reconnects u there, positioned after the records written.
void openReplacement(State& s, Unit& u);
void commitReplacement(State& s, Unit& u);

}  // namespace veka
