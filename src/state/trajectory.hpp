// The trajectory record: the DCD file of the current configurations written every few
// configurations of a Monte Carlo block, and its frame buffer, sized once at the block's
// set-up so that writing a frame allocates nothing.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace veka {

struct Traj {
  std::string name;   // base name ("-tr" / TRAJECTORY) without trailing blanks; empty = off
  int fd = -1;        // NAME.dcd while a block writes it, else -1
  int interval = 0;   // configurations between frames
  int frames = 0;     // complete frames in the file
  int atoms = 0;      // atoms of a frame
  int kept = 0;       // frames of the blocks completed before this one
  int startSeed = 0;  // random seed read at start-up (the seed of the last in-file written)
  std::vector<int> soluteAtoms;      // solute atoms written, in Z-matrix order (no dummies)
  std::vector<unsigned char> frame;  // one frame record as written: cell, x, y, z blocks
};

}  // namespace veka
