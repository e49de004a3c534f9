#include "input/setup.hpp"

#include <string>

#include "energy/eintra.hpp"
#include "energy/gasphase.hpp"
#include "energy/nbpair.hpp"
#include "energy/xxpot.hpp"
#include "format/record.hpp"
#include "molecule/elements.hpp"
#include "molecule/moments.hpp"
#include "molecule/params.hpp"
#include "molecule/prmchk.hpp"
#include "molecule/zmatrix_states.hpp"

namespace veka {

void listMolecularWeights(State& s) {
  const Zmat& z = s.zmat;
  for (int m = 1; m <= z.NSOLUT; ++m) {
    double w = 0.0;
    for (int i = z.first(m); i <= z.last(m); ++i)
      if (z.ITYPE(i) != -1) w += atomicWeight(s.potpar.NATI(i));
    fmt::RecordWriter r;
    if (m == 1) {
      double total = 0.0;
      for (int i = 1; i <= z.NSATM; ++i)
        if (z.ITYPE(i) != -1) total += atomicWeight(s.potpar.NATI(i));
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
