// The two passes of the row kernel at each width, for solvrow.cpp and solvrow_simd.cpp.
#pragma once

#include "energy/solvrow.hpp"

namespace veka::rowdetail {

// Candidates of one pass: list[0 .. count - 1] (molecule numbers) or, when list is null,
// first..last without skip.
struct Cand {
  const int* list = nullptr;
  int count = 0;
  int first = 1, last = 0, skip = 0;
  int size() const { return list ? count : last - first + 1; }
  int at(int t) const { return list ? list[t] : first + t; }
};

// Cutoff pass over candidates [from, c.size()): appends each kept molecule to the work
// buffers from position `kept` on (number, cutoff r^2 and, for water pairs, the shifts);
// returns the new end.
int cutoffScalar(const SolventRowInput& in, const SolventPairTable& t, const Cand& c, int from,
                 int kept);
// Term pass: the pair energy of kept molecules [from, to) into work.e.
void termsScalar(const SolventRowInput& in, const SolventPairTable& t, int from, int to);

#if defined(__x86_64__) && defined(__GNUC__)
#define VEKA_ROW_SIMD 1
// The same 4 and 8 molecules at once. At 4 the remainder of a pass that does not fill a
// vector goes through the scalar functions; at 8 the last vector runs with lanes masked.
int cutoffAvx2(const SolventRowInput& in, const SolventPairTable& t, const Cand& c, int kept);
void termsAvx2(const SolventRowInput& in, const SolventPairTable& t, int from, int to);
int cutoffAvx512(const SolventRowInput& in, const SolventPairTable& t, const Cand& c, int kept);
void termsAvx512(const SolventRowInput& in, const SolventPairTable& t, int from, int to);
#endif

}  // namespace veka::rowdetail
