// All global state of a run, gathered in one object that the main program creates at
// start and passes by reference; every subsystem reads and writes the fields it needs.
//
// The records here are plain data that several subsystems share. A work area that only one
// subsystem uses (the optimiser's variables, scan and work arrays) is that subsystem's
// own type: the state holds it by pointer as a `WorkArea`, knowing the type by name only,
// so that nothing in state/ depends on a subsystem. The subsystem allocates its area once
// at its set-up and reaches it through the state like any other record.
#pragma once

#include <memory>

#include "state/averages.hpp"
#include "state/control.hpp"
#include "state/energy.hpp"
#include "state/io.hpp"
#include "state/montecarlo.hpp"
#include "state/rands.hpp"
#include "state/search.hpp"
#include "state/settings.hpp"
#include "state/solute.hpp"
#include "state/solvent.hpp"
#include "state/solvent_energy.hpp"
#include "state/terms.hpp"
#include "state/trajectory.hpp"

namespace veka {

// Frees a work area with the function the owning subsystem gave when it allocated it.
template <class T>
struct FreeWorkArea {
  void (*free)(T*) = nullptr;
  void operator()(T* p) const { free(p); }
};
template <class T>
using WorkArea = std::unique_ptr<T, FreeWorkArea<T>>;

struct Optim;  // optimize/optstate.hpp

struct State {
  Control control;
  Io io;
  Config config;
  Geom geom;
  Misc misc;
  Sol sol;
  Coord coord;
  Cutoff cutoff;
  Movp movp;
  Qm qm;
  Cap cap;
  OptSet optset;
  SearchSet search;
  NmodeSet nmode;
  Csrch csrch;  // conformational search and conformer store
  Rdf rdf;
  Switches sw;
  Zmat zmat;
  Solcor solcor;
  Fre fre;
  Potpar potpar;
  Bndcom bndcom;
  Angcom angcom;
  Dihcom dihcom;
  Nbcom nbcom;
  Covnbr covnbr;
  Nbcon nbcon;
  Energy energy;
  Rands rands;    // the random-number stream
  Szmat szmat;    // solvent defined by its own Z-matrix file
  Flexe flexe;    // its internal energies
  Slvbox slvbox;  // how the solvent box was filled
  Slvrun slvrun;
  Mcrec mcrec;            // distributions and counters carried by the in-file
  Slveco slveco;          // solvent pair tables, stored pair energies, per-molecule ESX
  Move move;              // the move in progress and its trial values
  Movrec movrec;          // attempted and accepted moves
  Prfsmp prfsmp;          // preferential-sampling weights
  Nebor nebor;            // solvent neighbour lists
  Npt npt;                // current and trial volume, the volume move in progress
  Mcrun mcrun;            // constants, counters and sums of the block in progress
  Traj traj;              // the trajectory file written during a block ("-tr")
  WorkArea<Optim> optim;  // optimiser settings, variables and work arrays (optimArea)

  double CPU = 0.0;  // CPU-time reading at start (s)
  std::string programName;
};

}  // namespace veka
