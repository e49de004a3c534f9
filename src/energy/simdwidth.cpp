#include "energy/simdwidth.hpp"

#include <algorithm>

namespace veka {

namespace {

int processorWidth() {
#if defined(__x86_64__) && defined(__GNUC__)
  __builtin_cpu_init();
  if (__builtin_cpu_supports("avx512f")) return 8;
  if (__builtin_cpu_supports("avx2")) return 4;
#endif
  return 1;
}

}  // namespace

int simdWidth(int width) {
  static const int have = processorWidth();
  return width <= 0 ? have : std::min(have, width >= 8 ? 8 : (width >= 4 ? 4 : 1));
}

}  // namespace veka
