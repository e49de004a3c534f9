// Dispatch by run mode to one job.
#pragma once

#include "state/state.hpp"

namespace veka {

// Reads the command section, writes the banner and builds the system for the job.
void setupSystem(State& s);

// Runs the job of the run mode. Returns true when the main program should finish with
// the CPU-time line and the end-of-file marks, false when the job ended the run itself.
bool dispatchJob(State& s);

// Stops the run with a clear message for a job that this build does not provide.
[[noreturn]] void notBuilt(State& s, const char* what);

}  // namespace veka
