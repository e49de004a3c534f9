// The program's single stream of pseudo-random numbers.
//
// A linear congruential sequence seed <- (seed * IMUL + ICON) mod IMOD gives each number
// as seed / IMOD. Every ICHG draws its additive constant ICON and the interval ICHG itself
// are chosen again from a second congruential sequence (JRN), in single precision:
//
//   t1 = (JRN * JMUL + JCON) mod JMOD,  f1 = t1 / JMOD            (float)
//   ICON = int(ICN0 * (1 + f1/2))  when f1 > 0.5, else int(ICN0 * (1 - f1/2))   (float)
//   t2 = (t1 * JMUL + JCON) mod JMOD,   JRN = t2,  f2 = t2 / JMOD  (float)
//   ICHG = int(ICHG0 * (1 + f2/2)) when f2 > 0.5, else int(ICHG0 * (1 - f2/2))  (float)
//
// The change happens inside the ICHG-th draw since the last one, before its number is
// formed. Integer arithmetic is 32-bit two's complement and "mod" keeps the sign of the
// dividend, so the stream is the same bit for bit wherever it runs. With a seed in
// 0 .. IMOD-1 nothing overflows and every number lies in [0, 1).
//
// Every draw of the program goes through `ranu` (or a `RanuLocal` copy that is stored
// back), so the stream is one sequence whose whole state is the `Rands` record.
#pragma once

#include <cstdint>
#include <span>

#include "state/rands.hpp"

namespace veka {

inline constexpr int kRanIMUL = 1173;
inline constexpr int kRanIMOD = 1048573;
inline constexpr int kRanJMUL = 1161;
inline constexpr int kRanJCON = 458716759;
inline constexpr int kRanJMOD = 1048573;
inline constexpr int kRanICN0 = 458753759;
inline constexpr int kRanICHG0 = 1167;
inline constexpr int kNewRunSeed = 786123;

// a * b + c with 32-bit two's-complement wrap-around.
constexpr int wrapMulAdd(int a, int b, int c) {
  return static_cast<int>(static_cast<std::uint32_t>(a) * static_cast<std::uint32_t>(b) +
                          static_cast<std::uint32_t>(c));
}

// The generator at its start: the given seed and the initial values of the other integers.
void seedRands(Rands& r, int seed = kNewRunSeed);

// Chooses ICON and ICHG again from the change sequence and restarts the count.
void changeRanConstants(int& icon, int& ichg, int& jrn);

// The next number of the stream, in [0, 1).
inline double ranu(Rands& r) {
  const int icnt = r.ICNT + 1;
  if (icnt != r.ICHG) {
    r.ICNT = icnt;
  } else {
    changeRanConstants(r.ICON, r.ICHG, r.JRN);
    r.ICNT = 0;
  }
  r.seed = wrapMulAdd(r.seed, kRanIMUL, r.ICON) % kRanIMOD;
  return static_cast<double>(r.seed) / static_cast<double>(kRanIMOD);
}

// The generator state copied into locals for a loop that draws many numbers (the solvent
// move, the rotation): next() draws exactly as ranu does; store() writes the state back,
// after which the record continues the same stream.
class RanuLocal {
 public:
  explicit RanuLocal(Rands& r)
      : r_(r), seed_(r.seed), icon_(r.ICON), icnt_(r.ICNT), ichg_(r.ICHG), jrn_(r.JRN) {}
  RanuLocal(const RanuLocal&) = delete;
  RanuLocal& operator=(const RanuLocal&) = delete;
  ~RanuLocal() { store(); }

  double next() {
    const int icnt = icnt_ + 1;
    if (icnt != ichg_) [[likely]] {
      icnt_ = icnt;
    } else {
      changeRanConstants(icon_, ichg_, jrn_);
      icnt_ = 0;
    }
    seed_ = wrapMulAdd(seed_, kRanIMUL, icon_) % kRanIMOD;
    return static_cast<double>(seed_) / static_cast<double>(kRanIMOD);
  }
  void store() {
    r_.seed = seed_;
    r_.ICON = icon_;
    r_.ICNT = icnt_;
    r_.ICHG = ichg_;
    r_.JRN = jrn_;
  }

 private:
  Rands& r_;
  int seed_, icon_, icnt_, ichg_, jrn_;
};

// Fills list[0..m-1] with m distinct integers drawn uniformly from 1..n and sorts them
// ascending: each is int(ranu * n) + 1, drawn again while it repeats an earlier one (every
// draw, rejected or not, takes one number of the stream). Needs m <= n.
void ranint(Rands& r, std::span<int> list, int n);

}  // namespace veka
