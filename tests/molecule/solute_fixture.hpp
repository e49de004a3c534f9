// A run state with a solute file and a listing in a temporary directory, for the tests of
// the solute readers.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "molecule/zmatrix.hpp"
#include "molecule/zmatrix_states.hpp"
#include "state/state.hpp"
#include "support/run.hpp"
#include "support/stop.hpp"

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
  // Reads the file in the given layout, which must stop the run; returns the last record
  // of the listing then, the one-line message (with its newline).
  std::string stop(int layout) {
    const std::string text =
        stopMessage([&] { return listing(); }, [&] { readSolutes(*s_, layout); });
    const std::size_t start = text.rfind('\n', text.size() - 2);
    return start == std::string::npos ? text : text.substr(start + 1);
  }

 private:
  TempDir dir_;
  std::unique_ptr<State> s_ = std::make_unique<State>();
};

// The lines of the Z-matrix section headings that close each section of a file with no
// records after the atom section.
inline std::string emptySections() {
  std::string s;
  for (int i = 0; i < 10; ++i) s += "                    heading\n";
  return s;
}

}  // namespace veka::test
