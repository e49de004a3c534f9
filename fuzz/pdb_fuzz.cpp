// Arbitrary bytes as a solute file read as coordinates. The first byte chooses the
// layout: 0 standard Protein Data Bank, 1 "PDBP " (with charge, sigma, epsilon), 2 the
// free-format Cartesian layout with the three states in blocks 1, 2 and 3, 3 the same
// with every state from block 1; the other bytes are the file.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>

#include "format/origin.hpp"
#include "molecule/zmatrix.hpp"
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

// Writes the bytes to this process's solute file and opens it on the solute unit.
inline void openSoluteFile(State& s, const std::uint8_t* data, std::size_t size) {
  static const std::string path =
      "/tmp/veka_solute_fuzz_" + std::to_string(static_cast<long>(::getpid()));
  std::FILE* f = std::fopen(path.c_str(), "wb");
  if (f == nullptr) std::abort();
  if (size > 0 && std::fwrite(data, 1, size, f) != size) std::abort();
  std::fclose(f);
  if (s.io.zmatfile.open(path, OpenStatus::Old) != 0) std::abort();
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
