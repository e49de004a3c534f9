#include "optimize/driver.hpp"

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>

#include "energy/gasphase.hpp"
#include "energy/nbpair.hpp"
#include "format/record.hpp"
#include "molecule/moments.hpp"
#include "optimize/hooke.hpp"
#include "optimize/variables.hpp"
#include "results/singlepoint.hpp"
#include "results/zmatout.hpp"

namespace veka {

namespace {

using fmt::ListWriter;
using fmt::RecordWriter;

constexpr double kMaxTolerance = 5.0;    // kcal/mol
constexpr double kRelaxAbove = 10000.0;  // kcal/mol: pattern-search relaxation first (mode 2)
constexpr double kRadToDeg = 57.29577951308232;
constexpr double kDegToRad = 0.017453292519943295;

constexpr std::array<std::string_view, 9> kMethodNames = {
    "Simplex             ", "Powell              ", "Hooke-Jeeves        ",
    "Fletcher-Powell     ", "BFGS                ", "Conjugate Gradient  ",
    "Steepest Descent    ", "Newton-Raphson      ", "Simulated Annealing "};

struct CycleRun {
  int cycles = 0;
  long long iterations = 0;
  bool converged = false;
  bool refused = false;  // the minimiser refused its settings or start: nothing was done
  double energy = 0.0;
};

opt::Settings minimiserSettings(const State& s) {
  const Optim& o = *s.optim;
  const OptSet& set = s.optset;
  opt::Settings st;
  st.tol = s.control.optMethod == opt::SIMAN ? set.FTOL : o.FTL;
  st.maxIter = o.MXITER;
  st.rho = o.RHO;
  st.saMaxEval = set.saMaxEval;
  st.saIter = set.saIter;
  st.saT0 = set.saT0;
  st.saFactor = set.saFactor;
  return st;
}

// The geometry of the current point, the pair list rebuilt on it, and its energy.
double refreshPairs(State& s) {
  Optim& o = *s.optim;
  buildGeometry(s, applyActive(s, o.xa.data()));
  renbpr(s, true);
  o.termsBuilt = false;
  return energyAt(s, o.xa.data());
}

void listCycleBox(State& s, int cycle) {
  const char* rule = " +-------------------------------------------------+";
  s.io.list(rule);
  s.io.list(
      RecordWriter().A(" |   Optimization Cycle =").I(cycle, 5).A("                      |").str());
  s.io.list(rule);
}

void listCycleEnergy(State& s, int cycle, double e) {
  s.io.list(
      RecordWriter().A(" Energy after cycle").I(cycle, 5).A(" =").F(e, 16, 6).A(" kcal/mol").str());
  writzm(s, s.io.output, e);
}

CycleRun runCycles(State& s, bool optimisation) {
  Optim& o = *s.optim;
  GasPhaseObjective f(s);
  o.built = false;
  o.ws.stream = &s.rands;  // the annealing draws from the program's stream
  const opt::Problem p{o.nact, o.xa.data(), o.la.data(), o.ua.data()};
  const opt::Settings st = minimiserSettings(s);
  const int method = s.control.optMethod;
  CycleRun run;
  double e = f.value(p.x);
  if (optimisation && e > kRelaxAbove) {
    s.io.list(RecordWriter()
                  .A(" Energy of the start geometry =")
                  .F(e, 16, 4)
                  .A(" kcal/mol: relaxing with the pattern search first")
                  .str());
    run.iterations += opt::hooke(f, p, st, o.ws, s.io).iterations;
    e = refreshPairs(s);
  }
  double previous = e;
  for (int cycle = 1; cycle <= o.MXCYCL; ++cycle) {
    if (optimisation) listCycleBox(s, cycle);
    const opt::Result r = opt::minimize(method, f, p, st, o.ws, s.io);
    if (r.error == opt::REFUSED) {
      run.refused = true;
      run.energy = e;
      return run;
    }
    run.iterations += r.iterations;
    foldAngles(s);
    e = refreshPairs(s);
    run.cycles = cycle;
    if (optimisation) listCycleEnergy(s, cycle, e);
    if ((method == opt::SIMAN && e == previous) || (cycle > 1 && previous - e < s.optset.FTOL)) {
      run.converged = true;
      break;
    }
    previous = e;
  }
  takeActive(s);
  run.energy = e;
  return run;
}

// The perturbed coordinate sets follow the reference one (no perturbation in these
// jobs); the trial energies become the current ones.
void settle(State& s) {
  s.solcor.xyz[1] = s.solcor.xyz[0];
  s.solcor.xyz[2] = s.solcor.xyz[0];
  acceptSoluteEnergies(s);
}

void listLine(State& s, const RecordWriter& w) {
  s.io.list(w.str());
}

void listOptimisation(State& s, const CycleRun& run) {
  Io& io = s.io;
  const double ftol = s.optset.FTOL;
  if (!run.converged)
    listLine(s, RecordWriter()
                    .A(" Exited after")
                    .I(run.cycles, 6)
                    .A(" cycles in optimizer without")
                    .A(" converging to")
                    .F(ftol, 10, 6)
                    .A(" kcal/mol. Resubmit."));
  io.list("");
  io.list(" RESULTS OF SOLUTE OPTIMIZATION");
  io.list("");
  io.list(std::string(" Optimization procedure: ") + std::string(methodName(s.control.optMethod)));
  if (!run.converged) io.list(" *** Warning: Optimization did not converge. ***");
  if (!checkGeometry(s)) {
    io.list(" ERROR: The resulting zmatrix is invalid.");
    io.list("        To get around this problem, revise the zmatrix.");
  }
  listLine(s, RecordWriter()
                  .A(" No. Iterations =")
                  .I(run.iterations, 8)
                  .A("     Tolerance =")
                  .F(ftol, 11, 6)
                  .A(" kcal/mol"));
  listLine(s, RecordWriter().A(" No. Variables  =").I(s.optim->nvar, 8));
  listLine(s, RecordWriter()
                  .A(" Energy Evaluations =")
                  .I(s.optim->energies, 10)
                  .A("   Gradient Evaluations =")
                  .I(s.optim->gradients, 10));
  io.list("");
  listEnergyComponents(s, energyComponents(s));
  io.list("");
  listLine(s, RecordWriter().A(" Final Dipole Moment =").F(dipoleMoment(s, 0), 10, 3).A(" D"));
  listLine(s, RecordWriter().A(" Optimized energy =").F(run.energy, 16, 6).A(" kcal/mol"));
  io.list("");
  io.list(" Final Z-Matrix:");
  writzm(s, io.output, run.energy);
  if (s.control.zmOutStyle != 0) {
    io.summary.rewind();
    writzm(s, io.summary, run.energy);
  }
  writeStructureFile(s, run.energy);
}

// ------------------------------------------------------------------ scans

// The variable of `atom` of the scan type, or 0.
int scannedVariable(const State& s, int type, int atom) {
  const Optim& o = *s.optim;
  for (int k = 1; k <= o.nvar; ++k)
    if (o.kind(k) == type && o.atom(k) == atom) return k;
  return 0;
}

bool planScan(State& s) {
  Optim& o = *s.optim;
  const ScanSettings set = scanSettings(s.geom.RC0, s.geom.RC1, s.geom.RC2);
  if (set.type == 0) {
    ListWriter w;
    w << "INVALID SCAN TYPE (RC1 =" << s.geom.RC1 << "): 1 BOND, 2 ANGLE, 0 OR 3 DIHEDRAL.";
    s.io.list(w.str());
    return false;
  }
  static constexpr const char* kKind[4] = {"", "BOND", "ANGLE", "DIHEDRAL"};
  const int atom = s.config.MXCON;
  o.scanVar = scannedVariable(s, set.type, atom);
  if (o.scanVar == 0) {
    ListWriter w;
    w << "ATOM" << atom << "HAS NO VARIABLE" << kKind[set.type] << "TO SCAN.";
    s.io.list(w.str());
    return false;
  }
  o.scanType = set.type;
  o.scanAtom = atom;
  o.nscan = set.steps;
  o.scanStep = set.step;
  if (set.type == kVarDihedral) o.x(o.scanVar) = 0.0;
  return true;
}

double scanValueOut(const Optim& o, double v) {
  return o.scanType == kVarBond ? v : v * kRadToDeg;
}

void writeScanTable(State& s, Unit& out) {
  const Optim& o = *s.optim;
  const bool dihedral = o.scanType == kVarDihedral;
  double lowest = std::numeric_limits<double>::infinity();
  for (int k = 1; k <= o.nscan; ++k) lowest = std::min(lowest, o.scanEnergy(k));
  out.write("");
  out.write(std::string(" ") + s.zmat.title.str());
  out.write(RecordWriter()
                .A(dihedral ? " Results Summary for Scanning Dihedral Angle"
                            : " Results Summary for Scanning Bond or Angle")
                .I(o.scanAtom, 6)
                .str());
  out.write(dihedral ? "        Phi,      Dipole,        E(Phi),      Delta E"
                     : "          X,      Dipole,          E(X),      Delta E");
  for (int k = 1; k <= o.nscan; ++k)
    out.write(RecordWriter()
                  .F(o.scanValue(k), 12, 4)
                  .F(o.scanDipole(k), 12, 4)
                  .F(o.scanEnergy(k), 15, 5)
                  .F(o.scanEnergy(k) - lowest, 13, 5)
                  .str());
}

bool runScan(State& s) {
  Optim& o = *s.optim;
  for (int k = 1; k <= o.nscan; ++k) {
    applyAll(s);
    setActive(s, o.scanVar);
    const CycleRun run = runCycles(s, false);
    if (run.refused) return false;
    o.scanValue(k) = scanValueOut(o, o.x(o.scanVar));
    o.scanDipole(k) = dipoleMoment(s, 0);
    o.scanEnergy(k) = run.energy;
    RecordWriter w;
    w.A(" Scan step").I(k, 4).A(":").F(o.scanValue(k), 12, 4).A("   Energy =").F(run.energy, 15, 5);
    if (!run.converged) w.A("   (not converged)");
    s.io.list(w.str());
    if (k < o.nscan) o.x(o.scanVar) += o.scanStep;
  }
  settle(s);
  writeScanTable(s, s.io.output);
  s.io.summary.rewind();
  writeScanTable(s, s.io.summary);
  return true;
}

// Warning lines of the validity check.
void warnValue(State& s, const char* what, int atom, double v) {
  s.io.list(RecordWriter()
                .A(" WARNING: INVALID VALUE OF VARIABLE ")
                .A(what)
                .I(atom, 5)
                .F(v, 14, 4)
                .str());
}

}  // namespace

std::string_view methodName(int method) {
  if (method < 0 || method > 8) return "                    ";
  return kMethodNames[static_cast<std::size_t>(method)];
}

int optimizationCycles(int mxcon) {
  return std::clamp(mxcon, 2, 10000);
}

ScanSettings scanSettings(double rc0, double rc1, double rc2) {
  ScanSettings set;
  const double t = std::trunc(rc1);
  set.type = t == 1.0 ? kVarBond : t == 2.0 ? kVarAngle : (t == 0.0 || t == 3.0) ? kVarDihedral : 0;
  if (set.type == 0) return set;
  double steps = std::trunc(rc2);
  if (set.type == kVarDihedral) {
    const double step = rc0 > 0.0 ? rc0 : 10.0;
    if (rc2 == 0.0) steps = std::trunc(360.0 / step) + 1.0;
    set.step = step * kDegToRad;
  } else {
    set.step = set.type == kVarAngle ? rc0 * kDegToRad : rc0;
  }
  set.steps = static_cast<int>(std::clamp(steps, 1.0, static_cast<double>(MAXSCAN)));
  return set;
}

bool checkGeometry(State& s) {
  const Optim& o = *s.optim;
  bool invalid = false, warned = false;
  for (int k = 1; k <= o.nvar; ++k) {
    const int atom = o.atom(k);
    if (o.kind(k) == kVarBond) {
      const double r = o.x(k);
      if (!(r >= 0.01 && r <= 1000.0)) warnValue(s, "BOND  ", atom, r), invalid = true;
    } else if (o.kind(k) == kVarAngle) {
      const double a = o.x(k) * kRadToDeg;
      const double edge = std::min(std::fabs(a), std::fabs(180.0 - a));
      if (!(a >= 0.0 && a <= 180.0)) {
        warnValue(s, "ANGLE ", atom, a), invalid = true;
      } else if (edge < 0.01) {
        s.io.list(RecordWriter()
                      .A(" WARNING: VARIABLE ANGLE ")
                      .I(atom, 5)
                      .A(" BECOMES LINEAR (")
                      .F(a, 10, 4)
                      .A(").")
                      .str());
        invalid = true;
      } else if (edge < 1.0) {
        s.io.list(RecordWriter()
                      .A(" WARNING: LINEARITY AT VARIABLE ANGLE ")
                      .I(atom, 5)
                      .F(a, 14, 4)
                      .str());
        warned = true;
      }
    }
  }
  if (invalid)
    s.io.list(" !!!!!!  STOP THE JOB AND REVISE THE ZMATRIX. !!!!!!");
  else if (warned)
    s.io.list(" !!!!!!  IT IS RECOMMENDED TO REVISE THE ZMATRIX. !!!!!");
  return !invalid;
}

bool optmiz(State& s) {
  Io& io = s.io;
  Optim& o = optimArea(s);
  io.summary.rewind();
  io.pltfile.rewind();
  const double ftol = s.optset.FTOL;
  if (ftol > kMaxTolerance) {
    ListWriter w;
    w << "FTOL is too large." << ftol;
    io.list(w.str());
    return false;
  }
  o.FTL = std::min(o.FTL, ftol);
  const int n = countVariables(s);
  if (n > MAXOPT) {
    io.list(" TOO MANY VARIABLES FOR OPTIMIZATION IN OPTMIZ  -");
    ListWriter w;
    w << "Requested" << n << " Maximum is" << MAXOPT;
    io.list(w.str());
    return false;
  }
  collectVariables(s);
  o.energies = o.gradients = 0;
  if (s.control.runMode == 3) {
    return planScan(s) && runScan(s);
  }
  o.MXCYCL = optimizationCycles(s.config.MXCON);
  if (!checkGeometry(s)) return false;
  const CycleRun run = runCycles(s, true);
  if (run.refused) return false;
  settle(s);
  listOptimisation(s, run);
  return true;
}

}  // namespace veka
