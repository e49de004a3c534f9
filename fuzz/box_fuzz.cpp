// Fuzz target for the stored-box reader and the boxes built from it. The first input byte
// picks the case (byte % 9), the second the settings; the rest is the box file, placed after
// as many filler lines as the chosen box has in front of it:
//   0 TIP4P 216   1 TIP3P 216   2 TIP5P 216   3 CH3OH 128   4 CH3OH 192   5 THF 267
//   6 TIP4P automatic box around a solute   7 TIP4P 216 with methanol as second solvent
//   8 a solvent of its own Z-matrix file (three sites) at the argon centres of size 128
// The second solvent's box is the same text in ORG1FIL. Accepted outcomes: a placed box,
// veka::Stop and fmt::InputError; the invariants below abort otherwise.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "format/origin.hpp"
#include "input/boxes.hpp"
#include "solute_fuzz.hpp"

namespace {

using veka::State;

void require(bool ok) {
  if (!ok) std::abort();
}

struct Case {
  int code, size, nmol, code2;
};
constexpr Case kCases[9] = {{2, 216, 216, 0},  {1, 216, 216, 0}, {13, 216, 216, 0},
                            {3, 128, 128, 0},  {3, 192, 192, 0}, {9, 267, 267, 0},
                            {2, 216, 9999, 0}, {2, 216, 216, 3}, {20, 128, 128, 0}};
constexpr int kSites[21] = {0, 3, 4, 3, 3, 3, 3, 4, 3, 5, 1, 5, 4, 5, 0, 0, 0, 0, 0, 0, 3};

void reset(State& s, const Case& c, int settings) {
  static const State* blank = new State();
  s.coord = blank->coord;
  s.sol = blank->sol;
  s.slvbox = blank->slvbox;
  s.rands = blank->rands;
  s.cap = blank->cap;
  s.sol.code(1) = c.code;
  s.sol.nsites(1) = kSites[c.code];
  s.sol.boxSize = c.size;
  s.coord.NMOL = c.nmol;
  s.sol.code(2) = c.code2;
  s.sol.nsites(2) = c.code2 ? kSites[c.code2] : 0;
  s.sol.NMOL2 = c.code2 ? settings * 3 : 0;  // up to 765: past NLIM2 too
  s.sol.layer = settings % 16 - 3.0;
  // A solute of two atoms spanning up to +-12.75 A for the automatic box.
  s.zmat = blank->zmat;
  s.zmat.NSATM = 2;
  s.solcor.xyz[0].x(1) = -(settings % 52) / 4.0;
  s.solcor.xyz[0].y(2) = (settings / 4) / 4.0;
  s.solcor.xyz[0].z(2) = settings / 20.0;
  // A three-site solvent of its own: a bent molecule.
  veka::Szmat& z = s.szmat;
  z = blank->szmat;
  z.NSAT = 3;
  z.IZ1(2) = 1, z.BND(2) = 1.2;
  z.IZ1(3) = 2, z.BND(3) = 1.4, z.IZ2(3) = 1, z.ANG(3) = 2.0;
}

void check(const State& s) {
  const veka::Coord& c = s.coord;
  require(c.NMOL >= 0 && c.NMOL <= veka::MXS);
  int second = 0;
  for (int i = 1; i <= c.NMOL; ++i) {
    require(c.solvent(i) == 1 || c.solvent(i) == 2);
    second += c.solvent(i) == 2;
  }
  if (s.sol.code(2) == 0) require(second == 0);
  for (int a = 1; a <= 3; ++a) require(c.EDGE(a) == 2.0 * c.HALF(a));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 2) return 0;
  State& s = veka::fuzz::fuzzState();
  const Case& c = kCases[data[0] % 9];
  reset(s, c, data[1]);
  const std::string box(reinterpret_cast<const char*>(data) + 2, size - 2);
  try {
    const int size0 = c.nmol == 9999 ? 512 : c.size;
    const veka::BoxSource src = veka::chooseBox(s, c.code, size0);
    src.unit->openText(std::string(static_cast<std::size_t>(src.skip), '\n') + box, "box");
    if (src.unit != &s.io.org1fil) s.io.org1fil.openText(box, "org1");
    veka::placeSolvent(s);
    check(s);
  } catch (const veka::Stop&) {
  } catch (const veka::fmt::InputError&) {
  }
  return 0;
}
