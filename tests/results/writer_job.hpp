// A gas-phase run state for the structure-writer tests: a solute file, the command section
// (with overrides) followed by the project's OPLS-AA force field and its bond and angle
// file, set up by the program's own set-up, with the listing, PLTFILE and SUMMARY on
// temporary files.
#pragma once

#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <string>

#include "main/dispatch.hpp"
#include "state/state.hpp"
#include "support/command_section.hpp"
#include "support/run.hpp"

namespace veka::test {

// Text of a file of tests/results/data.
inline std::string resultsData(const std::string& name) {
  return readFile(testData("results/data/" + name));
}

class WriterJob {
 public:
  // Sets up `solute` (file text) with the default command section changed by `records`.
  explicit WriterJob(const std::string& solute, const std::map<int, std::string>& records = {},
                     int runMode = 7) {
    writeFile(dir_.file("solute.z"), solute);
    writeFile(dir_.file("par.txt"),
              commandSection(records) + readFile(sourceData("forcefield/opls-aa.par")));
    s.control.runMode = runMode;
    s.geom.noPert = 1;
    open(s.io.output, "out.txt", OpenStatus::Unknown);
    open(s.io.zmatfile, "solute.z", OpenStatus::Old);
    open(s.io.parfile, "par.txt", OpenStatus::Old);
    EXPECT_EQ(s.io.bangfil.open(sourceData("forcefield/opls-aa-bonded.par"), OpenStatus::Old), 0);
    open(s.io.pltfile, "plt.txt", OpenStatus::Unknown);
    open(s.io.summary, "sum.txt", OpenStatus::Unknown);
    if (setUp) setupSystem(s);
  }
  // A state with the files open but nothing read.
  struct Bare {};
  WriterJob(const std::string& solute, Bare) : setUp(false) {
    writeFile(dir_.file("solute.z"), solute);
    open(s.io.output, "out.txt", OpenStatus::Unknown);
    open(s.io.zmatfile, "solute.z", OpenStatus::Old);
    open(s.io.pltfile, "plt.txt", OpenStatus::Unknown);
    open(s.io.summary, "sum.txt", OpenStatus::Unknown);
  }

  std::string text(Unit& u, const std::string& name) {
    u.flush();
    return readFile(dir_.file(name));
  }
  std::string plt() { return text(s.io.pltfile, "plt.txt"); }
  std::string summary() { return text(s.io.summary, "sum.txt"); }
  std::string listing() { return text(s.io.output, "out.txt"); }

  bool setUp = true;

 private:
  void open(Unit& u, const std::string& name, OpenStatus st) {
    EXPECT_EQ(u.open(dir_.file(name), st), 0) << name;
  }
  TempDir dir_;
  std::unique_ptr<State> st_ = std::make_unique<State>();

 public:
  State& s = *st_;
};

}  // namespace veka::test
