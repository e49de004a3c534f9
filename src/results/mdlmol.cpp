#include "results/mdlmol.hpp"

#include <string>
#include <vector>

#include "format/record.hpp"
#include "results/bondorder.hpp"
#include "results/labels.hpp"

namespace veka {

namespace {

using fmt::RecordWriter;

struct Bond {
  int i, j, order;
};

std::string trimmedTitle(const Chars<30>& title) {
  const std::string_view t = title.trimmed();
  const std::size_t first = t.find_first_not_of(' ');
  return first == std::string_view::npos ? std::string() : std::string(t.substr(first));
}

}  // namespace

void mdlmol(State& s, double energy) {
  const Zmat& z = s.zmat;
  const Potpar& p = s.potpar;
  const Covnbr& cn = s.covnbr;
  // Sequence number of each written atom (0 = not written).
  std::vector<int> seq(static_cast<std::size_t>(z.NSATM) + 1, 0);
  int natoms = 0;
  for (int i = 1; i <= z.NSATM; ++i)
    if (z.ITYPE(i) != -1 && p.NAT[0](i) > 0) seq[static_cast<std::size_t>(i)] = ++natoms;
  if (natoms > MAXMOL) {
    s.io.list(" Could not write mol file; # atoms >999.");
    return;
  }
  const BondOrders orders(s);
  std::vector<Bond> bonds;
  for (int i = 1; i <= z.NSATM; ++i) {
    if (seq[static_cast<std::size_t>(i)] == 0) continue;
    for (int k = 1; k <= cn.NNEB(i); ++k) {
      const int j = cn.NEB(k, i);
      if (j > i && seq[static_cast<std::size_t>(j)] != 0)
        bonds.push_back({i, j, orders.order(i, j)});
    }
  }
  if (bonds.size() > static_cast<std::size_t>(MAXMOL)) {
    s.io.list(" Could not write mol file; # bonds >999.");
    return;
  }
  Unit& u = s.io.pltfile;
  u.write(trimmedTitle(z.title));
  u.write(RecordWriter().A("VEKA4.9 Win   July14 3D").X(10).A("Tot. E=").F(energy, 12, 4).str());
  u.write("");
  u.write(RecordWriter()
              .I(natoms, 3)
              .I(static_cast<long long>(bonds.size()), 3)
              .A("  0  0  0  0  0  0  0  0  1 V2006")
              .str());
  const Xyz& c = s.solcor.xyz[0];
  for (int i = 1; i <= z.NSATM; ++i) {
    if (seq[static_cast<std::size_t>(i)] == 0) continue;
    std::string sym(writerSymbol(p.NAT[0](i)));
    sym.resize(2, ' ');
    RecordWriter w;
    w.F(c.x(i), 10, 4).F(c.y(i), 10, 4).F(c.z(i), 10, 4).X(1).A(sym);
    for (int f = 0; f < 12; ++f) w.A("  0");
    u.write(w.str());
  }
  for (const Bond& b : bonds)
    u.write(RecordWriter()
                .I(seq[static_cast<std::size_t>(b.i)], 3)
                .I(seq[static_cast<std::size_t>(b.j)], 3)
                .I(b.order, 3)
                .I(0, 3)
                .str());
  u.write("M  END");
  u.write("");
  u.write("$$$$");
}

}  // namespace veka
