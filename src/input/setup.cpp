#include "input/setup.hpp"

#include <array>
#include <cmath>
#include <string>

#include "energy/eintra.hpp"
#include "energy/gasphase.hpp"
#include "energy/nbpair.hpp"
#include "energy/xxpot.hpp"
#include "format/record.hpp"
#include "molecule/params.hpp"
#include "molecule/prmchk.hpp"
#include "molecule/zmatrix.hpp"
#include "normalmodes/tables.hpp"

namespace veka {

namespace {

constexpr double kDebyePerEA = 4.80320;  // debye per (elementary charge x A)

// Charge-weighted first and second moments of solute state st about the centre of mass.
struct Moments {
  std::array<double, 3> dipole{};      // e A
  std::array<double, 6> quadrupole{};  // XX, XY, XZ, YY, YZ, ZZ, e A^2 (traceless)
};

Moments moments(const State& s, int st) {
  const Zmat& z = s.zmat;
  const Xyz& c = s.solcor.xyz[static_cast<std::size_t>(st)];
  const Potpar& p = s.potpar;
  std::array<double, 3> com{};
  double mass = 1.0e-20;
  for (int i = 1; i <= z.NSATM; ++i) {
    if (z.ITYPE(i) == -1) continue;
    const double m = nm::atomicWeight(p.NAT[static_cast<std::size_t>(st)](i));
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

void listMolecularWeights(State& s) {
  const Zmat& z = s.zmat;
  for (int m = 1; m <= z.NSOLUT; ++m) {
    double w = 0.0;
    for (int i = z.first(m); i <= z.last(m); ++i)
      if (z.ITYPE(i) != -1) w += nm::atomicWeight(s.potpar.NATI(i));
    fmt::RecordWriter r;
    if (m == 1) {
      double total = 0.0;
      for (int i = 1; i <= z.NSATM; ++i)
        if (z.ITYPE(i) != -1) total += nm::atomicWeight(s.potpar.NATI(i));
      r.A(" Total Mol. Wt. of Reference Solute =").F(total, 10, 3);
      s.io.list("");
      s.io.list(r.str());
      if (z.NSOLUT == 1) return;
      r.clear();
    }
    r.A(" Mol. Wt. of Solute").I(m, 3).A(" =").F(w, 10, 3);
    s.io.list(r.str());
  }
}

void listMoments(State& s) {
  static const char* kLabel[3] = {"  Reference Solute  ", "1st Perturbed Solute",
                                  "2nd Perturbed Solute"};
  const int states = s.geom.noPert ? 1 : 3;
  s.io.list("");
  s.io.list(" Dipole Moment");
  for (int st = 0; st < states; ++st) {
    fmt::RecordWriter r;
    r.X(1).A(kLabel[st]).F(dipoleMoment(s, st), 10, 3).A(" D");
    s.io.list(r.str());
  }
  s.io.list(" Quadrupole Moment:");
  s.io.list("                              XX        XY        XZ        YY        YZ        ZZ");
  for (int st = 0; st < states; ++st) {
    const Moments mo = moments(s, st);
    fmt::RecordWriter r;
    r.X(1).A(kLabel[st]);
    for (double q : mo.quadrupole) r.F(q * kDebyePerEA, 10, 3);
    r.A(" D-A");
    s.io.list(r.str());
  }
}

}  // namespace

double dipoleMoment(const State& s, int st) {
  const Moments mo = moments(s, st);
  return kDebyePerEA * std::sqrt(mo.dipole[0] * mo.dipole[0] + mo.dipole[1] * mo.dipole[1] +
                                 mo.dipole[2] * mo.dipole[2]);
}

void buildCutoffLists(State& s) {
  Cutoff& c = s.cutoff;
  const int icut = c.ICUT;
  if (icut == 1 || icut > 5)
    stop(s.io, "ICUT = " + std::to_string(icut) + " is Not a Valid Choice - Aborted",
         Console::Stdout);
  Array1<int, MAXICA> asRead{};
  for (int i = 1; i <= MAXICA; ++i) asRead(i) = c.ICUTAT(i);
  c.ICUTAT.fill(0);
  c.NICUTAT = 0;
  auto add = [&](int atom) {
    if (c.NICUTAT >= MAXATM) stop(s.io, "ICUTAT Array Overflow in INIT - Aborted", Console::Stdout);
    c.ICUTAT(++c.NICUTAT) = atom;
  };
  if (icut == 3) {
    add(s.misc.NCENT(1));
    add(s.misc.NCENT(2));
  } else if (icut == 4) {
    for (int i = 1; i <= MAXICA; ++i)
      if (asRead(i) != 0) add(asRead(i));
  } else if (icut == 5) {
    for (int i = 1; i <= s.zmat.NSATM; ++i)
      if (s.zmat.ITYPE(i) != -1) add(i);
  }
}

void refuseUnbuiltModels(State& s) {
  if (s.qm.method > 0)
    stop(s.io, "*** Semi-empirical QM solutes (" + s.qm.model.str() +
                   ") are not available in this build of VEKA - Aborted");
  if (s.sol.gbsa)
    stop(s.io, "*** The GB/SA continuum model is not available in this build of VEKA - Aborted");
  if (s.cutoff.ewald == 1)
    stop(s.io, "*** Ewald sums are not available in this build of VEKA - Aborted");
}

void setupGasPhase(State& s) {
  readSolutes(s, 1);
  param(s);
  buildCutoffLists(s);
  listMolecularWeights(s);
  intraSettings(s);
  nbpair(s, s.io.listLevel != 0);
  prmchk(s);
  listMoments(s);
  gasPhaseEnergy(s);
  acceptSoluteEnergies(s);
  listSoluteOneOnly(s);
}

}  // namespace veka
