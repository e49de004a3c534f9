// The random-number stream (`rands`): the current value of the main congruential sequence
// (the seed that the in-file carries) and the generator integers that change as the stream
// runs. The fixed multipliers, moduli and base values live with the generator
// (montecarlo/random.hpp).
#pragma once

namespace veka {

struct Rands {
  int seed = 786123;     // current value of the main sequence; 786123 on a new start
  int ICON = 458753759;  // additive constant of the main sequence
  int ICNT = 0;          // draws since the last change of the constants
  int ICHG = 1167;       // draws between changes
  int JRN = 124690;      // current value of the change sequence
};

}  // namespace veka
