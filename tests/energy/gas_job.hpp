// A gas-phase job run in-process through the real set-up: command section (with
// overrides) + the project's OPLS-AA table as PARFILE, the project's bond and angle file,
// a solute file; then the command-section reader and the gas-phase set-up, which reads
// the solutes, assigns the parameters, builds the pair list and computes the energies.
// The listing, PLTFILE and SUMMARY are temporary files.
#pragma once

#include <map>
#include <memory>
#include <stdexcept>
#include <string>

#include "input/command.hpp"
#include "input/setup.hpp"
#include "state/state.hpp"
#include "support/command_section.hpp"
#include "support/run.hpp"

namespace veka::test {

class GasJob {
 public:
  struct Options {
    std::map<int, std::string> records;  // command-section overrides
    int runMode = 7;
    int listLevel = 0;
    double rc0 = 0.0, rc1 = 0.0, rc2 = 0.0;
  };

  explicit GasJob(const std::string& solute) : GasJob(solute, Options{}) {}
  GasJob(const std::string& solute, std::map<int, std::string> records, int runMode = 7)
      : GasJob(solute, Options{std::move(records), runMode}) {}
  GasJob(const std::string& solute, const Options& o) {
    writeFile(dir_.file("par"),
              commandSection(o.records) + readFile(sourceData("forcefield/opls-aa.par")));
    open(s.io.parfile, dir_.file("par"), OpenStatus::Old);
    open(s.io.bangfil, sourceData("forcefield/opls-aa-bonded.par"), OpenStatus::Old);
    openFiles(solute);
    s.control.runMode = o.runMode;
    s.io.listLevel = o.listLevel;
    s.geom.RC0 = o.rc0, s.geom.RC1 = o.rc1, s.geom.RC2 = o.rc2;
    s.geom.noPert = (o.runMode > 1 || (o.rc0 == o.rc1 && o.rc0 == o.rc2)) ? 1 : 0;
    readCommandSection(s);
    setupGasPhase(s);
  }
  // A solute file of tests/energy/data.
  static std::string data(const std::string& name) {
    return readFile(testData("energy/data/" + name));
  }

  // A state with the solute, listing, PLTFILE and SUMMARY files open but nothing read.
  struct Bare {};
  GasJob(const std::string& solute, Bare) { openFiles(solute); }

  State& state() { return s; }
  std::string listing() { return text(s.io.output, "out"); }
  std::string plt() { return text(s.io.pltfile, "plt"); }
  std::string summary() { return text(s.io.summary, "sum"); }

 private:
  static void open(Unit& u, const std::string& path, OpenStatus st) {
    if (u.open(path, st) != 0) throw std::runtime_error("cannot open " + path);
  }
  void openFiles(const std::string& solute) {
    writeFile(dir_.file("zmat"), solute);
    open(s.io.zmatfile, dir_.file("zmat"), OpenStatus::Old);
    for (auto [u, name] :
         {std::pair{&s.io.output, "out"}, {&s.io.pltfile, "plt"}, {&s.io.summary, "sum"}})
      open(*u, dir_.file(name), OpenStatus::Unknown);
  }
  std::string text(Unit& u, const std::string& name) {
    u.flush();
    return readFile(dir_.file(name));
  }
  TempDir dir_;
  std::unique_ptr<State> s_ = std::make_unique<State>();

 public:
  State& s = *s_;
};

}  // namespace veka::test
