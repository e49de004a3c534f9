#include "montecarlo/monte.hpp"

#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <numeric>

#include "format/format.hpp"
#include "montecarlo/dhdl.hpp"
#include "montecarlo/metropolis.hpp"
#include "montecarlo/moves.hpp"
#include "montecarlo/movmol.hpp"
#include "montecarlo/random.hpp"
#include "montecarlo/rdf.hpp"
#include "montecarlo/samplers.hpp"
#include "montecarlo/snapshot.hpp"
#include "montecarlo/sums.hpp"
#include "montecarlo/trajectory.hpp"
#include "montecarlo/volume.hpp"
#include "results/zmatout.hpp"

namespace veka {

namespace {

constexpr int kNever = 999999;

bool hasSolute(const State& s) {
  return s.zmat.NSATM > 0 && !s.zmat.noSolute;
}

// Progress of a long block on standard error, only when it is a terminal: configurations
// done, acceptance, moves per second and the time left, at most twice a second.
class Progress {
 public:
  explicit Progress(const State& s) : on_(::isatty(2) == 1), mxcon_(s.config.MXCON) {}
  void tick(const State& s) {
    if (!on_ || (s.config.NCON & 4095) != 0) return;
    const double t = seconds();
    if (t < 3.0 || t - last_ < 0.5) return;
    last_ = t;
    const double rate = s.config.NCON / t;
    const double acc = 100.0 * (s.config.NCON - (s.config.NRJECT - rejected0_)) / s.config.NCON;
    std::fprintf(stderr, "\r NCON %d of %d   accepted %5.1f %%   %.0f moves/s   %.0f s left   ",
                 s.config.NCON, mxcon_, acc, rate, (mxcon_ - s.config.NCON) / rate);
    shown_ = true;
  }
  void start(const State& s) { rejected0_ = s.config.NRJECT; }
  ~Progress() {
    if (shown_) std::fputs("\n", stderr);
  }

 private:
  double seconds() const {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - t0_).count();
  }
  bool on_;
  int mxcon_;
  int rejected0_ = 0;
  bool shown_ = false;
  double last_ = 0.0;
  std::chrono::steady_clock::time_point t0_ = std::chrono::steady_clock::now();
};

// Molecule k = int(r NMOL) + 1; with preferential sampling kept when a second number r'
// is below W(k) / WIMAX, else drawn again.
int chooseMolecule(State& s) {
  const int nmol = s.coord.NMOL;
  const Prfsmp& p = s.prfsmp;
  for (;;) {
    const int k = static_cast<int>(ranu(s.rands) * nmol) + 1;
    if (s.movp.prefSampling == 0 || !(p.WIMAX > 0.0)) return k;
    if (ranu(s.rands) < p.W[static_cast<std::size_t>(k - 1)] / p.WIMAX) return k;
  }
}

void solventMove(State& s) {
  const int k = chooseMolecule(s);
  s.move.molecule = k;
  ++s.movrec.tried[static_cast<std::size_t>(k - 1)];
  movsvn(s);
}

void volumeCycle(State& s) {
  s.npt.volumeMove = 1;
  s.move.monitor = static_cast<int>(ranu(s.rands) * s.coord.NMOL) + 1;
  volumeMove(s);
}

void acceptVolume(State& s) {
  Energy& e = s.energy;
  e.ESSOLD = e.ESSNEW;
  if (s.coord.NMOL == 0) return;
  e.ESOLD = e.ESONE;
  e.ESXCOL = e.ESXCNE;
  e.ESXLOL = e.ESXLNE;
  rebuildSoluteSolventHistogram(s);
  sampleMolecule(s, s.move.monitor);
  rdfAcceptVolume(s);
  if (s.movp.prefSampling != 0) {
    Prfsmp& p = s.prfsmp;
    std::swap(p.W, p.Wtrial);
    p.WIMAX = p.WIMAXtrial;
    p.sum = p.sumTrial;
  }
}

// The solvent part is `acceptSolventMove`, which also draws the new sampled molecule; the
// histograms follow from what it leaves.
void acceptSolvent(State& s) {
  const auto i = static_cast<std::size_t>(s.move.molecule - 1);
  acceptSolventMove(s);
  binMonitorPairs(s, s.move.monitor);
  const int oldBin = histogramBin(s.move.esxPrev[0], s.rdf.firstDistribution);
  const int newBin = histogramBin(s.slveco.ESX[0][i], s.rdf.firstDistribution);
  if (oldBin > 0) --s.mcrec.IEDIST(oldBin);
  if (newBin > 0) ++s.mcrec.IEDIST(newBin);
  rdfAcceptSolvent(s);
}

// The solute part of an accepted solute move; with NSAVE -1 a new lowest energy writes the
// solute Z-matrix to SAVEFILE (rewound: it holds the best one only).
void acceptSolute(State& s) {
  if (!hasSolute(s)) return;
  acceptSoluteMove(s);
  if (s.coord.NMOL > 0) {
    rebuildSoluteSolventHistogram(s);
    rdfAcceptSolute(s);
  }
  Mcrun& r = s.mcrun;
  if (s.config.NSAVE == -1 && s.energy.EOLD < r.bestE) {
    r.bestE = s.energy.EOLD;
    s.io.savefile.rewind();
    writzm(s, s.io.savefile, r.bestE);
  }
}

void acceptMove(State& s) {
  acceptCommon(s);
  if (s.npt.volumeMove)
    acceptVolume(s);
  else if (s.move.kind == kNoMove)
    acceptSolvent(s);
  else
    acceptSolute(s);
}

// " Accepted Volume Moves =" a " Attempted =" n " (" p " %)" with n = MXCON / NVCHG.
void endOfBlock(State& s) {
  static const fmt::Format kLine("' Accepted Volume Moves =',I6,' Attempted =',I6,' (',I3,' %)'");
  static const fmt::Format kFlip("' Accepted Flip   Moves =',I6,' Attempted =',I6,' (',I3,' %)'");
  const int nvchg = s.movp.NVCHG;
  const int n = nvchg > 0 && nvchg != kNever ? s.config.MXCON / nvchg : 0;
  const int a = n - s.npt.rejected;
  s.io.list("");
  fmt::FormattedOutput(kLine, s.io.output) << a << n << (n > 0 ? 100 * a / n : 0);
  if (const int f = s.dihcom.flipTried; f > 0) {
    const int fa = f - s.dihcom.flipRejected;
    s.io.list("");
    fmt::FormattedOutput(kFlip, s.io.output) << fa << f << 100 * fa / f;
  }
}

void saveCheck(State& s) {
  const int nsave = s.config.NSAVE;
  if (nsave >= 1 && nsave != kNever && s.config.NCON % nsave == 0) writeSnapshot(s);
  if (s.traj.fd >= 0 && s.config.NCON % s.traj.interval == 0) writeFrame(s);
}

void cycle(State& s) {
  Config& c = s.config;
  ++c.NCON;
  s.npt.volumeMove = 0;
  s.move.kind = kNoMove;
  s.mcrun.flipAttempt = false;
  adaptSoluteSteps(s);
  const int nvchg = s.movp.NVCHG, nschg = std::max(s.movp.NSCHG, 1);
  if (c.NCON % (5 * nschg) == 0) samplePeriodic(s);
  if (nvchg > 0 && nvchg != kNever && c.NCON % nvchg == 0 && s.coord.NMOL > 0)
    volumeCycle(s);
  else if (c.NCON % nschg != 0 && s.coord.NMOL > 0)
    solventMove(s);
  else
    soluteMove(s);
  decideMove(s);
  saveCheck(s);
}

}  // namespace

void startBlock(State& s) {
  Mcrun& r = s.mcrun;
  const double beta = s.misc.BETA;
  r.limit = 20.0 / beta;
  r.early = 25.0 / beta;
  r.nOverBeta = (s.coord.NMOL + (hasSolute(s) ? s.zmat.NSOLUT : 0)) / beta;
  r.bestE = 1.0e20;
  s.npt.VOLD = s.coord.EDGE(1) * s.coord.EDGE(2) * s.coord.EDGE(3);
  s.npt.VNEW = s.npt.VOLD;
  s.npt.rejected = 0;
  s.config.NCON = 0;
  clearSums(s);
}

void decideMove(State& s) {
  const Energy& e = s.energy;
  const Mcrun& r = s.mcrun;
  const double beta = s.misc.BETA;
  double dE = e.ENEW - e.EOLD;
  double w = 1.0;
  bool accept = false;
  if (s.npt.volumeMove) {
    dE = volumeWork(dE, r.nOverBeta, s.misc.PKCAL, s.npt.VOLD, s.npt.VNEW);
    accept = dE <= 0.0 || metropolis(dE, w, beta, r.limit, s.rands);
  } else if (s.move.kind == kSoluteOrVolumeMove) {
    const int h = s.misc.heatedSolute;
    const double b = (h != 0 && (h == s.move.solute || h == 9999))
                         ? 1.0 / (s.misc.GASCON * (s.misc.heatedTC + 273.15))
                         : beta;
    accept = dE <= 0.0 || metropolis(dE, w, b, r.limit, s.rands);
  } else {
    if (s.movp.prefSampling != 0) {
      const auto k = static_cast<std::size_t>(s.move.molecule - 1);
      w = s.prfsmp.Wtrial[k] / s.prfsmp.W[k];
    }
    accept = metropolis(dE, w, beta, r.limit, s.rands);
  }
  if (accept)
    acceptMove(s);
  else
    rejectMove(s);
}

void rejectMove(State& s) {
  ++s.config.NRJECT;
  ++s.config.weight;
  if (s.mcrun.flipAttempt) ++s.dihcom.flipRejected;
  if (s.npt.volumeMove) {
    rejectVolumeMove(s);
    ++s.npt.rejected;
  }
}

void acceptCommon(State& s) {
  Config& c = s.config;
  enterSums(s, c.weight);
  c.NACCPT += c.weight;
  Energy& e = s.energy;
  e.EOLD = e.ENEW;
  s.npt.VOLD = s.npt.VNEW;
  e.EPOOLD = e.EPONEW;
  c.weight = 1;
}

// A solute move: the dihedral histories count it, `movmol` makes the trial; a flip attempt
// (dihcom.flipTried negated by the move) is made positive again and remembered for the
// rejection count. Without a solute the move is a null move that is accepted.
void soluteMove(State& s) {
  Energy& e = s.energy;
  s.move.kind = kSoluteOrVolumeMove;
  s.move.molecule = 0;
  if (hasSolute(s)) {
    recordDihedralHistory(s);
    movmol(s);
    ++s.mcrec.soluteTried(s.move.solute);
    Dihcom& d = s.dihcom;
    s.mcrun.flipAttempt = d.flipTried < 0;
    if (d.flipTried < 0) d.flipTried = -d.flipTried;
    return;
  }
  e.ENEW = e.EOLD;
  e.ESONE = e.ESOLD;
  e.EPONEW = e.EPOOLD;
  e.ESXCNE = e.ESXCOL;
  e.ESXLNE = e.ESXLOL;
  s.npt.VNEW = s.npt.VOLD;
}

void monte(State& s) {
  startBlock(s);
  prepareMoves(s);
  if (hasSolute(s)) prepareSoluteMoves(s);
  // The solute-solvent histogram follows from the configuration; the sampled molecule's
  // energy and pair histogram come from the in-file of a continued run.
  rebuildSoluteSolventHistogram(s);
  if (s.control.runMode == 1) sampleMolecule(s, s.move.monitor = 1);
  openTrajectory(s);
  startRdf(s);
  startSamplers(s);
  Progress progress(s);
  progress.start(s);
  DhdlWriter dhdl(s);
  while (s.config.NCON < s.config.MXCON) {
    cycle(s);
    dhdl.sample(s);
    progress.tick(s);
  }
  dhdl.flush();
  // The configuration the block ends in, with the configurations it counted for.
  enterSums(s, s.config.weight);
  s.config.NACCPT += s.config.weight;
  s.config.weight = 0;
  endOfBlock(s);
}

}  // namespace veka
