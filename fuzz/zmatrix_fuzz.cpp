// Arbitrary bytes as a solute Z-matrix file: the title, atom section and every later
// section, the geometry of the three states and the term values.
#include "solute_fuzz.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  veka::State& s = veka::fuzz::fuzzState();
  veka::fuzz::resetSoluteRecords(s);
  veka::fuzz::openSoluteFile(s, data, size);
  // Perturbed states that differ from the reference, so that the superposition runs.
  s.geom.RC0 = 0.0;
  s.geom.RC1 = 0.5;
  s.geom.RC2 = 1.0;
  veka::fuzz::readGuarded(s, 0);
  return 0;
}
