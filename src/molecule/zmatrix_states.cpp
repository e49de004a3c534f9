#include "molecule/zmatrix_states.hpp"

#include <cmath>

#include "molecule/geometry.hpp"
#include "molecule/mindin.hpp"
#include "molecule/pdb.hpp"
#include "molecule/zmatrix.hpp"

namespace veka {

namespace {

// Perturbation coordinate whose Z-matrix geometry state s has.
double stateLambda(const State& s, int st) {
  if (st == 0 || s.geom.noPert != 0) return s.geom.RC0;
  return s.geom.rc(st);
}

}  // namespace

void buildZmatStates(State& s) {
  Zmat& z = s.zmat;
  Solcor& c = s.solcor;
  const int n = z.NSATM;
  makmol(c.xyz[0], z);
  for (int st = 1; st <= 2; ++st) {
    Xyz& x = c.xyz[static_cast<std::size_t>(st)];
    const double rc = stateLambda(s, st);
    if (z.NGEO == 0 || rc == s.geom.RC0) {
      x = c.xyz[0];
      continue;
    }
    setWorkingValues(z, rc);
    makmol(x, z);
    qtrf(n, c.xyz[0], x);
  }
  setWorkingValues(z, 0.0);
  makmol(c.setup0, z);
  setWorkingValues(z, 1.0);
  makmol(c.setup1, z);
  qtrf(n, c.setup0, c.setup1);
  setWorkingValues(z, s.geom.RC0);
}

void fillTermValues(State& s) {
  const Zmat& z = s.zmat;
  Bndcom& b = s.bndcom;
  Angcom& a = s.angcom;
  Dihcom& d = s.dihcom;
  for (std::size_t st = 0; st < 3; ++st) {
    const Xyz& c = s.solcor.xyz[st];
    const double rc = stateLambda(s, static_cast<int>(st));
    for (int n = 1; n <= b.NBND; ++n) {
      b.RB[st](n) = n <= b.NVBND ? internalAt(z, b.IB1(n), 1, rc)
                                 : distance(atom(c, b.IB1(n)), atom(c, b.IB2(n)));
    }
    for (int n = 1; n <= a.NANG; ++n) {
      a.TH[st](n) = n <= a.NVANG
                        ? internalAt(z, a.IA1(n), 2, rc)
                        : bondAngle(atom(c, a.IA1(n)), atom(c, a.IA2(n)), atom(c, a.IA3(n)));
    }
    for (int n = 1; n <= d.NDIH; ++n) {
      d.PHI[st](n) = n <= d.NVDIH ? internalAt(z, d.ID4(n), 3, rc)
                                  : dihedral(atom(c, d.ID1(n)), atom(c, d.ID2(n)),
                                             atom(c, d.ID3(n)), atom(c, d.ID4(n)));
    }
  }
}

void readSolutes(State& s, int layoutCode) {
  if (layoutCode == -1) {
    s.zmat.NSATM = 0;
    s.zmat.NSOLUT = 0;
    s.zmat.noSolute = true;
    return;
  }
  if (layoutCode < 2 || layoutCode == 4) {
    readzm(s);
    readZmatSections(s);
    buildZmatStates(s);
  } else if (layoutCode <= 5) {
    pdbin(s);
  } else {
    mindin(s, layoutCode);
  }
  fillTermValues(s);
}

}  // namespace veka
