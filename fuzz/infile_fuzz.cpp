// Fuzz target for the in-file reader. The first input byte picks how the file is read
// (bit 0: the solvent only, else a continued run; bit 1: zeroed counters) and which system
// reads it (bit 2: three solutes with variable coordinates and two solvents, else no
// solute and TIP4P); the rest is the in-file. Invariants: a refused file (veka::Stop,
// fmt::InputError) changes nothing in the state; a file that reads is written again as
// text that reads back to the same text.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "format/origin.hpp"
#include "input/infile.hpp"
#include "solute_fuzz.hpp"

namespace {

using veka::State;

void require(bool ok) {
  if (!ok) std::abort();
}

void reset(State& s, bool solutes) {
  static const State* blank = new State();
  s.coord = blank->coord;
  s.sol = blank->sol;
  s.zmat = blank->zmat;
  s.solcor = blank->solcor;
  s.dihcom.NVDIH = s.bndcom.NVBND = s.angcom.NVANG = 0;
  s.energy = blank->energy;
  s.slvrun = blank->slvrun;
  s.flexe = blank->flexe;
  s.movp = blank->movp;
  s.dihcom.EDIHOL = s.nbcom.ENBOL = s.nbcon.EBCOLD = s.bndcom.EBNDOL = s.angcom.EANGOL = {};
  s.mcrec = blank->mcrec;
  s.config = blank->config;
  s.config.MXCON = 1000;
  s.rands = blank->rands;
  s.sol.code(1) = 2;
  s.sol.nsites(1) = 4;
  s.coord.NMOL = 3;
  if (!solutes) return;
  s.zmat.NSATM = 5;
  s.zmat.NSOLUT = 3;
  s.dihcom.NVDIH = 1, s.dihcom.ID4(1) = 4;
  s.bndcom.NVBND = 2, s.bndcom.IB1(1) = 2, s.bndcom.IB1(2) = 5;
  s.angcom.NVANG = 1, s.angcom.IA1(1) = 3;
  s.sol.code(2) = 3;
  s.sol.nsites(2) = 3;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  State& s = veka::fuzz::fuzzState();
  const int mode = data[0];
  reset(s, mode & 4);
  const veka::InfileUse use = mode & 1 ? veka::InfileUse::Solvent : veka::InfileUse::Continue;
  // The text of each reset system, formed once (writing is the costly part here).
  static std::string* texts = new std::string[8];
  std::string& before = texts[mode & 7];
  if (before.empty()) before = veka::infileText(s);
  s.io.infile.openText(std::string(reinterpret_cast<const char*>(data) + 1, size - 1), "in");
  try {
    veka::readInfile(s, use, mode & 2);
  } catch (const veka::Stop&) {
    require(veka::infileText(s) == before);
    return 0;
  } catch (const veka::fmt::InputError&) {
    require(veka::infileText(s) == before);
    return 0;
  }
  // Reals too large for their fields are written as stars (as the Fortran runtime writes
  // them) and cannot be read back; every other file must give its own text again.
  const std::string once = veka::infileText(s);
  if (once.find('*') != std::string::npos) return 0;
  s.config.MXCON = 0;
  s.io.infile.openText(once, "in again");
  veka::readInfile(s, veka::InfileUse::Continue, false);
  require(veka::infileText(s) == once);
  return 0;
}
