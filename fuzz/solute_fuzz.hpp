// Shared by the solute-file fuzz targets: one state per process, the reset of every
// record the solute readers write, the solute unit fed from the fuzz input, and the two
// accepted refusals.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "format/origin.hpp"
#include "molecule/zmatrix_states.hpp"
#include "state/state.hpp"

namespace veka::fuzz {

inline State& fuzzState() {
  static State* s = [] {
    auto* st = new State();
    st->io.output.open("/dev/null", OpenStatus::Unknown);
    return st;
  }();
  return *s;
}

// Puts back every record the solute readers write.
inline void resetSoluteRecords(State& s) {
  static const State* blank = new State();
  s.zmat = blank->zmat;
  s.solcor = blank->solcor;
  s.potpar = blank->potpar;
  s.bndcom = blank->bndcom;
  s.angcom = blank->angcom;
  s.dihcom = blank->dihcom;
  s.nbcon = blank->nbcon;
  s.sw = blank->sw;
  s.control = blank->control;
  s.geom = blank->geom;
  s.io.listLevel = 0;
}

// Connects the solute unit to the bytes (held in memory, read like the file).
inline void openSoluteFile(State& s, const std::uint8_t* data, std::size_t size) {
  s.io.zmatfile.openText(std::string(reinterpret_cast<const char*>(data), size), "solute");
}

// Reads the solutes; a fatal message (Stop) and an input record that does not read
// (InputError) are the two accepted ways to refuse an input.
inline void readGuarded(State& s, int layoutCode) {
  try {
    readSolutes(s, layoutCode);
  } catch (const Stop&) {
  } catch (const fmt::InputError&) {
  }
}

}  // namespace veka::fuzz
