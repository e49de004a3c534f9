// Atom-type assignment of a 4500-atom solute from a full-size atom-type table, and the
// bonded parameters of full term lists with automatic torsion types.
//
// The table is the project's OPLS-AA file (data/forcefield/opls-aa.par) when present,
// else a synthetic table of the same size: 900 types in ascending order with comment
// records, followed by a torsion table.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "format/record.hpp"
#include "molecule/bonded_terms.hpp"
#include "molecule/params.hpp"

namespace {

using namespace veka;

// Types 1..799 and 900..1000: 900 types, leaving out the locally defined 800..899.
constexpr int kLastSyntheticType = 1000;

std::string syntheticTable() {
  static const char* kFf[] = {"CT", "HC", "OH", "HO", "CA", "HA", "N ", "H ", "C ", "O "};
  std::string t;
  for (int n = 1; n <= kCommandRecords; ++n)
    t += "command section record " + std::to_string(n) + "\n";
  char line[96];
  for (int type = 1; type <= kLastSyntheticType; ++type) {
    if (isLocalSoluteType(type)) continue;
    if (type % 50 == 0) t += "# block of types\n";
    std::snprintf(line, sizeof line, "%4d %2d %-2s %10.6f%10.6f%10.6f synthetic type\n", type, 6,
                  kFf[type % 10], 0.001 * (type % 200) - 0.1, 3.0 + 0.001 * type, 0.05);
    t += line;
  }
  t += "\nTorsion types\nTORSION 1\n";
  for (int n = 1; n <= 600; ++n) {
    std::snprintf(line, sizeof line, "%3d  %8.4f 0%8.4f 0%8.4f 0%8.4f 0  %-2s %-2s %-2s %-2s\n",
                  n % 999, 0.1, 0.2, 0.3, 0.0, kFf[n % 10], kFf[(n / 10) % 10], kFf[(n / 100) % 10],
                  kFf[(n / 3) % 10]);
    t += line;
  }
  return t;
}

// The parameter text and the type numbers its atom-type table holds.
struct Table {
  std::string text;
  std::vector<int> types;
  std::string source;
};

Table loadTable(bool projectFile) {
  Table tb;
  std::ifstream in(std::string(VEKA_DATA_DIR) + "/forcefield/opls-aa.par");
  if (projectFile && in) {
    std::stringstream ss;
    ss << in.rdbuf();
    tb.text = ss.str();
    tb.source = "data/forcefield/opls-aa.par";
  } else {
    tb.text = syntheticTable();
    tb.source = "synthetic";
  }
  std::istringstream lines(tb.text);
  std::string rec;
  for (int n = 0; n < kCommandRecords; ++n) std::getline(lines, rec);
  while (std::getline(lines, rec)) {
    if (!rec.empty() && rec[0] == '#') continue;
    int t = 0;
    if (!fmt::parseInteger(std::string_view(rec).substr(0, 4), t) || t == 0) break;
    if (!isLocalSoluteType(t)) tb.types.push_back(t);  // those live in the Z-matrix file
  }
  return tb;
}

std::unique_ptr<State> soluteState(const Table& tb) {
  auto s = std::make_unique<State>();
  s->io.parfile.openText(tb.text, "parameters");
  s->geom.RC1 = 0.5;
  s->geom.RC2 = 1.0;
  Zmat& z = s->zmat;
  z.NSATM = MAXATM;
  z.NSOLUT = 1;
  z.first(1) = 1;
  z.last(1) = MAXATM;
  const std::size_t nt = tb.types.size();
  for (int i = 1; i <= MAXATM; ++i) {
    z.ITYPE(i) = tb.types[(static_cast<std::size_t>(i) * 7919) % nt];
    z.JTYPE(i) = i % 10 == 0 ? tb.types[(static_cast<std::size_t>(i) * 104729) % nt] : 0;
  }
  return s;
}

void BM_AtomTypes4500(benchmark::State& st) {
  const Table tb = loadTable(true);
  auto s = soluteState(tb);
  for (auto _ : st) {
    assignSoluteTypes(*s);
    benchmark::DoNotOptimize(s->potpar.NSLOT);
  }
  st.SetLabel(tb.source + ", " + std::to_string(tb.types.size()) + " types");
}
BENCHMARK(BM_AtomTypes4500)->Unit(benchmark::kMillisecond);

// Bond and angle records for every pair and triple of the synthetic force-field types.
std::string syntheticBangfil() {
  static const char* kFf[] = {"CT", "HC", "OH", "HO", "CA", "HA", "N ", "H ", "C ", "O "};
  std::string bonds, angles;
  char line[64];
  for (int a = 0; a < 10; ++a)
    for (int b = a; b < 10; ++b) {
      std::snprintf(line, sizeof line, "%-2s-%-2s%10.4f%10.4f\n", kFf[a], kFf[b], 300.0, 1.4);
      bonds += line;
      for (int c = a; c < 10; ++c) {
        std::snprintf(line, sizeof line, "%-2s-%-2s-%-2s  %10.3f%10.3f\n", kFf[a], kFf[b], kFf[c],
                      50.0, 110.0);
        angles += line;
      }
    }
  return bonds + "\n" + angles + "\n";
}

// A chain of 1203 atoms: 950 bonds and angles and 1200 dihedrals with automatic types,
// on the synthetic tables.
void BM_BondedChain(benchmark::State& st) {
  const Table tb = loadTable(false);
  auto s = soluteState(tb);
  s->io.bangfil.openText(syntheticBangfil(), "bonds");
  assignSoluteTypes(*s);
  const int n = MAXDIH + 1;
  for (int i = 1; i < n; ++i) {
    Covnbr& cn = s->covnbr;
    cn.NEB(++cn.NNEB(i), i) = static_cast<std::int16_t>(i + 1);
    cn.NEB(++cn.NNEB(i + 1), i + 1) = static_cast<std::int16_t>(i);
  }
  for (int b = 1; b <= MAXBND; ++b) {
    s->bndcom.IB1(b) = b + 1;
    s->bndcom.IB2(b) = b;
    s->angcom.IA1(b) = b;
    s->angcom.IA2(b) = b + 1;
    s->angcom.IA3(b) = b + 2;
  }
  s->bndcom.NBND = s->bndcom.NVBND = s->angcom.NANG = s->angcom.NVANG = MAXBND;
  s->dihcom.NDIH = s->dihcom.NVDIH = MAXDIH;
  for (int d = 1; d <= MAXDIH; ++d) {
    Dihcom& dc = s->dihcom;
    dc.ID1(d) = d;
    dc.ID2(d) = d + 1;
    dc.ID3(d) = d + 2;
    dc.ID4(d) = d + 3 <= MAXATM ? d + 3 : d;
    dc.ITOR0(d) = dc.ITOR1(d) = -1;
    dc.DDIH(d) = -1.0;
  }
  s->io.listLevel = 3;
  const Dihcom saved = s->dihcom;
  for (auto _ : st) {
    s->dihcom = saved;
    assignBonded(*s);
    benchmark::DoNotOptimize(s->dihcom.V3[0](1));
  }
  st.SetLabel(tb.source);
}
BENCHMARK(BM_BondedChain)->Unit(benchmark::kMillisecond);

}  // namespace
