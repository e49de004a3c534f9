#include "optimize/optstate.hpp"

namespace veka {

Optim& optimArea(State& s) {
  if (!s.optim) s.optim = WorkArea<Optim>(new Optim(), {[](Optim* p) { delete p; }});
  return *s.optim;
}

}  // namespace veka
