// Bond orders of the solutes' covalent bonds for the MOL writer (`BondOrders`), from atomic
// numbers, the two-character force-field types of the reference state and the
// covalent-neighbour list. The first rule that applies gives the order:
//
//   1. Either atom H, F, Cl, Br or I: 1.
//   2. Either type "CT", "CY", "C+", "NT", "N ", "N$", "NA" or "N*"; both "C!"; both "C ";
//      "CA" or "C#" against "NC"; "CA" against "C#": 1.
//   3. Both types "C=" or "N=" with fewer than four "C="/"N=" atoms among the neighbours
//      of the two (the single bond between two conjugated double bonds): 1. Both types
//      aromatic (`iarom`) and the bond in no ring (the link between two ring systems): 1.
//   4. Oxygen on either side: 2 for "O ", "ON", "OY", 4 (aromatic) for "O2", else 1.
//      Sulfur: 2 for "S=", else 1. Phosphorus: 1.
//   5. The remaining bonds between carbon and nitrogen atoms follow one assignment of
//      double and triple bonds over each conjugated system (a Kekule structure for
//      aromatic rings). Each carbon (valence 4) and nitrogen (valence 3) whose type is not
//      one of the saturated types of rule 2 has
//        free valence = valence - covalent neighbours - double bonds given by rule 4
//      (none when rule 4 gave it an aromatic bond). Bonds of rule 5 between atoms with
//      free valence are raised by one order per unit of valence used, so that every atom's
//      free valence is used up exactly: an aromatic six-membered ring gets orders 2 and 1
//      in turn, naphthalene one of its Kekule structures, an alkene 2, a nitrile or alkyne
//      3. The assignment is searched depth first, always continuing at the atom with the
//      fewest open bonds (lowest number first), trying its bonds in neighbour order; it is
//      deterministic. A system that has no complete assignment (or whose search exceeds a
//      fixed budget) gets a greedy one in atom order, and every other bond of rule 5 is 1.
//
// Orders are 1, 2, 3 or 4. The assignment is made per call over all solutes; the MOL
// writer makes one `BondOrders` and asks it for every bond.
#pragma once

#include <vector>

#include "state/state.hpp"

namespace veka {

// 1 when atom i's reference force-field type is one of the aromatic types "CA", "CB",
// "CS", "CW", "CU", "C!", "CV", "CR", "CC", "CN", "CK", "CQ", "C*", "NB", "NC", "N*",
// "OA", "SA"; else 0.
int iarom(const State& s, int i);

class BondOrders {
 public:
  explicit BondOrders(const State& s);
  // Order of the bond between covalent neighbours i and j (1 for atoms that are not
  // neighbours).
  int order(int i, int j) const;

 private:
  int fixedOrder(int i, int j) const;  // rules 1-4; 0 when none applies
  bool inRing(int i, int j) const;
  int slot(int i, int j) const;  // index of j in i's neighbour list, or -1
  void assign();
  bool seen(int i) const;
  std::vector<int> system(int start);
  bool available(int a, int k) const;
  void raise(int a, int k, int delta);
  bool search(const std::vector<int>& atoms, long& budget);
  void greedy(const std::vector<int>& atoms);

  const State& s_;
  int n_ = 0;
  std::vector<int> free_;                // free valence left, per atom (index 1..n)
  std::vector<std::vector<int>> extra_;  // order above 1 of each neighbour bond
  std::vector<std::vector<char>> open_;  // neighbour bond may take a higher order
  std::vector<char> placed_;             // atom already placed in a conjugated system
};

}  // namespace veka
