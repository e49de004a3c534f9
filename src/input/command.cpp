#include "input/command.hpp"

#include <string>

#include "format/record.hpp"
#include "molecule/solvent_models.hpp"
#include "molecule/solvent_zmat.hpp"

namespace veka {

namespace {

using fmt::RecordReader;

// Each record is one comment line (ignored) and one data line.
std::string_view dataLine(Unit& u) {
  u.readRequired();
  return u.readRequired();
}

template <int N>
void readInts(RecordReader& r, Array1<int, N>& a, int count, int w) {
  for (int i = 1; i <= count; ++i) a(i) = r.I(w);
}

void readSolventAndQm(State& s, Unit& u) {
  {  // 1: A5, F10.4
    RecordReader r(dataLine(u), &u.origin());
    s.sol.name(1) = r.A<5>();
    s.sol.ionicStrength = r.F(10, 4);
  }
  {  // 2: 2A4, F5.2, 3I3
    RecordReader r(dataLine(u), &u.origin());
    s.qm.model = r.A<4>();
    s.qm.chargeModel = r.A<4>();
    s.qm.chargeScale = r.F(5, 2);
    readInts(r, s.qm.netCharge, 3, 3);
  }
  {  // 3: A5
    RecordReader r(dataLine(u), &u.origin());
    s.control.soluteFormatName = r.A<5>();
  }
  {  // 4: A5, 1X, A4, 1X, A4
    RecordReader r(dataLine(u), &u.origin());
    s.control.SOLOR = r.A<5>();
    r.X(1);
    s.control.SLAB = r.A<4>();
    r.X(1);
    s.control.VXYZ = r.A<4>();
  }
  {  // 5: I4, 2F10.4
    RecordReader r(dataLine(u), &u.origin());
    s.cap.atom = r.I(4);
    s.cap.radius = r.F(10, 4);
    s.cap.force = r.F(10, 4);
  }
}

void readOptimiserAndSearch(State& s, Unit& u) {
  {  // 6: A5, 1X, F10.6, A5, 2X, 2I8, 2F10.4
    RecordReader r(dataLine(u), &u.origin());
    s.control.OPTIM = r.A<5>();
    r.X(1);
    s.optset.FTOL = r.F(10, 6);
    s.control.NEWZM = r.A<5>();
    r.X(2);
    s.optset.saMaxEval = r.I(8);
    s.optset.saIter = r.I(8);
    s.optset.saT0 = r.F(10, 4);
    s.optset.saFactor = r.F(10, 4);
  }
  {  // 7: 8I1, 6F10.4
    RecordReader r(dataLine(u), &u.origin());
    SearchSet& c = s.search;
    c.refine = r.I(1);
    for (int i = 2; i <= 8; ++i) r.I(1);  // read, not used
    for (double* v : {&c.CSETOL, &c.CSRMS, &c.CSRTOL, &c.CSREUP, &c.CSAELO, &c.CSAEUP})
      *v = r.F(10, 4);
  }
  {  // 8: 3I3, 2F10.4
    RecordReader r(dataLine(u), &u.origin());
    NmodeSet& m = s.nmode;
    m.afterOptimisation = r.I(3);
    m.conformers = r.I(3);
    m.symmetryNumber = r.I(3);
    m.frequencyScale = r.F(10, 4);
    m.cutoffFrequency = r.F(10, 4);
  }
  {  // 9: 2I4, F6.2
    RecordReader r(dataLine(u), &u.origin());
    s.coord.NMOL = r.I(4);
    s.sol.boxSize = r.I(4);
    s.sol.layer = r.F(6, 2);
  }
  {  // 10: A5, I4
    RecordReader r(dataLine(u), &u.origin());
    s.sol.name(2) = r.A<5>();
    s.sol.NMOL2 = r.I(4);
  }
}

void readAtomLists(State& s, Unit& u) {
  {  // 11: 18I3, first 8
    RecordReader r(dataLine(u), &u.origin());
    s.misc.NCENT(1) = r.I(3);
    s.misc.NCENT(2) = r.I(3);
    s.misc.solventCentre = r.I(3);
    readInts(r, s.cutoff.ICUTAS, MAXICS, 3);
  }
  {  // 12: first 2
    RecordReader r(dataLine(u), &u.origin());
    readInts(r, s.misc.rotationCentre, 2, 3);
  }
  {  // 13: ICUT and ICUTAT(1..15)
    RecordReader r(dataLine(u), &u.origin());
    s.cutoff.ICUT = r.I(3);
    readInts(r, s.cutoff.ICUTAT, MAXICA, 3);
  }
  {  // 14: nine switches
    RecordReader r(dataLine(u), &u.origin());
    Switches& w = s.sw;
    for (int* v :
         {&w.soluteSetup, &w.soluteGeometry, &w.soluteStart, &w.soluteBuild, &w.firstSoluteOnly,
          &w.noSolventSolvent, &w.fixBonds, &w.fixAngles, &w.noDistanceBonds})
      *v = r.I(3);
  }
  {  // 15: numbers of radial distribution functions
    RecordReader r(dataLine(u), &u.origin());
    readInts(r, s.rdf.count, 2, 3);
  }
  {  // 16 to 19: the four radial-distribution atom lists
    RecordReader r16(dataLine(u), &u.origin());
    readInts(r16, s.rdf.list1, 15, 3);
    RecordReader r17(dataLine(u), &u.origin());
    readInts(r17, s.rdf.list2, 15, 3);
    RecordReader r18(dataLine(u), &u.origin());
    readInts(r18, s.rdf.list3, 12, 3);
    RecordReader r19(dataLine(u), &u.origin());
    readInts(r19, s.rdf.list4, 12, 3);
  }
}

void readBounds(Unit& u, Array1<double, 2>& b) {
  RecordReader r(dataLine(u), &u.origin());
  b(1) = r.F(10, 4);
  b(2) = r.F(10, 4);
}

void readMovesAndPotentials(State& s, Unit& u) {
  readBounds(u, s.rdf.firstDistribution);  // 20
  readBounds(u, s.rdf.EPARD);              // 21
  readBounds(u, s.rdf.EDISTD);             // 22
  readBounds(u, s.rdf.fifthDistribution);  // 23
  readBounds(u, s.rdf.BESOLD);             // 24
  {                                        // 25: 4I6, first 3
    RecordReader r(dataLine(u), &u.origin());
    s.movp.NVCHG = r.I(6);
    s.movp.NSCHG = r.I(6);
    s.movp.maxVarMove = r.I(6);
  }
  {  // 26: 4I6
    RecordReader r(dataLine(u), &u.origin());
    s.config.NSAVE = r.I(6);
    s.movp.NBUSE = r.I(6);
    s.cutoff.noEcut = r.I(6);
    s.cutoff.noSmoothing = r.I(6);
  }
  {  // 27: VDEL, WKC
    RecordReader r(dataLine(u), &u.origin());
    s.movp.VDEL = r.F(10, 4);
    s.movp.WKC = r.F(10, 4);
  }
  {  // 28: RDEL, ADEL (degrees in the file, radians inside), probe radius
    RecordReader r(dataLine(u), &u.origin());
    s.movp.RDEL = r.F(10, 4);
    s.movp.ADEL = r.F(10, 4) * s.misc.DTORAD;
    s.sol.probeRadius = r.F(10, 4);
  }
  for (int k = 1; k <= 2; ++k) {  // 29, 30: RDELS, ADELS (degrees) of solutes 1 and 2
    RecordReader r(dataLine(u), &u.origin());
    s.movp.RDELS(k) = r.F(10, 4);
    s.movp.ADELS(k) = r.F(10, 4) * s.misc.DTORAD;
  }
  {  // 31: I4, 2F10.4, first 2
    RecordReader r(dataLine(u), &u.origin());
    s.misc.heatedSolute = r.I(4);
    s.misc.heatedTC = r.F(10, 4);
  }
  {  // 32: 3F10.4, I4
    RecordReader r(dataLine(u), &u.origin());
    s.cutoff.RCUT = r.F(10, 4);
    s.cutoff.SCUT = r.F(10, 4);
    s.cutoff.CUTNB = r.F(10, 4);
    s.cutoff.ewald = r.I(4);
  }
  {  // 33: temperature, pressure, chop, LJ scale
    RecordReader r(dataLine(u), &u.origin());
    s.misc.TC = r.F(10, 4);
    s.misc.PATM = r.F(10, 4);
    s.sw.chop = r.F(10, 4);
    s.potpar.ljScale = r.F(10, 4);
  }
  {  // 34: DIELEC, 1-4 Coulomb and LJ divisors, DIELRF
    RecordReader r(dataLine(u), &u.origin());
    s.potpar.DIELEC = r.F(10, 4);
    s.potpar.div14C = r.F(10, 4);
    s.potpar.div14L = r.F(10, 4);
    s.potpar.DIELRF = r.F(10, 4);
  }
  {  // 35: A5, I4, 2F11.4
    RecordReader r(dataLine(u), &u.origin());
    s.control.structKeyword = r.A<5>();
    s.sw.mcSetting = r.I(4);
    s.sw.polarisation = r.F(11, 4);
    r.F(11, 4);  // the second polarisation setting: read, not used
  }
}

// ------------------------------------------------------------------ derived values

void stopSettings(State& s, std::string_view msg) {
  stop(s.io, msg, Console::Stdout);
}

void deriveSolvents(State& s) {
  // 2. first solvent
  const SolventModel m1 = slvmod(s.sol.name(1).view());
  s.sol.code(1) = m1.code;
  s.sol.nsites(1) = m1.sites;
  s.sol.gbsa = m1.gbsa ? 1 : 0;
  if (m1.code == 0) stopSettings(s, "Unavailable Solvent Model Requested in INIT - Abort");
  if (m1.code == kSolventOther) s.sol.flexible = 1;
  if (m1.code == kSolventNone) {
    s.movp.NVCHG = 999999;
    s.movp.NSCHG = 1;
    s.rdf.count(1) = s.rdf.count(2) = 0;
    s.coord.NMOL = 0;
    s.sol.boxSize = 0;
    s.sol.name(2) = Chars<5>();
  }
  // 3. and 4. scale factor and dielectric constant
  if (s.potpar.ljScale <= 0.0) s.potpar.ljScale = 1.0;
  if (s.sw.noSolventSolvent == 0) {
    s.potpar.ljScale = 1.0;
    if (m1.code != kSolventNone) s.potpar.DIELEC = 1.0;
  }
  if (s.potpar.DIELEC <= 0.0) s.potpar.DIELEC = 1.0;
  // 5. second solvent
  if (!s.sol.name(2).blank() && !(s.sol.name(2) == "NONE ")) {
    const SolventModel m2 = slvmod(s.sol.name(2).view());
    s.sol.code(2) = m2.code;
    s.sol.nsites(2) = m2.sites;
    if (m2.code == 0) stopSettings(s, "Unavailable Solvent Model Requested in INIT - Abort");
    if ((m1.code == 1 && m2.code == 2) || (m1.code == 2 && m2.code == 1))
      stopSettings(s, "Do Not Use TIP3P and TIP4P Simultaneously - Aborted");
    if (m1.code == kSolventOther && m2.code == kSolventOther)
      stopSettings(s, "Only One Solvent Can Be Flexible (Other) - Aborted");
    if (m2.code == kSolventOther) s.sol.flexible = 2;
  } else {
    s.sol.NMOL2 = 0;
  }
  // The solvent of its own file takes its name and sites from that file.
  if (s.sol.flexible != 0) redzms(s, s.sol.flexible);
  // 6. probe radius
  if (s.sol.probeRadius <= 0.0)
    s.sol.probeRadius = (m1.code >= 3 && m1.code <= 98 && m1.code != 13) ? 3.2 : 1.4;
  // 7. neglected solvent-solvent interactions
  if (s.sw.noSolventSolvent != 0) {
    s.movp.WKC = 20000.0;
    s.movp.prefSampling = 1;
    s.rdf.count(1) = s.rdf.count(2) = 0;
    s.sw.noSolventSolvent = 1;
    s.geom.noPert = 1;
  }
}

int qmMethod(const Chars<4>& m) {
  if (m == "AM1 " || m == "AM1S") return 1;
  if (m == "PM3 " || m == "PM3S") return 2;
  if (m == "PDG " || m == "PDGS") return 3;
  if (m == "MDG " || m == "MDGS") return 4;
  if (m.blank() || m == "NONE") return 0;
  return -1;
}

int qmChargeModel(const Chars<4>& m) {
  if (m == "MULL") return 2;
  if (m == "CM1 " || m == "CM1A" || m == "CM1P") return 3;
  if (m == "CM3 " || m == "CM3A" || m == "CM3P") return 4;
  if (m.blank() || m == "OPLS" || m == "NONE") return 0;
  return -1;
}

void deriveQm(State& s) {
  // 8. QM model and charge model
  Qm& q = s.qm;
  q.method = qmMethod(q.model);
  if (q.method < 0) stopSettings(s, "Unavailable QM Choice: " + q.model.str() + " - Aborted");
  q.chargeCode = qmChargeModel(q.chargeModel);
  if (q.chargeCode < 0)
    stopSettings(s, "Unavailable QM Choice: " + q.chargeModel.str() + " - Aborted");
  q.singlePoint = q.method > 0 && (q.model[3] == 'S' || q.model[3] == 's');
  if (q.method == 0) q.chargeCode = 0;
  if (q.chargeScale < 0.0) q.chargeScale = q.netCharge(1) != 0 ? 1.0 : 1.2;
}

void deriveCentresAndCap(State& s) {
  // 9. integer setting of record 35
  if (s.sw.mcSetting <= 0) s.sw.mcSetting = 1;
  // 10. centre atoms
  Misc& m = s.misc;
  if (m.solventCentre <= 0) m.solventCentre = 1;
  s.sol.centreAtom = m.solventCentre;
  if (m.NCENT(1) <= 0) m.NCENT(1) = 1;
  if (m.NCENT(2) <= 0) m.NCENT(2) = m.NCENT(1);
  if (m.rotationCentre(1) <= 0) m.rotationCentre(1) = 1;
  if (m.rotationCentre(2) <= 0) m.rotationCentre(2) = m.rotationCentre(1);
  // 11. solvent cap
  Cap& c = s.cap;
  if (c.atom != 0) {
    if (c.atom < 0) c.atom = m.NCENT(1);
    if (c.radius <= 0.0) c.radius = 15.0;
    c.r2 = c.radius * c.radius;
    c.r5sq = (c.radius + 5.0) * (c.radius + 5.0);
    s.movp.NVCHG = 999999;
  }
}

void readSoluteTitle(State& s) {
  Unit& z = s.io.zmatfile;
  switch (s.control.soluteFormat) {
    case kZmat: {
      RecordReader r(z.readRequired(), &z.origin());
      s.zmat.title = r.A<30>();
      break;
    }
    case kPdb: {
      z.rewind();
      RecordReader r(z.readRequired(), &z.origin());
      r.T(21);
      s.zmat.title = r.A<30>();
      break;
    }
    case kMind: {
      z.rewind();
      RecordReader r(z.readRequired(), &z.origin());
      r.T(7);
      s.zmat.title = r.A<30>();
      break;
    }
    default:
      break;
  }
}

void deriveFormats(State& s) {
  // 12. solute format, solvent source, solute title
  Control& c = s.control;
  const Chars<5>& f = c.soluteFormatName;
  if (f == "ZMAT ") {
    c.soluteFormat = kZmat;
  } else if (f == "PDB  " || f == "PDBP ") {
    c.soluteFormat = kPdb;
    c.pdbWithParams = f == "PDBP ";
  } else if (f == "MIND ") {
    c.soluteFormat = kMind;
  } else if (f == "IN   ") {
    c.soluteFormat = kIn;
  } else if (f == "ZIN  ") {
    c.soluteFormat = kZin;
  } else {
    stopSettings(s, "*** UNRECOGNIZED SOLUTE FORMAT IN THE PAR FILE ***");
  }
  const Chars<5>& v = c.SOLOR;
  if (v == "BOXES") {
    c.solventSource = kBoxes;
  } else if (v == "IN   ") {
    c.solventSource = kFromIn;
  } else if (v == "NONE " || v.blank()) {
    c.solventSource = kNoSolvent;
  } else if (v == "CAP  ") {
    c.solventSource = kBoxes;
    c.cap = true;
  } else {
    stopSettings(s, "*** UNRECOGNIZED SOLVENT FORMAT IN THE PAR FILE ***");
  }
  readSoluteTitle(s);
  // 13. slab and independent edges
  if (c.SLAB == "SLAB" || c.SLAB == "slab") {
    c.slab = 1;
    c.vxyz = 1;
  } else if (c.VXYZ == "VXYZ" || c.VXYZ == "vxyz") {
    c.vxyz = 1;
  }
}

int optimiserMethod(const Chars<5>& k) {
  if (k == "SIMPL") return 0;
  if (k == "POWEL") return 1;
  if (k == "HOOKE") return 2;
  if (k == "FLEPO") return 3;
  if (k == "BFGS ") return 4;
  if (k == "CONJU" || (k[0] == 'C' && k[1] == 'G')) return 5;
  if (k == "SIMAN" || (k[0] == 'S' && k[1] == 'A')) return 8;
  return 0;
}

int structureFormat(const Chars<5>& k) {
  if (k == "PDB  ") return 1;
  if (k == "PDBB ") return 2;
  if (k == "PDB2 ") return 3;
  if (k == "MDLMO" || k == "mdlmo" || k == "MOL  " || k == "mol  " || k == "mdl  ") return 4;
  if (k == "MDLSD") return 5;
  return 0;
}

void deriveJob(State& s) {
  Control& c = s.control;
  // 14. gas-phase jobs
  if (c.runMode >= 2) {
    c.soluteFormat = kZmat;
    c.soluteFormatName = "ZMAT ";
    c.pdbWithParams = false;
    c.solventSource = kNoSolvent;
    OptSet& o = s.optset;
    if (o.FTOL <= 0.0) o.FTOL = 0.001;
    if (o.saMaxEval <= 0) o.saMaxEval = 1000000;
    if (o.saIter <= 0) o.saIter = 5;
    if (o.saT0 <= 0.0) o.saT0 = 5.0;
    if (o.saFactor <= 0.0 || o.saFactor >= 1.0) o.saFactor = 0.5;
  }
  c.optMethod = optimiserMethod(c.OPTIM);
  // 15. output keywords
  if (c.NEWZM.blank())
    c.zmOutStyle = 0;
  else if (c.NEWZM == "FULL ")
    c.zmOutStyle = 2;
  else if (c.NEWZM == "FULLM")
    c.zmOutStyle = 3;
  else
    c.zmOutStyle = 1;
  s.io.structFormat = structureFormat(c.structKeyword);
  // 16. start-up case
  c.ISTART = startupCase(c.runMode, c.soluteFormat, c.solventSource);
  if (c.ISTART == 99) stopSettings(s, "*** UNRECOGNIZED ISTART VALUE IN SUBROUTINE INIT ***");
}

}  // namespace

int startupCase(int runMode, int soluteFormat, int solventSource) {
  if (runMode < 0) return 99;
  if (runMode >= 2) return 4;
  const bool boxes = solventSource == kBoxes;
  const bool fromIn = solventSource == kFromIn;
  const bool none = solventSource == kNoSolvent;
  if (runMode == 0) return soluteFormat == kPdb ? 6 : 0;
  switch (soluteFormat) {
    case kZmat:
      return fromIn ? 3 : (boxes || none ? 4 : 99);
    case kPdb:
      return boxes ? 5 : (fromIn ? 9 : 99);
    case kMind:
      return boxes ? 4 : (fromIn ? 7 : 99);
    case kIn:
      return boxes ? 8 : 99;
    case kZin:
      return fromIn ? 7 : 99;
    default:
      return 99;
  }
}

void readCommandSection(State& s) {
  Unit& u = s.io.parfile;
  u.rewind();
  u.readRequired();  // line 1: title
  readSolventAndQm(s, u);
  readOptimiserAndSearch(s, u);
  readAtomLists(s, u);
  readMovesAndPotentials(s, u);

  // 1. temperature and pressure
  Misc& m = s.misc;
  m.TK = m.TC + 273.15;
  m.BETA = 1.0 / (m.GASCON * m.TK);
  m.PKCAL = m.PATM * 1.4576e-5;
  deriveSolvents(s);
  deriveQm(s);
  deriveCentresAndCap(s);
  deriveFormats(s);
  deriveJob(s);
}

// ------------------------------------------------------------------ banner

namespace {

constexpr int kBannerWidth = 80;

// A text centred between runs of '*' filling the banner width, after a leading blank.
std::string starLine(std::string_view text) {
  const int len = static_cast<int>(text.size());
  const int left = len >= kBannerWidth ? 0 : (kBannerWidth - len) / 2;
  const int right = len >= kBannerWidth ? 0 : kBannerWidth - len - left;
  return " " + std::string(static_cast<std::size_t>(left), '*') + std::string(text) +
         std::string(static_cast<std::size_t>(right), '*');
}

const char* jobTitle(const State& s) {
  if (s.qm.singlePoint) return "  Single Point Calculation  ";
  switch (s.control.runMode) {
    case 2:
      return " Gas Phase Optimization of  ";
    case 3:
      return " Bond, Angle or Dihedral Scan ";
    case 4:
      return " Normal Mode Calculation for  ";
    case 5:
      return " MC Conformational Search for ";
    case 6:
      return " Stochastic Conformer Search ";
    case 7:
      return "  Single Point Calculation  ";
    case 8:
    case 9:
      return nullptr;
    default:
      return " Monte Carlo Simulation of  ";
  }
}

}  // namespace

void writeBanner(State& s) {
  Io& io = s.io;
  const std::string stars = " " + std::string(kBannerWidth, '*');
  for (int i = 0; i < 3; ++i) io.list("");
  io.list(stars);
  io.list(stars);
  if (const char* t = jobTitle(s)) io.list(starLine(t));
  io.list(starLine(s.zmat.title.view()));
  if (s.sol.gbsa) io.list(starLine(" Aqueous GB/SA Solvent Model "));
  if (s.qm.method > 0)
    io.list(starLine(" QM/MM Calculation-" + s.qm.model.str() + s.qm.chargeModel.str()));
  if (s.control.runMode < 2) {
    fmt::RecordWriter w;
    w.A(" T = ").F(s.misc.TC, 6, 1).A(" P = ").F(s.misc.PATM, 7, 1);
    io.list(starLine(w.str()));
    w.clear();
    w.A(" RC0 =").F(s.geom.RC0, 11, 4).A(" MXCON =").I(s.config.MXCON, 7);
    io.list(starLine(w.str()));
    const Chars<5>& n2 = s.sol.name(2);
    if (!n2.blank() && !(n2 == "NONE "))
      io.list(starLine(" Solvent: " + s.sol.name(1).str() + "/" + n2.str()));
    else
      io.list(starLine(" Solvent Model: " + s.sol.name(1).str()));
  }
  io.list(starLine("           VEKA  4.9          "));
  io.list(starLine(" Linux    Version  June 2015  "));
  io.list(stars);
  io.list(stars);
}

}  // namespace veka
