#include "molecule/params.hpp"
#include "molecule/autoterms.hpp"
#include "molecule/bonded_terms.hpp"

#include <cmath>
#include <string>

#include "energy/covneb.hpp"
#include "format/record.hpp"
#include "molecule/solvent_models.hpp"
#include "molecule/solvent_zmat.hpp"

namespace veka {

namespace {

constexpr std::size_t kRecordLength = 80;

bool isComment(std::string_view rec) {
  return !rec.empty() && rec[0] == '#';
}

// Charge, sigma, epsilon and the rest of an atom-type record after its type number.
AtomType readTypeFields(fmt::RecordReader& r) {
  AtomType t;
  r.X(1);
  t.Z = r.I(2);
  r.X(1);
  t.ff = r.A<2>();
  r.X(1);
  t.q = r.F(10, 6);
  t.sig = r.F(10, 6);
  t.eps = r.F(10, 6);
  return t;
}

// First four columns of a record, blank padded.
Chars<4> head4(std::string_view rec) {
  return Chars<4>(rec.substr(0, 4));
}

[[noreturn]] void missingType(State& s, const char* what, int type) {
  fmt::RecordWriter w;
  w.A(what).I(type, 5);
  stop(s.io, w.str());
}

double coefA(double sig, double eps) {
  return std::sqrt(4.0 * eps * std::pow(sig, 12));
}
double coefC(double sig, double eps) {
  return std::sqrt(4.0 * eps * std::pow(sig, 6));
}

AtomType soluteType(State& s, int type) {
  return isLocalSoluteType(type) ? parzmt(s, type) : parfileType(s, type);
}

// Slot of one state of a solute atom.
void fillSlot(State& s, int slot, double q, double sig, double eps) {
  Potpar& p = s.potpar;
  p.Q(slot) = q * s.misc.SQ332;
  p.A(slot) = coefA(sig, eps);
  p.C(slot) = coefC(sig, eps);
}

// Nonbonded parameters of solute atom i from its reference type t0 and final type t1.
void setSoluteAtom(State& s, int i, const AtomType& t0, const AtomType& t1, double scale) {
  Potpar& p = s.potpar;
  const bool pert = t1.q != t0.q || t1.sig != t0.sig || t1.eps != t0.eps;
  p.perturbed(i) = pert ? 1 : 0;
  p.NATI(i) = t0.Z;
  p.NATF(i) = t1.Z;
  p.AMTYPI(i) = t0.ff;
  p.AMTYPF(i) = t1.ff;
  p.AMTYPP(i) = s.geom.RC0 > 0.5 ? t1.ff : t0.ff;
  for (int k = 0; k < 3; ++k) {
    const double lam = s.geom.rc(k);
    const double q = t0.q + lam * (t1.q - t0.q);
    const double sig = (t0.sig + lam * (t1.sig - t0.sig)) * scale;
    const double eps = (t0.eps + lam * (t1.eps - t0.eps)) * scale;
    p.QI[k](i) = q;
    p.SIG[k](i) = sig;
    p.EPS[k](i) = eps;
    p.CHG(k + 1) += q;
    p.NAT[k](i) = lam > 0.5 ? t1.Z : t0.Z;
    if (k == 0 || pert) {
      p.slot[k](i) = ++p.NSLOT;
      fillSlot(s, p.NSLOT, q, sig, eps);
    } else {
      p.slot[k](i) = p.slot[0](i);
    }
  }
}

void setSurfaceAndPolarisation(State& s, int i, bool polarisation) {
  Potpar& p = s.potpar;
  p.sasaRadius(i) = p.SIG[0](i) * 0.561231024;
  p.sasaClass(i) = s.zmat.ITYPE(i) > 0 ? ichara(s.io, p.AMTYPI(i)) : 1;
  p.alpha(i) = polarisation ? polarz(p.AMTYPI(i)) : 0.0;
}

// Net charges of solutes whose slots were filled by their reader.
void chargesFromSlots(State& s) {
  Potpar& p = s.potpar;
  for (int k = 1; k <= 3; ++k) p.CHG(k) = 0.0;
  for (int i = 1; i <= s.zmat.NSATM; ++i)
    for (int k = 0; k < 3; ++k)
      if (p.slot[k](i) > 0) p.CHG(k + 1) += p.Q(p.slot[k](i)) / s.misc.SQ332;
}

void solventPairProducts(Potpar& p, int nsites) {
  p.NPROD = 0;
  for (int i = 1; i <= nsites; ++i) {
    if (p.typeW(i, 1) <= 0) continue;
    for (int j = 1; j <= nsites; ++j) {
      if (p.typeW(j, 1) <= 0) continue;
      ++p.NPROD;
      p.QQ(p.NPROD) = p.QW(i, 1) * p.QW(j, 1);
      p.AA(p.NPROD) = p.AW(i, 1) * p.AW(j, 1);
      p.CC(p.NPROD) = p.CW(i, 1) * p.CW(j, 1);
    }
  }
}

// Water-water constants of the rigid three- and four-site models (solvent codes 1, 2).
void waterConstants(State& s) {
  static constexpr double kTip3p[9] = {230.96632536,  -115.48316268, -115.48316268,
                                       -115.48316268, 57.74158134,   57.74158134,
                                       -115.48316268, 57.74158134,   57.74158134};
  static constexpr double kTip4p[9] = {89.789024,   89.789024,   -179.578048, 89.789024, 89.789024,
                                       -179.578048, -179.578048, -179.578048, 359.156096};
  Potpar& p = s.potpar;
  p.waterModel = 0;
  for (int sv = 1; sv <= 2 && p.waterModel == 0; ++sv)
    if (s.sol.code(sv) == 1 || s.sol.code(sv) == 2) p.waterModel = s.sol.code(sv);
  if (p.waterModel == 0) return;
  const bool tip3p = p.waterModel == 1;
  p.AOO = tip3p ? 582000.0 : 600000.0;
  p.COO = tip3p ? 595.0 : 610.0;
  for (int k = 1; k <= 9; ++k) p.QQW(k) = tip3p ? kTip3p[k - 1] : kTip4p[k - 1];
}

int solventSites(const State& s, int sv) {
  const int code = s.sol.code(sv);
  if (code == kSolventOther) return s.szmat.NSAT;
  if (code < 1 || code > kBuiltinSolvents) return 0;
  return std::min(s.sol.nsites(sv), MXSAT);
}

// Type number, name and parameters of a solvent site: built-in models from their site
// tables and PARFILE; a solvent of its own file from its atoms (types below 1 are dummy
// sites, 800-899 are defined in that file).
struct SolventSite {
  int type = 0;
  Chars<3> name;
  AtomType t;
};

SolventSite solventSite(State& s, int sv, int site) {
  SolventSite r;
  if (s.sol.code(sv) == kSolventOther) {
    r.type = s.szmat.ITYPE(site);
    r.name = s.szmat.name(site);
    if (r.type >= 800 && r.type <= 899)
      r.t = parzms(s, r.type);
    else if (r.type >= 1)
      r.t = parfileType(s, r.type);
    return r;
  }
  r.type = solventSiteType(s.sol.code(sv), site);
  r.name = solventSiteName(s.sol.code(sv), site);
  if (r.type > 0) r.t = parfileType(s, r.type);
  return r;
}

// ---------------------------------------------------------------- listing

constexpr const char* kStateTitle[3] = {"Reference Solute", "1st Perturbed Solute",
                                        "2nd Perturbed Solute"};

void listLine(State& s, const Chars<3>& name, int index, double q, double sig, double eps,
              double alpha, std::string_view title) {
  fmt::RecordWriter w;
  w.X(1).A(name.view()).I(index, 5);
  for (double v : {q, sig, eps, alpha}) w.X(6).F(v, 7, 4);
  w.X(1).A(Chars<20>(title).view());
  s.io.list(w.str());
}

void listSolvent(State& s, int sv) {
  const Potpar& p = s.potpar;
  const std::string title = "Solvent " + std::to_string(sv) + ": " + s.sol.name(sv).str();
  double net = 0.0;
  for (int site = 1; site <= solventSites(s, sv); ++site) {
    const AtomType t = solventSite(s, sv, site).t;
    const double alpha = solutePolarisation(s) ? polarz(t.ff) : 0.0;
    listLine(s, p.nameW(site, sv), site, t.q, t.sig, t.eps, alpha, title);
    net += t.q;
  }
  fmt::RecordWriter w;
  w.A(" Net Charge =").F(net, 10, 5);
  s.io.list(w.str());
}

void listSoluteAtom(State& s, int i) {
  const Potpar& p = s.potpar;
  const Chars<3>& name = s.zmat.name(i);
  auto charge = [&](int k) { return p.slot[k](i) > 0 ? p.Q(p.slot[k](i)) / s.misc.SQ332 : 0.0; };
  if (p.slot[1](i) == p.slot[0](i) && p.slot[2](i) == p.slot[0](i)) {
    listLine(s, name, i, charge(0), p.SIG[0](i), p.EPS[0](i), p.alpha(i), "All Solutes");
    return;
  }
  for (int k = 0; k < 3; ++k) {
    const bool same =
        charge(k) == charge(0) && p.SIG[k](i) == p.SIG[0](i) && p.EPS[k](i) == p.EPS[0](i);
    if (k > 0 && same) continue;
    listLine(s, name, i, charge(k), p.SIG[k](i), p.EPS[k](i), p.alpha(i), kStateTitle[k]);
  }
}

}  // namespace

// ---------------------------------------------------------------- lookups

bool findParType(Unit& par, int type, AtomType& out) {
  par.rewind();
  std::string_view rec;
  for (int n = 0; n < kCommandRecords; ++n)
    if (!par.read(rec)) return false;
  while (par.read(rec)) {
    rec = rec.substr(0, kRecordLength);
    if (isComment(rec)) continue;
    fmt::RecordReader r(rec, &par.origin());
    const int t = r.I(4);
    if (t == 0) return false;
    if (t == type) {
      out = readTypeFields(r);
      return true;
    }
  }
  return false;
}

bool findLocalType(Unit& file, int skip, int type, AtomType& out) {
  file.rewind();
  std::string_view rec;
  for (int n = 0; n < skip; ++n)
    if (!file.read(rec)) return false;
  do {
    if (!file.read(rec)) return false;
  } while (rec.substr(0, 6) != " Final");
  int width = 0;
  while (width == 0) {
    if (!file.read(rec)) return false;
    const Chars<4> h = head4(rec);
    if (h == " 800" || h == "0800" || h == "9500") width = 4;
    if (h == "800 ") width = 3;
  }
  for (;;) {
    rec = rec.substr(0, kRecordLength);
    if (!isComment(rec)) {
      fmt::RecordReader r(rec, &file.origin());
      const int t = r.I(width);
      if (t == 0) return false;
      if (t == type) {
        out = readTypeFields(r);
        return true;
      }
    }
    if (!file.read(rec)) return false;
  }
}

AtomType parfileType(State& s, int type) {
  AtomType t;
  if (!findParType(s.io.parfile, type, t))
    missingType(s, "No Entry in the Parameter File for Atom Type", type);
  return t;
}

AtomType parzmt(State& s, int type) {
  AtomType t;
  if (!findLocalType(s.io.zmatfile, s.zmat.NSATM + 10, type, t))
    missingType(s, "No Entry in the Z-matrix File for Atom Type", type);
  return t;
}

// The solvent Z-matrix part is passed over by the search for the " Final" record; only
// the name record in front of it is skipped by count.
AtomType parzms(State& s, int type) {
  AtomType t;
  if (!findLocalType(s.io.szmatfile, 1, type, t))
    missingType(s, "No Entry in Solvent Z-matrix for Atom Type", type);
  return t;
}

// ---------------------------------------------------------------- assignment

bool solutePolarisation(const State& s) {
  return s.sw.polarisation > 0.0;
}

bool qmSolutes(const State& s) {
  return s.qm.method != 0;
}

void assignSoluteTypes(State& s) {
  Potpar& p = s.potpar;
  const Zmat& z = s.zmat;
  p.NSLOT = 0;
  for (int k = 1; k <= 3; ++k) p.CHG(k) = 0.0;
  p.polarisable = solutePolarisation(s);
  const double scale = p.ljScale > 0.0 ? p.ljScale : 1.0;
  for (int i = 1; i <= z.NSATM; ++i) {
    AtomType t0, t1;
    if (z.ITYPE(i) != -1) {
      t0 = soluteType(s, z.ITYPE(i));
      const int u = z.JTYPE(i);
      t1 = (u != 0 && u != z.ITYPE(i)) ? soluteType(s, u) : t0;
    }
    setSoluteAtom(s, i, t0, t1, scale);
    setSurfaceAndPolarisation(s, i, p.polarisable);
  }
}

void assignSolventSites(State& s) {
  Potpar& p = s.potpar;
  for (int sv = 1; sv <= 2; ++sv) {
    for (int site = 1; site <= solventSites(s, sv); ++site) {
      const SolventSite w = solventSite(s, sv, site);
      p.QW(site, sv) = w.t.q * s.misc.SQ332;
      p.AW(site, sv) = coefA(w.t.sig, w.t.eps);
      p.CW(site, sv) = coefC(w.t.sig, w.t.eps);
      p.typeW(site, sv) = w.type;
      p.natW(site, sv) = w.t.Z;
      p.nameW(site, sv) = w.name;
      if (s.sol.code(sv) == kSolventOther) {
        s.szmat.AMTYP(site) = w.t.ff;
        s.szmat.NAT(site) = w.t.Z;
      }
    }
  }
  solventPairProducts(p, solventSites(s, 1));
  waterConstants(s);
}

void zeroQmHydrogens(State& s) {
  Potpar& p = s.potpar;
  auto polar = [](int z) {
    return z == 7 || z == 8 || z == 9 || z == 15 || z == 16 || z == 17 || z == 35 || z == 53;
  };
  for (int i = 1; i <= s.zmat.NSATM; ++i) {
    if (s.zmat.ITYPE(i) == -1 || p.NATI(i) != 1) continue;
    bool bondedToPolar = false;
    for (int k = 1; k <= s.covnbr.NNEB(i); ++k)
      bondedToPolar = bondedToPolar || polar(p.NATI(s.covnbr.NEB(k, i)));
    if (!bondedToPolar) continue;
    for (int k = 0; k < (s.qm.chargesOnly ? 1 : 3); ++k) {
      p.A(p.slot[k](i)) = 0.0;
      p.C(p.slot[k](i)) = 0.0;
    }
  }
}

void listNonbonded(State& s) {
  Io& io = s.io;
  io.list("");
  io.list("                      OPLS Force Field Parameters");
  fmt::RecordWriter h;
  h.X(1).A("Atom", 8).X(6).A("Q", 7).X(6).A("Sigma", 7).X(6).A("Epsilon", 7).X(6).A("Alpha", 7);
  io.list(h.str());
  for (int sv = 1; sv <= 2; ++sv)
    if (solventSites(s, sv) > 0) listSolvent(s, sv);
  for (int i = 1; i <= s.zmat.NSATM; ++i) listSoluteAtom(s, i);
  io.list("");
  io.list(" Net Charge");
  for (int k = 0; k < 3; ++k) {
    fmt::RecordWriter w;
    w.X(1).A(Chars<20>(kStateTitle[k]).view()).F(s.potpar.CHG(k + 1), 10, 5);
    io.list(w.str());
  }
  if (qmSolutes(s)) {
    io.list(" Note - Force field parameters are listed for QM calculations, even though they");
    io.list("   are not used in evaluating the intrasolute energetics.");
  }
}

void param(State& s) {
  assignSolventSites(s);
  if (s.potpar.soluteParamsRead)
    chargesFromSlots(s);
  else
    assignSoluteTypes(s);
  covneb(s, true);
  const bool singlePointJob =
      s.qm.singlePoint && (s.control.runMode == 2 || s.control.runMode == 3);
  if (qmSolutes(s) && !singlePointJob) zeroQmHydrogens(s);
  if (s.io.listLevel != 3) listNonbonded(s);
  if (s.sol.flexible != 0) {
    flxpar(s);
    slvnbp(s);
  }
  if (s.zmat.autoDih && !qmSolutes(s)) adddih(s);
  if (s.zmat.autoAng) addang(s);
  assignBonded(s);
}

}  // namespace veka
