// Fatal errors in unit tests: the stop writes its message to the listing as well as to the
// console, so a test reads the message from the listing file.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "state/io.hpp"

namespace veka::test {

// Runs f, which must end in the program's stop (status -1), and returns the records the
// stop added to the listing that `listing()` returns, each after its leading blank.
template <class L, class F>
std::string stopMessage(L&& listing, F&& f) {
  const std::size_t before = listing().size();
  bool stopped = false;
  try {
    f();
  } catch (const Stop& e) {
    stopped = e.status == -1;
  }
  const std::string text = listing();
  EXPECT_TRUE(stopped) << "no stop; listing: " << text;
  return text.substr(std::min(before, text.size()));
}

}  // namespace veka::test
