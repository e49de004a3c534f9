// A run state with a solute file and a listing in a temporary directory, for the tests of
// the solute readers.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "state/state.hpp"
#include "support/run.hpp"

namespace veka::test {

class SoluteFile {
 public:
  // A solute file with the given text.
  explicit SoluteFile(const std::string& text) {
    writeFile(dir_.file("solute"), text);
    EXPECT_EQ(s_->io.zmatfile.open(dir_.file("solute"), OpenStatus::Old), 0);
    EXPECT_EQ(s_->io.output.open(dir_.file("listing"), OpenStatus::Unknown), 0);
  }
  // A file of tests/molecule/data.
  static std::unique_ptr<SoluteFile> data(const std::string& name) {
    return std::make_unique<SoluteFile>(readFile(testData("molecule/data/" + name)));
  }

  State& state() { return *s_; }
  Zmat& zmat() { return s_->zmat; }
  std::string listing() {
    s_->io.output.flush();
    return readFile(dir_.file("listing"));
  }

 private:
  TempDir dir_;
  std::unique_ptr<State> s_ = std::make_unique<State>();
};

// Runs f, which must stop the run, and returns what it wrote to standard error.
template <class F>
std::string stopMessage(F&& f) {
  testing::internal::CaptureStderr();
  bool stopped = false;
  try {
    f();
  } catch (const Stop& e) {
    stopped = e.status == -1;
  }
  const std::string err = testing::internal::GetCapturedStderr();
  EXPECT_TRUE(stopped) << "no stop; stderr: " << err;
  return err;
}

// The lines of the Z-matrix section headings that close each section of a file with no
// records after the atom section.
inline std::string emptySections() {
  std::string s;
  for (int i = 0; i < 10; ++i) s += "                    heading\n";
  return s;
}

}  // namespace veka::test
