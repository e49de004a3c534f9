#include "input/setup.hpp"

#include <string>

namespace veka {

void buildCutoffLists(State& s) {
  Cutoff& c = s.cutoff;
  const int icut = c.ICUT;
  if (icut == 1 || icut > 5)
    stop(s.io, "ICUT = " + std::to_string(icut) + " is Not a Valid Choice - Aborted");
  Array1<int, MAXICA> asRead{};
  for (int i = 1; i <= MAXICA; ++i) asRead(i) = c.ICUTAT(i);
  c.ICUTAT.fill(0);
  c.NICUTAT = 0;
  auto add = [&](int atom) {
    if (c.NICUTAT >= MAXATM) stop(s.io, "ICUTAT Array Overflow in INIT - Aborted");
    c.ICUTAT(++c.NICUTAT) = atom;
  };
  if (icut == 3) {
    add(s.misc.NCENT(1));
    add(s.misc.NCENT(2));
  } else if (icut == 4) {
    for (int i = 1; i <= MAXICA; ++i)
      if (asRead(i) != 0) add(asRead(i));
  } else if (icut == 5) {
    for (int i = 1; i <= s.zmat.NSATM; ++i)
      if (s.zmat.ITYPE(i) != -1) add(i);
  }
}

}  // namespace veka
