// Helpers of the parameter-assignment tests: a State whose parameter, bond-and-angle and
// Z-matrix units are opened on the test files, a listing on a temporary file, and small
// hand-built solutes (atoms with types, bonds, covalent neighbours).
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "molecule/bonded.hpp"
#include "molecule/params.hpp"
#include "support/run_state.hpp"

namespace veka::test {

inline std::string paramsData(const std::string& name) {
  return testData("molecule/data/params/" + name);
}

struct ParamsFixture : RunState {
  explicit ParamsFixture(const std::string& parfile = "types.par",
                         const std::string& bangfil = "bonds.par") {
    if (!parfile.empty()) open(s.io.parfile, paramsData(parfile), OpenStatus::Old);
    if (!bangfil.empty()) open(s.io.bangfil, paramsData(bangfil), OpenStatus::Old);
    s.misc.TK = 298.15;
  }

  // One solute molecule of atoms with (reference, final) types; final 0 = unchanged.
  void solute(const std::vector<std::pair<int, int>>& types) {
    Zmat& z = s.zmat;
    z.NSATM = static_cast<int>(types.size());
    z.NSOLUT = 1;
    z.first(1) = 1;
    z.last(1) = z.NSATM;
    for (int i = 1; i <= z.NSATM; ++i) {
      z.ITYPE(i) = types[static_cast<std::size_t>(i - 1)].first;
      z.JTYPE(i) = types[static_cast<std::size_t>(i - 1)].second;
      std::string name = std::to_string(i);
      name.insert(name.begin(), 'A');
      z.name(i) = Chars<3>(name);
    }
  }
  // Splits the atoms into solute molecules ending at the given atoms.
  void molecules(const std::vector<int>& lastAtoms) {
    s.zmat.NSOLUT = static_cast<int>(lastAtoms.size());
    int first = 1;
    for (int m = 1; m <= s.zmat.NSOLUT; ++m) {
      s.zmat.first(m) = first;
      s.zmat.last(m) = lastAtoms[static_cast<std::size_t>(m - 1)];
      first = s.zmat.last(m) + 1;
    }
  }
  // Covalent neighbours from bonds written "1-2 2-3 ..." (each bond once).
  void neighbours(const std::string& bonds) { neighbours(pairs(bonds)); }
  static std::vector<std::pair<int, int>> pairs(const std::string& text) {
    std::vector<std::pair<int, int>> out;
    std::istringstream in(text);
    int a = 0, b = 0;
    char dash = 0;
    while (in >> a >> dash >> b) out.emplace_back(a, b);
    return out;
  }
  // Covalent neighbours from a list of bonds (each bond once).
  void neighbours(const std::vector<std::pair<int, int>>& bonds) {
    Covnbr& cn = s.covnbr;
    cn.NNEB.fill(0);
    cn.NEB.fill(0);
    for (auto [a, b] : bonds) {
      cn.NEB(++cn.NNEB(a), a) = static_cast<std::int16_t>(b);
      cn.NEB(++cn.NNEB(b), b) = static_cast<std::int16_t>(a);
    }
    cn.NBONDS = static_cast<int>(bonds.size());
  }
  // Force-field types and atomic numbers of each atom in both end states, set directly.
  void fftypes(const std::vector<std::pair<const char*, int>>& ref,
               const std::vector<std::pair<const char*, int>>& fin = {}) {
    for (std::size_t i = 0; i < ref.size(); ++i) {
      const int a = static_cast<int>(i) + 1;
      const auto& f = fin.empty() ? ref[i] : fin[i];
      s.potpar.AMTYPI(a) = ref[i].first;
      s.potpar.NATI(a) = ref[i].second;
      s.potpar.AMTYPF(a) = f.first;
      s.potpar.NATF(a) = f.second;
    }
  }
  void bond(int i, int j) {
    const int n = ++s.bndcom.NBND;
    s.bndcom.IB1(n) = i;
    s.bndcom.IB2(n) = j;
  }
  void angle(int i, int j, int k) {
    const int n = ++s.angcom.NANG;
    s.angcom.IA1(n) = i;
    s.angcom.IA2(n) = j;
    s.angcom.IA3(n) = k;
  }
  void dihedral(int i, int j, int k, int l, int t0, int t1, double step = 0.0) {
    const int n = ++s.dihcom.NDIH;
    s.dihcom.ID1(n) = i;
    s.dihcom.ID2(n) = j;
    s.dihcom.ID3(n) = k;
    s.dihcom.ID4(n) = l;
    s.dihcom.ITOR0(n) = t0;
    s.dihcom.ITOR1(n) = t1;
    s.dihcom.DDIH(n) = step;
  }
  void lambdas(double rc0, double rc1, double rc2) {
    s.geom.RC0 = rc0;
    s.geom.RC1 = rc1;
    s.geom.RC2 = rc2;
  }
};

}  // namespace veka::test
