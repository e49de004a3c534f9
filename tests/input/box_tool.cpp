// Prints what the stored-box reader reads, in the layout of boxref.f90, for
// box_read_check.py. Arguments: box file, solvent code, stored-box size.
#include <cstdio>
#include <cstdlib>
#include <memory>

#include "input/boxes.hpp"

int main(int argc, char** argv) {
  if (argc < 4) return 2;
  auto s = std::make_unique<veka::State>();
  for (veka::Unit* u : {&s->io.waterfile, &s->io.org1fil, &s->io.org2fil})
    if (u->open(argv[1], veka::OpenStatus::Old) != 0) return 2;
  const veka::BoxSource src = veka::chooseBox(*s, std::atoi(argv[2]), std::atoi(argv[3]));
  veka::StoredBox b = veka::readStoredBox(src);
  std::printf("%6d%26.16E%26.16E%26.16E\n", b.n, b.half[0], b.half[1], b.half[2]);
  for (int k = 1; k <= b.sites; ++k)
    for (int i = 1; i <= b.n; ++i)
      std::printf("%6d%6d%26.16E%26.16E%26.16E\n", i, k, b.at(b.x, i, k), b.at(b.y, i, k),
                  b.at(b.z, i, k));
  return 0;
}
