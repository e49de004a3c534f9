#include "montecarlo/random.hpp"

#include <cassert>
#include <utility>

namespace veka {

namespace {

// int(base * (1 + f/2)) when f > 0.5, else int(base * (1 - f/2)), all in single
// precision and truncated toward zero.
int rescaled(int base, float f) {
  const float half = 0.5f * f;
  const float factor = f > 0.5f ? 1.0f + half : 1.0f - half;
  return static_cast<int>(static_cast<float>(base) * factor);
}

}  // namespace

void seedRands(Rands& r, int seed) {
  r = Rands{};
  r.seed = seed;
}

void changeRanConstants(int& icon, int& ichg, int& jrn) {
  const int t1 = wrapMulAdd(jrn, kRanJMUL, kRanJCON) % kRanJMOD;
  const float f1 = static_cast<float>(t1) / static_cast<float>(kRanJMOD);
  icon = rescaled(kRanICN0, f1);
  const int t2 = wrapMulAdd(t1, kRanJMUL, kRanJCON) % kRanJMOD;
  jrn = t2;
  const float f2 = static_cast<float>(t2) / static_cast<float>(kRanJMOD);
  ichg = rescaled(kRanICHG0, f2);
}

void ranint(Rands& r, std::span<int> list, int n) {
  const int m = static_cast<int>(list.size());
  assert(m <= n);
  for (int k = 0; k < m; ++k) {
    bool repeat = true;
    while (repeat) {
      list[static_cast<std::size_t>(k)] = static_cast<int>(ranu(r) * n) + 1;
      repeat = false;
      for (int j = 0; j < k && !repeat; ++j)
        repeat = list[static_cast<std::size_t>(j)] == list[static_cast<std::size_t>(k)];
    }
  }
  for (std::size_t i = 0; i + 1 < list.size(); ++i)
    for (std::size_t j = i + 1; j < list.size(); ++j)
      if (list[j] < list[i]) std::swap(list[i], list[j]);
}

}  // namespace veka
