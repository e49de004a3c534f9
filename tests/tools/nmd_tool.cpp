// Runs the normal-mode analysis on a molecule description (tests/normalmodes/nmd.hpp) and
// writes its listing, for the reference checks of tests/normalmodes.
//
// Usage: nmd_tool <description file> <listing file>
#include <cstdio>
#include <exception>
#include <memory>

#include "normalmodes/calfreq.hpp"
#include "normalmodes/nmd.hpp"
#include "support/run.hpp"

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: nmd_tool <description> <listing>\n");
    return 2;
  }
  try {
    auto s = veka::test::stateFromNmd(veka::test::readFile(argv[1]));
    if (s->io.output.open(argv[2], veka::OpenStatus::Unknown) != 0) {
      std::fprintf(stderr, "cannot open %s\n", argv[2]);
      return 1;
    }
    auto w = std::make_unique<veka::nm::Work>();
    if (!veka::nm::calfreq(*s, *w)) {
      std::fprintf(stderr, "the analysis was refused\n");
      return 1;
    }
  } catch (const std::exception& e) {
    std::fprintf(stderr, "%s\n", e.what());
    return 1;
  }
  return 0;
}
