#include "energy/gasphase.hpp"

#include <utility>

#include "energy/eintra.hpp"
#include "energy/xxpot.hpp"
#include "format/record.hpp"

namespace veka {

double gasPhaseEnergy(State& s) {
  const double intra = eintra(s, 0);
  xxpot(s);
  polpot(s);
  s.energy.ENEW = intra + s.energy.EXXNEW[0] + s.energy.EPONEW[0];
  return s.energy.ENEW;
}

void acceptSoluteEnergies(State& s) {
  Bndcom& b = s.bndcom;
  Angcom& a = s.angcom;
  Dihcom& d = s.dihcom;
  Nbcom& nb = s.nbcom;
  Nbcon& c = s.nbcon;
  Energy& e = s.energy;
  b.EBNDOL = b.EBNDNE;
  a.EANGOL = a.EANGNE;
  d.EDIHOL = d.EDIHNE;
  nb.ENBOL = nb.ENBNE;
  c.EBCOLD = c.EBCNEW;
  e.EXXOLD = e.EXXNEW;
  e.EPOOLD = e.EPONEW;
  e.EOLD = e.ENEW;
}

EnergyComponents energyComponents(const State& s) {
  EnergyComponents c;
  c.stretch = s.bndcom.EBNDNE[0];
  c.bend = s.angcom.EANGNE[0];
  c.torsion = s.dihcom.EDIHNE[0];
  c.intra = s.nbcom.ENBNE[0];
  c.constraints = s.nbcon.EBCNEW[0];
  c.inter = s.energy.EXXNEW[0] - s.nbcon.EBCNEW[0];
  c.polarization = s.energy.EPONEW[0];
  c.total = c.stretch + c.bend + c.torsion + c.intra + c.inter + c.polarization + c.constraints;
  return c;
}

void listEnergyComponents(State& s, const EnergyComponents& e) {
  const std::pair<const char*, double> rows[] = {
      {"Bond stretching energy  =", e.stretch},     {"Angle bending energy    =", e.bend},
      {"Torsional energy        =", e.torsion},     {"Intrasolute non-bonded  =", e.intra},
      {"Intersolute non-bonded  =", e.inter},       {"Polarization energy     =", e.polarization},
      {"Bond constraints energy =", e.constraints}, {"Total Energy            =", e.total}};
  s.io.list(" Energy components:");
  for (const auto& [label, v] : rows) {
    fmt::RecordWriter w;
    w.X(1).A(label).F(v, 14, 5);
    s.io.list(w.str());
  }
}

}  // namespace veka
