// Writes a solute's model as the external-engine checks read it: one line per atom,
// bond, angle, torsion, covalent neighbour pair and intrasolute pair, then the settings
// (line formats listed in energy_tool.cpp). With `withinSolute`, bonds and angles between
// two solutes (intermolecular variables, which carry no energy) are left out.
#pragma once

#include <cstdio>

#include "state/state.hpp"

namespace veka::test {

inline void writeModel(const State& s, bool withinSolute) {
  const auto& z = s.zmat;
  const auto& p = s.potpar;
  const auto& c = s.solcor.xyz[0];
  for (int i = 1; i <= z.NSATM; ++i)
    std::printf("atom %d %d %d %.10f %.10f %.10f %.15g %.15g %.15g\n", i, p.NAT[0](i),
                z.moleculeOf(i), p.QI[0](i), p.SIG[0](i), p.EPS[0](i), c.x(i), c.y(i), c.z(i));
  auto across = [&](int i, int j) { return withinSolute && z.moleculeOf(i) != z.moleculeOf(j); };
  const auto& b = s.bndcom;
  for (int n = 1; n <= b.NBND; ++n)
    if (!across(b.IB1(n), b.IB2(n)))
      std::printf("bond %d %d %.12g %.12g\n", b.IB1(n), b.IB2(n), b.KB[0](n), b.RB0[0](n));
  const auto& a = s.angcom;
  const double deg = 1.0 / s.misc.DTORAD;
  for (int n = 1; n <= a.NANG; ++n)
    if (!across(a.IA1(n), a.IA2(n)) && !across(a.IA2(n), a.IA3(n)))
      std::printf("angle %d %d %d %.12g %.15g\n", a.IA1(n), a.IA2(n), a.IA3(n), a.KA[0](n),
                  a.TH0[0](n) * deg);
  const auto& d = s.dihcom;
  for (int n = 1; n <= d.NDIH; ++n) {
    if (d.ITOR0(n) == 500 || d.ITOR0(n) + d.ITOR1(n) == 0) continue;
    std::printf("torsion %d %d %d %d %.12g %.12g %.12g %.12g %.12g %.12g %.12g\n", d.ID1(n),
                d.ID2(n), d.ID3(n), d.ID4(n), d.V1[0](n), d.V2[0](n), d.V3[0](n), d.V4[0](n),
                d.F1[0](n) * deg, d.F2[0](n) * deg, d.F3[0](n) * deg);
  }
  const auto& cn = s.covnbr;
  for (int i = 1; i <= z.NSATM; ++i)
    for (int k = 1; k <= cn.NNEB(i); ++k)
      if (cn.NEB(k, i) > i) std::printf("neighbour %d %d\n", i, cn.NEB(k, i));
  const auto& nb = s.nbcom;
  for (int n = 1; n <= nb.NPAIR; ++n)
    std::printf("pair %d %d %d\n", nb.NBI(n), nb.NBJ(n), nb.I14(n) & 1);
  std::printf("setting dielec %.15g scale14 %.15g %.15g constv4 %d\n", p.DIELEC, p.SCL14C, p.SCL14L,
              d.constV4);
}

}  // namespace veka::test
