// Fuzz target: the force-field files and the solute file through the whole gas-phase
// set-up of a single-point job (solutes, local types, type and bonded-parameter
// assignment, pair list, energies). The first input byte picks the file the remaining
// bytes replace; the other two are the project's files:
//   0  the parameter file after its command section (atom-type table, torsion table)
//   1  the bond and angle file
//   2  the solute Z-matrix file (run with the methanol example's command section)
// The command section is the methanol example's. The accepted outcomes are a complete
// set-up and the program's own refusals (veka::Stop, fmt::InputError).
#include <cstddef>
#include <cstdint>
#include <fstream>
#include <sstream>
#include <string>

#include "format/origin.hpp"
#include "input/command.hpp"
#include "input/setup.hpp"
#include "solute_fuzz.hpp"
#include "state/state.hpp"

namespace {

std::string slurp(const char* relative) {
  std::ifstream in(std::string(VEKA_SOURCE_DIR) + "/" + relative, std::ios::binary);
  std::ostringstream out;
  out << in.rdbuf();
  return out.str();
}

struct Files {
  std::string command = slurp("data/examples/methanol/command.txt");
  std::string tables = slurp("data/forcefield/opls-aa.par");
  std::string bonded = slurp("data/forcefield/opls-aa-bonded.par");
  std::string solute = slurp("data/examples/methanol/methanol.z");
};

// Puts back every record of the state but the units (a fresh 6 MB state per input
// would cost more than the set-up itself).
void reset(veka::State& s) {
  static const veka::State* blank = new veka::State();
  const veka::State& b = *blank;
  s.control = b.control, s.config = b.config, s.geom = b.geom, s.misc = b.misc;
  s.sol = b.sol, s.coord = b.coord, s.cutoff = b.cutoff, s.movp = b.movp, s.qm = b.qm;
  s.cap = b.cap, s.optset = b.optset, s.search = b.search, s.nmode = b.nmode;
  s.rdf = b.rdf, s.sw = b.sw, s.zmat = b.zmat, s.solcor = b.solcor, s.fre = b.fre;
  s.potpar = b.potpar, s.bndcom = b.bndcom, s.angcom = b.angcom, s.dihcom = b.dihcom;
  s.nbcom = b.nbcom, s.covnbr = b.covnbr, s.nbcon = b.nbcon, s.energy = b.energy;
  s.optim.reset();
  s.io.fileName = b.io.fileName;
  s.io.listLevel = 0;
  s.io.structFormat = 0;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const Files* files = new Files();
  if (size == 0) return 0;
  const int which = data[0] % 3;
  const std::string bytes(reinterpret_cast<const char*>(data) + 1, size - 1);
  veka::State* s = &veka::fuzz::fuzzState();
  reset(*s);
  s->io.parfile.openText(files->command + (which == 0 ? bytes : files->tables), "par");
  s->io.bangfil.openText(which == 1 ? bytes : files->bonded, "bonded");
  s->io.zmatfile.openText(which == 2 ? bytes : files->solute, "solute");
  s->control.runMode = 7;
  s->geom.noPert = 1;
  try {
    veka::readCommandSection(*s);
    veka::setupGasPhase(*s);
  } catch (const veka::Stop&) {
  } catch (const veka::fmt::InputError&) {
  }
  return 0;
}
