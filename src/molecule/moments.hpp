// Electric moments of the solutes: the dipole and the traceless quadrupole of the charges
// of the real atoms of one solute state about its centre of mass (atomic weights of the
// state's atom types).
#pragma once

#include <array>

#include "state/state.hpp"

namespace veka {

inline constexpr double kDebyePerEA = 4.80320;  // debye per (elementary charge x A)

// Charge-weighted first and second moments of solute state st about the centre of mass.
struct Moments {
  std::array<double, 3> dipole{};      // e A
  std::array<double, 6> quadrupole{};  // XX, XY, XZ, YY, YZ, ZZ, e A^2 (traceless)
};

// The moments of solute state st (0 reference, 1, 2 perturbed).
Moments moments(const State& s, int st);

// Dipole moment (debye) of solute state st: the length of the dipole of `moments`.
double dipoleMoment(const State& s, int st);

}  // namespace veka
