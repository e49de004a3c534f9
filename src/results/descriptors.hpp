// Counts over the solutes' atoms and covalent bonds for the summary file. Atoms are the
// real (non-dummy) solute atoms with their reference atomic numbers; bonds are the
// covalent-neighbour pairs; "terminal" means one neighbour; heavy means not hydrogen.
//
//   donors      hydrogens bound to N or O
//   acceptors   O atoms, and N atoms with fewer than four neighbours that are neither amide
//               nor nitro N
//   protonatedN N atoms with four neighbours
//   nitro       N atoms bound to two terminal O atoms
//   acids       C atoms bound to exactly two O atoms, one terminal and the other terminal
//               or bound to H (carboxylic acids and carboxylates)
//   amides      C-N bonds whose C also carries a terminal O
//   rotors      bonds of order 1 (the MOL writer's bond orders) in no ring, between two
//               atoms with at least two heavy neighbours each, neither of them in a triple
//               bond, that are not amide C-N bonds
//   sxInts      solvent molecules whose current solute-solvent energy is below Ecut
#pragma once

#include "state/state.hpp"

namespace veka {

inline constexpr double kSxEcut = -2.0;  // kcal/mol

struct Descriptors {
  int donors = 0, acceptors = 0, protonatedN = 0, nitro = 0, acids = 0, amides = 0, rotors = 0,
      sxInts = 0;
};

Descriptors descriptors(const State& s);

}  // namespace veka
