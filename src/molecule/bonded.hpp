// Bonded parameters of the solute term lists: bond stretching and angle bending from the
// bond-and-angle file BANGFIL, Fourier torsions from the torsion-type table of PARFILE.
//
// BANGFIL: bond records (A2,1X,A2,2F10.4: types, K in kcal/mol/A^2, R0 in A) up to the
// first record whose columns 1-2 are blank, then angle records (A2,1X,A2,1X,A2,2X,2F10.3:
// types with the vertex in the middle, K in kcal/mol/rad^2, theta0 in degrees) up to the
// next such record.
//
// Torsion-type table: after the atom-type table of PARFILE (found by passing 84 records,
// then reading to a record whose columns 1-3 read 0), one record that is passed over, one
// record with the layout code in column 9, then torsion records I3,2X,4(F8.4,1X,I1),2X,
// 4(A2,1X): type, four (coefficient, phase code) groups, the four force-field types i-j-k-l
// ("?" is a wildcard). Layout code nonzero: the groups are V1..V4; layout code 0 or blank:
// the first group is a constant energy term held as V4 and the next three are V1..V3. The
// phase of term n is its code times 90 degrees. "#" records are comments anywhere after
// the atom-type table; blank records in the torsion section are passed over.
//
// Lookups behave as if each one reread its file from the top: the files are read once per
// assignment and their records are parsed in file order only as far as a lookup needs.
#pragma once

#include <array>
#include <deque>
#include <string>
#include <vector>

#include "molecule/fftables.hpp"
#include "state/state.hpp"

namespace veka {

struct BondRecord {
  FfType a, b;
  double K = 0.0, R0 = 0.0;
};
struct AngleRecord {
  FfType a, b, c;  // b is the vertex
  double K = 0.0, th0 = 0.0;
};
struct Torsion {
  std::array<double, 4> V{};  // V1..V4, kcal/mol
  std::array<double, 3> f{};  // phases of terms 1..3, radians
};
struct TorsionRecord {
  int type = 0;
  Torsion p;
  std::array<FfType, 4> t;
};

// The bond-and-angle file and the torsion-type table of one parameter assignment.
class BondedTables {
 public:
  explicit BondedTables(State& s) : s_(s) {}
  State& state() { return s_; }

  // Record n (0-based) of the bond section, the angle section and the torsion section;
  // nullptr past the end of the section.
  const BondRecord* bond(std::size_t n);
  const AngleRecord* angle(std::size_t n);
  const TorsionRecord* torsion(std::size_t n);
  // Layout code of the torsion table (0: constant fourth term).
  int torsionLayout();

 private:
  struct Raw {
    std::string text;
    long record = 0;
  };
  void loadBangfil();
  void loadTorsions();
  fmt::Origin origin(const Unit& u, const Raw& r) const;

  State& s_;
  bool bangLoaded_ = false, torLoaded_ = false;
  std::vector<Raw> bondRaw_, angleRaw_, torRaw_;
  std::deque<BondRecord> bonds_;  // deques: records stay in place as more are parsed
  std::deque<AngleRecord> angles_;
  std::deque<TorsionRecord> torsions_;
  int layout_ = 0;
};

struct BondParam {
  double K = 0.0, R0 = 0.0;
};
struct AngleParam {
  double K = 0.0, th0 = 0.0;  // theta0 in degrees
};

// Bond parameters of force-field types (a, b) with the atomic numbers of the two atoms.
// `code` returns the stage that gave them: 1 direct, 2 synonym of a, 3 synonym of b, 4
// both synonyms, 5 estimate from covalent radii and electronegativities, or a "DM" type
// (no parameters).
BondParam bndget(BondedTables& tb, const FfType& a, const FfType& b, int za, int zb, int& code);

// Angle parameters of types (a, b, c) with vertex b. `code`: 1 direct, 2..6 synonym
// stages, 7 estimate (average over the records of the vertex type, or the default
// K = 63.0, theta0 = 112.4); 5 also for a "DM" type (no parameters).
AngleParam angget(BondedTables& tb, const FfType& a, const FfType& b, const FfType& c, int& code);

// Parameters of torsion type `type` (> 0) from the table; a type missing from it stops the
// run with "Missing Entry in the Parameter File for Torsion Type" and the type.
Torsion torsionOfType(BondedTables& tb, int type);

// Torsion parameters of dihedral i-j-k-l with force-field types t. A type of 0 gives no
// torsion, a positive type is read from the table (stops when missing), a negative type
// is assigned automatically and returned in `type`. `improper` is set when l is a
// covalent neighbour of j or i one of k.
Torsion dihget(BondedTables& tb, int i, int j, int k, int l, const std::array<FfType, 4>& t,
               int& type, bool& improper);

}  // namespace veka
