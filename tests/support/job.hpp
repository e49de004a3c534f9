// A job directory for process-level tests: the fourteen files of a run, with a valid
// command section and a minimal solute file, and the argument list that names them.
#pragma once

#include <string>
#include <vector>

#include "support/run.hpp"

namespace veka::test {

class Job {
 public:
  // Writes par.txt (command section + `forceField`), zmat.txt (`solute`), bang.txt (the
  // project's bond and angle file) and empty water.txt, org1.txt, org2.txt into a fresh
  // directory. By default the solute is the example methanol and the force field the
  // project's OPLS-AA table.
  explicit Job(const std::string& commandSection, const std::string& solute = methanol(),
               const std::string& forceField = opls());
  static std::string methanol();
  static std::string opls();
  const std::string& dir() const { return tmp_.path(); }
  std::string file(const std::string& name) const { return tmp_.file(name); }
  // The file options naming every file of the directory (out.txt is the listing).
  std::vector<std::string> fileArgs() const;
  // Runs veka with the job code and numbers, then the file options, in the directory.
  RunResult run(const std::string& code = "700", const std::string& mxcon = "0",
                const std::string& rc0 = "0.0", const std::string& rc1 = "0.0",
                const std::string& rc2 = "0.0", const Env& env = {}) const;
  std::string listing() const { return readFile(file("out.txt")); }

 private:
  TempDir tmp_;
};

}  // namespace veka::test
