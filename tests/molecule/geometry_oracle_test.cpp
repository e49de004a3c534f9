// makmol against an independent Z-matrix converter: Open Babel reads the same random
// Z-matrices as Gaussian-style input and writes Cartesian coordinates (GAMESS input, ten
// decimals); after superposition the two structures must agree.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <memory>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "molecule/geometry.hpp"
#include "support/coords.hpp"
#include "support/run.hpp"

namespace veka {
namespace {

constexpr const char* kObabel = "/usr/bin/obabel";
constexpr double kDeg = 3.141592653589793 / 180.0;

struct RandomZmat {
  int n = 0;
  std::vector<int> j, k, l;           // partners of atoms 1..n (index 0 unused)
  std::vector<double> r, theta, phi;  // as written to the file (degrees)
};

// Values are rounded to the ten decimals written to the file, so that both programs build
// from identical numbers.
double rounded(double v) {
  char buf[64];
  std::snprintf(buf, sizeof buf, "%.10f", v);
  return std::strtod(buf, nullptr);
}

RandomZmat makeRandom(std::mt19937_64& g) {
  std::uniform_int_distribution<int> size(4, 40);
  std::uniform_real_distribution<double> bond(0.8, 2.5), angle(15.0, 165.0), nearZero(0.5, 3.0),
      nearStraight(177.0, 179.5), dihed(-180.0, 180.0), pick(0.0, 1.0);
  RandomZmat z;
  z.n = size(g);
  for (auto* v : {&z.j, &z.k, &z.l}) v->assign(static_cast<std::size_t>(z.n + 1), 0);
  for (auto* v : {&z.r, &z.theta, &z.phi}) v->assign(static_cast<std::size_t>(z.n + 1), 0.0);
  for (int i = 2; i <= z.n; ++i) {
    const auto u = static_cast<std::size_t>(i);
    // Partners: distinct earlier atoms, mostly recent ones as in real molecules.
    std::uniform_int_distribution<int> earlier(1, i - 1);
    int a = earlier(g), b = 0, c = 0;
    if (i >= 3) do
        b = earlier(g);
      while (b == a);
    if (i >= 4) do
        c = earlier(g);
      while (c == a || c == b);
    if (i == 3) {
      a = earlier(g);
      b = 3 - a;
    }
    z.j[u] = a;
    z.k[u] = b;
    z.l[u] = c;
    z.r[u] = rounded(bond(g));
    const double p = pick(g);
    z.theta[u] = rounded(p < 0.1 ? nearZero(g) : (p < 0.2 ? nearStraight(g) : angle(g)));
    z.phi[u] = rounded(dihed(g));
  }
  return z;
}

std::string gzmat(const RandomZmat& z, int id) {
  std::ostringstream s;
  s << "#\n\nrandom " << id << "\n\n0 1\nC\n";
  for (int i = 2; i <= z.n; ++i) {
    const auto u = static_cast<std::size_t>(i);
    s << "C " << z.j[u] << " r" << i;
    if (i >= 3) s << " " << z.k[u] << " a" << i;
    if (i >= 4) s << " " << z.l[u] << " d" << i;
    s << "\n";
  }
  s << "\n";
  char buf[128];
  for (int i = 2; i <= z.n; ++i) {
    const auto u = static_cast<std::size_t>(i);
    std::snprintf(buf, sizeof buf, "r%d= %.10f\n", i, z.r[u]);
    s << buf;
    if (i >= 3) {
      std::snprintf(buf, sizeof buf, "a%d= %.10f\n", i, z.theta[u]);
      s << buf;
    }
    if (i >= 4) {
      std::snprintf(buf, sizeof buf, "d%d= %.10f\n", i, z.phi[u]);
      s << buf;
    }
  }
  s << "\n";
  return s.str();
}

void build(const RandomZmat& z, Xyz& out) {
  std::vector<int> j(z.j.begin() + 1, z.j.end()), k(z.k.begin() + 1, z.k.end()),
      l(z.l.begin() + 1, z.l.end());
  std::vector<double> r(z.r.begin() + 1, z.r.end()), t, p;
  for (int i = 1; i <= z.n; ++i) {
    t.push_back(z.theta[static_cast<std::size_t>(i)] * kDeg);
    p.push_back(z.phi[static_cast<std::size_t>(i)] * kDeg);
  }
  makmol(out, ZmatView{z.n, j.data(), k.data(), l.data(), r.data(), t.data(), p.data()});
}

// The molecules of a GAMESS input stream: the coordinate records of each $DATA group.
std::vector<std::vector<Vec3>> parseGamess(const std::string& text) {
  std::vector<std::vector<Vec3>> mols;
  std::istringstream in(text);
  std::string line;
  int skip = -1;
  while (std::getline(in, line)) {
    if (line.find("$DATA") != std::string::npos) {
      mols.emplace_back();
      skip = 2;  // title and symmetry records
      continue;
    }
    if (line.find("$END") != std::string::npos) {
      skip = -1;
      continue;
    }
    if (skip < 0) continue;
    if (skip > 0) {
      --skip;
      continue;
    }
    std::istringstream f(line);
    std::string sym;
    double nuc = 0;
    Vec3 v;
    if (f >> sym >> nuc >> v.x >> v.y >> v.z) mols.back().push_back(v);
  }
  return mols;
}

TEST(MakmolOracle, AgreesWithOpenBabelOnRandomZmatrices) {
  if (!test::fileExists(kObabel)) GTEST_SKIP() << "Open Babel not installed";
  constexpr int kMolecules = 240;
  std::mt19937_64 g(20240615);
  test::TempDir dir;
  std::vector<RandomZmat> zs;
  std::vector<std::string> args;
  for (int m = 0; m < kMolecules; ++m) {
    zs.push_back(makeRandom(g));
    const std::string f = dir.file(std::to_string(1000 + m).append(".gzmat"));
    test::writeFile(f, gzmat(zs.back(), m));
    args.push_back(f);
  }
  args.insert(args.begin(), "-igzmat");
  args.push_back("-ogamin");
  const test::RunResult run = test::runProgram(kObabel, args);
  ASSERT_EQ(run.status, 0) << run.err;
  const auto mols = parseGamess(run.out);
  ASSERT_EQ(mols.size(), static_cast<std::size_t>(kMolecules));

  auto ours = std::make_unique<Xyz>();
  auto theirs = std::make_unique<Xyz>();
  double worst = 0.0;
  int nearLinear = 0;
  for (int m = 0; m < kMolecules; ++m) {
    const RandomZmat& z = zs[static_cast<std::size_t>(m)];
    const auto& ob = mols[static_cast<std::size_t>(m)];
    ASSERT_EQ(ob.size(), static_cast<std::size_t>(z.n)) << "molecule " << m;
    build(z, *ours);
    for (int i = 1; i <= z.n; ++i) setAtom(*theirs, i, ob[static_cast<std::size_t>(i - 1)]);
    qtrf(z.n, *theirs, *ours);
    const double d = test::rmsd(z.n, *ours, *theirs);
    worst = std::max(worst, d);
    EXPECT_LT(d, 1e-4) << "molecule " << m << " (" << z.n << " atoms)";
    for (int i = 3; i <= z.n; ++i) {
      const double t = z.theta[static_cast<std::size_t>(i)];
      if (t < 3.0 || t > 177.0) ++nearLinear;
    }
  }
  EXPECT_GT(nearLinear, 100);  // the set does exercise angles near 0 and 180 degrees
  char buf[32];
  std::snprintf(buf, sizeof buf, "%.3e", worst);
  RecordProperty("worst_rmsd", buf);
}

}  // namespace
}  // namespace veka
