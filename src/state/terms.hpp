// Term lists of the solute intramolecular energy: bonds (`bndcom`), angles (`angcom`),
// dihedrals (`dihcom`), the nonbonded pair list (`nbcom`), covalent neighbours
// (`covnbr`) and the harmonic restraints (`nbcon`).
//
// Each list holds its variable (Z-matrix) entries first, then the additional ones.
// Per-state arrays are indexed [s] with s = 0 reference, 1 and 2 the perturbed solutes.
#pragma once

#include <array>
#include <cstdint>

#include "state/array.hpp"
#include "state/capacities.hpp"
#include "state/energy.hpp"

namespace veka {

struct Bndcom {
  int NBND = 0;                      // bonds in the list
  int NVBND = 0;                     // leading entries that are Z-matrix bonds (variable bonds)
  Array1<int, MAXBND> IB1{}, IB2{};  // atoms; for a variable bond the atom and its bond partner
  // A dependent variable bond copies the value of the independent variable bond whose list
  // index IBDEP holds (0 = independent); likewise IADEP and IDDEP.
  Array1<int, MAXBND> IBDEP{};  // dependent copy of this variable bond (0 = independent)
  std::array<Array1<double, MAXBND>, 3> RB0{}, KB{}, RB{};  // r0, k, current r per state
  Array1<double, MAXBND> DBND{}, DBMX{};  // Monte Carlo step and maximum displacement (A)
  PerState EBNDNE{}, EBNDOL{};            // trial and current energies of the three states
};

struct Angcom {
  int NANG = 0;
  int NVANG = 0;
  // A variable angle is (atom, bond partner, angle partner).
  Array1<int, MAXANG> IA1{}, IA2{}, IA3{};  // IA2 is the vertex
  Array1<int, MAXANG> IADEP{};
  std::array<Array1<double, MAXANG>, 3> TH0{}, KA{}, TH{};  // theta0 (rad), k, current theta
  Array1<double, MAXANG> DANG{}, DAMX{};                    // step and maximum displacement (rad)
  Array1<double, MAXANG> cosTh{};  // work: cosines of the angles computed from coordinates
  PerState EANGNE{}, EANGOL{};     // trial and current energies of the three states
};

struct Dihcom {
  int NDIH = 0;
  int NVDIH = 0;
  // A variable dihedral is (dihedral partner, angle partner, bond partner, atom). A step
  // of -1 (maximum displacement -2) asks for the automatic step.
  Array1<int, MAXDIH> ID1{}, ID2{}, ID3{}, ID4{};
  Array1<int, MAXDIH> ITOR0{}, ITOR1{};  // torsion types of the reference and final state
  Array1<int, MAXDIH> IDDEP{};
  Array1<std::uint8_t, MAXDIH> improper{};
  std::array<Array1<double, MAXDIH>, 3> V1{}, V2{}, V3{}, V4{};  // kcal/mol
  std::array<Array1<double, MAXDIH>, 3> F1{}, F2{}, F3{};        // phases (rad)
  std::array<Array1<double, MAXDIH>, 3> PHI{};                   // current dihedral (rad)
  Array1<double, MAXDIH> DDIH{}, DDMX{};  // step and maximum displacement (rad)
  // Flip moves of the solute moves: flip size of each variable dihedral (rad, 0 = none);
  // the flip dihedrals, the selections of a flip dihedral since its last flip, the flip
  // attempts (negated by a solute move that attempts one, until the block loop decides
  // it) and the rejected flips.
  Array1<double, MAXDIH> FLIP{};
  int NFLIPD = 0, flipVisits = 0, flipTried = 0, flipRejected = 0;
  // Histories of the first NHISD dihedrals of the list: every `histInterval` solute moves
  // (counted in histMoves) the 48-bin bin of each, entry `histIndex` of its row.
  int histInterval = 1, histMoves = 0, histIndex = 0;
  Array2<std::uint16_t, NHISD, MAXHIS> hist{};
  int constV4 = 0;       // torsion table layout 0: V4 is a constant term
  double chop = 1.0e10;  // torsion chop value (kcal/mol); 1e10 = none
  // Work arrays of the torsion energy: sin and cos of the current dihedrals of one state.
  Array1<double, MAXDIH> sinPhi{}, cosPhi{};
  Array1<double, MAXDIH> argY{}, argX{};  // work: arctangent arguments of computed dihedrals
  PerState EDIHNE{}, EDIHOL{};            // trial and current energies of the three states
};

struct Nbcom {
  int NPAIR = 0;
  Array1<std::int16_t, MAXPAIR> NBI{}, NBJ{};  // i < j
  Array1<std::uint8_t, MAXPAIR> I14{};         // 1-4 pair: all bits set, else 0
  Array1<std::uint8_t, MAXPAIR> EWX{};         // 1-2/1-3 pair kept only for the Ewald correction
  double CUTNB = 16.0;
  // Work arrays of the pair energy, by atom of the state evaluated: (x, y, z, charge) of
  // atom i at 4 i and (A, C) at 2 i, so that one atom's values are adjacent.
  std::array<double, 4 * (MAXATM + 1)> wxyzq{};
  std::array<double, 2 * (MAXATM + 1)> wac{};
  // Work arrays of the pair-list builder: marks of the atoms after the current one
  // (element j for atom j), so that rebuilding the list allocates nothing.
  std::array<std::uint8_t, MAXATM + 1> markIncluded{}, markNear{}, mark14{}, markEwald{};
  PerState ENBNE{}, ENBOL{};  // trial and current energies of the three states
};

struct Covnbr {
  // Neighbours of atom i in NEB(1..MAXNEB, i); 0 = empty slot.
  Array2<std::int16_t, MAXNEB, MAXATM> NEB{};
  Array1<int, MAXATM> NNEB{};  // neighbours of each atom
  int NBONDS = 0;              // bonded pairs, each counted once
  // Work arrays of the builder: bond-list partners of each atom in compressed rows
  // (partners of atom i at bpartner(bstart(i)+1 .. bstart(i+1))) and a mark per atom.
  Array1<int, MAXATM + 1> bstart{};
  Array1<int, 2 * MAXBND> bpartner{};
  Array1<std::uint8_t, MAXATM> mark{};
};

struct Nbcon {
  int NBC = 0;
  Array1<int, MAXBC> IBC{}, JBC{};  // atoms; 9999 marks position / centroid forms
  Array1<double, MAXBC> RBC0{}, PBC1{}, PBC2{}, PBC3{};
  PerState EBCNEW{}, EBCOLD{};  // trial and current energies of the three states
};

}  // namespace veka
