// Program entry: the command line, the environment, the fourteen files and the
// dispatch by run mode.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "state/state.hpp"

namespace veka {

// Looks up an environment variable; nullopt when it is not set.
using EnvLookup = std::function<std::optional<std::string>(const std::string&)>;

// Reads the job code, MXCON, RC0-RC2 and the file options into the state; file names
// still blank are taken from the environment. Writes the usage lines and returns false
// when there is no job code. A number that does not read raises fmt::InputError.
bool readCommandLine(State& s, const std::vector<std::string>& args, const EnvLookup& env);

// Opens the fourteen files in their fixed order; writes the open-failure lines and
// returns false at the first failure.
bool openUnits(State& s);

// The whole program; returns the process exit status.
int runProgram(int argc, char** argv);

// The name of file k (1..14) in the order of the option table, and its unit.
struct FileSlot {
  const char* option;   // "-ot", ...
  const char* envName;  // "OUTPUT", ...
};
const std::vector<FileSlot>& fileSlots();

}  // namespace veka
