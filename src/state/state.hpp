// All global state of a run, gathered in one object that the main program creates at
// start and passes by reference; every subsystem reads and writes the fields it needs.
#pragma once

#include "optimize/optstate.hpp"
#include "state/control.hpp"
#include "state/energy.hpp"
#include "state/io.hpp"
#include "state/settings.hpp"
#include "state/solute.hpp"
#include "state/solvent_energy.hpp"
#include "state/terms.hpp"

namespace veka {

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
  Slveco slveco;  // solvent pair tables, stored pair energies, per-molecule ESX
  Optim optim;    // optimiser settings, variables and work arrays (run modes 2, 3, 5, 6)

  double CPU = 0.0;  // CPU-time reading at start (s)
  Chars<80> programName;
};

}  // namespace veka
