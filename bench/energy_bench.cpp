// The intramolecular energy of the solutes (`eintra`) and the full gas-phase energy.
//
// Drug-sized: n-hexadecane C16H34 (50 atoms), all-trans, set up like a Z-matrix job with
// additional angles and dihedrals: each atom's own bond, angle and dihedral are variable
// entries (values from the Z-matrix), the other 48 angles and 90 torsions additional
// entries recomputed from the coordinates at every evaluation; its pair list is built by
// `nbpair` (1080 pairs, 135 of them 1-4).
//
// Large: a 4500-atom zigzag chain carrying the full 20000-pair list (pairs i, i+3..i+7 in
// list order, the i+3 ones flagged 1-4) and full bond, angle and dihedral lists (950, 950,
// 1200 entries); one state, and three states with different coupling values.
#include <benchmark/benchmark.h>

#include <array>
#include <cmath>
#include <memory>
#include <numbers>
#include <vector>

#include "energy/eintra.hpp"
#include "energy/gasphase.hpp"
#include "energy/nbpair.hpp"
#include "molecule/geometry.hpp"
#include "state/state.hpp"

namespace {

using veka::State;

struct Kind {
  int z;
  double q, sig, eps;
};
constexpr Kind kCarbon{6, -0.12, 3.5, 0.066}, kHydrogen{1, 0.06, 2.5, 0.03};

void setAtom(State& s, int i, const Kind& k) {
  auto& p = s.potpar;
  s.zmat.ITYPE(i) = s.zmat.JTYPE(i) = k.z == 1 ? 140 : 136;
  p.NATI(i) = p.NATF(i) = k.z;
  p.slot[0](i) = p.slot[1](i) = p.slot[2](i) = ++p.NSLOT;
  p.Q(p.NSLOT) = k.q * s.misc.SQ332;
  p.A(p.NSLOT) = std::sqrt(4 * k.eps * std::pow(k.sig, 12));
  p.C(p.NSLOT) = std::sqrt(4 * k.eps * std::pow(k.sig, 6));
}

void common(State& s) {
  s.potpar.DIELEC = 1.0;
  s.potpar.SCL14C = s.potpar.SCL14L = 0.5;
  s.dihcom.chop = 1.0e10;
  s.nbcom.CUTNB = 100.0;
  s.geom.noPert = 1;
  s.control.runMode = 2;
  s.zmat.NSOLUT = 1;
  s.zmat.first(1) = 1;
}

// ------------------------------------------------------------------ hexadecane

struct Graph {
  std::vector<std::vector<int>> nb;
  explicit Graph(int n) : nb(static_cast<std::size_t>(n) + 1) {}
  void link(int i, int j) {
    nb[static_cast<std::size_t>(i)].push_back(j);
    nb[static_cast<std::size_t>(j)].push_back(i);
  }
};

void zAtom(State& s, int i, int j, double r, int k, double a, int l, double d) {
  auto& z = s.zmat;
  const double rad = std::numbers::pi / 180.0;
  z.IZ1(i) = j, z.IZ2(i) = k, z.IZ3(i) = l;
  z.BND(i) = r, z.ANG(i) = a * rad, z.DIH(i) = d * rad;
}

bool listed(const std::vector<std::array<int, 4>>& v, std::array<int, 4> x, int n) {
  for (const auto& y : v) {
    bool fwd = true, rev = true;
    for (int k = 0; k < n; ++k) fwd &= y[k] == x[k], rev &= y[k] == x[n - 1 - k];
    if (fwd || rev) return true;
  }
  return false;
}

// The term lists of a Z-matrix job: each atom's own bond, angle and dihedral first
// (variable entries, values from the Z-matrix), then every further angle and proper
// torsion of the bond graph (additional entries, values from the coordinates).
void bondedTerms(State& s, const Graph& g) {
  const auto& z = s.zmat;
  const int n = z.NSATM;
  auto& b = s.bndcom;
  auto& a = s.angcom;
  auto& d = s.dihcom;
  auto isH = [&](int i) { return s.potpar.NATI(i) == 1; };
  std::vector<std::array<int, 4>> angles, torsions;
  for (int i = 2; i <= n; ++i) {
    const int m = ++b.NBND;
    b.IB1(m) = i, b.IB2(m) = z.IZ1(i);
    for (auto q = 0u; q < 3; ++q)
      b.KB[q](m) = isH(i) ? 340.0 : 268.0, b.RB0[q](m) = isH(i) ? 1.09 : 1.529;
  }
  b.NVBND = b.NBND;
  for (int i = 3; i <= n; ++i) angles.push_back({i, z.IZ1(i), z.IZ2(i), 0});
  a.NVANG = static_cast<int>(angles.size());
  for (int j = 1; j <= n; ++j) {
    const auto& v = g.nb[static_cast<std::size_t>(j)];
    for (std::size_t x = 0; x < v.size(); ++x)
      for (std::size_t y = x + 1; y < v.size(); ++y)
        if (!listed(angles, {v[x], j, v[y], 0}, 3)) angles.push_back({v[x], j, v[y], 0});
  }
  for (const auto& e : angles) {
    const int m = ++a.NANG;
    a.IA1(m) = e[0], a.IA2(m) = e[1], a.IA3(m) = e[2];
    const int hs = isH(e[0]) + isH(e[2]);
    for (auto q = 0u; q < 3; ++q)
      a.KA[q](m) = hs == 2 ? 33.0 : (hs == 1 ? 37.5 : 58.35), a.TH0[q](m) = 1.9;
  }
  for (int i = 4; i <= n; ++i) torsions.push_back({z.IZ3(i), z.IZ2(i), z.IZ1(i), i});
  d.NVDIH = static_cast<int>(torsions.size());
  for (int j = 1; j <= n; ++j)
    for (int k : g.nb[static_cast<std::size_t>(j)]) {
      if (k < j) continue;
      for (int i : g.nb[static_cast<std::size_t>(j)])
        for (int l : g.nb[static_cast<std::size_t>(k)])
          if (i != k && l != j && !listed(torsions, {i, j, k, l}, 4))
            torsions.push_back({i, j, k, l});
    }
  auto bonded = [&](int i, int j) {
    for (int k : g.nb[static_cast<std::size_t>(i)])
      if (k == j) return true;
    return false;
  };
  for (const auto& e : torsions) {
    const int m = ++d.NDIH;
    d.ID1(m) = e[0], d.ID2(m) = e[1], d.ID3(m) = e[2], d.ID4(m) = e[3];
    // A Z-matrix dihedral that is no chain of bonds has no torsion term (type 0).
    const bool proper = bonded(e[0], e[1]) && bonded(e[1], e[2]) && bonded(e[2], e[3]);
    d.ITOR0(m) = d.ITOR1(m) = proper ? 1 : 0;
    const bool cc = !isH(e[0]) && !isH(e[3]);
    for (auto q = 0u; q < 3; ++q) {
      d.V1[q](m) = cc ? 1.74 : 0.0;
      d.V2[q](m) = cc ? -0.157 : 0.0;
      d.V3[q](m) = cc ? 0.279 : 0.3;
    }
  }
}

std::unique_ptr<State> hexadecane() {
  auto st = std::make_unique<State>();
  State& s = *st;
  common(s);
  constexpr int nc = 16;
  Graph g(50);
  int n = 0;
  for (int c = 1; c <= nc; ++c) {
    setAtom(s, ++n, kCarbon);
    if (c == 2) zAtom(s, n, 1, 1.53, 0, 0, 0, 0);
    if (c == 3) zAtom(s, n, 2, 1.53, 1, 112, 0, 0);
    if (c > 3) zAtom(s, n, c - 1, 1.53, c - 2, 112, c - 3, 180);
    if (c > 1) g.link(c, c - 1);
  }
  // Hydrogens staggered about the trans chain: on a methyl carbon at 60, 180, 300 degrees
  // from the next carbon but one, on C2 at +-120 from C3 (the dihedral about C2-C1), on the
  // other methylene carbons at +-60.
  for (int c = 1; c <= nc; ++c) {
    const bool methyl = c == 1 || c == nc;
    const int a = c == 1 ? 2 : c - 1, d = c <= 2 ? 3 : c - 2;
    for (int h = 0; h < (methyl ? 3 : 2); ++h) {
      setAtom(s, ++n, kHydrogen);
      const double dih = methyl ? 60.0 + 120.0 * h : (c == 2 ? 120.0 : 60.0) * (h == 0 ? 1 : -1);
      zAtom(s, n, c, 1.09, a, 110, d, dih);
      g.link(n, c);
    }
  }
  s.zmat.NSATM = n;
  s.zmat.last(1) = n;
  veka::makmol(s.solcor.xyz[0], s.zmat);
  s.solcor.setup0 = s.solcor.setup1 = s.solcor.xyz[0];
  bondedTerms(s, g);
  veka::zmatTermValues(s);
  veka::nbpair(s, true);
  return st;
}

// ------------------------------------------------------------------ 4500-atom chain

std::unique_ptr<State> chain4500(bool threeStates) {
  auto st = std::make_unique<State>();
  State& s = *st;
  common(s);
  constexpr int n = veka::MAXATM;
  for (int i = 1; i <= n; ++i) {
    setAtom(s, i, i % 3 == 0 ? kCarbon : kHydrogen);
    for (auto q = 0u; q < 3; ++q) {
      auto& c = s.solcor.xyz[q];
      c.x(i) = 1.26 * i + 0.01 * q, c.y(i) = (i % 2) * 0.89, c.z(i) = 0.3 * std::sin(0.7 * i);
    }
  }
  s.zmat.NSATM = n;
  s.zmat.last(1) = n;
  auto& nb = s.nbcom;
  for (int i = 1; i <= n && nb.NPAIR < veka::MAXPAIR; ++i)
    for (int j = i + 3; j <= std::min(i + 7, n) && nb.NPAIR < veka::MAXPAIR; ++j) {
      const int m = ++nb.NPAIR;
      nb.NBI(m) = static_cast<std::int16_t>(i), nb.NBJ(m) = static_cast<std::int16_t>(j);
      nb.I14(m) = j == i + 3 ? 0xFF : 0;
    }
  auto& b = s.bndcom;
  auto& a = s.angcom;
  auto& d = s.dihcom;
  for (int m = 1; m <= veka::MAXBND; ++m) {
    b.IB1(m) = m, b.IB2(m) = m + 1;
    for (auto q = 0u; q < 3; ++q) b.KB[q](m) = 300.0, b.RB0[q](m) = 1.5;
  }
  b.NBND = veka::MAXBND;
  for (int m = 1; m <= veka::MAXANG; ++m) {
    a.IA1(m) = m, a.IA2(m) = m + 1, a.IA3(m) = m + 2;
    for (auto q = 0u; q < 3; ++q) a.KA[q](m) = 50.0, a.TH0[q](m) = 1.9;
  }
  a.NANG = veka::MAXANG;
  for (int m = 1; m <= veka::MAXDIH; ++m) {
    d.ID1(m) = m, d.ID2(m) = m + 1, d.ID3(m) = m + 2, d.ID4(m) = m + 3;
    d.ITOR0(m) = d.ITOR1(m) = 1;
    for (auto q = 0u; q < 3; ++q) d.V1[q](m) = 1.2, d.V2[q](m) = -0.3, d.V3[q](m) = 0.5;
  }
  d.NDIH = veka::MAXDIH;
  if (threeStates) {
    s.geom.RC0 = 0.0, s.geom.RC1 = 0.5, s.geom.RC2 = 1.0;
    s.geom.noPert = 0;
  }
  return st;
}

// ------------------------------------------------------------------ benchmarks

void perPair(benchmark::State& b, const State& s, int states) {
  b.counters["pairs"] = s.nbcom.NPAIR;
  b.counters["ns_per_pair"] = benchmark::Counter(
      1.0e-9 * s.nbcom.NPAIR * states,
      benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

void BM_Hexadecane50Eintra(benchmark::State& b) {
  auto s = hexadecane();
  for (auto _ : b) benchmark::DoNotOptimize(veka::eintra(*s, 0));
  b.counters["pairs"] = s->nbcom.NPAIR;
  b.counters["angles"] = s->angcom.NANG;
  b.counters["torsions"] = s->dihcom.NDIH;
}
BENCHMARK(BM_Hexadecane50Eintra);

void BM_Hexadecane50PairsOnly(benchmark::State& b) {
  auto s = hexadecane();
  for (auto _ : b) benchmark::DoNotOptimize(veka::eintra(*s, 2));
  perPair(b, *s, 1);
}
BENCHMARK(BM_Hexadecane50PairsOnly);

void BM_Hexadecane50Bonded(benchmark::State& b) {
  auto s = hexadecane();
  for (auto _ : b) benchmark::DoNotOptimize(veka::eintra(*s, 1));
}
BENCHMARK(BM_Hexadecane50Bonded);

void BM_Hexadecane50GasPhase(benchmark::State& b) {
  auto s = hexadecane();
  for (auto _ : b) benchmark::DoNotOptimize(veka::gasPhaseEnergy(*s));
}
BENCHMARK(BM_Hexadecane50GasPhase);

void BM_Chain4500PairsOnly(benchmark::State& b) {
  auto s = chain4500(false);
  for (auto _ : b) benchmark::DoNotOptimize(veka::eintra(*s, 2));
  perPair(b, *s, 1);
}
BENCHMARK(BM_Chain4500PairsOnly);

// The pair loop alone at a chosen width (1 one pair at a time, 4 AVX2, 8 AVX-512; a width
// the processor lacks falls back to the next narrower one).
void BM_Chain4500PairWidth(benchmark::State& b) {
  auto s = chain4500(false);
  const int width = static_cast<int>(b.range(0));
  for (auto _ : b) benchmark::DoNotOptimize(veka::pairEnergy(*s, 0, width));
  perPair(b, *s, 1);
}
BENCHMARK(BM_Chain4500PairWidth)->Arg(1)->Arg(4)->Arg(8);

void BM_Chain4500PairsThreeStates(benchmark::State& b) {
  auto s = chain4500(true);
  for (auto _ : b) benchmark::DoNotOptimize(veka::eintra(*s, 2));
  perPair(b, *s, 3);
}
BENCHMARK(BM_Chain4500PairsThreeStates);

void BM_Chain4500Eintra(benchmark::State& b) {
  auto s = chain4500(false);
  for (auto _ : b) benchmark::DoNotOptimize(veka::eintra(*s, 0));
  perPair(b, *s, 1);
}
BENCHMARK(BM_Chain4500Eintra);

}  // namespace
