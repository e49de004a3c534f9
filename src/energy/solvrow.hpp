// The row of one solvent molecule: its pair energies with a list of other solvent
// molecules (all of them, or a neighbour list), as a solvent move needs them.
//
// Two passes. The cutoff pass takes every candidate's cutoff distance: for a water pair the
// first-site separation, for other pairs the smallest separation between cutoff sites,
// each built with the minimum image per axis (|d| less one edge when |d| exceeds the half
// edge; never along z in a slab) and summed in the order z, x, y; it keeps the candidates
// with r^2 <= RCUT^2. The term pass then adds the site-site terms of the kept molecules:
//   water pair:  E = (AOO / r^6 - COO) / r^6 on the cutoff r^2, then for each charged
//                pair, with the stored molecule moved to the image of its first site
//                (u = x_j + s, s = +-edge on an axis where the first sites' separation
//                exceeds the half edge), q_i q_j / r (reaction field: q_i q_j (1/r +
//                k_rf r^2)); the first-site separation is formed again here, which costs
//                less than keeping it for every candidate
//   other pairs: for each pair of active sites, each axis with its own minimum image,
//                (A_i A_j / r^6 - C_i C_j) / r^6 when A_i A_j is not 0, then the Coulomb
//                term when q_i q_j is not 0
// with 1/r = sqrt(1/r^2) and r^2 summed as z, x, y; and E times (RCUT^2 - r^2) /
// (RCUT^2 - (RCUT - 0.5)^2) once the cutoff r^2 reaches the feathering start.
//
// The stopping test of the reference pair routines (one axis at a time, stop once the
// partial sum exceeds RCUT^2) decides alike: partial sums of squares never decrease, so a
// sum that passed RCUT^2 early stays above it. Every width (one candidate at a time, 4 or 8
// with AVX2 or AVX-512) does the same IEEE operations in the same order per pair, without
// fused multiply-adds, and sums the pair energies alike, so all give the same row and the
// same sum to the last bit.
//
// Nothing here allocates: the caller supplies the work buffers. The files are compiled
// with -ffp-contract=off, so that a build for a target with FMA keeps this.
#pragma once

#include <cstddef>
#include <cstdint>

#include "state/solvent_energy.hpp"

namespace veka {

struct RowBox {
  double edge[3] = {}, half[3] = {};  // x, y, z
  int slab = 0;                       // no image along z
  double rc2 = 0.0;                   // RCUT^2
  double featherStart = 1.0e20;       // (RCUT - 0.5)^2, or 1e20 without smoothing
  double featherDen = 1.0;            // RCUT^2 - (RCUT - 0.5)^2
  int rf = 0;                         // reaction field
  double krf = 0.0;
};

// Work buffers, each of at least (number of candidates + 16) entries: the kept molecules,
// their cutoff r^2 (other than water pairs) and pair energies; candidates split by solvent.
struct RowWork {
  int *idx, *list1, *list2;
  double *r2, *e;
};

struct SolventRowInput {
  // The moving molecule: site k at x[(k - 1) * stride].
  const double *mx = nullptr, *my = nullptr, *mz = nullptr;
  std::ptrdiff_t mstride = 1;
  // The stored molecules: site k of molecule n at X[(k - 1) * ld + n - 1].
  const double *X = nullptr, *Y = nullptr, *Z = nullptr;
  std::ptrdiff_t ld = 0;
  // Solvent of molecule n at kinds[n - 1] (2: the second solvent, anything else the
  // first); null when every molecule belongs to the first solvent.
  const std::uint8_t* kinds = nullptr;
  // The terms with stored molecules of solvent 1 and of solvent 2.
  const SolventPairTable* table[2] = {nullptr, nullptr};
  RowBox box;
  // Candidates: list[0 .. count - 1] (molecule numbers), or, when list is null, the
  // molecules first..last except `skip`.
  const std::int16_t* list = nullptr;
  int count = 0;
  int first = 1, last = 0, skip = 0;
  double* out = nullptr;  // the pair energy with candidate n goes to out[n - 1]
  RowWork work{};
};

// Writes every candidate's pair energy (0 beyond the cutoff) and returns their sum.
// `width` limits the molecules computed at once (1, 4, 8; 0: the widest available). When
// `kept` is given it receives the number of candidates within the cutoff, whose molecule
// numbers and energies are then work.idx[0..kept-1] and work.e[0..kept-1].
double solventRow(const SolventRowInput& in, int width, int* kept = nullptr);

}  // namespace veka
