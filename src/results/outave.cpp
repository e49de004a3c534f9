#include "results/outave.hpp"

#include <algorithm>
#include <cstdio>
#include <string>
#include <utility>
#include <vector>

#include "energy/solution.hpp"
#include "format/format.hpp"
#include "input/infile.hpp"
#include "results/blockstats.hpp"
#include "results/descriptors.hpp"
#include "results/history.hpp"
#include "results/rdfout.hpp"
#include "results/singlepoint.hpp"
#include "results/statelist.hpp"

namespace veka {

namespace {

// What the tables are formed from: every block's sums, their total and the counts.
struct Results {
  std::vector<Sums> blocks;
  Sums total;
  double count = 0.0, perBlock = 0.0;
  Thermo t;
  Stat stat(Quantity q) const { return batchMean(q, total, count, blocks, perBlock, t); }
  Stat stat(SumIndex i) const { return batchMean(i, total, count, blocks, perBlock); }
};

struct Column {
  const char* head;
  Quantity q = Quantity::Energy;
  SumIndex sum = kSumE;
  bool isSum = false;
};

double blockValue(const Results& r, const Column& c, const Sums& b) {
  return c.isSum ? average(b, c.sum, r.perBlock) : quantity(c.q, b, r.perBlock, r.t);
}

// One per-block table: a row per block, then "Averages" and "Standard Deviations".
void table(Unit& u, const Results& r, const std::vector<Column>& cols) {
  static const fmt::Format kRow("I5,8(F11.3,3X)"), kAve("5X,8(F11.3,3X)"), kDev("6X,8(F10.3,4X)");
  std::string head = "  Run";
  std::size_t at = head.size();
  for (const Column& c : cols) {  // each head ends above the end of its column
    at += 11;
    const std::string h(c.head);
    head += std::string(at > head.size() + h.size() ? at - head.size() - h.size() : 1, ' ') + h;
    at += 3;
  }
  u.write(head);
  int n = 0;
  for (const Sums& b : r.blocks) {
    fmt::FormattedOutput o(kRow, u);
    o << ++n;
    for (const Column& c : cols) o << blockValue(r, c, b);
  }
  std::vector<Stat> st;
  for (const Column& c : cols) st.push_back(c.isSum ? r.stat(c.sum) : r.stat(c.q));
  u.write(" Averages");
  {
    fmt::FormattedOutput o(kAve, u);
    for (const Stat& s : st) o << s.value;
  }
  if (r.blocks.size() < 2) return;
  u.write(" Standard Deviations");
  fmt::FormattedOutput o(kDev, u);
  for (const Stat& s : st) o << s.error;
}

Column q(const char* h, Quantity x) {
  return {h, x, kSumE, false};
}
Column a(const char* h, SumIndex i) {
  return {h, Quantity::Energy, i, true};
}

void thermodynamicTables(State& s, Unit& u, const Results& r) {
  u.write("");
  u.write(" Thermodynamic Results");
  u.write("");
  table(u, r,
        {q("Total Energy", Quantity::Energy), q("Inter Cp", Quantity::InterCp),
         q("Volume", Quantity::Volume), q("Enthalpy", Quantity::Enthalpy),
         q("Kappa", Quantity::Kappa), q("Alpha", Quantity::Alpha), q("EXX", Quantity::EXX),
         q("ESX", Quantity::ESX)});
  if (s.geom.noPert != 0) return;
  u.write("");
  table(u, r,
        {q("Delta G1", Quantity::DeltaG1), q("Delta H1", Quantity::DeltaH1),
         q("Delta S1", Quantity::DeltaS1), q("Delta G2", Quantity::DeltaG2),
         q("Delta H2", Quantity::DeltaH2), q("Delta S2", Quantity::DeltaS2)});
  u.write("");
  table(u, r,
        {a("EXX1", kSumEXX1), a("ESX1", kSumESX1), q("DelSOS1", Quantity::DelSOS1),
         a("EXX2", kSumEXX2), a("ESX2", kSumESX2), q("DelSOS2", Quantity::DelSOS2)});
  u.write("");
  u.write(" Polarization E");
  table(u, r, {a("Reference", kSumEPO), a("1st Solute", kSumEPO1), a("2nd Solute", kSumEPO2)});
}

void legend(Unit& u) {
  u.write("");
  for (const char* l : {" Units: Energies in kcal/mol", "        Entropies in cal/mol-deg",
                        "        Heat Capacity in cal/mol-deg", "        Volume in Angstroms^3",
                        "        Kappa in (1/atm)*10^-6", "        Alpha in (1/deg)*10^-5",
                        " Total Energy = E(Solvent-Solvent) + ESX + EXX + EPOL + E(phi)",
                        "                + E(nonbonded) + E(bond) + E(angle)"})
    u.write(l);
}

void energyComponents(State& s, const Results& r) {
  static const fmt::Format kRow("1X,A16,5F14.4");
  Unit& u = s.io.output;
  u.write("");
  u.write(
      "                    Refer. Solute 1st Pert. Solute         Delta 2nd Pert. Solute"
      "         Delta");
  const std::pair<const char*, SumIndex> rows[] = {
      {"Solute-Solvent E", kSumESX}, {"Solute-Solute  E", kSumEXX}, {"Polarization   E", kSumEPO},
      {"Bond Stretch   E", kSumEBN}, {"Angle Bending  E", kSumEAN}, {"Torsional Energy", kSumEDI},
      {"Non-bonded     E", kSumENB}, {"Constraints    E", kSumEBC}};
  for (const auto& [label, i] : rows) {
    const double v0 = r.stat(i).value;
    const double v1 = r.stat(static_cast<SumIndex>(i + 1)).value;
    const double v2 = r.stat(static_cast<SumIndex>(i + 2)).value;
    fmt::FormattedOutput(kRow, u) << label << v0 << v1 << v1 - v0 << v2 << v2 - v0;
  }
  static const fmt::Format kComp("1X,A15,F12.4");
  for (const auto& [head, c, l] : {std::tuple{"- Solvent Energy Components:", kSumESXC, kSumESXL},
                                   std::tuple{"- Solute Energy Components:", kSumEXXC, kSumEXXL}}) {
    u.write("");
    u.write(" Solute" + std::to_string(s.energy.selected) + head);
    const double lj = r.stat(l).value, co = r.stat(c).value;
    fmt::FormattedOutput(kComp, u) << "Lennard-Jones =" << lj;
    fmt::FormattedOutput(kComp, u) << "Coulomb       =" << co;
    fmt::FormattedOutput(kComp, u) << "Total         =" << lj + co;
  }
}

// Ten rows of five bin centres, the first start + step / 2.
void evalot(Unit& u, double start, double step) {
  static const fmt::Format kRow("1X,5F12.3");
  for (int row = 0; row < 10; ++row) {
    fmt::FormattedOutput o(kRow, u);
    for (int k = 0; k < 5; ++k) o << start + step * (0.5 + row * 5 + k);
  }
}

void distribution(Unit& u, const char* head, const std::array<double, NDIST>& h,
                  const Array1<double, 2>& bounds, double weight, bool energy) {
  static const fmt::Format kRow("1X,5F12.5"), kSum("1X,A,F12.4");
  const double step = (bounds(2) - bounds(1)) / NDIST;
  u.write("");
  u.write(head);
  evalot(u, bounds(1), step);
  double sum = 0.0, e = 0.0;
  for (int row = 0; row < 10; ++row) {
    fmt::FormattedOutput o(kRow, u);
    for (int k = 0; k < 5; ++k) {
      const double f = weight > 0.0 ? h[static_cast<std::size_t>(row * 5 + k)] / weight : 0.0;
      o << f;
      sum += f;
      e += f * (bounds(1) + step * (0.5 + row * 5 + k));
    }
  }
  if (energy) fmt::FormattedOutput(kSum, u) << " Energy from Distribution =" << e;
  fmt::FormattedOutput(kSum, u) << " Sum =" << sum;
}

void distributions(State& s, const Results& r) {
  Unit& u = s.io.output;
  const double w = r.total[kSumWeight];
  if (s.coord.NMOL > 0) {
    distribution(u, " Energy Distribution - Energies/Mole Fraction", r.total.hist[kHistSampled],
                 s.rdf.EDISTD, w, false);
    distribution(u, " Energy Pair Distribution - Energies/No. Molecules", r.total.hist[kHistPair],
                 s.rdf.EPARD, w, true);
  }
  if (s.coord.NMOL > 0 && s.zmat.NSATM > 0 && !s.zmat.noSolute) {
    distribution(u, " Solute-Solvent Energy Pair Distribution - Energies/No. Molecules",
                 r.total.hist[kHistSx], s.rdf.firstDistribution, w, true);
    distribution(u, " Solute-Solvent Energy Distribution - Energies/Mole Fraction",
                 r.total.hist[kHistEsold], s.rdf.BESOLD, w, false);
  }
}

void freeEnergyLines(State& s, Unit& u, const Results& r) {
  static const fmt::Format kLine("1X,A,F7.3,' to ',F7.3,')  =',F11.3,' +/-',F10.3");
  const Geom& g = s.geom;
  const Stat st[4] = {r.stat(Quantity::DeltaG1), r.stat(Quantity::DeltaG2),
                      r.stat(Quantity::DelSOS1), r.stat(Quantity::DelSOS2)};
  for (int k = 0; k < 2; ++k) {
    const char* head = k == 0 ? "DeltaG (" : "DelSOS (";
    const Stat& s1 = st[2 * k];
    if (g.RC0 <= g.RC1)
      fmt::FormattedOutput(kLine, u) << head << g.RC0 << g.RC1 << s1.value << s1.error;
    else
      fmt::FormattedOutput(kLine, u) << head << g.RC1 << g.RC0 << -s1.value << s1.error;
    const Stat& s2 = st[2 * k + 1];
    if (g.RC0 <= g.RC2)
      fmt::FormattedOutput(kLine, u) << head << g.RC0 << g.RC2 << s2.value << s2.error;
    else
      fmt::FormattedOutput(kLine, u) << head << g.RC2 << g.RC0 << -s2.value << s2.error;
  }
}

// The summary file after its "Results Summary:" section; completed by renaming it into
// place.
void summary(State& s, const Results& r) {
  Unit& u = s.io.summary;
  thermodynamicTables(s, u, r);
  static const fmt::Format kAve1("1X,'Total Energy =',F11.4,3X,'Inter Cp =',F11.4"),
      kAve2("1X,'Alpha(1/deg*e-5)=',F11.4,3X,'Kappa(1/atm*e-6)=',F11.4,3X,'Volume=',F11.1"),
      kTitle("1X,'Title: ',A30"), kSx("1X,'ESX-Coul =',F11.4,3X,'ESX-LJ =',F11.4"),
      kXx("1X,'EXX-Coul =',F11.4,3X,'EXX-LJ =',F11.4"), kIntra("1X,'Intramol E=',F11.4"),
      kAtoms("1X,'#Rotor Bonds=',I6,3X,'#Real Atoms=',I6"),
      kSxInts("1X,'# SX Ints=',I6,3X,'for Ecut=',F8.2"),
      kHbonds("1X,'#Donor HB=',I6,3X,'Acptr HB=',I6"),
      kGroups("1X,'#Prot Ns =',I6,3X,'#Nitro =',I6,3X,'#Acid =',I6,3X,'#Amide =',I6");
  u.write("");
  u.write(" *** Averages ***");
  fmt::FormattedOutput(kAve1, u) << r.stat(Quantity::Energy).value
                                 << r.stat(Quantity::InterCp).value;
  fmt::FormattedOutput(kAve2, u) << r.stat(Quantity::Alpha).value << r.stat(Quantity::Kappa).value
                                 << r.stat(Quantity::Volume).value;
  fmt::FormattedOutput(kTitle, u) << s.zmat.title;
  fmt::FormattedOutput(kSx, u) << r.stat(kSumESXC).value << r.stat(kSumESXL).value;
  fmt::FormattedOutput(kXx, u) << r.stat(kSumEXXC).value << r.stat(kSumEXXL).value;
  const Descriptors d = descriptors(s);
  fmt::FormattedOutput(kSxInts, u) << d.sxInts << kSxEcut;
  fmt::FormattedOutput(kHbonds, u) << d.donors << d.acceptors;
  fmt::FormattedOutput(kIntra, u) << r.stat(kSumEBN).value + r.stat(kSumEAN).value +
                                         r.stat(kSumEDI).value + r.stat(kSumENB).value;
  int real = 0;
  for (int i = 1; i <= s.zmat.NSATM; ++i) real += s.zmat.ITYPE(i) > 0 ? 1 : 0;
  fmt::FormattedOutput(kGroups, u) << d.protonatedN << d.nitro << d.acids << d.amides;
  fmt::FormattedOutput(kAtoms, u) << d.rotors << (s.zmat.noSolute ? 0 : real);
  if (s.geom.noPert == 0) freeEnergyLines(s, u, r);
  commitReplacement(s, u);
}

// The periodic samples of the in-file counters: hydrogen bonds (with a solute and solvent)
// and the dipole moment.
void otherAverages(State& s) {
  const Mcrec& m = s.mcrec;
  const double n = m.hbSamples > 0 ? m.hbSamples : 1.0;
  Unit& u = s.io.output;
  u.write("");
  if (s.coord.NMOL > 0 && s.zmat.NSATM > 0 && !s.zmat.noSolute) {
    static const fmt::Format kHb("3X,'Solute as Donor =',F8.3,3X,'as Acceptor     =',F8.3");
    u.write(" Ave. Solute-Solvent Hydrogen Bonds:");
    fmt::FormattedOutput(kHb, u) << m.hbDonor / n << m.hbAcceptor / n;
  }
  static const fmt::Format kDip("1X,'Ave. Dipole Mom. =',F10.3,' D  (',I7,' Samples)'");
  fmt::FormattedOutput(kDip, u) << m.dipoleSum / n << m.hbSamples;
}

// AVEFILE, replaced after every block: the grand averages with their batch-mean errors as
// "name value error" lines (errors 0 with one block), then the radial distribution
// functions as plain columns. Meant for plotting and scripts; the listing has the same
// numbers with more context.
void averagesFile(State& s, const Results& r) {
  Unit& u = s.io.avefile;
  openReplacement(s, u);
  char line[96];
  std::snprintf(line, sizeof line, "# %zu blocks, %d configurations", r.blocks.size(),
                s.config.NACCPT);
  u.write(line);
  static const std::pair<const char*, Quantity> kRows[] = {{"Total_Energy", Quantity::Energy},
                                                           {"Inter_Cp", Quantity::InterCp},
                                                           {"Volume", Quantity::Volume},
                                                           {"Enthalpy", Quantity::Enthalpy},
                                                           {"Kappa", Quantity::Kappa},
                                                           {"Alpha", Quantity::Alpha},
                                                           {"EXX", Quantity::EXX},
                                                           {"ESX", Quantity::ESX},
                                                           {"DeltaG1", Quantity::DeltaG1},
                                                           {"DeltaH1", Quantity::DeltaH1},
                                                           {"DeltaS1", Quantity::DeltaS1},
                                                           {"DelSOS1", Quantity::DelSOS1},
                                                           {"DeltaG2", Quantity::DeltaG2},
                                                           {"DeltaH2", Quantity::DeltaH2},
                                                           {"DeltaS2", Quantity::DeltaS2},
                                                           {"DelSOS2", Quantity::DelSOS2}};
  for (const auto& [name, q] : kRows) {
    if (q == Quantity::DeltaG1 && s.geom.noPert != 0) break;
    const Stat st = r.stat(q);
    std::snprintf(line, sizeof line, "%-14s %16.6f %14.6f", name, st.value, st.error);
    u.write(line);
  }
  writeRdfColumns(s, u, r.stat(Quantity::Volume).value, s.config.NACCPT);
  commitReplacement(s, u);
}

// The block's sums after those of the earlier blocks read back from the history.
Results gather(State& s) {
  Results r;
  const int mxcon = s.config.MXCON;
  const int n = mxcon > 0 ? s.config.NACCPT / mxcon : 0;
  if (n > MR) stop(s.io, "*** MR MUST BE INCREASED IN INIT & OUTAVE ***");
  if (n > 1) readHistory(s, n - 1, r.blocks);
  r.blocks.push_back(s.mcrun.block);
  for (const Sums& b : r.blocks) addSums(r.total, b);
  r.count = s.config.NACCPT;
  r.perBlock = mxcon;
  r.t.T = s.misc.TK;
  r.t.beta = s.misc.BETA;
  return r;
}

}  // namespace

void outave(State& s) {
  // A block of no configurations has nothing to average and leaves every file as it was.
  if (s.config.MXCON <= 0) return;
  const Results r = gather(s);
  writeHistory(s, r.blocks);
  openReplacement(s, s.io.summary);
  listState(s, ecut(s));
  thermodynamicTables(s, s.io.output, r);
  if (s.zmat.NSATM > 0 && !s.zmat.noSolute) energyComponents(s, r);
  distributions(s, r);
  listRdf(s, r.stat(Quantity::Volume).value, s.config.NACCPT);
  otherAverages(s);
  legend(s.io.output);
  summary(s, r);
  averagesFile(s, r);
  writeInfile(s);
  writeStructureFile(s, s.energy.EOLD);
}

}  // namespace veka
