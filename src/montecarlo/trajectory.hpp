// The trajectory of a Monte Carlo run ("-tr NAME"): frames of the current configuration in
// NAME.dcd (CHARMM layout, little-endian, the box in every frame) and the matching atom
// list, written once, in NAME.pdb.
//
// A frame holds the reference-state solute atoms without the dummy atoms, in Z-matrix
// order, then every site of every solvent molecule (molecule by molecule, the sites in
// the order of the solvent model, the massless charge sites of four-site waters included),
// the same atoms throughout the run.
//
// The second title record of the DCD header counts the frames of the blocks completed so
// far. A continued block keeps those frames and cuts off any later ones, which can only
// come from a block that was stopped before its in-file was written and is now run again,
// so that no configuration appears twice. Just before the in-file is written the record
// also names the frame count the block ends with and the random seed the in-file will
// carry; a run killed between the in-file and the final count is recognised by that seed
// in the in-file it continues from, and its block's frames are kept, so none is lost.
#pragma once

#include "state/state.hpp"

namespace veka {

// Configurations between frames: NSAVE when it names an interval (1 to 999998), else a
// hundredth of the block (at least 1).
int trajectoryInterval(int nsave, int mxcon);

// Opens NAME.dcd for the block when a trajectory was asked for: a new file and NAME.pdb
// in run mode 1 or when there is no file yet; otherwise the frames of the completed
// blocks, to which this block appends. Sizes the frame buffer.
void openTrajectory(State& s);

// Writes the current configuration as the next frame (one write), then the new frame
// count into the header.
void writeFrame(State& s);

// Called just before the block's in-file is written: marks the frames so far as those of
// the block whose in-file carries the current seed.
void markTrajectoryPending(State& s);

// Called after the block's in-file is written: the frames so far belong to completed
// blocks. Closes the file.
void closeTrajectory(State& s);

}  // namespace veka
