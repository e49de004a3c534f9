// Builds Cartesian coordinates from Z-matrices with the program's makmol, for the Open
// Babel check of tests/molecule.
//
// Input (standard input): molecules separated by a line "end"; one line per atom
// "J R K THETA L PHI" (partners 0 where the atom has none; degrees). Output: "X Y Z" per
// atom (%.12f), "end" after each molecule.
#include <cstdio>
#include <iostream>
#include <memory>
#include <numbers>
#include <sstream>
#include <string>
#include <vector>

#include "molecule/geometry.hpp"

int main() {
  std::vector<int> j, k, l;
  std::vector<double> r, t, p;
  auto out = std::make_unique<veka::Xyz>();
  const double d2r = std::numbers::pi / 180.0;
  for (std::string line; std::getline(std::cin, line);) {
    std::istringstream in(line);
    int a = 0, b = 0, c = 0;
    double ra = 0, ta = 0, pa = 0;
    if (in >> a >> ra >> b >> ta >> c >> pa) {
      j.push_back(a), k.push_back(b), l.push_back(c);
      r.push_back(ra), t.push_back(ta * d2r), p.push_back(pa * d2r);
      continue;
    }
    const int n = static_cast<int>(j.size());
    veka::makmol(*out,
                 veka::ZmatView{n, j.data(), k.data(), l.data(), r.data(), t.data(), p.data()});
    for (int i = 1; i <= n; ++i)
      std::printf("%.12f %.12f %.12f\n", out->x(i), out->y(i), out->z(i));
    std::printf("end\n");
    j.clear(), k.clear(), l.clear(), r.clear(), t.clear(), p.clear();
  }
  return 0;
}
