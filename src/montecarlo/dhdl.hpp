// The energy-difference file of a perturbation run (file option "-dh", environment
// variable DHDL): one line per sample with the configuration count as time and the
// energies of the sampled configuration under the solutes at RC1, RC0 and RC2 relative to
// the reference solute, in the column layout of GROMACS dhdl.xvg files (kJ/mol).
//
// Sampling rule: a line is written after every NSCHG-th configuration of a block (NSCHG
// is the solute-move interval, so the solute has had one move attempt between samples).
// Each line is one equally weighted sample standing for the configuration current at its
// count; with NSCHG = 1 every configuration is a line and the exponential average over
// the lines of a block is that block's DeltaG exactly. The configuration count is the
// number of configurations of the simulation so far (NACCPT at the start of the block plus
// NCON), so it keeps increasing over continued blocks.
//
// A block whose counters start at zero (a new system, or start digit 1) starts a new file
// with its header; a continued block appends. Lines are collected in a buffer sized once
// and appended with whole-line writes when it fills and at the end of the block, so a
// killed run leaves only complete lines.
#pragma once

#include <cstddef>
#include <vector>

#include "state/state.hpp"

namespace veka {

// kcal/mol to kJ/mol, the energy unit of the dhdl.xvg layout.
inline constexpr double kKiloJoulePerKcal = 4.184;

class DhdlWriter {
 public:
  // Opens the file named by the io record (inactive when it is blank or the run has no
  // perturbation); writes the header for a new file. A file that cannot be opened stops
  // the run.
  explicit DhdlWriter(State& s);
  ~DhdlWriter();
  DhdlWriter(const DhdlWriter&) = delete;
  DhdlWriter& operator=(const DhdlWriter&) = delete;

  // After a cycle: the line of the current configuration when NCON is a sample count.
  void sample(const State& s) {
    if (fd_ >= 0 && s.config.NCON % interval_ == 0) append(s);
  }
  // Appends what is still buffered (end of the block); a failed write stops the run.
  void flush();

 private:
  void append(const State& s);
  void writeHeader(const State& s);
  Io* io_ = nullptr;
  int fd_ = -1;
  int interval_ = 1;
  long long base_ = 0;  // configurations of the simulation before this block
  int order_[3] = {0, 1, 2};
  int columns_ = 3;
  std::vector<char> buf_;
  std::size_t used_ = 0;
};

}  // namespace veka
