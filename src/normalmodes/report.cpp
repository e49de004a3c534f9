#include "normalmodes/report.hpp"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <string>

#include "format/record.hpp"
#include "state/io.hpp"

namespace veka::nm {
namespace {

using fmt::RecordWriter;

constexpr double kDeg = 180.0 / std::numbers::pi;
constexpr double kReportLimit = 10000.0;  // cm-1: rigid degrees of freedom lie above it

std::size_t idx(int n) {
  return static_cast<std::size_t>(n);
}

void rigidList(Io& io, const char* title, const std::array<NmRigid, MXFATM>& list, int count,
               int atoms, const System& sys) {
  io.list("");
  io.list(std::string(" ") + title);
  if (count == 0) {
    io.list("    None");
    return;
  }
  const double* x = sys.x.data();
  for (int n = 0; n < count; ++n) {
    const auto& a = list[idx(n)].a;
    RecordWriter w;
    w.X(3);
    for (int k = 0; k < atoms; ++k) w.I(a[idx(k)], 5);
    w.X(5 * (4 - atoms));
    double v;
    if (atoms == 2) {
      Vec3 u;
      v = separation(x, a[0], a[1], u);
    } else if (atoms == 3) {
      v = bendAngle(x, a[0], a[1], a[2]) * kDeg;
    } else {
      v = dihedralAngle(x, a[0], a[1], a[2], a[3]) * kDeg;
    }
    io.list(w.F(v, 14, 4).str());
  }
}

void energyLine(Io& io, const char* label, double v) {
  io.list(std::string("   ") + label + " = " + fmt::formatF(v, 15, 6));
}

void constraintList(const System& sys, Io& io) {
  io.list("");
  io.list(" List of Bond Constraints");
  io.list("   Rec.  Atom1  Atom2    Distance        Energy");
  for (int n = 0; n < sys.nRestraint; ++n) {
    const NmRestraint& c = sys.restraint[idx(n)];
    double value;
    const double e = restraintEnergy(sys, c, &value);
    RecordWriter w;
    w.X(1).I(c.record, 6);
    switch (c.kind) {
      case RestraintKind::Position:
        w.I(c.i, 7).A("  point");
        break;
      case RestraintKind::Centroid:
        w.I(c.i, 7).A("  centr");
        break;
      default:
        w.I(c.i, 7).I(c.j, 7);
    }
    io.list(w.F(value, 12, 4).F(e, 14, 6).str());
  }
  for (int n = 0; n < sys.nTorsion; ++n) {
    const NmTorsion& t = sys.torsion[idx(n)];
    if (!t.restraint) continue;
    const double phi = restraintBranch(t, dihedralAngle(sys.x.data(), t.i, t.j, t.k, t.l));
    const double d = phi - t.v1;
    io.list(RecordWriter()
                .A("   Dihedral")
                .I(t.i, 5)
                .I(t.j, 5)
                .I(t.k, 5)
                .I(t.l, 5)
                .F(phi * kDeg, 12, 4)
                .F(t.v4 * d * d, 14, 6)
                .str());
  }
}

void pairLists(const System& sys, Io& io) {
  io.list("");
  io.list(" List of Intersolute Non-bonded Pairs");
  io.list("   Atom1  Atom2           R        Energy");
  for (int n = 0; n < sys.nXPair; ++n) {
    double r;
    const double e = interPairEnergy(sys, sys.xpair[idx(n)], &r);
    io.list(RecordWriter()
                .X(1)
                .I(sys.xpair[idx(n)].i, 7)
                .I(sys.xpair[idx(n)].j, 7)
                .F(r, 12, 4)
                .F(e, 14, 6)
                .str());
  }
  io.list("");
  io.list(" List of Intrasolute Non-bonded Pairs (Type 1 = 1,4)");
  io.list("   Atom1  Atom2  Type           R        Energy");
  for (int n = 0; n < sys.nPair; ++n) {
    const NmPair& p = sys.pair[idx(n)];
    double r;
    const double e = intraPairEnergy(sys, p, &r);
    io.list(
        RecordWriter().X(1).I(p.i, 7).I(p.j, 7).I(p.is14 ? 1 : 0, 6).F(r, 12, 4).F(e, 14, 6).str());
  }
}

}  // namespace

void printGeometry(const System& sys, Io& io) {
  io.list("");
  io.list(" Cartesian Coordinates of the Molecule (Angstroms)");
  io.list("   Atom  Name  Type  Z-Mat  At.No.           X             Y             Z");
  for (int a = 1; a <= sys.n; ++a) {
    const double* p = sys.x.data() + 3 * (a - 1);
    io.list(RecordWriter()
                .X(1)
                .I(a, 6)
                .X(2)
                .A(sys.name(a).view())
                .X(3)
                .A(sys.label(a).view())
                .X(1)
                .I(sys.orig(a), 6)
                .I(sys.Z(a), 8)
                .F(p[0], 14, 6)
                .F(p[1], 14, 6)
                .F(p[2], 14, 6)
                .str());
  }
}

void prtrigid(const System& sys, Io& io) {
  rigidList(io, "List of Rigid Bonds", sys.rbond, sys.nRBond, 2, sys);
  rigidList(io, "List of Rigid Angles", sys.rangle, sys.nRAngle, 3, sys);
  rigidList(io, "List of Rigid Dihedrals", sys.rdih, sys.nRDih, 4, sys);
  rigidList(io, "List of Rigid Improper Torsions", sys.rimp, sys.nRImp, 4, sys);
}

Energies prtenergy(const System& sys, Io& io) {
  Sink none;
  const Energies e = force(sys, none, false);
  io.list("");
  io.list(" Energy of the Molecule (Kcal/mol)");
  energyLine(io, "Estretch            ", e.stretch);
  energyLine(io, "Ebending            ", e.bend);
  energyLine(io, "Etorsion            ", e.torsion);
  energyLine(io, "Eintrasolute nonbond", e.intra);
  energyLine(io, "Eintersolute nonbond", e.inter);
  energyLine(io, "Ebond-constraints   ", e.constraint);
  energyLine(io, "Etotal              ", e.total());
  constraintList(sys, io);
  pairLists(sys, io);
  return e;
}

namespace {

// Blocks of five modes: mode numbers, frequencies, then x, y, z rows of every atom.
void modeBlocks(const Work& w, const int* rep, int nrep, Io& io) {
  static constexpr char xyz[3] = {'X', 'Y', 'Z'};
  const int nc = w.ncoord;
  for (int b = 0; b < nrep; b += 5) {
    const int e = std::min(nrep, b + 5);
    RecordWriter head, fr;
    head.X(20);
    fr.A(" Frequencies ------ ");
    for (int m = b; m < e; ++m) {
      head.I(rep[m] + 1, 10);
      fr.F(w.freq[idx(rep[m])], 10, 4);
    }
    io.list("");
    io.list(head.str());
    io.list(fr.str());
    for (int a = 1; a <= w.sys.n; ++a)
      for (int c = 0; c < 3; ++c) {
        RecordWriter row;
        row.X(3).I(a, 2).X(5).A(std::string_view(&xyz[c], 1)).X(9);
        for (int m = b; m < e; ++m) row.F(w.vec[idx(rep[m] * nc + 3 * (a - 1) + c)], 10, 5);
        io.list(row.str());
      }
  }
}

// Every reported mode with its whole normal coordinate, eight components a line.
void modeList(const Work& w, const int* rep, int nrep, Io& io) {
  const int nc = w.ncoord;
  io.list("");
  io.list(" >>>>>>>>>>>>>>>>> List of Frequencies and Normal Coordinates <<<<<<<<<<<<<<<<<<");
  for (int m = 0; m < nrep; ++m) {
    const int k = rep[m];
    io.list("");
    io.list(RecordWriter()
                .A(" Mode = ")
                .I(k + 1, 4)
                .A("   Frequency = ")
                .F(w.freq[idx(k)], 10, 5)
                .str());
    for (int c = 0; c < nc; c += 8) {
      RecordWriter row;
      for (int q = c; q < std::min(nc, c + 8); ++q) row.F(w.vec[idx(k * nc + q)], 10, 5);
      io.list(row.str());
    }
  }
}

}  // namespace

void prnmode(Work& w, const Inertia& in, Io& io) {
  const int nc = w.ncoord, n = w.sys.n;
  for (int k = 0; k < nc; ++k) w.freq[idx(k)] = toFrequency(w.eval[idx(k)]);
  // Linear when the smallest principal moment is below 0.0003 amu A^2 (its rotational
  // constant is zero) while the others are not.
  const Rotor rotor = in.rotor();
  w.n0 = n == 1 || rotor == Rotor::Atom ? 3 : (n == 2 || rotor == Rotor::Linear ? 5 : 6);
  w.n0 = std::min(w.n0, nc);

  RecordWriter low;
  low.A(" Low frequencies --- ");
  for (int k = 0; k < std::min(6, nc); ++k) low.F(w.freq[idx(k)], 10, 4);
  io.list("");
  io.list(low.str());
  io.list("");
  io.list(" Vibrational Frequencies and Normal Coordinates:");
  io.list(" (First " + std::to_string(w.n0) + " modes are probably translations and rotations.)");

  int rep[kMaxCoord];
  int nrep = 0;
  for (int k = 0; k < nc; ++k)
    if (w.freq[idx(k)] < kReportLimit) rep[nrep++] = k;
  modeBlocks(w, rep, nrep, io);
  modeList(w, rep, nrep, io);
  w.nvib = 0;
  for (int k = w.n0; k < nc; ++k)
    if (w.freq[idx(k)] < kReportLimit) w.vib[idx(w.nvib++)] = w.freq[idx(k)];
}

}  // namespace veka::nm
