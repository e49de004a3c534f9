// The pair loop of the intramolecular energy: the Coulomb plus Lennard-Jones energy summed
// over a pair list, with the atoms' coordinates and parameters packed side by side.
//
// Per pair (i, j) of kind k (bit 0: 1-4 pair, bit 1: kept only for an Ewald correction):
//   r^2 = max(|x_i - x_j|^2, 1e-6),  E = sc[k] q_i q_j / r + sl[k] (A_i A_j / r^6 - C_i C_j) / r^6
// The energies of a block of 256 pairs go into a buffer, which is added into four partial
// sums (pairs 4m, 4m+1, 4m+2, 4m+3 into sums 0..3). Where the processor has AVX-512 or
// AVX2 the pair energies are computed 8 or 4 at a time, with the same IEEE operations in
// the same order as the loop that takes one pair at a time (no fused multiply-add), so
// that every width gives the same sum to the last bit. (A build that lets the compiler
// fuse operations in the one-at-a-time loop, e.g. with -march=native, loses that.)
#pragma once

#include <cstdint>

namespace veka {

struct PairInput {
  const double* xyzq;           // x, y, z, charge of atom i at 4 i
  const double* ac;             // A, C of atom i at 2 i
  const std::int16_t *pi, *pj;  // the pair list: atoms (1-based)
  const std::uint8_t *f14, *ewx;
  double sc[4], sl[4];  // Coulomb and Lennard-Jones scale factors by kind
};

inline constexpr double kPairR2Floor = 1.0e-6;  // lower bound of r^2 (A^2)

// Sum over pairs 0..npair-1 of the arrays. `width` limits the number of pairs computed at
// once (1, 4, 8; 0: the widest the processor has).
double pairSum(const PairInput& in, int npair, int width);

}  // namespace veka
