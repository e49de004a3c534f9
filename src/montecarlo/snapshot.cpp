#include "montecarlo/snapshot.hpp"

#include <algorithm>
#include <initializer_list>
#include <vector>

#include "format/format.hpp"
#include "input/infile.hpp"

namespace veka {

namespace {

void append(std::vector<double>& v, const PerState& e) {
  v.insert(v.end(), e.begin(), e.end());
}

void writeEnergies(State& s, const fmt::Format& fE) {
  const Energy& e = s.energy;
  std::vector<double> v{e.EOLD, s.slvrun.sampled};
  for (const PerState* p :
       std::initializer_list<const PerState*>{&e.ESOLD, &e.EXXOLD, &s.dihcom.EDIHOL, &s.nbcom.ENBOL,
                                              &s.nbcon.EBCOLD, &s.bndcom.EBNDOL, &s.angcom.EANGOL})
    append(v, *p);
  fmt::writeValues(s.io.savefile, fE, v);
  fmt::writeValues(s.io.savefile, fE, std::vector<double>{e.ESXCOL, e.ESXLOL, e.EXXC, e.EXXL});
  const Flexe& f = s.flexe;
  fmt::writeValues(s.io.savefile, fE,
                   std::vector<double>{f.ESBNOL, f.ESANOL, f.ESDIOL, f.ESNBOL, f.ESTOT, 0.0});
}

void writeSolute(State& s, const fmt::Format& fC) {
  std::vector<double> v;
  const int n = s.zmat.NSATM;
  for (const Xyz& c : s.solcor.xyz)
    for (const auto* a : {&c.x, &c.y, &c.z}) v.insert(v.end(), a->data(), a->data() + n);
  const double toDeg = 1.0 / s.misc.DTORAD;
  for (int k = 1; k <= s.dihcom.NVDIH; ++k) v.push_back(s.zmat.DIH(s.dihcom.ID4(k)) * toDeg);
  for (int k = 1; k <= s.bndcom.NVBND; ++k) v.push_back(s.zmat.BND(s.bndcom.IB1(k)));
  for (int k = 1; k <= s.angcom.NVANG; ++k) v.push_back(s.zmat.ANG(s.angcom.IA1(k)) * toDeg);
  fmt::writeValues(s.io.savefile, fC, v);
  if (s.zmat.NSOLUT > 2) {
    v.assign(s.movp.RDELS.data() + 2, s.movp.RDELS.data() + s.zmat.NSOLUT);
    v.insert(v.end(), s.movp.ADELS.data() + 2, s.movp.ADELS.data() + s.zmat.NSOLUT);
    fmt::writeValues(s.io.savefile, fC, v);
  }
}

void writeSolvent(State& s, const fmt::Format& fC) {
  const Coord& c = s.coord;
  std::vector<double> v;
  for (int k = 1; k <= solventSites(s); ++k)
    for (const auto* a : {&c.X, &c.Y, &c.Z}) v.insert(v.end(), a->column(k), a->column(k) + c.NMOL);
  fmt::writeValues(s.io.savefile, fC, v);
  static const fmt::Format fF("80I1");
  std::vector<int> kind(static_cast<std::size_t>(c.NMOL));
  for (int n = 1; n <= c.NMOL; ++n)
    kind[static_cast<std::size_t>(n - 1)] = c.solvent(n) == 2 ? 2 : 1;
  fmt::writeValues(s.io.savefile, fF, kind);
}

}  // namespace

void writeSnapshot(State& s) {
  static const fmt::Format f1("6I5,3I9,1X,3I3"), f2("2F9.2,3F13.8"), fE("4D20.12"), fC("6F13.8");
  Unit& u = s.io.savefile;
  fmt::FormattedOutput(f1, u) << s.coord.NMOL << s.zmat.NSATM << s.zmat.NSOLUT << s.dihcom.NVDIH
                              << s.bndcom.NVBND << s.angcom.NVANG << s.config.NACCPT
                              << s.config.NRJECT << s.rands.seed << s.mcrec.version << MAXRDF1
                              << MAXRDF2;
  fmt::FormattedOutput(f2, u) << s.misc.TC << s.misc.PATM << s.coord.HALF(1) << s.coord.HALF(2)
                              << s.coord.HALF(3);
  writeEnergies(s, fE);
  writeSolute(s, fC);
  if (s.coord.NMOL > 0) writeSolvent(s, fC);
}

}  // namespace veka
