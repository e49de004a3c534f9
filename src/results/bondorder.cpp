#include "results/bondorder.hpp"

#include <algorithm>
#include <array>
#include <string_view>

namespace veka {

namespace {

constexpr long kSearchBudget = 200000;  // search steps per conjugated system

bool oneOf(const Chars<2>& t, std::initializer_list<std::string_view> list) {
  for (std::string_view x : list)
    if (t == x) return true;
  return false;
}

// Types whose bonds are all single (rule 2).
bool saturatedType(const Chars<2>& t) {
  return oneOf(t, {"CT", "CY", "C+", "NT", "N ", "N$", "NA", "N*"});
}

bool conjugatedType(const Chars<2>& t) {
  return t == "C=" || t == "N=";
}

bool halogenOrHydrogen(int z) {
  return z == 1 || z == 9 || z == 17 || z == 35 || z == 53;
}

// Rule 2 pairs apart from the saturated types.
bool singlePair(const Chars<2>& a, const Chars<2>& b) {
  if (a == "C!" && b == "C!") return true;
  if (a == "C " && b == "C ") return true;
  auto pair = [&](std::initializer_list<std::string_view> x, std::string_view y) {
    return (oneOf(a, x) && b == y) || (oneOf(b, x) && a == y);
  };
  return pair({"CA", "C#"}, "NC") || pair({"CA"}, "C#");
}

int oxygenOrder(const Chars<2>& t) {
  if (oneOf(t, {"O ", "ON", "OY"})) return 2;
  return t == "O2" ? 4 : 1;
}

}  // namespace

int iarom(const State& s, int i) {
  static constexpr std::array<std::string_view, 18> kAromatic = {
      "CA", "CB", "CS", "CW", "CU", "C!", "CV", "CR", "CC",
      "CN", "CK", "CQ", "C*", "NB", "NC", "N*", "OA", "SA"};
  const Chars<2>& t = s.potpar.AMTYPI(i);
  for (std::string_view a : kAromatic)
    if (t == a) return 1;
  return 0;
}

BondOrders::BondOrders(const State& s) : s_(s), n_(s.zmat.NSATM) {
  assign();
}

int BondOrders::slot(int i, int j) const {
  const Covnbr& cn = s_.covnbr;
  for (int k = 1; k <= cn.NNEB(i); ++k)
    if (cn.NEB(k, i) == j) return k - 1;
  return -1;
}

bool BondOrders::inRing(int i, int j) const {
  // Breadth-first search from i to j that does not use the bond i-j itself.
  const Covnbr& cn = s_.covnbr;
  std::vector<char> seen(static_cast<std::size_t>(n_) + 1, 0);
  std::vector<int> queue{i};
  seen[static_cast<std::size_t>(i)] = 1;
  for (std::size_t q = 0; q < queue.size(); ++q) {
    const int a = queue[q];
    for (int k = 1; k <= cn.NNEB(a); ++k) {
      const int b = cn.NEB(k, a);
      if (a == i && b == j) continue;
      if (b == j) return true;
      if (b < 1 || b > n_ || seen[static_cast<std::size_t>(b)]) continue;
      seen[static_cast<std::size_t>(b)] = 1;
      queue.push_back(b);
    }
  }
  return false;
}

int BondOrders::fixedOrder(int i, int j) const {
  const Potpar& p = s_.potpar;
  const int zi = p.NATI(i), zj = p.NATI(j);
  const Chars<2>&ti = p.AMTYPI(i), &tj = p.AMTYPI(j);
  if (halogenOrHydrogen(zi) || halogenOrHydrogen(zj)) return 1;
  if (saturatedType(ti) || saturatedType(tj) || singlePair(ti, tj)) return 1;
  if (conjugatedType(ti) && conjugatedType(tj)) {
    const Covnbr& cn = s_.covnbr;
    int count = 0;
    for (int a : {i, j})
      for (int k = 1; k <= cn.NNEB(a); ++k) count += conjugatedType(p.AMTYPI(cn.NEB(k, a)));
    if (count < 4) return 1;
  }
  if (iarom(s_, i) && iarom(s_, j) && !inRing(i, j)) return 1;
  if (zi == 8) return oxygenOrder(ti);
  if (zj == 8) return oxygenOrder(tj);
  if (zi == 16) return ti == "S=" ? 2 : 1;
  if (zj == 16) return tj == "S=" ? 2 : 1;
  if (zi == 15 || zj == 15) return 1;
  const bool cnPair = (zi == 6 || zi == 7) && (zj == 6 || zj == 7);
  return cnPair ? 0 : 1;
}

void BondOrders::assign() {
  const Covnbr& cn = s_.covnbr;
  const Potpar& p = s_.potpar;
  const auto n1 = static_cast<std::size_t>(n_) + 1;
  free_.assign(n1, 0);
  extra_.assign(n1, std::vector<int>(MAXNEB, 0));
  open_.assign(n1, std::vector<char>(MAXNEB, 0));
  placed_.assign(n1, 0);
  for (int i = 1; i <= n_; ++i) {
    const int z = p.NATI(i);
    if (s_.zmat.ITYPE(i) == -1 || (z != 6 && z != 7) || saturatedType(p.AMTYPI(i))) continue;
    int f = (z == 6 ? 4 : 3) - cn.NNEB(i);
    for (int k = 1; k <= cn.NNEB(i); ++k) {
      const int o = fixedOrder(i, cn.NEB(k, i));
      if (o == 2) --f;
      if (o == 4) f = -99;
    }
    free_[static_cast<std::size_t>(i)] = std::max(f, 0);
  }
  for (int i = 1; i <= n_; ++i) {
    if (free_[static_cast<std::size_t>(i)] == 0) continue;
    for (int k = 1; k <= cn.NNEB(i); ++k) {
      const int j = cn.NEB(k, i);
      open_[static_cast<std::size_t>(i)][static_cast<std::size_t>(k - 1)] =
          free_[static_cast<std::size_t>(j)] > 0 && fixedOrder(i, j) == 0;
    }
  }
  for (int i = 1; i <= n_; ++i) {
    if (free_[static_cast<std::size_t>(i)] == 0 || seen(i)) continue;
    const std::vector<int> atoms = system(i);
    long budget = kSearchBudget;
    if (!search(atoms, budget)) greedy(atoms);
  }
}

bool BondOrders::seen(int i) const {
  return placed_[static_cast<std::size_t>(i)] != 0;
}

std::vector<int> BondOrders::system(int start) {
  // The atoms joined to `start` by bonds that may take a higher order.
  const Covnbr& cn = s_.covnbr;
  std::vector<int> atoms{start};
  placed_[static_cast<std::size_t>(start)] = 1;
  for (std::size_t q = 0; q < atoms.size(); ++q) {
    const int a = atoms[q];
    for (int k = 1; k <= cn.NNEB(a); ++k) {
      const int b = cn.NEB(k, a);
      if (!open_[static_cast<std::size_t>(a)][static_cast<std::size_t>(k - 1)] || seen(b)) continue;
      placed_[static_cast<std::size_t>(b)] = 1;
      atoms.push_back(b);
    }
  }
  std::sort(atoms.begin(), atoms.end());
  return atoms;
}

bool BondOrders::available(int a, int k) const {
  const auto ua = static_cast<std::size_t>(a), uk = static_cast<std::size_t>(k);
  const auto b = static_cast<std::size_t>(s_.covnbr.NEB(k + 1, a));
  return open_[ua][uk] && free_[ua] > 0 && free_[b] > 0 && extra_[ua][uk] < 2;
}

void BondOrders::raise(int a, int k, int delta) {
  const int b = s_.covnbr.NEB(k + 1, a);
  const auto ua = static_cast<std::size_t>(a), ub = static_cast<std::size_t>(b);
  extra_[ua][static_cast<std::size_t>(k)] += delta;
  extra_[ub][static_cast<std::size_t>(slot(b, a))] += delta;
  free_[ua] -= delta;
  free_[ub] -= delta;
}

bool BondOrders::search(const std::vector<int>& atoms, long& budget) {
  if (--budget < 0) return false;
  int best = 0, bestOptions = MAXNEB + 1;
  for (int a : atoms) {
    if (free_[static_cast<std::size_t>(a)] == 0) continue;
    int options = 0;
    for (int k = 0; k < s_.covnbr.NNEB(a); ++k) options += available(a, k);
    if (options == 0) return false;
    if (options < bestOptions) {
      best = a;
      bestOptions = options;
    }
  }
  if (best == 0) return true;
  for (int k = 0; k < s_.covnbr.NNEB(best); ++k) {
    if (!available(best, k)) continue;
    raise(best, k, 1);
    if (search(atoms, budget)) return true;
    raise(best, k, -1);
  }
  return false;
}

void BondOrders::greedy(const std::vector<int>& atoms) {
  for (int a : atoms)
    for (int k = 0; k < s_.covnbr.NNEB(a); ++k)
      while (available(a, k)) raise(a, k, 1);
}

int BondOrders::order(int i, int j) const {
  const int k = slot(i, j);
  if (k < 0) return 1;
  const int fixed = fixedOrder(i, j);
  return fixed != 0 ? fixed : 1 + extra_[static_cast<std::size_t>(i)][static_cast<std::size_t>(k)];
}

}  // namespace veka
