#include "results/statelist.hpp"

#include <cmath>
#include <ctime>
#include <string>
#include <vector>

#include "format/record.hpp"

namespace veka {

namespace {

using fmt::RecordWriter;
using Lines = std::vector<std::string>;

// The date as the platform's date routine gives it: 24 characters, e.g.
// "Sun Dec  6 03:44:15 2026".
std::string dateText() {
  const std::time_t now = std::time(nullptr);
  char buf[32] = {};
  std::strftime(buf, sizeof buf, "%a %b %e %H:%M:%S %Y", std::localtime(&now));
  return std::string(buf).substr(0, 24);
}

// One line of (label, value) pairs: 1X, then each label and value with 4X between pairs.
struct Pair {
  const char* label;
  double value;
  int w, d;
};
std::string pairs(std::initializer_list<Pair> items) {
  RecordWriter r;
  r.X(1);
  bool first = true;
  for (const Pair& p : items) {
    if (!first) r.X(4);
    first = false;
    r.A(p.label).F(p.value, p.w, p.d);
  }
  return r.str();
}

// The volume of the box (A^3).
double volume(const State& s) {
  return s.coord.EDGE(1) * s.coord.EDGE(2) * s.coord.EDGE(3);
}

// The run block, the reaction-field line and the reference-solute block: written to both
// the listing and the summary file.
Lines runBlock(const State& s, double ecut) {
  const Energy& e = s.energy;
  Lines out;
  RecordWriter r;
  r.X(1).A("NMOL =").I(s.coord.NMOL, 4).X(10).A("EDGE =");
  for (int k = 1; k <= 3; ++k) r.F(s.coord.EDGE(k), 10, 4);
  r.X(4).A("RCUT =").F(s.cutoff.RCUT, 10, 4);
  out.push_back(r.str());
  r.clear();
  r.X(1).A("NACCPT =").I(s.config.NACCPT, 9).X(3).A("NRJECT =").I(s.config.NRJECT, 9);
  r.X(3).A("MXCON =").I(s.config.MXCON, 8).X(5).A("NCON =").I(s.config.NCON, 8);
  out.push_back(r.str());
  r.clear();
  r.X(1).A("T(C) =").F(s.misc.TC, 10, 2).X(4).A("OLD E =").F(e.EOLD, 16, 8);
  r.X(4).A("NEW E =").F(e.ENEW, 16, 8);
  out.push_back(r.str());
  r.clear();
  r.X(1).A("RDEL =").F(s.movp.RDEL, 10, 4).X(4).A("ADEL =").F(s.movp.ADEL / s.misc.DTORAD, 10, 4);
  r.X(4).A("VDEL =").F(s.movp.VDEL, 10, 1).X(4).A("MXS =").I(MXS, 8);
  out.push_back(r.str());
  r.clear();
  // Between volume moves the trial volume is the current one.
  r.X(1).A("P(ATM) =").F(s.misc.PATM, 8, 1).X(4).A("VOLD =").F(volume(s), 12, 1);
  r.X(2).A("VNEW =").F(volume(s), 12, 1).X(2).A("NVCHG =").I(s.movp.NVCHG, 6);
  out.push_back(r.str());
  r.clear();
  r.X(1).A("DIELRF =").F(s.potpar.DIELRF, 8, 1).X(4);
  r.A(s.potpar.DIELRF <= 1.0 ? "Reaction Field NOT Applied" : "Reaction Field Applied");
  out.push_back(r.str());
  if (s.cutoff.ewald == 1) out.emplace_back(" Ewald Sums are Applied");
  out.emplace_back("");
  out.emplace_back(" Information for the Reference Solute:");
  r.clear();
  r.X(1).A("NSCHG=").I(s.movp.NSCHG, 6).X(8).A("SCUT =").F(s.cutoff.SCUT, 10, 4);
  r.X(4).A("ICUT =").I(s.cutoff.ICUT, 6).X(8).A("NCENT =").I(s.misc.NCENT(1), 4);
  r.X(1).I(s.misc.NCENT(2), 4);
  out.push_back(r.str());
  out.push_back(pairs({{"RDELS1=", s.movp.RDELS(1), 9, 4},
                       {"RDELS2=", s.movp.RDELS(2), 9, 4},
                       {"ADELS1=", s.movp.ADELS(1) / s.misc.DTORAD, 9, 4},
                       {"ADELS2=", s.movp.ADELS(2) / s.misc.DTORAD, 9, 4}}));
  out.push_back(pairs({{"ESOLD=", e.ESOLD[0], 10, 2},
                       {"ESONE=", e.ESONE[0], 10, 2},
                       {"WIMAX=", s.prfsmp.WIMAX, 10, 6},
                       {"WKC =", s.movp.WKC, 8, 2}}));
  out.push_back(pairs({{"EXXOLD=", e.EXXOLD[0], 9, 2},
                       {"EXXNEW=", e.EXXNEW[0], 9, 2},
                       {"DIELEC=", s.potpar.DIELEC, 9, 4},
                       {"CUTOFF E=", ecut, 9, 3}}));
  r.clear();
  r.X(1).A("EPOOLD=").F(e.EPOOLD[0], 9, 2).X(4).A("EPONEW=").F(e.EPONEW[0], 9, 2);
  // No polarisable solute or solvent sites in this build.
  r.X(4).A("NPOLX =").I(0, 9).X(4).A("NPOLS =").I(0, 9);
  out.push_back(r.str());
  out.push_back(pairs({{"EBNDOL=", s.bndcom.EBNDOL[0], 9, 4},
                       {"EBNDNE=", s.bndcom.EBNDNE[0], 9, 4},
                       {"EANGOL=", s.angcom.EANGOL[0], 9, 4},
                       {"EANGNE=", s.angcom.EANGNE[0], 9, 4}}));
  out.push_back(pairs({{"EDIHOL=", s.dihcom.EDIHOL[0], 9, 4},
                       {"EDIHNE=", s.dihcom.EDIHNE[0], 9, 4},
                       {"ENBOL=", s.nbcom.ENBOL[0], 10, 2},
                       {"ENBNE=", s.nbcom.ENBNE[0], 10, 2}}));
  out.push_back(pairs({{"EBCOLD=", s.nbcon.EBCOLD[0], 9, 2},
                       {"EBCNEW=", s.nbcon.EBCNEW[0], 9, 2},
                       {"SANEW =", 0.0, 9, 2},
                       {"POLCUT=", 0.0, 9, 2}}));
  out.emplace_back("");
  if (s.sol.flexible != 0) {
    const Flexe& f = s.flexe;
    out.push_back(pairs({{"ESBNOL=", f.ESBNOL, 9, 2},
                         {"ESBNNE=", f.ESBNNE, 9, 2},
                         {"ESANOL=", f.ESANOL, 9, 2},
                         {"ESANNE=", f.ESANNE, 9, 2}}));
    out.push_back(pairs({{"ESDIOL=", f.ESDIOL, 9, 2},
                         {"ESDINE=", f.ESDINE, 9, 2},
                         {"ESNBOL=", f.ESNBOL, 9, 2},
                         {"ESNBNE=", f.ESNBNE, 9, 2}}));
  }
  return out;
}

std::string scaleLine(const State& s) {
  RecordWriter r;
  r.A(" 1-4 Scale Factors: Coul.=").F(s.potpar.SCL14C, 14, 5).A(" L-J=");
  r.F(s.potpar.SCL14L, 14, 5).X(2).A("CUTNB =").F(s.nbcom.CUTNB, 9, 3);
  return r.str();
}

// The two-solvent and cap lines (when they apply).
Lines solventAndCap(const State& s) {
  Lines out;
  if (s.sol.NMOL2 > 0) {
    out.emplace_back(" Two Solvents Used:");
    RecordWriter r;
    r.I(s.coord.NMOL - s.sol.NMOL2, 5).X(1).A(s.sol.name(1).view(), 5).X(3);
    r.I(s.sol.NMOL2, 5).X(1).A(s.sol.name(2).view(), 5);
    out.push_back(r.str());
  }
  if (s.cap.atom != 0) {
    out.emplace_back(" Solvent Cap is Used:");
    RecordWriter r;
    r.X(1).A("Cap Atom =").I(s.cap.atom, 4).X(2).A("Cap Radius =").F(s.cap.radius, 10, 4);
    r.X(2).A("Force Const. =").F(s.cap.force, 10, 4);
    out.push_back(r.str());
  }
  return out;
}

constexpr const char* kSlabLine = " * Z-Periodicity is Not Applied - Slab Simulation *";

void writeSummary(State& s, const Lines& block) {
  Unit& u = s.io.summary;
  RecordWriter r;
  r.X(1).A("Results Summary: ").A(s.zmat.title.view(), 30).X(5).A(dateText(), 24);
  u.write(r.str());
  u.write("");
  for (const std::string& l : block) u.write(l);
  u.write(scaleLine(s));
  r.clear();
  r.X(1).A("RC0 =").F(s.geom.RC0, 10, 4).X(3).A("RC1 =").F(s.geom.RC1, 10, 4);
  r.X(3).A("RC2 =").F(s.geom.RC2, 10, 4);
  u.write(r.str());
  for (const std::string& l : solventAndCap(s)) u.write(l);
  if (s.control.slab) u.write(kSlabLine);
}

// Four-value lines of the perturbed solutes: (label, value) x 4 for the current and trial
// energies of states 1 and 2.
void perturbedLines(State& s) {
  const Energy& e = s.energy;
  struct Row {
    const char* l[4];
    const PerState &ol, &ne;
    int w, d;
  };
  const Row rows[] = {
      {{"ESOL1=", "ESON1=", "ESOL2=", "ESON2="}, e.ESOLD, e.ESONE, 10, 2},
      {{"EXXOL1=", "EXXNE1=", "EXXOL2=", "EXXNE2="}, e.EXXOLD, e.EXXNEW, 9, 2},
      {{"EPOOL1=", "EPONE1=", "EPOOL2=", "EPONE2="}, e.EPOOLD, e.EPONEW, 9, 2},
      {{"EBNOL1=", "EBNNE1=", "EBNOL2=", "EBNNE2="}, s.bndcom.EBNDOL, s.bndcom.EBNDNE, 9, 2},
      {{"EANOL1=", "EANNE1=", "EANOL2=", "EANNE2="}, s.angcom.EANGOL, s.angcom.EANGNE, 9, 4},
      {{"EDIOL1=", "EDINE1=", "EDIOL2=", "EDINE2="}, s.dihcom.EDIHOL, s.dihcom.EDIHNE, 9, 4},
      {{"ENBOL1=", "ENBNE1=", "ENBOL2=", "ENBNE2="}, s.nbcom.ENBOL, s.nbcom.ENBNE, 9, 2},
      {{"EBCOL1=", "EBCNE1=", "EBCOL2=", "EBCNE2="}, s.nbcon.EBCOLD, s.nbcon.EBCNEW, 9, 2},
  };
  s.io.list(" Information for Perturbed Solutes 1 and 2:");
  for (const Row& w : rows)
    s.io.list(pairs({{w.l[0], w.ol[1], w.w, w.d},
                     {w.l[1], w.ne[1], w.w, w.d},
                     {w.l[2], w.ol[2], w.w, w.d},
                     {w.l[3], w.ne[2], w.w, w.d}}));
}

void listIntegers(State& s, const char* head, const int* v, int n, int perLine) {
  s.io.list(head);
  RecordWriter r;
  r.X(1);
  for (int i = 0; i < n; ++i) {
    r.I(v[i], 4);
    if ((i + 1) % perLine == 0 || i + 1 == n) {
      s.io.list(r.str());
      r.clear();
      r.X(1);
    }
  }
}

void cutoffAtoms(State& s) {
  const Cutoff& c = s.cutoff;
  const Slveco& v = s.slveco;
  listIntegers(s, " Solute  Atoms Used for Cutoff (ICUTAT):", c.ICUTAT.data(), c.NICUTAT, 20);
  listIntegers(s, " Solvent Atoms Used for Cutoff (ICUTAS):", &v.ICUTAS(1, 1), v.NICUTAS(1), 5);
  if (v.twoSolvents)
    listIntegers(s, " Solvent 2 Atoms Used for Cutoff (ICUTAS):", &v.ICUTAS(1, 2), v.NICUTAS(2), 5);
}

void optionLines(State& s) {
  Io& io = s.io;
  if (s.control.slab) io.list(kSlabLine);
  if (s.dihcom.chop != 1.0e10) {
    RecordWriter r;
    r.A(" *** Torsional Barriers are Choppped at").F(s.dihcom.chop, 10, 4).A(" kcal/mol ***");
    io.list(r.str());
  }
  if (s.sw.firstSoluteOnly == 1)
    io.list(" *** Solute - Solute Interactions Neglected for Solutes Other than Solute 1 ***");
  if (s.sw.noSolventSolvent != 0) io.list(" *** Solvent - Solvent Interactions are Neglected ***");
  if (s.potpar.ljScale != 1.0) {
    RecordWriter r;
    r.X(5).A("LJ Parameters for the Solutes are Scaled by").F(s.potpar.ljScale, 10, 4);
    io.list(r.str());
  }
  if (s.misc.heatedSolute != 0) {
    RecordWriter r;
    r.A(" *** Heating of Solute").I(s.misc.heatedSolute, 3).A(" Requested at");
    r.F(s.misc.heatedTC, 9, 1).A(" C ***");
    io.list(r.str());
  }
  if (!s.slveco.smoothed) io.list(" ** Potential Functions are NOT Smoothed at Cutoff **");
}

double dist(double ax, double ay, double az, double bx, double by, double bz) {
  return std::sqrt((ax - bx) * (ax - bx) + (ay - by) * (ay - by) + (az - bz) * (az - bz));
}

void solventGeometry(State& s) {
  const Coord& c = s.coord;
  Io& io = s.io;
  io.list(" Atomic Positions");
  io.list("               X          Y          Z          X          Y          Z");
  for (int m = 1; m <= c.NMOL; ++m) {
    const int sv = c.solvent(m) == 2 ? 2 : 1;
    const int ns = s.sol.nsites(sv);
    RecordWriter r;
    r.X(1).A("Molecule").I(m, 5).X(4).A("Atoms:");
    for (int k = 1; k <= ns && k <= 5; ++k) r.X(1).A(s.potpar.nameW(k, sv).view(), 3).A(",");
    io.list(r.str());
    r.clear();
    int n = 0;
    for (int k = 1; k <= ns; ++k) {
      const double v[3] = {c.X(m, k), c.Y(m, k), c.Z(m, k)};
      for (double x : v) {
        if (n % 6 == 0) r.X(8);
        r.F(x, 9, 5).X(2);
        if (++n % 6 == 0) io.list(r.str()), r.clear();
      }
    }
    if (n % 6 != 0) io.list(r.str());
    if (ns >= 3) {
      r.clear();
      r.X(1).I(m, 4).X(5).A("R12=");
      r.F(dist(c.X(m, 1), c.Y(m, 1), c.Z(m, 1), c.X(m, 2), c.Y(m, 2), c.Z(m, 2)), 9, 5);
      r.X(2).A("R13=");
      r.F(dist(c.X(m, 1), c.Y(m, 1), c.Z(m, 1), c.X(m, 3), c.Y(m, 3), c.Z(m, 3)), 9, 5);
      r.X(2).A("R23=");
      r.F(dist(c.X(m, 2), c.Y(m, 2), c.Z(m, 2), c.X(m, 3), c.Y(m, 3), c.Z(m, 3)), 9, 5);
      io.list(r.str());
    }
  }
}

// Coordinates, bonds and angles of solute state st.
void soluteGeometry(State& s, int st) {
  const Zmat& z = s.zmat;
  const Xyz& x = s.solcor.xyz[static_cast<std::size_t>(st)];
  Io& io = s.io;
  auto d = [&](int i, int j) { return dist(x.x(i), x.y(i), x.z(i), x.x(j), x.y(j), x.z(j)); };
  for (int m = 1; m <= z.NSOLUT; ++m) {
    RecordWriter r;
    r.A(" Solute").I(m, 3).A(":");
    io.list(r.str());
    io.list("              X          Y          Z");
    for (int i = z.first(m); i <= z.last(m); ++i) {
      r.clear();
      r.X(1).I(i, 4).X(3);
      r.F(x.x(i), 9, 5).X(2).F(x.y(i), 9, 5).X(2).F(x.z(i), 9, 5).X(2);
      r.A(z.name(i).view(), 3);
      io.list(r.str());
    }
  }
  io.list(" Variable and Additional Bonds");
  io.list("  Atom I      Atom J      RIJ");
  for (int b = 1; b <= s.bndcom.NBND; ++b) {
    const int i = s.bndcom.IB1(b), j = s.bndcom.IB2(b);
    RecordWriter r;
    r.X(2).I(i, 4).X(8).I(j, 4).X(5).F(d(i, j), 8, 4);
    io.list(r.str());
  }
  io.list(" Variable and Additional Angles");
  io.list("  Atom I    J     K      Theta");
  for (int a = 1; a <= s.angcom.NANG; ++a) {
    const int i = s.angcom.IA1(a), j = s.angcom.IA2(a), k = s.angcom.IA3(a);
    const double dij = d(i, j), dkj = d(k, j);
    double cth = ((x.x(i) - x.x(j)) * (x.x(k) - x.x(j)) + (x.y(i) - x.y(j)) * (x.y(k) - x.y(j)) +
                  (x.z(i) - x.z(j)) * (x.z(k) - x.z(j))) /
                 (dij * dkj);
    cth = cth > 1.0 ? 1.0 : (cth < -1.0 ? -1.0 : cth);
    RecordWriter r;
    r.X(2).I(i, 4).X(2).I(j, 4).X(2).I(k, 4).X(5).F(std::acos(cth) / s.misc.DTORAD, 8, 3);
    io.list(r.str());
  }
}

void internuclear(State& s) {
  const Zmat& z = s.zmat;
  const Xyz& x = s.solcor.xyz[0];
  s.io.list(" Solute Internuclear Distances in Angstroms");
  RecordWriter r;
  int n = 0;
  for (int i = 1; i <= z.NSATM; ++i) {
    if (z.ITYPE(i) == -1) continue;
    for (int j = i + 1; j <= z.NSATM; ++j) {
      if (z.ITYPE(j) == -1) continue;
      r.X(4).A(z.name(i).view(), 3).X(1).A("-").X(1).A(z.name(j).view(), 3).A("=");
      r.F(dist(x.x(i), x.y(i), x.z(i), x.x(j), x.y(j), x.z(j)), 10, 4);
      if (++n % 4 == 0) s.io.list(r.str()), r.clear();
    }
  }
  if (n % 4 != 0) s.io.list(r.str());
}

void geometry(State& s) {
  s.io.list(" Coordinates and Distances in Angstroms");
  if (s.coord.NMOL > 0) solventGeometry(s);
  if (s.zmat.noSolute || s.zmat.NSATM == 0) return;
  soluteGeometry(s, 0);
  if (!s.geom.noPert) {
    soluteGeometry(s, 1);
    soluteGeometry(s, 2);
  }
  internuclear(s);
}

}  // namespace

void listState(State& s, double ecut) {
  Io& io = s.io;
  const Lines block = runBlock(s, ecut);
  for (int i = 0; i < 3; ++i) io.list("");
  io.list(std::string(20, ' ') + s.zmat.title.str());
  io.list(std::string(24, ' ') + dateText());
  io.list(std::string(28, ' ') + "OPLS Potentials");
  io.list("");
  io.list("");
  io.list(std::string(22, ' ') + "Parameters and Coordinates");
  io.list("");
  for (const std::string& l : block) io.list(l);
  if (!s.geom.noPert) {
    perturbedLines(s);
    io.list(scaleLine(s));
    io.list(" Reaction Coordinate or Lambda Values for the Reference and Perturbed Solutes:");
    RecordWriter r;
    r.X(1).A("RC0  =").F(s.geom.RC0, 10, 4).X(3).A(" RC1 = ").F(s.geom.RC1, 10, 4);
    r.X(4).A("RC2  =").F(s.geom.RC2, 10, 4);
    io.list(r.str());
    for (const std::string& l : solventAndCap(s)) io.list(l);
  }
  if (io.listLevel == 0) cutoffAtoms(s);
  optionLines(s);
  if (io.listLevel == 0) geometry(s);
  writeSummary(s, block);
}

}  // namespace veka
