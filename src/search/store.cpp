#include "search/store.hpp"

#include <cmath>
#include <utility>

#include "energy/nbpair.hpp"
#include "format/record.hpp"
#include "molecule/geometry.hpp"
#include "optimize/variables.hpp"
#include "results/zmatout.hpp"

namespace veka {

namespace {

using fmt::RecordWriter;

constexpr double kRadToDeg = 57.29577951308232;
constexpr double kVeryLow = -1000.0;  // kcal/mol: "Energy is very low."

std::size_t at(const Csrch& c, int k) {
  return static_cast<std::size_t>(k - 1) * static_cast<std::size_t>(c.nvar);
}

double degrees360(double phi) {
  double d = phi * kRadToDeg;
  if (d < 0.0) d += 360.0;
  return d;
}

char chiralCode(const Xyz& c, int centre, const int* n) {
  const Vec3 a = atom(c, n[0]), b = atom(c, centre), m = atom(c, n[1]);
  const double d1 = degrees360(dihedral(a, b, m, atom(c, n[2])));
  const double d2 = degrees360(dihedral(a, b, m, atom(c, n[3])));
  if (d1 == 0.0 || d2 == 0.0 || d1 == 360.0 || d2 == 360.0 || d1 == d2 ||
      std::fabs(d1 - d2) == 360.0)
    return '0';
  return d1 <= d2 ? '2' : '1';
}

// The compared atoms of coordinates c into x, y, z.
void gather(const State& s, const Xyz& c, std::vector<double>& x, std::vector<double>& y,
            std::vector<double>& z) {
  const Csrch& cs = s.csrch;
  for (int m = 1; m <= cs.ncmp; ++m) {
    const auto i = static_cast<std::size_t>(m - 1);
    const int a = cs.cmpAtom(m);
    x[i] = c.x(a), y[i] = c.y(a), z[i] = c.z(a);
  }
}

// Builds conformer k into scratch[0] without touching the current geometry.
const Xyz& buildStored(State& s, int k) {
  Csrch& c = s.csrch;
  const Optim& o = *s.optim;
  for (int v = 1; v <= o.nvar; ++v)
    setVariable(s, v, c.values[at(c, k) + static_cast<std::size_t>(v - 1)]);
  makmol(c.scratch[0], s.zmat);
  for (int v = 1; v <= o.nvar; ++v) setVariable(s, v, o.x(v));
  return c.scratch[0];
}

double rmsAfterFit(State& s) {
  Csrch& c = s.csrch;
  qtrf(c.ncmp, c.wx.data(), c.wy.data(), c.wz.data(), c.vx.data(), c.vy.data(), c.vz.data());
  double sum = 0.0;
  for (std::size_t i = 0; i < static_cast<std::size_t>(c.ncmp); ++i) {
    const double dx = c.vx[i] - c.wx[i], dy = c.vy[i] - c.wy[i], dz = c.vz[i] - c.wz[i];
    sum += dx * dx + dy * dy + dz * dz;
  }
  return std::sqrt(sum);
}

void swapConformers(Csrch& c, int i, int j) {
  std::swap(c.energy(i), c.energy(j));
  std::swap(c.r2(i), c.r2(j));
  std::swap(c.Nopt(i), c.Nopt(j));
  std::swap(c.Nuse(i), c.Nuse(j));
  for (int v = 0; v < c.nvar; ++v)
    std::swap(c.values[at(c, i) + static_cast<std::size_t>(v)],
              c.values[at(c, j) + static_cast<std::size_t>(v)]);
}

// Selection sort by energy, the last of equal smallest energies taking the position.
void sortStore(Csrch& c) {
  for (int i = 1; i < c.NCONF; ++i) {
    int m = i;
    for (int j = i + 1; j <= c.NCONF; ++j)
      if (c.energy(j) <= c.energy(m)) m = j;
    if (m != i) swapConformers(c, i, m);
  }
}

void cutWindow(State& s) {
  Csrch& c = s.csrch;
  int keep = 1;
  while (keep < c.NCONF && c.energy(keep + 1) <= c.energy(1) + s.search.CSREUP) ++keep;
  if (keep == c.NCONF) return;
  c.NCONF = keep;
  s.io.list(RecordWriter().A("New IGM has been found. Updated NCONF = ").I(keep, 3).str());
}

}  // namespace

double roundE12(double v) {
  const std::string text = RecordWriter().E(v, 12, 5).str();
  try {
    return fmt::RecordReader(text).F(12, 5);
  } catch (const fmt::InputError&) {
    return v;  // not finite: kept as it is
  }
}

void prepareStore(State& s) {
  Csrch& c = s.csrch;
  const Zmat& z = s.zmat;
  c.ncmp = 0;
  for (int i = 1; i <= z.NSATM; ++i) {
    const int n = s.potpar.NATI(i);
    if (n < 1 || n > 98) continue;
    const int j = z.IZ1(i);
    if (n == 1 && j >= 1 && s.potpar.NATI(j) == 6) continue;
    c.cmpAtom(++c.ncmp) = i;
  }
  c.nvar = s.optim->nvar;
  c.values.assign(static_cast<std::size_t>(MAXCNF) * static_cast<std::size_t>(c.nvar), 0.0);
  c.scratch.resize(2);
  const auto n = static_cast<std::size_t>(c.ncmp);
  for (auto* v : {&c.wx, &c.wy, &c.wz, &c.vx, &c.vy, &c.vz}) v->assign(n, 0.0);
  c.xsave.assign(static_cast<std::size_t>(c.nvar), 0.0);
}

void caldihed(const State& s, const Xyz& c, Array1<char, MAXCHI>& codes) {
  const Csrch& cs = s.csrch;
  for (int k = 1; k <= cs.nchi; ++k) {
    const int n[4] = {cs.chiNeb(1, k), cs.chiNeb(2, k), cs.chiNeb(3, k), cs.chiNeb(4, k)};
    codes(k) = chiralCode(c, cs.chiAtom(k), n);
  }
}

void chiralityReference(State& s) {
  Csrch& c = s.csrch;
  const Covnbr& nb = s.covnbr;
  int count = 0;
  for (int i = 1; i <= s.zmat.NSATM; ++i)
    if (nb.NNEB(i) >= 4) ++count;
  if (count > MAXCHI)
    stop(s.io, RecordWriter()
                   .A("*** INCREASE THE SIZE OF CHI IN THE SUBROUTINE SEARCH TO ")
                   .I(count, 4)
                   .A(" AND RECOMPILE. ***")
                   .str());
  c.nchi = 0;
  for (int i = 1; i <= s.zmat.NSATM; ++i) {
    if (nb.NNEB(i) < 4) continue;
    c.chiAtom(++c.nchi) = i;
    for (int m = 1; m <= 4; ++m) c.chiNeb(m, c.nchi) = nb.NEB(m, i);
  }
  caldihed(s, s.solcor.xyz[0], c.chiRef);
  s.io.list("Chiral Centers: (All atoms are assumed to be unique.)");
  for (int k = 1; k <= c.nchi; ++k) {
    RecordWriter w;
    w.A(" Atom ").I(c.chiAtom(k), 4).A(": Chirality Code = ").A(std::string_view(&c.chiRef(k), 1));
    w.A(" Neighbor Atoms = ");
    for (int m = 1; m <= 4; ++m) w.I(c.chiNeb(m, k), 6);
    s.io.list(w.str());
  }
}

bool sameChirality(State& s, const Xyz& c) {
  caldihed(s, c, s.csrch.chiWork);
  for (int k = 1; k <= s.csrch.nchi; ++k)
    if (s.csrch.chiWork(k) != s.csrch.chiRef(k)) return false;
  return true;
}

double r2total(const State& s, const Xyz& c) {
  const Csrch& cs = s.csrch;
  double sum = 0.0;
  for (int m = 1; m <= cs.ncmp; ++m) {
    const int i = cs.cmpAtom(m);
    for (int n = m + 1; n <= cs.ncmp; ++n) {
      const int j = cs.cmpAtom(n);
      const double dx = c.x(i) - c.x(j), dy = c.y(i) - c.y(j), dz = c.z(i) - c.z(j);
      sum += dx * dx + dy * dy + dz * dz;
    }
  }
  return sum;
}

int chkgeo(State& s, double e, int& k) {
  Csrch& c = s.csrch;
  const Xyz& now = s.solcor.xyz[0];
  if (!sameChirality(s, now)) return kMirror;
  const double r2 = r2total(s, now);
  for (k = 1; k <= c.NCONF; ++k) {
    if (!(std::fabs(e - c.energy(k)) < s.search.CSETOL)) continue;
    gather(s, buildStored(s, k), c.wx, c.wy, c.wz);
    gather(s, now, c.vx, c.vy, c.vz);
    if (rmsAfterFit(s) <= s.search.CSRMS) return kRepeat;
    if (std::fabs(r2 - c.r2(k)) < s.search.CSRTOL) return kRepeat;
  }
  k = 0;
  return kNew;
}

void addConformer(State& s, double e, int nopt, int nuse) {
  Csrch& c = s.csrch;
  const int k = ++c.NCONF;
  const double r2 = r2total(s, s.solcor.xyz[0]);
  c.energy(k) = roundE12(e);
  c.r2(k) = roundE12(r2);
  c.Nopt(k) = nopt;
  c.Nuse(k) = nuse;
  for (int v = 1; v <= c.nvar; ++v)
    c.values[at(c, k) + static_cast<std::size_t>(v - 1)] = roundE12(s.optim->x(v));
  s.io.list(RecordWriter()
                .A("New Conformer: E = ")
                .F(e, 14, 6)
                .A(" R2 = ")
                .E(r2, 12, 4)
                .A(" NCONF = ")
                .I(k, 3)
                .str());
}

int putgeo(State& s, double e, int nopt, int nuse) {
  Csrch& c = s.csrch;
  const SearchSet& set = s.search;
  s.io.list(RecordWriter().A("Etotal = ").F(e, 14, 6).A("   NCONF =").I(c.NCONF, 4).str());
  if (e < kVeryLow) {
    s.io.list("Energy is very low. Check the geometry.");
    if (s.io.listLevel < 3) writzm(s, s.io.output, e);
  }
  if (e > set.CSAEUP || e < set.CSAELO) return kMirror;
  if (c.NCONF > 0 && e > c.energy(1) + set.CSREUP) return kMirror;
  int k = 0;
  const int test = chkgeo(s, e, k);
  if (test == kMirror) return kMirror;
  if (test == kRepeat) {
    c.Nopt(k) += nopt;
    c.Nuse(k) += nuse;
    return kRepeat;
  }
  addConformer(s, e, nopt, nuse);
  if (c.placeholder) {
    c.placeholder = false;
    c.energy(1) = set.CSAEUP + 0.001;
  }
  sortStore(c);
  cutWindow(s);
  return kNew;
}

void loadConformer(State& s, int k) {
  Csrch& c = s.csrch;
  Optim& o = *s.optim;
  for (int v = 1; v <= o.nvar; ++v) o.x(v) = c.values[at(c, k) + static_cast<std::size_t>(v - 1)];
  applyAll(s);
  setActive(s);
  buildGeometry(s, 1);
  renbpr(s, true);
  o.termsBuilt = false;
}

}  // namespace veka
