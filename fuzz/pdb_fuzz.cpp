// Arbitrary bytes as a solute file read as coordinates. The first byte chooses the
// layout: 0 standard Protein Data Bank, 1 "PDBP " (with charge, sigma, epsilon), 2 the
// free-format Cartesian layout with the three states in blocks 1, 2 and 3, 3 the same
// with every state from block 1; the other bytes are the file.
#include "solute_fuzz.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  veka::State& s = veka::fuzz::fuzzState();
  veka::fuzz::resetSoluteRecords(s);
  veka::fuzz::openSoluteFile(s, data + 1, size - 1);
  const int mode = data[0] % 4;
  s.control.pdbWithParams = mode == 1;
  s.io.listLevel = data[0] & 4 ? 3 : 0;
  s.geom.RC0 = 1.0;
  s.geom.RC1 = mode == 2 ? 2.0 : 1.0;
  s.geom.RC2 = mode == 2 ? 3.0 : 1.0;
  veka::fuzz::readGuarded(s, mode < 2 ? 2 + mode : 6);
  return 0;
}
