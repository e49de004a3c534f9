// Command sections for tests: the 71 lines of a valid command section (a gas-phase job on
// a Z-matrix solute with no solvent, tests/support/data/command_section.txt) with any data
// line replaced, so that a test states only the settings it is about.
#pragma once

#include <map>
#include <string>

namespace veka::test {

// The 71 lines of a command section, each data line of record n (1..35) taken from
// `records` when present there, else the default. A parameter file continues with the
// force-field file, whose two header lines are lines 72 and 73.
std::string commandSection(const std::map<int, std::string>& records = {},
                           const std::string& title = "VEKA test command section");

}  // namespace veka::test
