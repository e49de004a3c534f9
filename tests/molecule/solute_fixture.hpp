// A run state with a solute file and a listing in a temporary directory, for the tests of
// the solute readers.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "molecule/zmatrix.hpp"
#include "molecule/zmatrix_states.hpp"
#include "support/run_state.hpp"

namespace veka::test {

class SoluteFile : public RunState {
 public:
  // A solute file with the given text.
  explicit SoluteFile(const std::string& text) {
    writeFile(dir.file("solute"), text);
    open(s.io.zmatfile, dir.file("solute"), OpenStatus::Old);
  }
  // A file of tests/molecule/data.
  static std::unique_ptr<SoluteFile> data(const std::string& name) {
    return std::make_unique<SoluteFile>(readFile(testData("molecule/data/" + name)));
  }

  State& state() { return s; }
  Zmat& zmat() { return s.zmat; }
  // Reads the file in the given layout, which must stop the run; returns the last record
  // of the listing then, the one-line message (with its newline).
  std::string stop(int layout) {
    const std::string text = RunState::stop([&] { readSolutes(s, layout); });
    const std::size_t start = text.rfind('\n', text.size() - 2);
    return start == std::string::npos ? text : text.substr(start + 1);
  }
};

// The lines of the Z-matrix section headings that close each section of a file with no
// records after the atom section.
inline std::string emptySections() {
  std::string s;
  for (int i = 0; i < 10; ++i) s += "                    heading\n";
  return s;
}

}  // namespace veka::test
