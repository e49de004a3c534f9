// Stored solvent boxes: which box of which file, reading it site by site, the boxes built
// from it (TIP5P, a solvent of its own file, size 192, the automatic box, the second
// solvent) and the stops. The tests write the boxes they need in the stored layout.
#include <gtest/gtest.h>

#include <tuple>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "input/boxes.hpp"
#include "montecarlo/random.hpp"
#include "support/run_state.hpp"

namespace veka::test {
namespace {

// A box in the stored layout: site k of molecule i at [k * n + i] (0-based).
struct TestBox {
  int n = 0, sites = 0;
  double half[3] = {0, 0, 0};
  std::vector<double> x, y, z;
  std::string text() const {
    char buf[64];
    std::snprintf(buf, sizeof buf, "%4d%12.8f%12.8f%12.8f\n", n, half[0], half[1], half[2]);
    std::string t = buf;
    int col = 0;
    for (int k = 0; k < sites; ++k)
      for (const auto* v : {&x, &y, &z})
        for (int i = 0; i < n; ++i) {
          std::snprintf(buf, sizeof buf, "%13.8f", (*v)[static_cast<std::size_t>(k * n + i)]);
          t += buf;
          if (++col % 6 == 0) t += "\n";
        }
    return col % 6 ? t + "\n" : t;
  }
  double at(const std::vector<double>& v, int i, int k) const {  // 1-based
    return v[static_cast<std::size_t>((k - 1) * n + i - 1)];
  }
};

// n molecules of the given sites on a jittered grid inside half edges h; site k sits at
// (0.9 k, 0.3 k^2, -0.2 k) from site 1.
TestBox makeBox(int n, int sites, double h) {
  TestBox b;
  b.n = n;
  b.sites = sites;
  b.half[0] = b.half[1] = b.half[2] = h;
  const int m = static_cast<int>(std::ceil(std::cbrt(n)));
  const auto size = static_cast<std::size_t>(n * sites);
  b.x.resize(size), b.y.resize(size), b.z.resize(size);
  for (int i = 0; i < n; ++i) {
    const double c[3] = {(i % m + 0.5) / m, (i / m % m + 0.5) / m, (i / (m * m) + 0.5) / m};
    for (int k = 0; k < sites; ++k) {
      const auto u = static_cast<std::size_t>(k * n + i);
      b.x[u] = h * (2 * c[0] - 1) + 0.013 * i + 0.9 * k;
      b.y[u] = h * (2 * c[1] - 1) - 0.007 * i + 0.3 * k * k;
      b.z[u] = h * (2 * c[2] - 1) + 0.011 * i - 0.2 * k;
    }
  }
  return b;
}

std::string filler(int lines) {
  std::string t;
  for (int k = 0; k < lines; ++k) t += "not a box line\n";
  return t;
}

struct Boxes : RunState {
  void file(Unit& u, const std::string& name, const std::string& text) {
    writeFile(dir.file(name), text);
    ASSERT_EQ(u.open(dir.file(name), OpenStatus::Old), 0);
  }
  void solvent(int code, int sites, int size, int nmol) {
    s.sol.code(1) = code, s.sol.nsites(1) = sites, s.sol.boxSize = size, s.coord.NMOL = nmol;
  }
};

TEST(StoredBoxes, FileAndLinesOfEverySolventAndSize) {
  Boxes f;
  const int waterSizes[7] = {216, 250, 267, 324, 400, 512, 750};
  const int waterLines[7] = {0, 433, 934, 1469, 2118, 2919, 3944};
  for (int code : {1, 2, 13})
    for (int k = 0; k < 7; ++k) {
      const BoxSource b = chooseBox(f.s, code, waterSizes[k]);
      EXPECT_EQ(std::tuple(b.unit, b.skip, b.storedSites, b.readSites),
                std::tuple(&f.s.io.waterfile, waterLines[k], 4, code == 2 ? 4 : 3));
    }
  // Organic codes 3..12 (11: CCL4, 20: the argon box) at sizes 128, 267, 400.
  const int lines[11][3] = {{0, 193, 595},      {1196, 1389, 1791}, {2392, 2581, 2983},
                            {3584, 3777, 4179}, {4780, 5037, 5572}, {6373, 6566, 6968},
                            {0, 321, 990},      {1991, 2056, 2191}, {2392, 2713, 3382},
                            {4383, 4640, 5175}, {1991, 2056, 2191}};
  const int sites[11] = {3, 3, 3, 3, 4, 3, 5, 1, 5, 4, 1};
  for (int c = 0; c < 11; ++c) {
    const int code = c < 10 ? c + 3 : 20;
    for (int k = 0; k < 3; ++k) {
      const BoxSource b = chooseBox(f.s, code, (int[]){128, 267, 400}[k]);
      EXPECT_EQ(b.unit, code <= 8 ? &f.s.io.org1fil : &f.s.io.org2fil) << code;
      EXPECT_EQ(b.skip, lines[c][k]) << code;
      EXPECT_EQ(b.readSites, sites[c]) << code;
    }
  }
  EXPECT_EQ(chooseBox(f.s, 5, 125).skip, 2392);
  EXPECT_EQ(chooseBox(f.s, 3, 192).skip, 0);
  for (auto [code, size] : std::vector<std::pair<int, int>>{
           {3, 216}, {3, 125}, {5, 192}, {2, 128}, {2, 192}, {10, 100}, {1, 0}})
    EXPECT_EQ(f.stop([&] { chooseBox(f.s, code, size); }),
              " UNAVAILABLE BOX SIZE REQUESTED IN ZSTART - ABORTED\n");
}

TEST(StoredBoxes, Tip4pReadsTheThirdWaterBoxAllFourSites) {
  Boxes f;
  const TestBox b = makeBox(7, 4, 6.5);
  f.file(f.s.io.waterfile, "water", filler(934) + b.text() + filler(3));
  f.solvent(2, 4, 267, 267);
  placeSolvent(f.s);
  const Coord& c = f.s.coord;
  EXPECT_EQ(std::tuple(c.NMOL, f.s.slvbox.requested, c.EDGE(3), c.HALF(1)),
            std::tuple(7, 267, 13.0, 6.5));
  for (int i = 1; i <= 7; ++i) {
    EXPECT_EQ(c.solvent(i), 1);
    for (int k = 1; k <= 4; ++k) {
      EXPECT_NEAR(c.X(i, k), b.at(b.x, i, k), 5e-9);
      EXPECT_NEAR(c.Y(i, k), b.at(b.y, i, k), 5e-9);
      EXPECT_NEAR(c.Z(i, k), b.at(b.z, i, k), 5e-9);
    }
  }
}

TEST(StoredBoxes, Tip3pStopsAfterThreeSitesAndTip5pBuildsItsLonePairs) {
  for (int code : {1, 13}) {
    Boxes f;
    const TestBox b = makeBox(5, 4, 4.0);
    f.file(f.s.io.waterfile, "water", b.text());  // the 216 box: no lines before it
    f.solvent(code, code == 1 ? 3 : 5, 216, 216);
    placeSolvent(f.s);
    const Coord& c = f.s.coord;
    ASSERT_EQ(c.NMOL, 5);
    for (int i = 1; i <= 5; ++i) {
      for (int k = 1; k <= 3; ++k) EXPECT_NEAR(c.Z(i, k), b.at(b.z, i, k), 5e-9);
      if (code == 1) {
        EXPECT_EQ(c.X(i, 4), 0.0);
        continue;
      }
      // Both lone pairs 0.70 A from O, 109.47 degrees apart, mirror images through the
      // molecular plane, on the side away from the hydrogens.
      auto v = [&](int k) {
        return std::array<double, 3>{c.X(i, k) - c.X(i, 1), c.Y(i, k) - c.Y(i, 1),
                                     c.Z(i, k) - c.Z(i, 1)};
      };
      auto dot = [](auto a, auto b) { return a[0] * b[0] + a[1] * b[1] + a[2] * b[2]; };
      const auto l1 = v(4), l2 = v(5), h1 = v(2), h2 = v(3);
      EXPECT_NEAR(std::sqrt(dot(l1, l1)), 0.70, 1e-12);
      EXPECT_NEAR(std::sqrt(dot(l2, l2)), 0.70, 1e-12);
      EXPECT_NEAR(std::acos(dot(l1, l2) / 0.49) * 180.0 / M_PI, 109.47, 1e-9);
      EXPECT_NEAR(dot(l1, h1), dot(l2, h1), 1e-12);
      EXPECT_NEAR(dot(l1, h2), dot(l2, h2), 1e-12);
      EXPECT_LT(dot(l1, h1) + dot(l1, h2), 0.0);
    }
  }
}

TEST(StoredBoxes, OwnSolventSitsAtTheArgonCentresSpreadApart) {
  Boxes f;
  const TestBox ar = makeBox(6, 1, 9.0);
  f.file(f.s.io.org2fil, "org2", filler(2056) + ar.text());
  Szmat& z = f.s.szmat;
  z.NSAT = 3;  // a linear molecule 3.0 A long
  z.IZ1(2) = 1, z.BND(2) = 1.5;
  z.IZ1(3) = 2, z.BND(3) = 1.5, z.IZ2(3) = 1, z.ANG(3) = M_PI;
  f.solvent(20, 3, 267, 267);
  placeSolvent(f.s);
  const double spread = (3.0 + 2.5) / 3.8;
  const Coord& c = f.s.coord;
  ASSERT_EQ(c.NMOL, 6);
  EXPECT_DOUBLE_EQ(f.s.slvbox.scale, spread);
  EXPECT_DOUBLE_EQ(c.EDGE(2), 18.0 * spread);
  for (int i = 1; i <= 6; ++i) {
    EXPECT_NEAR((c.X(i, 1) + c.X(i, 2) + c.X(i, 3)) / 3, spread * ar.at(ar.x, i, 1), 1e-7);
    EXPECT_NEAR((c.Y(i, 1) + c.Y(i, 2) + c.Y(i, 3)) / 3, spread * ar.at(ar.y, i, 1), 1e-7);
    EXPECT_NEAR(std::hypot(c.X(i, 3) - c.X(i, 1), c.Y(i, 3) - c.Y(i, 1), c.Z(i, 3) - c.Z(i, 1)),
                3.0, 1e-12);
  }
}

TEST(StoredBoxes, Size192AddsHalfTheImageAboveAlongZ) {
  Boxes f;
  const TestBox b = makeBox(8, 3, 5.0);
  f.file(f.s.io.org1fil, "org1", b.text());
  f.solvent(3, 3, 192, 192);
  placeSolvent(f.s);
  const Coord& c = f.s.coord;
  ASSERT_EQ(c.NMOL, 12);
  EXPECT_DOUBLE_EQ(c.EDGE(3), 15.0);
  EXPECT_DOUBLE_EQ(c.EDGE(1), 10.0);
  std::vector<double> zs;
  for (int i = 1; i <= 8; ++i) zs.push_back(b.at(b.z, i, 1));
  std::sort(zs.begin(), zs.end());
  for (int i = 1; i <= 8; ++i) EXPECT_NEAR(c.Z(i, 2), b.at(b.z, i, 2) - 2.5, 5e-9);
  std::vector<double> added;
  for (int i = 9; i <= 12; ++i) {
    added.push_back(c.Z(i, 1));
    EXPECT_LE(std::abs(c.Z(i, 1)), 7.5);
  }
  std::sort(added.begin(), added.end());
  for (int m = 0; m < 4; ++m)
    EXPECT_NEAR(added[static_cast<std::size_t>(m)], zs[static_cast<std::size_t>(m)] + 7.5, 5e-9);
}

TEST(StoredBoxes, AutomaticBoxAroundTheSolute) {
  Boxes f;
  const TestBox b = makeBox(8, 4, 3.0);
  f.file(f.s.io.waterfile, "water", filler(2919) + b.text());
  f.solvent(2, 4, 216, 9999);
  Zmat& zm = f.s.zmat;
  zm.NSATM = 3;
  zm.ITYPE(3) = -1;  // a dummy atom far out does not count
  Xyz& x = f.s.solcor.xyz[0];
  x.x(1) = x.y(1) = x.z(1) = -5.0;
  x.x(2) = x.y(2) = x.z(2) = 5.0;
  x.x(3) = 40.0;
  placeSolvent(f.s);
  const Coord& c = f.s.coord;
  for (int a = 1; a <= 3; ++a) EXPECT_DOUBLE_EQ(c.EDGE(a), 24.0);
  // Every replica of every molecule whose first site lies inside, once.
  std::vector<std::array<double, 3>> want, got;
  for (int ix = -4; ix <= 4; ++ix)
    for (int iy = -4; iy <= 4; ++iy)
      for (int iz = -4; iz <= 4; ++iz)
        for (int i = 1; i <= 8; ++i) {
          const std::array<double, 3> p = {b.at(b.x, i, 1) + 6 * ix, b.at(b.y, i, 1) + 6 * iy,
                                           b.at(b.z, i, 1) + 6 * iz};
          if (std::abs(p[0]) <= 12 && std::abs(p[1]) <= 12 && std::abs(p[2]) <= 12)
            want.push_back(p);
        }
  for (int i = 1; i <= c.NMOL; ++i) got.push_back({c.X(i, 1), c.Y(i, 1), c.Z(i, 1)});
  ASSERT_EQ(got.size(), want.size());
  std::sort(want.begin(), want.end());
  std::sort(got.begin(), got.end());
  for (std::size_t k = 0; k < want.size(); ++k)
    for (int a = 0; a < 3; ++a) EXPECT_NEAR(got[k][a], want[k][a], 1e-7);

  x.x(2) = x.y(2) = 40.0;  // a box of 94 x 94 x 24 A does not fit
  Boxes g;
  g.file(g.s.io.waterfile, "water", filler(2919) + b.text());
  g.solvent(2, 4, 216, 9999);
  g.s.zmat = zm;
  g.s.solcor.xyz[0] = x;
  EXPECT_EQ(g.stop([&] { placeSolvent(g.s); }),
            " ** MAX # OF SOLVENT MOLECULES EXCEEDED IN BIGBOX **\n MXS =  2500\n");
}

TEST(StoredBoxes, SecondSolventReplacesMoleculesChosenAtRandom) {
  Boxes f;
  const TestBox water = makeBox(10, 4, 5.0), meoh = makeBox(3, 3, 5.0);
  f.file(f.s.io.waterfile, "water", water.text());
  f.file(f.s.io.org1fil, "org1", meoh.text());
  f.solvent(2, 4, 216, 216);
  f.s.sol.code(2) = 3;
  f.s.sol.nsites(2) = 3;
  f.s.sol.NMOL2 = 4;
  placeSolvent(f.s);
  Rands r;
  std::vector<int> chosen(4);
  ranint(r, chosen, 10);
  EXPECT_EQ(f.s.rands.seed, r.seed);
  const Coord& c = f.s.coord;
  int k = 0;
  for (int i = 1; i <= 10; ++i) {
    const bool replaced = std::find(chosen.begin(), chosen.end(), i) != chosen.end();
    EXPECT_EQ(c.solvent(i), replaced ? 2 : 1) << i;
    if (!replaced) continue;
    const int m = k++ % 3 + 1;
    double cw = 0, cm = 0;
    for (int s = 1; s <= 4; ++s) cw += water.at(water.x, i, s) / 4;
    for (int s = 1; s <= 3; ++s) cm += c.X(i, s) / 3;
    EXPECT_NEAR(cm, cw, 1e-7);
    EXPECT_NEAR(c.Y(i, 2) - c.Y(i, 1), meoh.at(meoh.y, m, 2) - meoh.at(meoh.y, m, 1), 1e-7);
    EXPECT_EQ(c.X(i, 4), 0.0);
  }
  f.s.sol.NMOL2 = 501;
  f.s.coord.NMOL = 216;
  EXPECT_EQ(f.stop([&] { placeSolvent(f.s); }),
            " TOO MANY SOLVENT 2 MOLECULES - UP NLIM2 & RECOMPILE\n");
}

TEST(StoredBoxes, ABoxThatEndsEarlyOrHasNoMoleculesOrNoVolumeIsAnInputError) {
  const std::string full = makeBox(5, 4, 4.0).text();
  const std::string shortBox = full.substr(0, full.rfind('\n', full.size() - 2) + 1);
  const std::string flat = full.substr(0, 28) + "  0.00000000" + full.substr(40);
  for (const std::string& text : {shortBox, "   0" + full.substr(4), flat, filler(100)}) {
    Boxes f;
    f.file(f.s.io.waterfile, "water", text);
    f.solvent(2, 4, 216, 216);
    EXPECT_THROW(placeSolvent(f.s), fmt::InputError);
  }
}

}  // namespace
}  // namespace veka::test
