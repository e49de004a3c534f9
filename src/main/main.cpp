// VEKA: Monte Carlo simulation, free-energy perturbation, gas-phase optimisation, normal
// modes and conformational searches of organic and biomolecular solutes.
#include "main/entry.hpp"

int main(int argc, char** argv) {
  return veka::runProgram(argc, argv);
}
