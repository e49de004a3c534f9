// Arbitrary bytes as a solute Z-matrix file: the title, atom section and every later
// section, the geometry of the three states and the term values.
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
