#include "energy/nbpair.hpp"

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "energy/covneb.hpp"
#include "format/record.hpp"
#include "molecule/params.hpp"

namespace veka {

namespace {

constexpr int kPartnersPerLine = 20;

// Marks of the atoms after atom i while its partners are collected.
struct Marks {
  std::vector<std::uint8_t> included, near, is14, ewald;
  explicit Marks(int n)
      : included(static_cast<std::size_t>(n) + 1),
        near(static_cast<std::size_t>(n) + 1),
        is14(static_cast<std::size_t>(n) + 1),
        ewald(static_cast<std::size_t>(n) + 1) {}
};

[[noreturn]] void stopPairs(State& s, bool quiet, const std::string& message) {
  if (!quiet) stop(s.io, message);
  s.io.flushAll();
  throw Stop{-1};
}

void applyRanges(const Zmat& z, int i, int n, Marks& m) {
  auto exclude = [&](int from, int to) {
    for (int j = std::max(from, i + 1); j <= std::min(to, n); ++j)
      m.included[static_cast<std::size_t>(j)] = 0;
  };
  for (int r = 1; r <= z.NEXCL; ++r) {
    const auto& e = z.excl(r);
    if (e[0] <= i && i <= e[1]) exclude(e[2], e[3]);
    if (e[2] <= i && i <= e[3]) exclude(e[0], e[1]);
  }
}

// 1-2 and 1-3 partners after i: excluded, or with Ewald sums kept and flagged.
void markNear(const State& s, int i, bool ewald, Marks& m) {
  const Covnbr& cn = s.covnbr;
  auto mark = [&](int j) {
    if (j <= i) return;
    const auto u = static_cast<std::size_t>(j);
    m.near[u] = 1;
    if (ewald)
      m.ewald[u] = 1;
    else
      m.included[u] = 0;
  };
  for (int a = 1; a <= cn.NNEB(i); ++a) {
    const int j1 = cn.NEB(a, i);
    mark(j1);
    for (int b = 1; b <= cn.NNEB(j1); ++b)
      if (const int j2 = cn.NEB(b, j1); j2 != i) mark(j2);
  }
}

// 1-4 partners after i that are not also 1-2 or 1-3 partners: flagged, or left out when
// the Coulomb 1-4 divisor is above 99999.
void mark14(State& s, int i, bool quiet, Marks& m) {
  const Covnbr& cn = s.covnbr;
  const bool keep = s.potpar.div14C <= 99999.0;
  int count = 0;
  for (int a = 1; a <= cn.NNEB(i); ++a) {
    const int j1 = cn.NEB(a, i);
    for (int b = 1; b <= cn.NNEB(j1); ++b) {
      const int j2 = cn.NEB(b, j1);
      if (j2 == i) continue;
      for (int c = 1; c <= cn.NNEB(j2); ++c) {
        const int j3 = cn.NEB(c, j2);
        const auto u = static_cast<std::size_t>(j3);
        if (j3 == j1 || j3 <= i || m.near[u] || m.is14[u]) continue;
        if (!keep) {
          m.included[u] = 0;
          continue;
        }
        m.is14[u] = 1;
        if (++count > MAX14) {
          fmt::RecordWriter w;
          w.A("1-4 Partner Overflow in NBPAIR - Atom").I(i, 5).A(" has >").I(MAX14, 4);
          w.A(" 1-4 Partners");
          stopPairs(s, quiet, w.str());
        }
      }
    }
  }
}

void listPartners(State& s, int i, int from, int to) {
  fmt::RecordWriter w;
  w.A(" Atom").I(i, 5).A(":");
  int onLine = 0;
  for (int p = from; p <= to; ++p) {
    if (onLine == kPartnersPerLine) {
      s.io.list(w.str());
      w.clear();
      w.X(11);
      onLine = 0;
    }
    w.I(s.nbcom.NBJ(p), 5);
    ++onLine;
  }
  s.io.list(w.str());
}

void appendPairs(State& s, int i, bool quiet, const Marks& m) {
  const Zmat& z = s.zmat;
  Nbcom& nb = s.nbcom;
  const Xyz& c = s.solcor.setup0;
  const double cut2 = nb.CUTNB * nb.CUTNB;
  const int last = z.last(z.moleculeOf(i));
  for (int j = i + 1; j <= last; ++j) {
    const auto u = static_cast<std::size_t>(j);
    if (!m.included[u]) continue;
    const double dx = c.x(i) - c.x(j), dy = c.y(i) - c.y(j), dz = c.z(i) - c.z(j);
    if (dx * dx + dy * dy + dz * dz > cut2) continue;
    if (nb.NPAIR == MAXPAIR) stopPairs(s, quiet, "NBAT Array Overflow in NBPAIR");
    const int n = ++nb.NPAIR;
    nb.NBI(n) = static_cast<std::int16_t>(i);
    nb.NBJ(n) = static_cast<std::int16_t>(j);
    nb.I14(n) = m.is14[u] ? 0xFF : 0;
    nb.EWX(n) = m.ewald[u];
  }
}

bool nothingToBuild(const State& s) {
  return qmSolutes(s) || s.zmat.NSATM <= 3 || s.bndcom.NBND + s.angcom.NANG + s.dihcom.NDIH == 0;
}

}  // namespace

void nbpair(State& s, bool quiet) {
  s.nbcom.NPAIR = 0;
  if (nothingToBuild(s)) return;
  covneb(s, quiet);
  const Zmat& z = s.zmat;
  const int n = z.NSATM;
  const bool ewald = s.cutoff.ewald == 1;
  Marks m(n);
  if (!quiet) {
    s.io.list("");
    s.io.list(" Non-bonded Pairs List (Except Inter-solute)");
  }
  for (int i = 1; i < n; ++i) {
    if (z.ITYPE(i) == -1) continue;
    for (int j = i + 1; j <= n; ++j) {
      const auto u = static_cast<std::size_t>(j);
      m.included[u] = z.ITYPE(j) != -1;
      m.near[u] = m.is14[u] = m.ewald[u] = 0;
    }
    applyRanges(z, i, n, m);
    markNear(s, i, ewald, m);
    mark14(s, i, quiet, m);
    const int first = s.nbcom.NPAIR + 1;
    appendPairs(s, i, quiet, m);
    if (!quiet) listPartners(s, i, first, s.nbcom.NPAIR);
  }
}

void renbpr(State& s, bool quiet) {
  s.solcor.setup0 = s.solcor.xyz[0];
  s.solcor.setup1 = s.solcor.xyz[0];
  nbpair(s, quiet);
}

}  // namespace veka
