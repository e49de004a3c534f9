// Running energies of the whole system (`energy`): trial ("NE") and current ("OL")
// values of the intermolecular terms of the three solute states.
//
// Every per-state energy is an array of three: [0] the reference solute, [1] the first
// and [2] the second perturbed solute. An array takes the name of its reference-state
// listing label; the perturbed labels are the other two elements (ESONE[1] is listed as
// "ESON1=", EXXOLD[2] as "EXXOL2="). Accepting a move copies the trial array over the
// current one.
#pragma once

#include <array>

namespace veka {

using PerState = std::array<double, 3>;

struct Energy {
  double EOLD = 0.0, ENEW = 0.0;  // total energy of the current and the trial configuration
  PerState EXXNEW{}, EXXOLD{};    // solute-solute energy EXX (includes the harmonic restraints)
  PerState ESONE{}, ESOLD{};      // solute-solvent energy ESX
  PerState EPONEW{}, EPOOLD{};    // polarisation energy
  // Solvent-solvent energy E(Solvent-Solvent): the sum of the stored pair energies.
  double ESSNEW = 0.0, ESSOLD = 0.0;
  double ECUT = 0.0;  // long-range Lennard-Jones correction of the solvent ("CUTOFF E=")
  // Coulomb and Lennard-Jones parts of the selected solute's solute-solvent energy.
  double ESXCNE = 0.0, ESXCOL = 0.0, ESXLNE = 0.0, ESXLOL = 0.0;
  // Coulomb and Lennard-Jones parts of the selected solute's solute-solute energy.
  int selected = 1;
  double EXXC = 0.0, EXXL = 0.0;
};

}  // namespace veka
