// Hand-built solutes for the energy tests: atoms at chosen positions, each with its own
// parameter slot (the same slot in all three states), term lists and molecules set
// directly, covalent neighbours from the bond list only (switch 9 of record 14), the
// listing on a temporary file.
#pragma once

#include <gtest/gtest.h>

#include <array>
#include <memory>
#include <string>

#include "support/run_state.hpp"

namespace veka::test {

struct HandSolute : RunState {
  HandSolute() {
    s.potpar.DIELEC = 1.0;
    s.potpar.div14C = s.potpar.div14L = 2.0;
    s.potpar.SCL14C = s.potpar.SCL14L = 0.5;
    s.dihcom.chop = 1.0e10;
    s.nbcom.CUTNB = 100.0;
    s.geom.noPert = 1;
    s.control.runMode = 7;
    s.sw.noDistanceBonds = 1;
    s.zmat.NSOLUT = 1;
    s.zmat.first(1) = 1;
  }

  // Adds an atom to the current molecule with charge q (e), A and C; returns its number.
  int atom(double x, double y, double z, double q = 0.0, double a = 0.0, double c = 0.0) {
    Zmat& zm = s.zmat;
    const int i = ++zm.NSATM;
    zm.last(zm.NSOLUT) = i;
    zm.ITYPE(i) = zm.JTYPE(i) = 1;
    Potpar& p = s.potpar;
    const int slot = ++p.NSLOT;
    p.Q(slot) = q * s.misc.SQ332;
    p.A(slot) = a;
    p.C(slot) = c;
    p.NATI(i) = p.NATF(i) = 6;
    for (std::size_t k = 0; k < 3; ++k) {
      p.slot[k](i) = slot;
      p.NAT[k](i) = 6;
    }
    for (Xyz* xyz : {&s.solcor.xyz[0], &s.solcor.xyz[1], &s.solcor.xyz[2], &s.solcor.setup0,
                     &s.solcor.setup1}) {
      xyz->x(i) = x;
      xyz->y(i) = y;
      xyz->z(i) = z;
    }
    return i;
  }
  // The atoms added from now on form a new solute molecule.
  void molecule() {
    Zmat& zm = s.zmat;
    ++zm.NSOLUT;
    zm.first(zm.NSOLUT) = zm.NSATM + 1;
  }
  // A chain of n atoms 1.5 A apart along x, bonded in order; returns the first atom.
  int chain(int n, double q = 0.0) {
    const int first = s.zmat.NSATM + 1;
    for (int k = 0; k < n; ++k) {
      atom(1.5 * k, 0.1 * k * k, 0.0, q);
      if (k > 0) bond(first + k - 1, first + k);
    }
    return first;
  }
  // Additional (Cartesian) entries of the term lists, with parameters in all states.
  int bond(int i, int j, double k = 0.0, double r0 = 0.0) {
    Bndcom& b = s.bndcom;
    const int n = ++b.NBND;
    b.IB1(n) = i, b.IB2(n) = j;
    for (std::size_t q = 0; q < 3; ++q) b.KB[q](n) = k, b.RB0[q](n) = r0;
    return n;
  }
  int angle(int i, int j, int k, double kf, double th0) {
    Angcom& a = s.angcom;
    const int n = ++a.NANG;
    a.IA1(n) = i, a.IA2(n) = j, a.IA3(n) = k;
    for (std::size_t q = 0; q < 3; ++q) a.KA[q](n) = kf, a.TH0[q](n) = th0;
    return n;
  }
  int dihedral(int i, int j, int k, int l, std::array<double, 4> v, std::array<double, 3> f = {},
               int type = 1) {
    Dihcom& d = s.dihcom;
    const int n = ++d.NDIH;
    d.ID1(n) = i, d.ID2(n) = j, d.ID3(n) = k, d.ID4(n) = l;
    d.ITOR0(n) = d.ITOR1(n) = type;
    for (std::size_t q = 0; q < 3; ++q) {
      d.V1[q](n) = v[0], d.V2[q](n) = v[1], d.V3[q](n) = v[2], d.V4[q](n) = v[3];
      d.F1[q](n) = f[0], d.F2[q](n) = f[1], d.F3[q](n) = f[2];
    }
    return n;
  }
  void restraint(int i, int j, double r0, double p1, double p2, double p3) {
    Nbcon& c = s.nbcon;
    const int n = ++c.NBC;
    c.IBC(n) = i, c.JBC(n) = j, c.RBC0(n) = r0;
    c.PBC1(n) = p1, c.PBC2(n) = p2, c.PBC3(n) = p3;
  }
  void lambdas(double rc0, double rc1, double rc2) {
    s.geom.RC0 = rc0, s.geom.RC1 = rc1, s.geom.RC2 = rc2;
    s.geom.noPert = rc0 == rc1 && rc0 == rc2 ? 1 : 0;
    s.control.runMode = 1;
  }
  void move(int st, int i, double x, double y, double z) {
    Xyz& c = s.solcor.xyz[static_cast<std::size_t>(st)];
    c.x(i) = x, c.y(i) = y, c.z(i) = z;
  }
};

}  // namespace veka::test
