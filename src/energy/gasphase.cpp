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
  s.energy.ENEW = intra + s.energy.EXXNEW + s.energy.EPONEW;
  return s.energy.ENEW;
}

void acceptSoluteEnergies(State& s) {
  Bndcom& b = s.bndcom;
  Angcom& a = s.angcom;
  Dihcom& d = s.dihcom;
  Nbcom& nb = s.nbcom;
  Nbcon& c = s.nbcon;
  Energy& e = s.energy;
  b.EBNDOL = b.EBNDNE, b.EBNOL1 = b.EBNNE1, b.EBNOL2 = b.EBNNE2;
  a.EANGOL = a.EANGNE, a.EANOL1 = a.EANNE1, a.EANOL2 = a.EANNE2;
  d.EDIHOL = d.EDIHNE, d.EDIOL1 = d.EDINE1, d.EDIOL2 = d.EDINE2;
  nb.ENBOL = nb.ENBNE, nb.ENBOL1 = nb.ENBNE1, nb.ENBOL2 = nb.ENBNE2;
  c.EBCOLD = c.EBCNEW, c.EBCOL1 = c.EBCNE1, c.EBCOL2 = c.EBCNE2;
  e.EXXOLD = e.EXXNEW, e.EXXOL1 = e.EXXNE1, e.EXXOL2 = e.EXXNE2;
  e.EPOOLD = e.EPONEW, e.EPOOL1 = e.EPONE1, e.EPOOL2 = e.EPONE2;
  e.EOLD = e.ENEW;
}

EnergyComponents energyComponents(const State& s) {
  EnergyComponents c;
  c.stretch = s.bndcom.EBNDNE;
  c.bend = s.angcom.EANGNE;
  c.torsion = s.dihcom.EDIHNE;
  c.intra = s.nbcom.ENBNE;
  c.constraints = s.nbcon.EBCNEW;
  c.inter = s.energy.EXXNEW - s.nbcon.EBCNEW;
  c.polarization = s.energy.EPONEW;
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
