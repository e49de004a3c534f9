// Fuzz target for the solvent Z-matrix file: the bytes are the file of solvent 1 ("OTHER"),
// read by redzms, given site parameters (local types from the file itself, the others from
// the parameter test tables), bonded parameters (flxpar) and the intrasolvent pairs
// (slvnbp); the molecule is built from its Z-matrix and its internal energy evaluated.
// Accepted outcomes: that, veka::Stop and fmt::InputError; the invariants below abort
// otherwise.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

#include "format/origin.hpp"
#include "molecule/params.hpp"
#include "molecule/solvent_zmat.hpp"
#include "solute_fuzz.hpp"

namespace {

using veka::State;

void require(bool ok) {
  if (!ok) std::abort();
}

std::string slurp(const char* relative) {
  std::ifstream in(std::string(VEKA_SOURCE_DIR) + "/" + relative, std::ios::binary);
  std::ostringstream out;
  out << in.rdbuf();
  return out.str();
}

void check(const State& s) {
  const veka::Szmat& z = s.szmat;
  require(z.NSAT >= 0 && z.NSAT <= veka::MXSAT);
  require(z.NSVBND <= veka::MXSVAR && z.NSBND <= veka::MXSBND && z.NSDIH <= veka::MXSDIH);
  for (int n = 1; n <= z.NSPAIR; ++n)
    require(z.SPI(n) >= 1 && z.SPI(n) < z.SPJ(n) && z.SPJ(n) <= z.NSAT);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const std::string* types = new std::string(slurp("tests/molecule/data/params/types.par"));
  static const std::string* bonds = new std::string(slurp("tests/molecule/data/params/bonds.par"));
  static const State* blank = new State();
  State& s = veka::fuzz::fuzzState();
  s.szmat = blank->szmat;
  s.sol = blank->sol;
  s.potpar = blank->potpar;
  s.sol.code(1) = 20;
  s.sol.flexible = 1;
  s.misc.TK = 298.15;
  s.io.listLevel = 0;
  s.io.parfile.openText(*types, "par");
  s.io.bangfil.openText(*bonds, "bonds");
  s.io.szmatfile.openText(std::string(reinterpret_cast<const char*>(data), size), "szmat");
  try {
    veka::redzms(s, 1);
    check(s);
    veka::assignSolventSites(s);
    veka::flxpar(s);
    veka::slvnbp(s);
    check(s);
    double x[veka::MXSAT], y[veka::MXSAT], z[veka::MXSAT];
    veka::buildSolventMolecule(s.szmat, x, y, z);
    veka::SolventIntra t;
    veka::solventIntraEnergy(s, x, y, z, t);
  } catch (const veka::Stop&) {
  } catch (const veka::fmt::InputError&) {
  }
  return 0;
}
