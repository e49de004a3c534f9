#include "main/dispatch.hpp"

#include <string>

#include "input/command.hpp"
#include "input/init.hpp"
#include "input/setup.hpp"
#include "montecarlo/monte.hpp"
#include "montecarlo/trajectory.hpp"
#include "normalmodes/calfreq.hpp"
#include "optimize/driver.hpp"
#include "results/outave.hpp"
#include "results/singlepoint.hpp"
#include "search/search.hpp"

namespace veka {

void notBuilt(State& s, const char* what) {
  stop(s.io, std::string("*** ") + what + " is not available in this build of VEKA - Aborted",
       Console::Stderr);
}

void setupSystem(State& s) {
  readCommandSection(s);
  writeBanner(s);
  refuseUnbuiltModels(s);
  if (s.control.runMode >= 2 && s.control.runMode <= 7)
    setupGasPhase(s);
  else if (s.control.runMode == 0 || s.control.runMode == 1)
    initialiseSimulation(s);
  else
    buildCutoffLists(s);
}

bool dispatchJob(State& s) {
  switch (s.control.runMode) {
    case 2:
    case 3:
      // The normal-mode analysis of the optimised structure when the command section asks
      // for it; not after a refusal, which leaves the structure unoptimised.
      if (optmiz(s) && s.nmode.afterOptimisation == 1) calfreq(s);
      return true;
    case 4:
      calfreq(s);
      return true;
    case 5:
    case 6:
      search(s);
      return true;
    case 7:
      singlePoint(s);
      return true;
    case 0:
    case 1:
      monte(s);
      markTrajectoryPending(s);  // before the in-file: which seed completes these frames
      outave(s);
      closeTrajectory(s);  // after the in-file: the block's frames are now kept
      return true;
    default:
      notBuilt(
          s,
          ("Run mode " + std::to_string(s.control.runMode) + " (Monte Carlo simulation)").c_str());
  }
}

}  // namespace veka
