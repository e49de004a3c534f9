#include "results/descriptors.hpp"

#include <vector>

#include "results/bondorder.hpp"

namespace veka {

namespace {

struct Graph {
  const State& s;
  int z(int i) const { return s.zmat.ITYPE(i) == -1 ? 0 : s.potpar.NATI(i); }
  int degree(int i) const { return s.covnbr.NNEB(i); }
  int nb(int k, int i) const { return s.covnbr.NEB(k, i); }
  int count(int i, auto pred) const {
    int n = 0;
    for (int k = 1; k <= degree(i); ++k) n += pred(nb(k, i)) ? 1 : 0;
    return n;
  }
  bool terminalO(int j) const { return z(j) == 8 && degree(j) == 1; }
  bool hasH(int j) const {
    return count(j, [&](int a) { return z(a) == 1; }) > 0;
  }
  bool amideC(int i) const {
    return z(i) == 6 && count(i, [&](int a) { return terminalO(a); }) > 0;
  }
  bool amideN(int i) const {
    return z(i) == 7 && count(i, [&](int a) { return amideC(a); }) > 0;
  }
  bool nitroN(int i) const {
    return z(i) == 7 && count(i, [&](int a) { return terminalO(a); }) >= 2;
  }
  int heavy(int i) const {
    return count(i, [&](int a) { return z(a) > 1; });
  }
  // i and j stay connected without their own bond.
  bool inRing(int i, int j) const {
    std::vector<char> seen(static_cast<std::size_t>(s.zmat.NSATM) + 1, 0);
    std::vector<int> todo{i};
    seen[static_cast<std::size_t>(i)] = 1;
    while (!todo.empty()) {
      const int a = todo.back();
      todo.pop_back();
      for (int k = 1; k <= degree(a); ++k) {
        const int b = nb(k, a);
        if ((a == i && b == j) || seen[static_cast<std::size_t>(b)]) continue;
        if (b == j) return true;
        seen[static_cast<std::size_t>(b)] = 1;
        todo.push_back(b);
      }
    }
    return false;
  }
};

void countAtom(const Graph& g, int i, Descriptors& d) {
  const int z = g.z(i);
  if (z == 1 && g.count(i, [&](int a) { return g.z(a) == 7 || g.z(a) == 8; }) > 0) ++d.donors;
  if (z == 8) ++d.acceptors;
  if (z == 7 && g.degree(i) == 4) ++d.protonatedN;
  if (z == 7 && g.degree(i) < 4 && !g.amideN(i) && !g.nitroN(i)) ++d.acceptors;
  if (g.nitroN(i)) ++d.nitro;
  if (z == 6 && g.count(i, [&](int a) { return g.z(a) == 8; }) == 2 &&
      g.count(i, [&](int a) { return g.terminalO(a); }) >= 1 &&
      g.count(i, [&](int a) { return g.z(a) == 8 && (g.terminalO(a) || g.hasH(a)); }) == 2)
    ++d.acids;
  if (g.amideC(i)) d.amides += g.count(i, [&](int a) { return g.z(a) == 7; });
}

bool rotor(const Graph& g, const BondOrders& o, const std::vector<char>& triple, int i, int j) {
  if (o.order(i, j) != 1 || g.heavy(i) < 2 || g.heavy(j) < 2) return false;
  if (triple[static_cast<std::size_t>(i)] || triple[static_cast<std::size_t>(j)]) return false;
  if ((g.amideC(i) && g.z(j) == 7) || (g.amideC(j) && g.z(i) == 7)) return false;
  return !g.inRing(i, j);
}

}  // namespace

Descriptors descriptors(const State& s) {
  Descriptors d;
  const int n = s.zmat.noSolute ? 0 : s.zmat.NSATM;
  for (int m = 0; m < s.coord.NMOL && m < static_cast<int>(s.slveco.ESX[0].size()); ++m)
    d.sxInts += s.slveco.ESX[0][static_cast<std::size_t>(m)] < kSxEcut ? 1 : 0;
  if (n <= 0) return d;
  const Graph g{s};
  const BondOrders o(s);
  std::vector<char> triple(static_cast<std::size_t>(n) + 1, 0);
  for (int i = 1; i <= n; ++i)
    for (int k = 1; k <= g.degree(i); ++k)
      if (o.order(i, g.nb(k, i)) == 3) triple[static_cast<std::size_t>(i)] = 1;
  for (int i = 1; i <= n; ++i) {
    if (g.z(i) == 0) continue;
    countAtom(g, i, d);
    for (int k = 1; k <= g.degree(i); ++k)
      if (const int j = g.nb(k, i); j > i && g.z(j) > 0 && rotor(g, o, triple, i, j)) ++d.rotors;
  }
  return d;
}

}  // namespace veka
