// Stored solvent boxes and the solvent start-up from them.
//
// A box file holds several boxes one after another. A box is a header line I4,3F12.8
// (molecules; half edges along x, y, z in A) followed by its coordinates as one continuous
// list in 6F13.8, site by site: the x of all molecules for site 1, then their y, then their
// z, then the same for site 2, and so on. Water boxes store four sites per molecule, the
// organic boxes the sites of their solvent. The box is found by its solvent and size at a
// fixed number of lines from the top of its file:
//
//   WATERFILE  TIP3P TIP4P TIP5P   216 250 267 324 400 512 750  after 0 433 934 1469 2118
//                                                               2919 3944 lines
//   ORG1FIL    CH3OH  128 267 400 after 0 193 595;       CH3CN 1196 1389 1791;
//              MEOME 2392 2581 2983; C3H8 3584 3777 4179; CHCL3 4780 5037 5572;
//              MECL2 6373 6566 6968
//   ORG2FIL    THF 0 321 990; ARGON (and a solvent of its own file) 1991 2056 2191;
//              CCL4 2392 2713 3382; DMSO 4383 4640 5175
//
// An organic size of 125 or 192 reads the first box (128 molecules; MEOME's first box
// holds 125): 125 only for MEOME, 192 for any organic solvent but MEOME.
//
// How the box is filled (`placeSolvent`):
//   - TIP3P reads the first three of the four stored sites, TIP4P all four; TIP5P reads
//     three and builds its two lone pairs on each oxygen: 0.70 A from it, 109.47 degrees
//     apart, in the plane through the HOH bisector normal to the molecular plane.
//   - A solvent of its own Z-matrix file takes the centres of the argon box of the size: the
//     molecule is built from its Z-matrix and centred on the mean of its sites, every copy
//     in that one orientation; the argon centres and edges are spread by
//     f = max(1, (D + 2.5) / 3.8), D the largest distance between two of its sites (3.8 A
//     is the contact distance of two argon atoms), so that neighbours do not overlap.
//   - Size 192: the 128-molecule box grows along z to 1.5 times its x edge with the half
//     of its molecules (by the z of their first site, lowest first) taken from its periodic
//     image above; the box is centred again on the origin.
//   - NMOL 9999 (automatic box): the 512 water or 267 organic box is read; the half edge
//     along each axis is the largest |coordinate| of the real solute atoms (reference
//     state) plus the solvent layer of the command section (7 A when not positive; the cap
//     radius with a cap). The stored box is repeated 3 x 3 in x and y (further when the new
//     box is wider than three stored boxes) and in as many layers along z as cover the new
//     box; a molecule is kept when its first site lies inside (boundaries included). A box
//     that would need more than a million replicas stops as one with too many molecules.
//   - Second solvent: NMOL2 molecules chosen by `ranint` are replaced by molecules of the
//     second solvent, the k-th by molecule ((k-1) mod n) + 1 of the second solvent's first
//     stored box (n molecules; or its Z-matrix molecule), moved so that the means of the
//     sites coincide.
#pragma once

#include <array>
#include <vector>

#include "state/state.hpp"

namespace veka {

// Where one box lies: the file, the lines before it, the sites stored and the sites read.
struct BoxSource {
  Unit* unit = nullptr;
  int skip = 0;
  int storedSites = 0;
  int readSites = 0;
};

// The file and the box of a solvent code (1..13, 20) and stored-box size. Any other size
// stops with " UNAVAILABLE BOX SIZE REQUESTED IN ZSTART - ABORTED".
BoxSource chooseBox(State& s, int code, int size);

// A box as read: coordinates of site k of molecule i at [(k - 1) n + i - 1].
struct StoredBox {
  int n = 0;
  int sites = 0;
  std::array<double, 3> half{};
  std::vector<double> x, y, z;
  double& at(std::vector<double>& v, int i, int k) {
    return v[static_cast<std::size_t>((k - 1) * n + i - 1)];
  }
};

// Reads the box: skips the lines before it, reads the header and the coordinates of the
// sites read. A header whose molecule count is not within 1..MXS or with a half edge that is
// not positive, and a file that ends early, are input errors.
StoredBox readStoredBox(const BoxSource& src);

// The solvent start-up from the stored boxes: reads and builds the first solvent's box
// (the cases above), the automatic box, and the second solvent. Leaves the coordinates,
// edges and per-molecule solvent of `coord`, NMOL = the molecules placed, and in `slvbox`
// the NMOL asked for. Nothing happens without a solvent or with NMOL 0. Stops: " **
// MAX # OF SOLVENT MOLECULES EXCEEDED IN BIGBOX **" with "MXS =" when a box holds more
// than MXS molecules; "TOO MANY SOLVENT 2 MOLECULES - UP NLIM2 & RECOMPILE" for more than
// NLIM2 molecules of the second solvent.
void placeSolvent(State& s);

// Lone pairs of a TIP5P molecule from its oxygen o and hydrogens h1, h2.
void tip5pLonePairs(const double o[3], const double h1[3], const double h2[3], double l1[3],
                    double l2[3]);

}  // namespace veka
