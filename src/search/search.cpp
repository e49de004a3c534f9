#include "search/search.hpp"

#include <algorithm>
#include <cmath>
#include <string>

#include "energy/gasphase.hpp"
#include "energy/nbpair.hpp"
#include "format/record.hpp"
#include "molecule/geometry.hpp"
#include "montecarlo/random.hpp"
#include "optimize/driver.hpp"
#include "optimize/hooke.hpp"
#include "optimize/variables.hpp"
#include "results/zmatout.hpp"
#include "search/store.hpp"

namespace veka {

namespace {

using fmt::RecordWriter;

constexpr double kTwoPi = 6.283185307179586;
constexpr double kRelaxAbove = 10000.0;  // kcal/mol: pattern search first
constexpr double kTooHigh = 1.0e6;       // kcal/mol: a generated start is drawn again
constexpr int kAttempts = 1000;          // draws of one start
constexpr int kMaxRuns = 50;             // optimiser runs of one minimisation

void applyDefaults(State& s) {
  SearchSet& c = s.search;
  if (c.CSETOL <= 0.0) c.CSETOL = static_cast<double>(0.1f);
  if (c.CSRMS <= 0.0) c.CSRMS = 0.25;
  if (c.CSRTOL <= 0.0) c.CSRTOL = 1.0;
  if (c.CSREUP <= 0.0) c.CSREUP = 300.0;
  if (c.CSAEUP < c.CSAELO) c.CSAEUP = c.CSAELO + c.CSREUP;
}

void listLine(State& s, const char* label, double v) {
  s.io.list(RecordWriter().A(label).F(v, 14, 6).str());
}

void listSettings(State& s) {
  const SearchSet& c = s.search;
  s.io.list(RecordWriter().A("Number of tries requested       =").I(s.csrch.requested, 8).str());
  listLine(s, "Energy tolerance CSETOL         =", c.CSETOL);
  listLine(s, "RMS tolerance CSRMS             =", c.CSRMS);
  listLine(s, "R2total tolerance CSRTOL        =", c.CSRTOL);
  listLine(s, "Window above the IGM CSREUP     =", c.CSREUP);
  listLine(s, "Lowest energy kept CSAELO       =", c.CSAELO);
  listLine(s, "Highest energy kept CSAEUP      =", c.CSAEUP);
  s.io.list(std::string("Optimization Algorithm          = ") +
            std::string(methodName(s.control.optMethod)));
}

// The geometry of the optimiser's variables, all atoms rebuilt.
void placeVariables(State& s) {
  applyAll(s);
  setActive(s);
  buildGeometry(s, 1);
}

// The energy of the current geometry with the pair list built on it.
double freshEnergy(State& s) {
  renbpr(s, true);
  s.optim->termsBuilt = false;
  return gasPhaseEnergy(s);
}

double refreshActive(State& s) {
  Optim& o = *s.optim;
  buildGeometry(s, applyActive(s, o.xa.data()));
  renbpr(s, true);
  o.termsBuilt = false;
  return energyAt(s, o.xa.data());
}

void saveVariables(State& s) {
  for (int k = 1; k <= s.optim->nvar; ++k)
    s.csrch.xsave[static_cast<std::size_t>(k - 1)] = s.optim->x(k);
}
void restoreVariables(State& s) {
  for (int k = 1; k <= s.optim->nvar; ++k)
    s.optim->x(k) = s.csrch.xsave[static_cast<std::size_t>(k - 1)];
}

void minimiseStart(State& s) {
  Csrch& c = s.csrch;
  saveVariables(s);
  double e = 0.0;
  if (!optgeo(s, s.control.optMethod, e)) {
    s.io.list("OPTIMIZATION OF THE INITIAL ZMATRIX HAS FAILED.");
    s.io.list("THE GEOMETRY FROM THE INITIAL ZMATRIX WILL BE USED AS");
    s.io.list("A SEED FOR THE NEXT STARTING GEOMETRY GENERATION.");
    restoreVariables(s);
    placeVariables(s);
    e = freshEnergy(s);
    c.placeholder = true;
  }
  addConformer(s, e, 1, 0);
  cssave(s);
}

void csinit(State& s) {
  Csrch& c = s.csrch;
  Io& io = s.io;
  const bool newRun = s.control.startFlag == 1;
  if (newRun) io.pltfile.rewind(), io.upfile.rewind(), io.savefile.rewind();
  applyDefaults(s);
  c.requested = s.config.MXCON < 0 ? 1000 : s.config.MXCON;
  c.done = c.previous = 0;
  c.NCONF = 0;
  c.placeholder = false;
  const int n = countVariables(s);
  if (n > MAXOPT)
    stop(io, RecordWriter()
                 .A("*** TOO MANY VARIABLES (")
                 .I(n, 4)
                 .A(") FOR OPTIMIZATION IN SEARCH ***")
                 .str());
  collectVariables(s);
  Optim& o = *s.optim;
  o.FTL = std::min(o.FTL, s.optset.FTOL);
  prepareStore(s);
  listSettings(s);
  if (s.control.runMode == 5) {
    readSearchSection(s);
    if (c.nsamp == 0) chooseDihedrals(s);
  } else {
    readStochasticSection(s);
    io.list(" STOCHASTIC SEARCH MINIMIZATION");
  }
  if (o.nvar == 0 || (s.control.runMode == 5 && c.nsamp == 0))
    stop(io, "*** NO VARIABLES IN CONFORMATIONAL SEARCH ***");
  chiralityReference(s);
  if (newRun) return minimiseStart(s);
  cscont(s);
  if (c.streamStored) s.rands = c.stream;
  io.list("Continued from previous searching:");
  io.list(RecordWriter().A(" Number of MC steps done   =").I(c.previous, 12).str());
  io.list(RecordWriter().A(" Number of conformers      =").I(c.NCONF, 12).str());
}

void listStart(State& s) {
  s.io.list(" STARTING GEOMETRY:");
  placeVariables(s);
  writzm(s, s.io.output, 0.0);
}

}  // namespace

int chooseSeed(State& s) {
  Csrch& c = s.csrch;
  int k = 1;
  for (int m = 2; m <= c.NCONF; ++m)
    if (c.Nuse(m) < c.Nuse(k)) k = m;
  ++c.Nuse(k);
  for (int v = 1; v <= c.nvar; ++v)
    s.optim->x(v) = c.values[static_cast<std::size_t>(k - 1) * static_cast<std::size_t>(c.nvar) +
                             static_cast<std::size_t>(v - 1)];
  return k;
}

void getgeo(State& s) {
  Csrch& c = s.csrch;
  Optim& o = *s.optim;
  saveVariables(s);
  const int n = c.nsamp;
  for (int attempt = 1; attempt <= kAttempts; ++attempt) {
    restoreVariables(s);
    const int m = static_cast<int>(std::round(ranu(s.rands) * (n - 3))) + 2;
    for (int i = 1; i <= m; ++i) {
      const int v = std::clamp(static_cast<int>(std::round(ranu(s.rands) * (n - 1))) + 1, 1, n);
      const double lo = c.sampMin(v), hi = c.sampMax(v);
      double x = lo + ranu(s.rands) * (hi - lo);
      if (c.sampKind(v) != kVarBond) x *= kTwoPi / 360.0;
      o.x(c.sampVar(v)) = x;
    }
    placeVariables(s);
    if (!sameChirality(s, s.solcor.xyz[0])) continue;
    if (freshEnergy(s) <= kTooHigh) return;
  }
}

namespace {

void kick(State& s, Xyz& c) {
  const Csrch& cs = s.csrch;
  double sum = 0.0;
  for (int i = 0; i < 10; ++i) sum += ranu(s.rands);
  const double push = cs.PUSH + (sum - 5.0) * std::fabs(cs.HWIDTH) / 2.1;
  const double r = cs.RADIUS;
  for (int i = 1; i <= s.zmat.NSATM; ++i) {
    double dx, dy, dz;
    do {
      dx = (2.0 * ranu(s.rands) - 1.0) * r;
      dy = (2.0 * ranu(s.rands) - 1.0) * r;
      dz = (2.0 * ranu(s.rands) - 1.0) * r;
    } while (dx * dx + dy * dy + dz * dz > r * r);
    c.x(i) += push * dx, c.y(i) += push * dy, c.z(i) += push * dz;
  }
}

void restoreBonds(State& s, Xyz& c, const Xyz& seed) {
  const Zmat& z = s.zmat;
  for (int sweep = 0; sweep < s.csrch.NFIX; ++sweep)
    for (int i = 3; i <= z.NSATM; ++i) {
      const int j = z.IZ1(i);
      if (j < 1) continue;
      const Vec3 d{c.x(i) - c.x(j), c.y(i) - c.y(j), c.z(i) - c.z(j)};
      const double f =
          0.075 * (distance(atom(c, i), atom(c, j)) - distance(atom(seed, i), atom(seed, j)));
      c.x(i) -= f * d.x, c.y(i) -= f * d.y, c.z(i) -= f * d.z;
      c.x(j) += f * d.x, c.y(j) += f * d.y, c.z(j) += f * d.z;
    }
}

// The variables measured on coordinates c.
void measureVariables(State& s, const Xyz& c) {
  Optim& o = *s.optim;
  const Zmat& z = s.zmat;
  for (int k = 1; k <= o.nvar; ++k) {
    const int a = o.atom(k);
    if (o.kind(k) == kVarBond)
      o.x(k) = distance(atom(c, a), atom(c, z.IZ1(a)));
    else if (o.kind(k) == kVarAngle)
      o.x(k) = bondAngle(atom(c, a), atom(c, z.IZ1(a)), atom(c, z.IZ2(a)));
    else
      o.x(k) = dihedral(atom(c, z.IZ3(a)), atom(c, z.IZ2(a)), atom(c, z.IZ1(a)), atom(c, a));
  }
}

void copyAtoms(Xyz& to, const Xyz& from, int n) {
  std::copy_n(from.x.data(), n, to.x.data());
  std::copy_n(from.y.data(), n, to.y.data());
  std::copy_n(from.z.data(), n, to.z.data());
}

}  // namespace

void gengeo(State& s) {
  Csrch& c = s.csrch;
  const int n = s.zmat.NSATM;
  placeVariables(s);
  Xyz& seed = c.scratch[1];
  Xyz& trial = c.scratch[0];
  copyAtoms(seed, s.solcor.xyz[0], n);
  for (int attempt = 1; attempt <= kAttempts; ++attempt) {
    copyAtoms(trial, seed, n);
    kick(s, trial);
    if (!sameChirality(s, trial)) continue;
    restoreBonds(s, trial, seed);
    measureVariables(s, trial);
    placeVariables(s);
    if (freshEnergy(s) <= kTooHigh) return;
  }
}

bool optgeo(State& s, int method, double& energy) {
  Optim& o = *s.optim;
  for (int k = 1; k <= o.nvar; ++k) {
    if (o.kind(k) != kVarDihedral) continue;
    o.x(k) = std::fmod(o.x(k), kTwoPi);
    if (o.x(k) < 0.0) o.x(k) += kTwoPi;
  }
  placeVariables(s);
  double e = freshEnergy(s);
  GasPhaseObjective f(s);
  o.ws.stream = &s.rands;
  const opt::Problem p{o.nact, o.xa.data(), o.la.data(), o.ua.data()};
  opt::Settings st;
  st.tol = method == opt::SIMAN ? s.optset.FTOL : o.FTL;
  st.maxIter = o.MXITER;
  st.rho = o.RHO;
  st.saMaxEval = s.optset.saMaxEval, st.saIter = s.optset.saIter;
  st.saT0 = s.optset.saT0, st.saFactor = s.optset.saFactor;
  if (e > kRelaxAbove) {
    s.io.list(RecordWriter().A("INITIAL TOTAL ENERGY IS TOO HIGH (").F(e, 14, 6).A(").").str());
    s.io.list(" USING HOOKE METHOD TO GET A CRUDE GEOMETRY...");
    opt::hooke(f, p, st, o.ws, s.io);
    e = refreshActive(s);
  }
  double previous = e;
  for (int run = 1; run <= kMaxRuns; ++run) {
    const opt::Result r = opt::minimize(method, f, p, st, o.ws, s.io);
    if (r.error != opt::OK) {
      s.io.list("*** Error has occurred during the optimization. ***");
      return false;
    }
    foldAngles(s);
    e = refreshActive(s);
    if (run > 1 && previous - e < s.optset.FTOL) break;
    if (run == kMaxRuns) s.io.list("MAXIMUM ITERATION IN OPTGEO.");
    previous = e;
  }
  takeActive(s);
  energy = e;
  return true;
}

void search(State& s) {
  csinit(s);
  Csrch& c = s.csrch;
  Io& io = s.io;
  for (long long t = 1; t <= c.requested; ++t) {
    io.list(RecordWriter().A("Search Try No.").I(c.previous + t, 8).str());
    chooseSeed(s);
    if (s.control.runMode == 5)
      getgeo(s);
    else
      gengeo(s);
    c.done = t;
    if (io.listLevel > 2) listStart(s);
    double e = 0.0;
    if (!optgeo(s, s.control.optMethod, e)) continue;
    if (io.listLevel > 2)
      io.list(RecordWriter()
                  .A("NCONF = ")
                  .I(c.NCONF, 3)
                  .A(" Etotal = ")
                  .F(e, 14, 6)
                  .A(" R^2total = ")
                  .E(r2total(s, s.solcor.xyz[0]), 12, 4)
                  .str());
    if (putgeo(s, e) == kNew) cssave(s);
    if (c.NCONF >= MAXCNF) {
      io.list("*** MAXIMUM NUMBER OF CONFORMERS REACHED.");
      io.list(RecordWriter()
                  .I(t, 7)
                  .A(" OUT OF ")
                  .I(c.requested, 7)
                  .A(" MC STEPS HAVE BEEN COMPLETED.")
                  .str());
      break;
    }
  }
  if (s.search.refine == 1 && !(c.placeholder && c.NCONF == 1)) refgeo(s);
  cssave(s);
  csprnt(s);
}

}  // namespace veka
