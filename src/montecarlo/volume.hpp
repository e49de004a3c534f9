// The volume move of a constant-pressure simulation and its undoing.
//
// The move scales the box isotropically (every edge by (VNEW / VOLD)^(1/3)) or, with VXYZ,
// one edge chosen at random (x or y only in a slab). Each solvent molecule moves rigidly
// with its first site, which scales with the box; the solutes move together with the
// midpoint of the reference solute's two centre atoms. The whole energy of the new box is
// then recomputed: every stored pair energy, every molecule's solute-solvent energies and
// the long-range correction.
#pragma once

#include "state/state.hpp"

namespace veka {

// Trial volume move: VNEW, the scaled box and coordinates (changed in place; the old box
// is kept in s.npt), ENEW, ESONE, ESXCNE, ESXLNE and ESSNEW of the new box, the stored
// pair energies and per-molecule solute-solvent energies, the trial preferential weights.
// The sampled (monitor) molecule's pair energies are those of the new box. Leaves the move
// kind at 1.
void volumeMove(State& s);

// Undoes a rejected volume move: the old box, every molecule and solute shifted back, and
// the stored pair energies and per-molecule solute-solvent energies of the old box.
void rejectVolumeMove(State& s);

// Every pair energy and every molecule's solute-solvent energies of the current box
// (ESSNEW, ESONE, ESXCNE, ESXLNE and the trial preferential weights); returns their total.
double recomputeSolution(State& s);

}  // namespace veka
