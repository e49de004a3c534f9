#include "molecule/solvent_models.hpp"

#include <array>

#include "state/array.hpp"

namespace veka {

SolventModel slvmod(std::string_view name5) {
  struct Entry {
    const char* name;
    int code, sites;
  };
  static constexpr std::array<Entry, 13> kTable = {{
      {"TIP4P", 2, 4},
      {"TIP3P", 1, 3},
      {"CH3OH", 3, 3},
      {"CH3CN", 4, 3},
      {"MEOME", 5, 3},
      {"C3H8 ", 6, 3},
      {"CHCL3", 7, 4},
      {"MECL2", 8, 3},
      {"THF  ", 9, 5},
      {"ARGON", 10, 1},
      {"CCL4 ", 11, 5},
      {"DMSO ", 12, 4},
      {"TIP5P", 13, 5},
  }};
  const Chars<5> name(name5);
  for (const Entry& e : kTable)
    if (name == e.name) return {e.code, e.sites, false};
  if (name == "OTHER") return {kSolventOther, 0, false};
  if (name == "GBSA " || name == "GB/SA") return {kSolventNone, 0, true};
  if (name.blank() || name == "NONE ") return {kSolventNone, 0, false};
  return {0, 3, false};
}

}  // namespace veka
