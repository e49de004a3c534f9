#include "molecule/moments.hpp"

#include <cmath>

#include "molecule/elements.hpp"

namespace veka {

Moments moments(const State& s, int st) {
  const Zmat& z = s.zmat;
  const Xyz& c = s.solcor.xyz[static_cast<std::size_t>(st)];
  const Potpar& p = s.potpar;
  std::array<double, 3> com{};
  double mass = 1.0e-20;
  for (int i = 1; i <= z.NSATM; ++i) {
    if (z.ITYPE(i) == -1) continue;
    const double m = atomicWeight(p.NAT[static_cast<std::size_t>(st)](i));
    mass += m;
    com[0] += m * c.x(i);
    com[1] += m * c.y(i);
    com[2] += m * c.z(i);
  }
  for (double& v : com) v /= mass;
  Moments mo;
  for (int i = 1; i <= z.NSATM; ++i) {
    if (z.ITYPE(i) == -1) continue;
    const double q = p.QI[static_cast<std::size_t>(st)](i);
    const std::array<double, 3> r = {c.x(i) - com[0], c.y(i) - com[1], c.z(i) - com[2]};
    const double r2 = r[0] * r[0] + r[1] * r[1] + r[2] * r[2];
    for (int a = 0; a < 3; ++a)
      mo.dipole[static_cast<std::size_t>(a)] += q * r[static_cast<std::size_t>(a)];
    int k = 0;
    for (int a = 0; a < 3; ++a)
      for (int b = a; b < 3; ++b)
        mo.quadrupole[static_cast<std::size_t>(k++)] +=
            0.5 * q *
            (3.0 * r[static_cast<std::size_t>(a)] * r[static_cast<std::size_t>(b)] -
             (a == b ? r2 : 0.0));
  }
  return mo;
}

double dipoleMoment(const State& s, int st) {
  const Moments mo = moments(s, st);
  return kDebyePerEA * std::sqrt(mo.dipole[0] * mo.dipole[0] + mo.dipole[1] * mo.dipole[1] +
                                 mo.dipole[2] * mo.dipole[2]);
}

}  // namespace veka
