// Listing of the radial distribution functions at the end of a block.
#pragma once

#include "state/state.hpp"

namespace veka {

// g(R) of every set counted (Mcrec::IRDF1 solvent-solvent, IRDF2 solute-solvent; sets as
// the block loop counts them) from `weight` configurations at the mean volume `volume`:
// g = counts / (weight * rho * shell volume), with rho = NMOL / volume (with a solvent cap,
// NMOL over the cap sphere) and the ideal-gas shell volume 4 pi / 3 ((R + dR)^3 - R^3) of
// each bin. "Radial Distribution Functions" lists g at the bin centres, first the
// "Solute-Solvent" sets (solute atom - solvent site), then the "Solvent-Solvent" sets;
// "Gamma(R) and Coordination Numbers" lists the running sums CN(R) of g times the shell
// volume (A^3), so that CN times the atom density rho is the number of sites within R.
void listRdf(State& s, double volume, double weight);

}  // namespace veka

namespace veka {

// The same g(R) as plain columns for plotting: a "# R sx:atom-site ... sv:site-site ..."
// head, then one row per bin (centre, then g of each set).
void writeRdfColumns(State& s, Unit& u, double volume, double weight);

}  // namespace veka
