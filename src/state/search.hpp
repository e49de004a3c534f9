// Records of the conformational search (`csrch`): what a search samples, the kick
// settings, the chirality reference, the atoms the duplicate test compares, and the store
// of distinct conformers that UPFILE keeps between runs.
#pragma once

#include <cstdint>
#include <vector>

#include "state/array.hpp"
#include "state/capacities.hpp"
#include "state/rands.hpp"
#include "state/solute.hpp"

namespace veka {

struct Csrch {
  // Sampled coordinates of a Monte Carlo search: the Z-matrix atom, the kind (1 bond,
  // 2 angle, 3 dihedral), the optimiser variable that holds it and the range (A or
  // degrees; a dihedral with Min = Max samples 0..360).
  int nsamp = 0;
  Array1<int, MAXOPT> sampAtom{}, sampKind{}, sampVar{};
  Array1<double, MAXOPT> sampMin{}, sampMax{};

  // Kicks of a stochastic search.
  int NFIX = 0;
  double RADIUS = 0.0, PUSH = 0.0, HWIDTH = 0.0;

  // Chirality reference: the centres (atoms with at least four bonded neighbours), their
  // first four neighbours and the code ('0', '1', '2') of the initial geometry.
  int nchi = 0;
  Array1<int, MAXCHI> chiAtom{};
  Array2<int, 4, MAXCHI> chiNeb{};
  Array1<char, MAXCHI> chiRef{};

  // Atoms of the duplicate test: real atoms that are not hydrogens bound to a carbon.
  int ncmp = 0;
  Array1<int, MAXATM> cmpAtom{};

  // The store, sorted by increasing energy. Values of conformer k are
  // values[(k - 1) * nvar .. k * nvar - 1], in the order of the optimiser's variables.
  // Every number is kept as UPFILE writes it (E12.5), so a continued search goes on
  // exactly as an uninterrupted one.
  int NCONF = 0;
  int nvar = 0;
  bool placeholder = false;  // conformer 1 is the unminimised start geometry
  Array1<double, MAXCNF> energy{}, r2{};
  Array1<int, MAXCNF> Nopt{}, Nuse{};
  std::vector<double> values;  // MAXCNF * nvar, allocated at the start of a search

  // Tries: requested and done in this run, done by the runs before it.
  long long requested = 0, done = 0, previous = 0;
  // Stream state stored with the conformers, restored on continuation when present.
  bool streamStored = false;
  Rands stream;

  // Work, allocated with the store: coordinates of a stored conformer (scratch[0]) and
  // of a kick's seed (scratch[1]); compared atoms of a stored conformer (w) and of the
  // geometry tested (v); a copy of the optimiser's variables; the codes of a geometry.
  std::vector<Xyz> scratch;
  std::vector<double> wx, wy, wz, vx, vy, vz, xsave;
  Array1<char, MAXCHI> chiWork{};
};

}  // namespace veka
