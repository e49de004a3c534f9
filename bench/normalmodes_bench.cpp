// Normal-mode analysis of a 100-atom molecule: CH3-O-(CH2-CH2-O)13-CH3, all-trans, with
// bonds, angles, torsions, 1-4 and longer-range pairs, and its C-H bonds held rigid by the
// Z-matrix. The whole analysis (listing to a scratch file), the Hessian alone and the
// diagonalisation alone.
#include <benchmark/benchmark.h>

#include <array>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <numbers>
#include <string>
#include <vector>

#include "normalmodes/calfreq.hpp"
#include "normalmodes/eigen.hpp"
#include "state/state.hpp"

#include <unistd.h>

namespace {

using veka::State;
using P = std::array<double, 3>;

P place(const P& A, const P& B, const P& C, double r, double thetaDeg, double phiDeg) {
  const double th = thetaDeg * std::numbers::pi / 180, ph = phiDeg * std::numbers::pi / 180;
  auto sub = [](P p, P q) { return P{p[0] - q[0], p[1] - q[1], p[2] - q[2]}; };
  auto cross = [](P p, P q) {
    return P{p[1] * q[2] - p[2] * q[1], p[2] * q[0] - p[0] * q[2], p[0] * q[1] - p[1] * q[0]};
  };
  auto unit = [](P p) {
    const double l = std::sqrt(p[0] * p[0] + p[1] * p[1] + p[2] * p[2]);
    return P{p[0] / l, p[1] / l, p[2] / l};
  };
  const P a = sub(A, C), b = sub(B, C);
  const P n1 = unit(cross(a, b)), n2 = unit(cross(b, n1)), n3 = unit(cross(n2, n1));
  P d;
  for (int k = 0; k < 3; ++k)
    d[k] = C[k] - r * std::cos(th) * n3[k] + r * std::sin(th) * std::cos(ph) * n2[k] +
           r * std::sin(th) * std::sin(ph) * n1[k];
  return d;
}

struct Builder {
  State& s;
  std::vector<P> x;
  std::vector<int> z;
  std::vector<std::vector<int>> nb;

  int atom(int zz, const P& p, int iz1, int iz2, int iz3) {
    const int i = ++s.zmat.NSATM;
    x.push_back(p);
    z.push_back(zz);
    nb.emplace_back();
    s.zmat.ITYPE(i) = zz;
    s.zmat.name(i) = zz == 1 ? "H" : (zz == 6 ? "C" : "O");
    s.zmat.IZ1(i) = iz1, s.zmat.IZ2(i) = iz2, s.zmat.IZ3(i) = iz3;
    s.solcor.xyz[0].x(i) = p[0], s.solcor.xyz[0].y(i) = p[1], s.solcor.xyz[0].z(i) = p[2];
    s.potpar.NAT[0](i) = zz;
    const double q = zz == 1 ? 0.03 : (zz == 8 ? -0.4 : 0.14);
    const double sig = zz == 1 ? 2.5 : (zz == 8 ? 2.9 : 3.5);
    const double eps = zz == 1 ? 0.03 : (zz == 8 ? 0.14 : 0.066);
    s.potpar.slot[0](i) = i;
    s.potpar.Q(i) = q * s.misc.SQ332;
    s.potpar.A(i) = std::sqrt(4 * eps * std::pow(sig, 12));
    s.potpar.C(i) = std::sqrt(4 * eps * std::pow(sig, 6));
    if (iz1 > 0) bond(i, iz1, zz != 1);
    return i;
  }
  void bond(int i, int j, bool variable) {
    nb[static_cast<std::size_t>(i - 1)].push_back(j);
    nb[static_cast<std::size_t>(j - 1)].push_back(i);
    auto& b = s.bndcom;
    // Variable bonds lead the list: shift the others down when one is added.
    const int n = ++b.NBND;
    const double r0 = (z[static_cast<std::size_t>(i - 1)] == 1) ? 1.09 : 1.47;
    if (variable) {
      for (int m = n; m > b.NVBND + 1; --m) b.IB1(m) = b.IB1(m - 1), b.IB2(m) = b.IB2(m - 1);
      const int at = ++b.NVBND;
      b.IB1(at) = i, b.IB2(at) = j;
    } else {
      b.IB1(n) = i, b.IB2(n) = j;
    }
    for (int m = 1; m <= n; ++m) b.KB[0](m) = 300, b.RB0[0](m) = r0;
  }
};

// Fills s with the 100-atom polyether.
void buildPolyether(State& s) {
  s.zmat.NSOLUT = 1;
  s.zmat.first(1) = 1;
  s.potpar.DIELEC = 1.0;
  s.potpar.SCL14C = s.potpar.SCL14L = 0.5;
  s.dihcom.chop = 1.0e10;
  s.misc.TC = 25.0;
  Builder b{s, {}, {}, {}};
  std::vector<int> heavy;
  std::vector<int> seq = {6, 8};
  for (int k = 0; k < 13; ++k) seq.insert(seq.end(), {6, 6, 8});
  seq.push_back(6);
  for (std::size_t k = 0; k < seq.size(); ++k) {
    const int zz = seq[k];
    const double r = 1.47;
    int i;
    if (k == 0) {
      i = b.atom(zz, {0, 0, 0}, 0, 0, 0);
    } else if (k == 1) {
      i = b.atom(zz, {r, 0, 0}, heavy[0], 0, 0);
    } else if (k == 2) {
      const P p = {r - r * std::cos(112 * std::numbers::pi / 180),
                   r * std::sin(112 * std::numbers::pi / 180), 0};
      i = b.atom(zz, p, heavy[1], heavy[0], 0);
    } else {
      const auto& xx = b.x;
      const P p = place(xx[static_cast<std::size_t>(heavy[k - 3] - 1)],
                        xx[static_cast<std::size_t>(heavy[k - 2] - 1)],
                        xx[static_cast<std::size_t>(heavy[k - 1] - 1)], r, 112, 180);
      i = b.atom(zz, p, heavy[k - 1], heavy[k - 2], heavy[k - 3]);
    }
    heavy.push_back(i);
  }
  // Hydrogens: three on the end carbons, two on the others.
  const int nh = static_cast<int>(heavy.size());
  for (int k = 0; k < nh; ++k) {
    if (seq[static_cast<std::size_t>(k)] != 6) continue;
    const bool first = k == 0, last = k == nh - 1;
    const int c = heavy[static_cast<std::size_t>(k)];
    const int p1 = first ? heavy[1] : heavy[static_cast<std::size_t>(k - 1)];
    const int p2 = first ? heavy[2] : heavy[static_cast<std::size_t>(k - 2)];
    std::vector<double> phis =
        first || last ? std::vector<double>{60, -60, 180} : std::vector<double>{60, -60};
    for (double phi : phis) {
      const auto& xx = b.x;
      const P p = place(xx[static_cast<std::size_t>(p2 - 1)], xx[static_cast<std::size_t>(p1 - 1)],
                        xx[static_cast<std::size_t>(c - 1)], 1.09, 109.5, phi);
      b.atom(1, p, c, p1, p2);
    }
  }
  s.zmat.last(1) = s.zmat.NSATM;
  const int n = s.zmat.NSATM;
  // Angles, torsions and pairs from the bonds.
  auto& a = s.angcom;
  auto& d = s.dihcom;
  for (int j = 1; j <= n; ++j) {
    const auto& nj = b.nb[static_cast<std::size_t>(j - 1)];
    for (std::size_t p = 0; p < nj.size(); ++p)
      for (std::size_t q = p + 1; q < nj.size(); ++q) {
        const int m = ++a.NANG;
        a.IA1(m) = nj[p], a.IA2(m) = j, a.IA3(m) = nj[q];
        a.KA[0](m) = 50, a.TH0[0](m) = 110 * std::numbers::pi / 180;
      }
    for (int k : nj) {
      if (k < j) continue;
      for (int i : nj)
        for (int l : b.nb[static_cast<std::size_t>(k - 1)]) {
          if (i == k || l == j || i == l) continue;
          const int m = ++d.NDIH;
          d.ID1(m) = i, d.ID2(m) = j, d.ID3(m) = k, d.ID4(m) = l;
          d.ITOR0(m) = d.ITOR1(m) = 1;
          d.V1[0](m) = 0.6, d.V2[0](m) = -0.2, d.V3[0](m) = 0.3;
        }
    }
  }
  for (int i = 1; i <= n; ++i) {
    std::vector<int> dist(static_cast<std::size_t>(n + 1), -1);
    std::vector<int> front = {i};
    dist[static_cast<std::size_t>(i)] = 0;
    while (!front.empty()) {
      std::vector<int> next;
      for (int u : front)
        for (int v : b.nb[static_cast<std::size_t>(u - 1)])
          if (dist[static_cast<std::size_t>(v)] < 0)
            dist[static_cast<std::size_t>(v)] = dist[static_cast<std::size_t>(u)] + 1,
            next.push_back(v);
      front = next;
    }
    for (int j = i + 1; j <= n; ++j)
      if (dist[static_cast<std::size_t>(j)] >= 3) {
        const int m = ++s.nbcom.NPAIR;
        s.nbcom.NBI(m) = static_cast<std::int16_t>(i);
        s.nbcom.NBJ(m) = static_cast<std::int16_t>(j);
        s.nbcom.I14(m) = dist[static_cast<std::size_t>(j)] == 3 ? 0xFF : 0;
      }
  }
}

struct Fixture {
  std::unique_ptr<State> s = std::make_unique<State>();
  std::unique_ptr<veka::nm::Work> w = std::make_unique<veka::nm::Work>();
  std::string scratch;
  Fixture() {
    buildPolyether(*s);
    char name[] = "/tmp/veka_nm_benchXXXXXX";
    const int fd = mkstemp(name);
    if (fd >= 0) close(fd);
    scratch = name;
    s->io.output.open(scratch, veka::OpenStatus::Unknown);
  }
  ~Fixture() {
    s->io.output.close();
    std::remove(scratch.c_str());
  }
};

void BM_WholeAnalysis100Atoms(benchmark::State& st) {
  Fixture f;
  for (auto _ : st) {
    f.s->io.output.rewind();
    benchmark::DoNotOptimize(veka::nm::calfreq(*f.s, *f.w));
  }
  st.counters["atoms"] = f.w->sys.n;
  st.counters["bonds"] = f.w->sys.nBond;
  st.counters["angles"] = f.w->sys.nAngle;
  st.counters["torsions"] = f.w->sys.nTorsion;
  st.counters["pairs"] = f.w->sys.nPair;
  st.counters["rigid"] = f.w->sys.nRBond + f.w->sys.nRAngle + f.w->sys.nRDih + f.w->sys.nRImp;
}
BENCHMARK(BM_WholeAnalysis100Atoms)->Unit(benchmark::kMillisecond);

void BM_Hessian100Atoms(benchmark::State& st) {
  Fixture f;
  veka::nm::calfreq(*f.s, *f.w);
  auto& w = *f.w;
  const int nc = 3 * w.sys.n;
  for (auto _ : st) {
    std::fill(w.hess.begin(), w.hess.begin() + nc * nc, 0.0);
    veka::nm::Sink out{w.grad.data(), w.hess.data(), nc};
    benchmark::DoNotOptimize(veka::nm::force(w.sys, out, true));
  }
}
BENCHMARK(BM_Hessian100Atoms)->Unit(benchmark::kMillisecond);

void BM_Diagonalise300(benchmark::State& st) {
  Fixture f;
  veka::nm::calfreq(*f.s, *f.w);
  auto& w = *f.w;
  const int nc = 3 * w.sys.n;
  std::vector<double> h(static_cast<std::size_t>(nc * nc));
  for (auto _ : st) {
    st.PauseTiming();
    std::fill(w.hess.begin(), w.hess.begin() + nc * nc, 0.0);
    veka::nm::Sink out{w.grad.data(), w.hess.data(), nc};
    veka::nm::force(w.sys, out, true);
    st.ResumeTiming();
    veka::nm::symmetricEigen(w.hess.data(), nc, nc, w.eval.data(), w.work.data(), w.vec.data(), nc);
  }
}
BENCHMARK(BM_Diagonalise300)->Unit(benchmark::kMillisecond);

}  // namespace
