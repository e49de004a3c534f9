// The structure-writer tests set up their solutes as gas-phase jobs (energy/gas_job.hpp).
#pragma once

#include <string>

#include "energy/gas_job.hpp"

namespace veka::test {

using WriterJob = GasJob;

// Text of a file of tests/results/data.
inline std::string resultsData(const std::string& name) {
  return readFile(testData("results/data/" + name));
}

}  // namespace veka::test
