// The table of solvent models: five-character model name -> solvent code and number of
// interaction sites per molecule.
#pragma once

#include <string_view>

namespace veka {

struct SolventModel {
  int code = 0;   // 0 = not a known model
  int sites = 0;  // interaction sites per molecule (solvent code 20: from its own file)
  bool gbsa = false;
};

inline constexpr int kSolventOther = 20;
inline constexpr int kSolventNone = 99;

// Looks up a model name compared as five characters (case included). Unknown names give
// code 0 with three sites; "OTHER" gives code 20 whose sites come from the solvent
// Z-matrix file.
SolventModel slvmod(std::string_view name5);

}  // namespace veka
