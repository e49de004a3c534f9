// Solvent-solvent and solute-solvent energies: the edge cases worked out by hand, the row
// kernel against the reference pair routines at every width, and the full energy.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <vector>

#include "solvent_box.hpp"

namespace veka {
namespace {

using test::Sites;
using test::SolventBox;

constexpr double kQ332 = 332.06;

// A water molecule with its first site at o, the second 0.9572 A along +x or -x.
Sites water(double ox, double oy, double oz, double hx) {
  return {{ox, oy, oz}, {ox + hx, oy, oz}, {ox - 0.24, oy + 0.93, oz}, {ox, oy + 0.15, oz}};
}

// TIP3P pair energy straight from the model: -0.834 / +0.417 charges, A_OO = 582000,
// C_OO = 595, optionally with the reaction-field term.
double tip3p(const Sites& a, const Sites& b, double krf) {
  const double q[3] = {-0.834, 0.417, 0.417};
  auto r = [&](int i, int j) {
    return std::hypot(a[i][0] - b[j][0], a[i][1] - b[j][1], a[i][2] - b[j][2]);
  };
  double e = 582000.0 / std::pow(r(0, 0), 12) - 595.0 / std::pow(r(0, 0), 6);
  for (int i = 0; i < 3; ++i)
    for (int j = 0; j < 3; ++j)
      e += kQ332 * q[i] * q[j] * (1.0 / r(i, j) + krf * r(i, j) * r(i, j));
  return e;
}

struct WaterEdge {
  const char* what;
  double ox, oz;  // second oxygen at (ox, 0, oz), its hydrogen towards the first one
  double zEdge;   // box edge along z (x and y: 40)
  int slab, smoothOff;
  double dielrf;
  double factor;  // expected energy / tip3p(), or -1: the z image of the second molecule
};

TEST(SolventPair, EdgesOfTheWaterRoutine) {
  const WaterEdge cases[] = {
      {"oxygens exactly RCUT apart", 8.5, 0, 40, 0, 1, 0, 1.0},
      {"just beyond, hydrogens closer", 8.5 + 1e-9, 0, 40, 0, 1, 0, 0.0},
      {"at (RCUT - 0.5)^2 factor exactly 1", 8.0, 0, 40, 0, 0, 0, 1.0},
      {"at RCUT^2 feathered to 0", 8.5, 0, 40, 0, 0, 0, 0.0},
      {"reaction field, not feathered", 8.25, 0, 40, 0, 0, 78.5, 1.0},
      {"z image within reach", 0, 15, 20, 0, 1, 0, -1.0},
      {"slab: no z image", 0, 15, 20, 1, 1, 0, 0.0},
  };
  for (const WaterEdge& c : cases) {
    SolventBox b("TIP3P");
    b.box(40, 40, c.zEdge);
    b.s.control.slab = c.slab;
    b.s.cutoff.noSmoothing = c.smoothOff;
    b.s.potpar.DIELRF = c.dielrf;
    const Sites one = water(0, 0, 0, 0.9572), two = water(c.ox, 0, c.oz, -0.9572);
    b.place(1, 1, one);
    b.place(2, 1, two);
    b.prepare();
    double r2 = 0.0, lj = 0.0;
    const double e = wwpot(b.s, storedMolecule(b.s, 1), 2, r2, lj);
    const Sites image = water(c.ox, 0, c.oz - c.zEdge, -0.9572);
    const double expect =
        c.factor < 0 ? tip3p(one, image, 0.0) : c.factor * tip3p(one, two, b.s.cutoff.KRF);
    EXPECT_NEAR(e, expect, 1e-12 * std::fabs(expect)) << c.what;
    EXPECT_EQ(e != 0.0, c.factor != 0.0) << c.what;
    if (c.ox == 8.5) {
      EXPECT_EQ(r2, 72.25) << c.what;
    }
    if (c.ox == 8.0) {  // the factor is 1 to the last bit: the same as without feathering
      b.s.slveco.RFEATH = 1.0e20;
      EXPECT_EQ(e, wwpot(b.s, storedMolecule(b.s, 1), 2, r2, lj));
    }
    EXPECT_EQ(b.s.slveco.smoothed, c.smoothOff || c.dielrf > 1 ? 0 : 1) << c.what;
  }
}

TEST(SolventPair, LongRangeCorrection) {
  SolventBox water("TIP4P");
  water.random(20, 0, 1);
  water.box(20, 20, 20);
  water.prepare();
  EXPECT_EQ(ecut(water.s), 0.0);

  SolventBox two("TIP4P", "CH3OH");
  two.box(20, 21, 22);
  two.random(50, 10, 2);
  two.prepare();
  const Potpar& p = two.s.potpar;
  const double rc = two.s.cutoff.RCUT;
  double sum = 0.0;
  for (int i = 1; i <= 3; ++i)
    for (int j = 1; j <= 3; ++j)
      sum += p.AW(i, 2) * p.AW(j, 2) / (3 * std::pow(rc, 9)) -
             p.CW(i, 2) * p.CW(j, 2) / std::pow(rc, 3);
  EXPECT_NEAR(ecut(two.s), 2 * M_PI * 100 / (3 * 20 * 21 * 22) * sum, 1e-12);
  EXPECT_LT(ecut(two.s), 0.0);
}

// The row kernel at widths 1, 4 and 8 against the reference pair routine, per pair and
// bit for bit, over all other molecules and over a neighbour list in reverse order, for a
// stored and for a trial (displaced) moving molecule.
struct RowCase {
  const char *solvent1, *solvent2;
  int n2, slab;
  double dielrf;
};

TEST(SolventRow, EveryWidthMatchesThePairRoutinesBitForBit) {
  const RowCase cases[] = {{"TIP4P", "", 0, 0, 0},       {"TIP3P", "", 0, 1, 0},
                           {"CH3CN", "", 0, 0, 0},       {"TIP5P", "", 0, 0, 78.5},
                           {"TIP4P", "CH3OH", 25, 0, 0}, {"CH3OH", "CH3CN", 30, 1, 2.0}};
  for (const RowCase& c : cases) {
    SolventBox b(c.solvent1, c.solvent2);
    b.box(21, 22, 23);
    b.s.control.slab = c.slab;
    b.s.potpar.DIELRF = c.dielrf;
    b.s.cutoff.ICUTAS(1) = 1, b.s.cutoff.ICUTAS(2) = 3;  // two cutoff sites where there is a choice
    b.random(101, c.n2, 7);
    b.prepare();
    const int nmol = b.s.coord.NMOL;
    std::vector<std::int16_t> list;
    for (int n = nmol; n >= 1; n -= 1) list.push_back(static_cast<std::int16_t>(n));
    for (int k : {1, 2, 51, nmol}) {
      std::array<std::vector<double>, 3> trial;
      const MolView stored = storedMolecule(b.s, k);
      for (int j = 1; j <= b.s.sol.nsites(stored.kind); ++j)
        trial[0].push_back(stored.X(j) + 0.3), trial[1].push_back(stored.Y(j)),
            trial[2].push_back(stored.Z(j) - 0.2);
      const MolView moved{trial[0].data(), trial[1].data(), trial[2].data(), 1, stored.kind};
      for (const MolView& m : {stored, moved}) {
        std::vector<std::int16_t> others;
        for (auto n : list)
          if (n != k) others.push_back(n);
        others.push_back(0);
        double sums[2][3];
        int interacting = 0;
        for (int w = 0; w < 3; ++w) {
          std::vector<double> all(static_cast<std::size_t>(nmol), NAN), listed = all;
          sums[0][w] = solventRowAll(b.s, m, k, all.data(), w == 0 ? 1 : 4 * w);
          sums[1][w] =
              solventRowList(b.s, m, others.data(), nmol, listed.data(), w == 0 ? 1 : 4 * w);
          for (int n = 1; n <= nmol; ++n) {
            if (n == k) continue;
            const double ref = solventPair(b.s, m, n);
            ASSERT_EQ(all[n - 1], ref) << c.solvent1 << c.solvent2 << " k " << k << " n " << n;
            ASSERT_EQ(listed[n - 1], ref) << c.solvent1 << c.solvent2 << " k " << k << " n " << n;
            interacting += ref != 0.0;
          }
        }
        EXPECT_GT(interacting, 30) << c.solvent1;
        for (int w = 1; w < 3; ++w)
          for (int f = 0; f < 2; ++f)
            EXPECT_EQ(sums[f][w], sums[f][0]) << c.solvent1 << " width " << w;
      }
    }
  }
}

// A solute of two one-atom molecules (charges and Lennard-Jones per state) near one TIP4P
// molecule; not smoothed, so that the pair energies are the plain ones.
struct SoluteCase {
  const char* what;
  int icut;
  double waterX,
      atom2Y;   // oxygen at (waterX, 0, 0), atom 1 at the origin, atom 2 at (0, atom2Y, 0)
  int capAtom;  // cap radius 10, force constant 2
  double cap;   // the expected cap term
  int atoms;    // bit 0: atom 1 interacts, bit 1: atom 2
};

TEST(SoluteSolvent, ThreeStatesCutoffTypesCapAndMonitors) {
  const SoluteCase cases[] = {
      {"centre within SCUT", 0, 3.1, 6.0, 0, 0.0, 3},
      {"centre beyond SCUT", 0, -12.5, 6.0, 0, 0.0, 0},
      {"ICUT 2: near atom 1 only", 2, 3.1, 20.0, 0, 0.0, 1},
      {"cap at R + 6", 2, 16.0, 20.0, 1, 2.0, 0},
      {"cap at R + 4", 2, 14.0, 20.0, 1, 0.0, 0},
  };
  const double q[3] = {0.4, -0.3, 0.0}, a[3] = {900, 1000, 800}, cc[3] = {25, 30, 20};
  for (const SoluteCase& c : cases) {
    SolventBox b("TIP4P");
    b.box(60, 60, 60);
    State& s = b.s;
    Zmat& z = s.zmat;
    z.NSATM = z.NSOLUT = 2;
    for (int i = 1; i <= 2; ++i) z.first(i) = z.last(i) = i, z.ITYPE(i) = 1;
    for (std::size_t k = 0; k < 3; ++k)
      for (int i = 1; i <= 2; ++i) {
        const int slot = 3 * (i - 1) + static_cast<int>(k) + 1;
        s.potpar.slot[k](i) = slot;
        s.potpar.Q(slot) = q[k] * (i == 1 ? 1 : -1) * s.misc.SQ332;
        s.potpar.A(slot) = a[k], s.potpar.C(slot) = cc[k];
        s.solcor.xyz[k].y(2) = c.atom2Y;
      }
    s.misc.NCENT(1) = 1, s.misc.NCENT(2) = 2;
    s.cutoff.ICUT = c.icut;
    s.cap = {c.capAtom, 10.0, 2.0, 100.0, 225.0};
    s.rdf.count(2) = 1, s.rdf.list3(1) = 1, s.rdf.list4(1) = 1;
    s.cutoff.noSmoothing = 1;
    const Sites w = water(c.waterX, 0, 0, 0.9572);
    b.place(1, 1, w);
    b.prepare();
    packSolute(s);
    SxParts parts;
    const PerState e = solventSoluteEnergy(s, 1, &parts);
    for (std::size_t k = 0; k < 3; ++k) {
      double pair[2] = {};
      for (int i = 0; i < 2; ++i) {
        if (!(c.atoms >> i & 1)) continue;
        const double y = i == 0 ? 0.0 : c.atom2Y, qi = q[k] * (i == 0 ? 1 : -1);
        auto r = [&](int j) { return std::hypot(w[j][0], w[j][1] - y, w[j][2]); };
        pair[i] = a[k] * s.potpar.AW(1, 1) / std::pow(r(0), 12) -
                  cc[k] * s.potpar.CW(1, 1) / std::pow(r(0), 6) +
                  kQ332 * qi * (0.52 / r(1) + 0.52 / r(2) - 1.04 / r(3));
      }
      EXPECT_NEAR(e[k], pair[0] + pair[1] + c.cap, 1e-9) << c.what << " state " << k;
      if (k == 0) {
        EXPECT_NEAR(parts.coul + parts.lj, pair[0], 1e-9) << c.what;  // solute 1 alone
      }
    }
    EXPECT_EQ(parts.dist[0], c.atoms & 1 ? c.waterX : 100.0) << c.what;
  }
}

TEST(FullEnergy, TotalsOfTheConfiguration) {
  SolventBox b("TIP4P");
  b.ionInRandomBox();
  State& s = b.s;
  b.prepare();
  enmtx(s);
  const Slveco& v = s.slveco;
  double ess = 0.0, esx = 0.0;
  for (int i = 1; i <= 60; ++i) {
    esx += v.ESX[0][static_cast<std::size_t>(i - 1)];
    EXPECT_EQ(v.pair(i, i), 0.0);
    for (int j = i + 1; j <= 60; ++j) {
      EXPECT_EQ(v.pair(i, j), solventPair(s, storedMolecule(s, i), j));
      EXPECT_EQ(v.pair(j, i), v.pair(i, j));
      ess += v.pair(i, j);
    }
  }
  const Energy& en = s.energy;
  EXPECT_NEAR(en.ESSNEW, ess, 1e-12 * std::fabs(ess));
  EXPECT_NEAR(en.ESONE[0], esx, 1e-12 * std::fabs(esx));
  EXPECT_EQ(en.ESONE[1], en.ESONE[0]);
  EXPECT_EQ(en.ENEW, en.ESSNEW + en.ESONE[0]);  // one atom: no EXX, no intrasolute energy
  EXPECT_EQ(en.EOLD, en.ENEW);
  EXPECT_EQ(en.ESSOLD, en.ESSNEW);
  EXPECT_NEAR(en.ESXCOL + en.ESXLOL, en.ESONE[0], 1e-12 * std::fabs(esx));
}

}  // namespace
}  // namespace veka
