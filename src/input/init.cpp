#include "input/init.hpp"

#include <algorithm>
#include <cmath>
#include <numeric>
#include <vector>

#include "energy/eintra.hpp"
#include "energy/nbpair.hpp"
#include "energy/solution.hpp"
#include "format/record.hpp"
#include "input/boxes.hpp"
#include "input/infile.hpp"
#include "input/setup.hpp"
#include "molecule/params.hpp"
#include "molecule/prmchk.hpp"
#include "molecule/solvent_models.hpp"
#include "molecule/zmatrix_states.hpp"
#include "montecarlo/random.hpp"
#include "results/statelist.hpp"

namespace veka {

namespace {

// The solute layout code that the start-up case reads the solute file with.
int soluteLayout(const State& s) {
  const bool mind = s.control.soluteFormat == kMind;
  switch (s.control.ISTART) {
    case 0:
    case 3:
      return mind ? 8 : 0;
    case 4:
      return mind ? 6 : 1;
    case 5:
      return 2;
    case 6:
      return 3;
    case 7:
      return mind ? 8 : 4;
    case 9:
      return 5;
    default:  // 8: the Z-matrix gives the topology, the in-file the coordinates
      return 1;
  }
}

// A new system: no running energies, the generator at its new-run seed, and solutes 3..N
// starting from the move ranges of solute 2.
void startNewSystem(State& s) {
  s.energy = Energy{};
  s.flexe = Flexe{};
  s.slvrun = Slvrun{};
  seedRands(s.rands);
  for (int m = 3; m <= MAXSOL; ++m) {
    s.movp.RDELS(m) = s.movp.RDELS(2);
    s.movp.ADELS(m) = s.movp.ADELS(2);
  }
  s.config.NACCPT = s.config.NRJECT = s.config.NCON = 0;
}

void readSolutesAndParameters(State& s) {
  readSolutes(s, soluteLayout(s));
  param(s);
}

// The solvent of a new system: from the stored boxes, from the in-file, or none.
void newSolvent(State& s) {
  if (s.control.solventSource == kNoSolvent) {
    s.coord.NMOL = 0;
    s.slvbox.requested = 0;
  } else if (s.control.solventSource == kFromIn) {
    readInfile(s, InfileUse::Solvent, true);
  } else {
    placeSolvent(s);
  }
}

// NMOL2 as the molecules of the second solvent now in the box.
void countSecondSolvent(State& s) {
  if (s.sol.code(2) == 0 || s.sol.code(2) == kSolventNone) return;
  int n2 = 0;
  for (int n = 1; n <= s.coord.NMOL; ++n) n2 += s.coord.solvent(n) == 2 ? 1 : 0;
  s.sol.NMOL2 = n2;
}

int storedSites(const State& s) {
  int n = std::max(s.sol.nsites(1), s.sol.nsites(2));
  if (s.sol.flexible != 0) n = std::max(n, s.szmat.NSAT);
  return std::min(n, MXSAT);
}

// Moves the kept molecules (in their order) to the front of the coordinate arrays.
void compact(State& s, const std::vector<bool>& deleted) {
  Coord& c = s.coord;
  const int sites = storedSites(s);
  int m = 0;
  for (int n = 1; n <= c.NMOL; ++n) {
    if (deleted[static_cast<std::size_t>(n - 1)]) continue;
    ++m;
    c.solvent(m) = c.solvent(n);
    for (int k = 1; k <= sites; ++k) {
      c.X(m, k) = c.X(n, k);
      c.Y(m, k) = c.Y(n, k);
      c.Z(m, k) = c.Z(n, k);
    }
  }
  c.NMOL = m;
}

void listSolventSoluteEnergies(State& s) {
  s.io.list("");
  s.io.list(" Solvent-Solute Energies");
  fmt::RecordWriter r;
  for (int n = 1; n <= s.coord.NMOL; ++n) {
    r.X(1).A("(").I(n, 4).A(")").F(s.slveco.ESX[0][static_cast<std::size_t>(n - 1)], 10, 4);
    if (n % 5 == 0 || n == s.coord.NMOL) {
      s.io.list(r.str());
      r.clear();
    }
  }
}

void listInitialRandomNumber(State& s) {
  s.traj.startSeed = s.rands.seed;  // the in-file's seed, before the stream moves on
  fmt::RecordWriter r;
  r.A(" Initial Random Number =").F(ranu(s.rands), 12, 8);
  s.io.list("");
  s.io.list(r.str());
}

// Largest distance of a site from site 1 in the first molecule of solvent kind k, A.
double solventRadius(const State& s, int kind) {
  const Coord& c = s.coord;
  int n = 1;
  while (n <= c.NMOL && solventOf(s, n) != kind) ++n;
  if (n > c.NMOL) return 0.0;
  double r2 = 0.0;
  for (int k = 2; k <= s.sol.nsites(kind); ++k) {
    const double dx = c.X(n, k) - c.X(n, 1), dy = c.Y(n, k) - c.Y(n, 1), dz = c.Z(n, k) - c.Z(n, 1);
    r2 = std::max(r2, dx * dx + dy * dy + dz * dz);
  }
  return std::sqrt(r2);
}

// A solvent-solvent pair is cut by the distance of its cutoff sites, while its other sites
// take the image of their molecule. When RCUT plus twice the radius of the largest
// non-water molecule exceeds half the shortest edge, a pair near the cutoff can have sites
// closer through another image than the one used: the listing says so (the run goes on).
void warnCutoffImages(State& s) {
  double radius = 0.0;
  for (int kind = 1; kind <= 2; ++kind) {
    const int code = s.sol.code(kind);
    if (code == 1 || code == 2 || code == 13 || code == 99 || code == 0) continue;
    radius = std::max(radius, solventRadius(s, kind));
  }
  const Coord& c = s.coord;
  const double half = std::min({c.HALF(1), c.HALF(2), s.control.slab ? c.HALF(1) : c.HALF(3)});
  const double reach = s.cutoff.RCUT + 2.0 * radius;
  if (c.NMOL < 2 || radius <= 0.0 || reach <= half) return;
  fmt::RecordWriter r;
  r.A(" *** Warning: RCUT + 2 x Solvent Radius =")
      .F(reach, 8, 3)
      .A(" A Exceeds Half the")
      .A(" Shortest Box Edge =")
      .F(half, 8, 3)
      .A(" A ***");
  s.io.list("");
  s.io.list(r.str());
  s.io.list(" *** Solvent Pairs Near the Cutoff May Interact Through Different Images ***");
}

// Cutoff lists, solute pair lists, the listing of the solutes, the full energy and the
// start-up listing.
void finishSetup(State& s, bool newSystem) {
  countSecondSolvent(s);
  buildCutoffLists(s);
  prepareSolventEnergy(s);
  if (newSystem) removeOverlaps(s);
  warnCutoffImages(s);
  listMolecularWeights(s);
  intraSettings(s);
  nbpair(s, s.io.listLevel != 0);
  prmchk(s);
  listMoments(s);
  enmtx(s);
  s.io.summary.rewind();
  listState(s, s.energy.ECUT);
  if (s.io.listLevel == 0 && s.coord.NMOL > 0) listSolventSoluteEnergies(s);
  listInitialRandomNumber(s);
}

}  // namespace

void removeOverlaps(State& s) {
  const int placed = s.coord.NMOL, keep = s.slvbox.requested;
  if (placed <= keep || keep < 0) return;
  std::vector<double> e(static_cast<std::size_t>(placed), 0.0);
  if (s.zmat.NSATM > 0 && !s.zmat.noSolute) {
    packSolute(s);
    for (int n = 1; n <= placed; ++n)
      e[static_cast<std::size_t>(n - 1)] = solventSoluteEnergy(s, n)[0];
  }
  // Highest energy first; of equal energies the later molecule goes first.
  std::vector<int> order(static_cast<std::size_t>(placed));
  std::iota(order.begin(), order.end(), 1);
  std::stable_sort(order.begin(), order.end(), [&](int a, int b) {
    const double ea = e[static_cast<std::size_t>(a - 1)], eb = e[static_cast<std::size_t>(b - 1)];
    return ea != eb ? ea > eb : a > b;
  });
  const int ndel = placed - keep;
  fmt::RecordWriter r;
  r.I(ndel, 5).A(" Solvent molecules are to be deleted from").A(" the initial").I(placed, 5);
  s.io.list("");
  s.io.list(r.str());
  std::vector<bool> deleted(static_cast<std::size_t>(placed), false);
  for (int k = 0; k < ndel; ++k) {
    const int n = order[static_cast<std::size_t>(k)];
    deleted[static_cast<std::size_t>(n - 1)] = true;
    r.clear();
    r.A(" Solvent Molecule")
        .I(n, 5)
        .A(" ESX Energy =")
        .F(e[static_cast<std::size_t>(n - 1)], 12, 4);
    s.io.list(r.str());
  }
  compact(s, deleted);
  countSecondSolvent(s);
  prepareSolventEnergy(s);
}

void initialiseSimulation(State& s) {
  const int istart = s.control.ISTART;
  switch (istart) {
    case 3:
    case 4:
    case 5:
    case 9:
      startNewSystem(s);
      readSolutesAndParameters(s);
      newSolvent(s);
      break;
    case 7:
    case 8:
      startNewSystem(s);
      readSolutesAndParameters(s);
      readInfile(s, InfileUse::Continue, true);
      fillTermValues(s);
      break;
    case 0:
    case 6:
      readSolutesAndParameters(s);
      readInfile(s, InfileUse::Continue, s.control.startFlag == 1);
      fillTermValues(s);
      break;
    default:
      stop(s.io, "*** UNRECOGNIZED ISTART VALUE IN SUBROUTINE INIT ***", Console::Stdout);
  }
  finishSetup(s, istart == 3 || istart == 4 || istart == 5 || istart == 9);
  if (s.control.runMode == 1) writeInfile(s);
}

}  // namespace veka
