// The end of a search: the refinement of the stored conformers and the summary.
#include <string>
#include <vector>

#include "energy/gasphase.hpp"
#include "format/record.hpp"
#include "normalmodes/calfreq.hpp"
#include "optimize/driver.hpp"
#include "optimize/minimizers.hpp"
#include "results/mdlmol.hpp"
#include "results/pdbout.hpp"
#include "results/zmatout.hpp"
#include "search/search.hpp"
#include "search/store.hpp"

namespace veka {

namespace {

using fmt::RecordWriter;

constexpr double kRefineTolerance = 1.0e-6;

void energyLine(Io& io, const char* label, double v) {
  io.list(RecordWriter().A(" ").A(label, 24).A(" =").F(v, 14, 6).str());
}

void listComponents(Io& io, const EnergyComponents& e) {
  energyLine(io, "Estretch", e.stretch);
  energyLine(io, "Ebend", e.bend);
  energyLine(io, "Etorsion", e.torsion);
  energyLine(io, "Enonbond (intrasolute)", e.intra);
  energyLine(io, "Enonbond (intersolute)", e.inter);
  energyLine(io, "Ebond-constraints", e.constraints);
  energyLine(io, "E total", e.total);
}

void listSampled(State& s) {
  const Csrch& c = s.csrch;
  const Zmat& z = s.zmat;
  static constexpr const char* kName[4] = {"", "Bond", "Angle", "Dihedral"};
  s.io.list(std::string("   Type         I   -   J   -   K   -   L      Min") + "         Max");
  for (int k = 1; k <= c.nsamp; ++k) {
    const int a = c.sampAtom(k), kind = c.sampKind(k);
    s.io.list(RecordWriter()
                  .X(1)
                  .A(kName[kind], 8)
                  .I(a, 8)
                  .I(z.IZ1(a), 8)
                  .I(kind >= kVarAngle ? z.IZ2(a) : 0, 8)
                  .I(kind == kVarDihedral ? z.IZ3(a) : 0, 8)
                  .F(c.sampMin(k), 12, 6)
                  .F(c.sampMax(k), 12, 6)
                  .str());
  }
}

void listSteps(State& s) {
  const Csrch& c = s.csrch;
  auto line = [&](const char* label, long long v) {
    s.io.list(RecordWriter().A(label).I(v, 12).str());
  };
  line(" Number of MC steps requested in this run = ", c.requested);
  line(" Number of MC steps completed in this run = ", c.done);
  line(" Number of MC steps in the previous run   = ", c.previous);
  line(" Total number of MC steps completed       = ", c.previous + c.done);
}

void writeStructures(State& s, int k, double e) {
  Io& io = s.io;
  io.list("");
  io.list(RecordWriter().A(" Z-matrix of conformer").I(k, 4).str());
  writzm(s, io.output, e);
  writzm(s, io.summary, e);
  const int f = io.structFormat;
  if (f >= 1 && f <= 3) {
    io.pltfile.write(RecordWriter().A("REMARK    Tot. E =").F(e, 12, 4).str());
    pdbout(s);
    io.pltfile.write("END");
  } else if (f == 4 || f == 5) {
    mdlmol(s, e);
  }
}

void listConformer(State& s, int k, long long finds) {
  const Csrch& c = s.csrch;
  loadConformer(s, k);
  const double e = gasPhaseEnergy(s);
  acceptSoluteEnergies(s);
  s.solcor.xyz[1] = s.solcor.xyz[0];
  s.solcor.xyz[2] = s.solcor.xyz[0];
  s.io.list("");
  s.io.list(RecordWriter()
                .A("Conformer")
                .I(k, 4)
                .A("  E =")
                .F(e, 14, 6)
                .A("  R2 =")
                .E(c.r2(k), 12, 4)
                .A("  Nopt =")
                .I(c.Nopt(k), 6)
                .A(" (")
                .F(finds > 0 ? 100.0 * c.Nopt(k) / static_cast<double>(finds) : 0.0, 6, 2)
                .A("%)  Nuse =")
                .I(c.Nuse(k), 6)
                .str());
  listComponents(s.io, energyComponents(s));
  writeStructures(s, k, e);
  if (s.nmode.afterOptimisation == 1) {
    s.io.list(RecordWriter().A("Normal Coordinate Analysis for Conformer").I(k, 4).str());
    calfreq(s);
  }
}

}  // namespace

void refgeo(State& s) {
  Csrch& c = s.csrch;
  Optim& o = *s.optim;
  Io& io = s.io;
  io.list("");
  io.list("REFINEMENT OF THE OPTIMIZED CONFORMERS");
  io.list("Optimization Algorithm = BFGS");
  io.list("Convergence Criterion  = 1.0E-6");
  const int n = c.NCONF;
  const std::vector<double> values(c.values.begin(),
                                   c.values.begin() + static_cast<long>(n) * c.nvar);
  const Array1<double, MAXCNF> energy = c.energy, r2 = c.r2;
  const Array1<int, MAXCNF> nopt = c.Nopt, nuse = c.Nuse;
  const double ftl = o.FTL;
  o.FTL = kRefineTolerance;
  c.NCONF = 0;
  c.placeholder = false;
  for (int k = 1; k <= n; ++k) {
    io.list(RecordWriter()
                .A("Conformer")
                .I(k, 4)
                .A("  Old Etot =")
                .F(energy(k), 14, 6)
                .A("  R2tot =")
                .E(r2(k), 12, 4)
                .A("  Nopt =")
                .I(nopt(k), 6)
                .A("  Nuse =")
                .I(nuse(k), 6)
                .str());
    for (int v = 1; v <= c.nvar; ++v)
      o.x(v) = values[static_cast<std::size_t>(k - 1) * static_cast<std::size_t>(c.nvar) +
                      static_cast<std::size_t>(v - 1)];
    double e = 0.0;
    const bool ok = optgeo(s, opt::BFGS, e);
    io.list(RecordWriter().A("  New Etot =").F(e, 14, 6).str());
    if (ok) putgeo(s, e, nopt(k), nuse(k));
  }
  o.FTL = ftl;
  io.list(RecordWriter().A("Total number of conformers after refinement =").I(c.NCONF, 4).str());
  cssave(s);
}

void csprnt(State& s) {
  const Csrch& c = s.csrch;
  Io& io = s.io;
  io.list("");
  io.list("Summary of Conformational Searching");
  listSampled(s);
  listSteps(s);
  io.list("");
  io.list(RecordWriter()
              .A(" CSETOL =")
              .F(s.search.CSETOL, 12, 5)
              .A(" CSRMS =")
              .F(s.search.CSRMS, 12, 5)
              .A(" CSRTOL =")
              .F(s.search.CSRTOL, 12, 5)
              .str());
  io.list(RecordWriter()
              .A(" CSREUP =")
              .F(s.search.CSREUP, 12, 5)
              .A(" CSAELO =")
              .F(s.search.CSAELO, 12, 5)
              .A(" CSAEUP =")
              .F(s.search.CSAEUP, 12, 5)
              .str());
  if (c.placeholder && c.NCONF == 1) {
    io.list(RecordWriter()
                .A("No conformers are found within ")
                .F(s.search.CSAELO, 12, 5)
                .A(" and ")
                .F(s.search.CSAEUP, 12, 5)
                .A(" kcal/mol range.")
                .str());
    io.list("The conformers listed are the minimized initial or previous geometries.");
  } else {
    io.list(RecordWriter().A("Total Number of Conformers = ").I(c.NCONF, 3).str());
  }
  io.summary.rewind();
  io.pltfile.rewind();
  long long finds = 0;
  for (int k = 1; k <= c.NCONF; ++k) finds += c.Nopt(k);
  for (int k = 1; k <= c.NCONF; ++k) listConformer(s, k, finds);
}

}  // namespace veka
