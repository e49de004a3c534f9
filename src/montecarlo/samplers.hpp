// Periodic samples of the block loop: solute-solvent hydrogen bonds and the system's
// dipole moment, taken every 5 x NSCHG configurations and summed in the in-file counters
// (Mcrec: hbSamples, IHB, hbDonor, hbAcceptor, dipoleSum).
//
// Hydrogen bond: a hydrogen covalently bound to N or O (the donor) and an N or O acceptor
// of the other partner, with H...acceptor at most 2.5 A and the donor-H...acceptor angle at
// least 120 degrees. Solute hydrogens take their donor from the solute's covalent
// neighbours; a solvent hydrogen site is bound to the nearest heavy site of its molecule.
// Elements are the atomic numbers of the solute atoms (reference state) and of the solvent
// sites. Distances use the minimum image of each solvent molecule (chosen from its first
// site), like the solute-solvent energy. Only molecules of the first solvent are searched.
//
// Dipole: the vector sum of the solutes' dipole (reference state, about their centre of
// mass) and every solvent molecule's dipole about its first site (molecules are whole);
// its magnitude in debye is summed.
#pragma once

#include "state/state.hpp"

namespace veka {

struct HbondCount {
  int donor = 0;     // solute H to a solvent acceptor
  int acceptor = 0;  // solvent H to a solute acceptor
};

HbondCount countHbonds(const State& s);
double systemDipole(const State& s);  // debye

// Clears the counters when the run's counters were zeroed (NACCPT 0).
void startSamplers(State& s);
// One sample of both into the counters (hydrogen bonds only with solvent).
void samplePeriodic(State& s);

}  // namespace veka
