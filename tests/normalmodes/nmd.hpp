// A plain-text description of a gas-phase molecule (or several) for the normal-mode
// tests, turned into the state records the analysis reads. The Python reference checks
// write the same format and run it through tests/tools/nmd_tool.
//
// One item per line, '#' starts a comment; angles in degrees:
//   temperature TC                    command-section temperature (degrees C)
//   nmode SW1 SW2 SW3 VAL1 VAL2       normal-mode record as read
//   dielectric D | chop V | constv4 0|1 | soluteonly1 0|1
//   atom NAME ITYPE Z X Y Z Q SIGMA EPS [IZ1 IZ2 IZ3]   (ITYPE -1 = dummy)
//   zatom NAME ITYPE Z IZ1 R IZ2 THETA IZ3 PHI Q SIGMA EPS  (placed by the Z-matrix)
//   ter                               the next atoms form a new solute
//   bond I J K R0 [var]
//   angle I J K KF THETA0 [var]
//   dihedral I J K L V1 V2 V3 V4 F1 F2 F3 [var] [improper]
//   dihres I J K L TARGET KF          type-500 restraint KF (phi - TARGET)^2
//   restraint I J R0 P1 P2 P3         harmonic restraint record
//   pair I J [14]
// Variable entries are placed ahead of the others in their list, as the Z-matrix reader
// does. The stored current dihedral of every dihedral entry is its value in the geometry.
#pragma once

#include <cmath>
#include <memory>
#include <numbers>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "molecule/geometry.hpp"
#include "normalmodes/derivs.hpp"
#include "state/state.hpp"
#include "support/run.hpp"

namespace veka::test {

// A description of tests/normalmodes/data.
inline std::string nmdData(const std::string& name) {
  return readFile(testData("normalmodes/data/" + name));
}

// Atom i of a Z-matrix (partners j, k, l; angles in radians) from the earlier atoms in x:
// atom 1 at the origin, atom 2 on +x, atom 3 in the xy plane, the rest by genatm.
inline Vec3 zmatrixAtom(const Xyz& x, int i, int j, double r, int k, double theta, int l,
                        double phi) {
  if (i <= 2) return {i == 2 ? r : 0.0, 0.0, 0.0};
  if (i == 3)
    return {j == 1 ? r * std::cos(theta) : x.x(2) - r * std::cos(theta), r * std::sin(theta), 0.0};
  return genatm(atom(x, l), atom(x, k), atom(x, j), r, theta, phi);
}

inline std::unique_ptr<State> newState() {
  auto s = std::make_unique<State>();
  s->nmode = NmodeSet{};
  s->misc.TC = 25.0;
  s->potpar.DIELEC = 1.0;
  s->potpar.SCL14C = s->potpar.SCL14L = 0.5;
  s->dihcom.chop = 1.0e10;
  return s;
}

namespace detail {

struct Entry {
  std::vector<double> v;
  bool var = false, improper = false;
  int t0 = 1, t1 = 1;
};

inline void placeList(std::vector<Entry>& list, int& nv) {
  std::vector<Entry> out;
  for (auto& e : list)
    if (e.var) out.push_back(e);
  nv = static_cast<int>(out.size());
  for (auto& e : list)
    if (!e.var) out.push_back(e);
  list = out;
}

}  // namespace detail

// Fills s from the description (the atoms, lists and settings it names).
inline void loadNmd(State& s, const std::string& text) {
  using detail::Entry;
  std::istringstream in(text);
  std::string line;
  std::vector<Entry> bonds, angles, dihs;
  auto& z = s.zmat;
  z.NSATM = 0;
  z.NSOLUT = 1;
  z.first(1) = 1;
  int nslot = 0;
  const double d2r = std::numbers::pi / 180.0;
  while (std::getline(in, line)) {
    if (auto h = line.find('#'); h != std::string::npos) line.erase(h);
    std::istringstream ls(line);
    std::string key;
    if (!(ls >> key)) continue;
    std::vector<std::string> tok;
    for (std::string t; ls >> t;) tok.push_back(t);
    auto num = [&](std::size_t k) { return std::stod(tok.at(k)); };
    auto has = [&](const char* w) {
      for (auto& t : tok)
        if (t == w) return true;
      return false;
    };
    if (key == "temperature") {
      s.misc.TC = num(0);
    } else if (key == "nmode") {
      NmodeSet& m = s.nmode;
      m.afterOptimisation = static_cast<int>(num(0));
      m.conformers = static_cast<int>(num(1));
      m.symmetryNumber = static_cast<int>(num(2));
      m.frequencyScale = num(3);
      m.cutoffFrequency = num(4);
    } else if (key == "dielectric") {
      s.potpar.DIELEC = num(0);
    } else if (key == "chop") {
      s.dihcom.chop = num(0);
    } else if (key == "constv4") {
      s.dihcom.constV4 = static_cast<int>(num(0));
    } else if (key == "soluteonly1") {
      s.sw.firstSoluteOnly = static_cast<int>(num(0));
    } else if (key == "ter") {
      z.last(z.NSOLUT) = z.NSATM;
      ++z.NSOLUT;
      z.first(z.NSOLUT) = z.NSATM + 1;
    } else if (key == "atom" || key == "zatom") {
      const int i = ++z.NSATM;
      const bool zm = key == "zatom";
      Vec3 p;
      if (zm) {
        z.IZ1(i) = std::stoi(tok.at(3));
        z.IZ2(i) = std::stoi(tok.at(5));
        z.IZ3(i) = std::stoi(tok.at(7));
        p = zmatrixAtom(s.solcor.xyz[0], i, z.IZ1(i), num(4), z.IZ2(i), num(6) * d2r, z.IZ3(i),
                        num(8) * d2r);
      } else {
        p = {num(3), num(4), num(5)};
        if (tok.size() >= 12) {
          z.IZ1(i) = std::stoi(tok[9]);
          z.IZ2(i) = std::stoi(tok[10]);
          z.IZ3(i) = std::stoi(tok[11]);
        }
      }
      const std::size_t o = zm ? 9 : 6;  // first of q, sigma, eps
      z.name(i).assign(tok.at(0));
      z.ITYPE(i) = std::stoi(tok.at(1));
      s.potpar.NAT[0](i) = std::stoi(tok.at(2));
      setAtom(s.solcor.xyz[0], i, p);
      const double q = num(o), sig = num(o + 1), eps = num(o + 2);
      const int slot = ++nslot;
      s.potpar.NSLOT = nslot;
      s.potpar.Q(slot) = q * s.misc.SQ332;
      s.potpar.A(slot) = std::sqrt(4.0 * eps * std::pow(sig, 12));
      s.potpar.C(slot) = std::sqrt(4.0 * eps * std::pow(sig, 6));
      for (int st = 0; st < 3; ++st) s.potpar.slot[static_cast<std::size_t>(st)](i) = slot;
      s.potpar.AMTYPI(i).assign(tok.at(0).substr(0, 2));
    } else if (key == "bond") {
      bonds.push_back({{num(0), num(1), num(2), num(3)}, has("var")});
    } else if (key == "angle") {
      angles.push_back({{num(0), num(1), num(2), num(3), num(4) * d2r}, has("var")});
    } else if (key == "dihedral") {
      Entry e{{num(0), num(1), num(2), num(3), num(4), num(5), num(6), num(7), num(8) * d2r,
               num(9) * d2r, num(10) * d2r},
              has("var"),
              has("improper")};
      dihs.push_back(e);
    } else if (key == "dihres") {
      Entry e{{num(0), num(1), num(2), num(3), num(4) * d2r, 0, 0, num(5), 0, 0, 0}};
      e.t0 = e.t1 = 500;
      dihs.push_back(e);
    } else if (key == "restraint") {
      const int n = ++s.nbcon.NBC;
      s.nbcon.IBC(n) = static_cast<int>(num(0));
      s.nbcon.JBC(n) = static_cast<int>(num(1));
      s.nbcon.RBC0(n) = num(2);
      s.nbcon.PBC1(n) = num(3);
      s.nbcon.PBC2(n) = num(4);
      s.nbcon.PBC3(n) = num(5);
    } else if (key == "pair") {
      const int n = ++s.nbcom.NPAIR;
      s.nbcom.NBI(n) = static_cast<std::int16_t>(num(0));
      s.nbcom.NBJ(n) = static_cast<std::int16_t>(num(1));
      s.nbcom.I14(n) = tok.size() > 2 && tok[2] == "14" ? 0xFF : 0;
    } else {
      throw std::runtime_error("unknown item in molecule description: " + key);
    }
  }
  z.last(z.NSOLUT) = z.NSATM;

  detail::placeList(bonds, s.bndcom.NVBND);
  s.bndcom.NBND = static_cast<int>(bonds.size());
  for (int n = 1; n <= s.bndcom.NBND; ++n) {
    const auto& v = bonds[static_cast<std::size_t>(n - 1)].v;
    s.bndcom.IB1(n) = static_cast<int>(v[0]);
    s.bndcom.IB2(n) = static_cast<int>(v[1]);
    s.bndcom.KB[0](n) = v[2];
    s.bndcom.RB0[0](n) = v[3];
  }
  detail::placeList(angles, s.angcom.NVANG);
  s.angcom.NANG = static_cast<int>(angles.size());
  for (int n = 1; n <= s.angcom.NANG; ++n) {
    const auto& v = angles[static_cast<std::size_t>(n - 1)].v;
    s.angcom.IA1(n) = static_cast<int>(v[0]);
    s.angcom.IA2(n) = static_cast<int>(v[1]);
    s.angcom.IA3(n) = static_cast<int>(v[2]);
    s.angcom.KA[0](n) = v[3];
    s.angcom.TH0[0](n) = v[4];
  }
  detail::placeList(dihs, s.dihcom.NVDIH);
  auto& d = s.dihcom;
  d.NDIH = static_cast<int>(dihs.size());
  std::vector<double> xs(static_cast<std::size_t>(3 * z.NSATM));
  for (int i = 1; i <= z.NSATM; ++i) {
    xs[static_cast<std::size_t>(3 * i - 3)] = s.solcor.xyz[0].x(i);
    xs[static_cast<std::size_t>(3 * i - 2)] = s.solcor.xyz[0].y(i);
    xs[static_cast<std::size_t>(3 * i - 1)] = s.solcor.xyz[0].z(i);
  }
  for (int n = 1; n <= d.NDIH; ++n) {
    const Entry& e = dihs[static_cast<std::size_t>(n - 1)];
    const auto& v = e.v;
    d.ID1(n) = static_cast<int>(v[0]);
    d.ID2(n) = static_cast<int>(v[1]);
    d.ID3(n) = static_cast<int>(v[2]);
    d.ID4(n) = static_cast<int>(v[3]);
    d.V1[0](n) = v[4], d.V2[0](n) = v[5], d.V3[0](n) = v[6], d.V4[0](n) = v[7];
    d.F1[0](n) = v[8], d.F2[0](n) = v[9], d.F3[0](n) = v[10];
    d.ITOR0(n) = e.t0;
    d.ITOR1(n) = e.t1;
    d.improper(n) = e.improper ? 1 : 0;
    d.PHI[0](n) = nm::dihedralAngle(xs.data(), d.ID1(n), d.ID2(n), d.ID3(n), d.ID4(n));
  }
}

inline std::unique_ptr<State> stateFromNmd(const std::string& text) {
  auto s = newState();
  loadNmd(*s, text);
  return s;
}

}  // namespace veka::test
