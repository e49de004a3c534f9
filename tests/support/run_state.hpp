// A run state for in-process tests: the State with its listing on a temporary file, the
// listing written so far, and the message of a stop.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "state/state.hpp"
#include "support/run.hpp"
#include "support/stop.hpp"

namespace veka::test {

struct RunState {
  TempDir dir;
  std::unique_ptr<State> st = std::make_unique<State>();
  State& s = *st;

  RunState() { open(s.io.output, dir.file("out"), OpenStatus::Unknown); }
  static void open(Unit& u, const std::string& path, OpenStatus status) {
    ASSERT_EQ(u.open(path, status), 0) << path;
  }
  std::string listing() {
    s.io.output.flush();
    return readFile(dir.file("out"));
  }
  // Runs f, which must end in the program's stop; returns what the stop listed.
  template <class F>
  std::string stop(F&& f) {
    return stopMessage([&] { return listing(); }, f);
  }
};

}  // namespace veka::test
