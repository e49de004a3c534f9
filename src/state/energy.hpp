// Running energies of the whole system (`energy`): trial ("NE") and current ("OL")
// values of the intermolecular terms of the three solute states.
#pragma once

namespace veka {

struct Energy {
  double EOLD = 0.0, ENEW = 0.0;
  // Solute-solute energy EXX (includes the harmonic restraints).
  double EXXNEW = 0.0, EXXNE1 = 0.0, EXXNE2 = 0.0;
  double EXXOLD = 0.0, EXXOL1 = 0.0, EXXOL2 = 0.0;
  // Solute-solvent energy ESX.
  double ESONE = 0.0, ESON1 = 0.0, ESON2 = 0.0;
  double ESOLD = 0.0, ESOL1 = 0.0, ESOL2 = 0.0;
  // Polarisation energy.
  double EPONEW = 0.0, EPONE1 = 0.0, EPONE2 = 0.0;
  double EPOOLD = 0.0, EPOOL1 = 0.0, EPOOL2 = 0.0;
  // Coulomb and Lennard-Jones parts of the selected solute's solute-solute energy.
  int selected = 1;
  double EXXC = 0.0, EXXL = 0.0;
};

}  // namespace veka
