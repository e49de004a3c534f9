#include "optimize/structures.hpp"

#include "results/singlepoint.hpp"
#include "results/zmatout.hpp"

namespace veka {

void writeZmatrix(State& s, Unit& out, double energy) {
  writzm(s, out, energy);
}

void writeStructureFiles(State& s, double energy) {
  writeStructureFile(s, energy);
}

}  // namespace veka
