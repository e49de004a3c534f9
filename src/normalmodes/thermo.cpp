#include "normalmodes/thermo.hpp"

#include <algorithm>
#include <cmath>
#include <string>

#include "format/record.hpp"
#include "molecule/elements.hpp"
#include "normalmodes/eigen.hpp"
#include "state/capacities.hpp"
#include "state/io.hpp"

namespace veka::nm {
namespace {

// Physical constants of the thermochemistry (cgs and cal/mol).
constexpr double kR = 1.987216;                   // cal/mol/K
constexpr double kHalfR = 0.993608;               // R/2
constexpr double kThreeHalfR = 2.980824;          // 3R/2
constexpr double kFiveHalfR = 4.96804;            // 5R/2
constexpr double kBoltz = 1.380658e-16;           // erg/K
constexpr double kHC = 1.98644789223e-16;         // erg cm
constexpr double kHCoverK = 1.438768970469153;    // cm K
constexpr double kNAhc = 2.8591447184198286;      // cal/mol per cm-1
constexpr double kHalfNAhc = 1.4294999837875366;  // half of it, as held in single precision
constexpr double kRotConst = 16.8576522;          // h / (8 pi^2 c), amu A^2 cm-1
constexpr double kPi = 3.141592653589793;
// For the translational partition function.
constexpr double kLight = 2.99792458e10;  // cm/s
constexpr double kAmu = 1.6605402e-24;    // g
constexpr double kAtm = 1.01325e6;        // dyn/cm^2

std::string fixed(double v, int w, int d) {
  // A value too wide for its field is written in the width it needs rather than as stars.
  std::string s = fmt::formatF(v, w, d);
  if (s.find('*') != std::string::npos) s = fmt::formatF(v, w + 8, d);
  return s;
}

void line(Io& io, const std::string& s) {
  io.list(s);
}

}  // namespace

ThermoSettings thermoSettings(double tc, double scale, double cutoff, int nconf, int sigma) {
  ThermoSettings s;
  s.T = tc + 273.15;
  if (s.T < 0.0) s.T = 298.15;
  s.scale = scale > 0.0 ? scale : 1.0;
  s.cutoff = cutoff < 0.0 ? 500.0 : cutoff;
  s.nconf = std::max(nconf, 1);
  s.sigma = std::max(sigma, 1);
  s.pressure = 1.0;
  return s;
}

// Atom: all three constants zero. Linear: the constant of the smallest moment is zero and
// not all are. Nonlinear: all three nonzero, whatever their product (a very large
// molecule can have A B C below 1e-10 cm-3 and is still a nonlinear rotor).
Rotor Inertia::rotor() const {
  if (rot[0] == 0.0 && rot[1] == 0.0 && rot[2] == 0.0) return Rotor::Atom;
  if (rot[0] == 0.0) return Rotor::Linear;
  return Rotor::Nonlinear;
}

Inertia inertia(int n, const double* x, const int* z, bool massWeighted) {
  Inertia r;
  double m = 1.0e-20;
  std::array<double, 3> s{};
  for (int i = 0; i < n; ++i) {
    const double w = massWeighted ? atomicWeight(z[i]) : 1.0;
    m += w;
    for (int c = 0; c < 3; ++c) s[static_cast<std::size_t>(c)] += w * x[3 * i + c];
  }
  r.mass = m;
  for (int c = 0; c < 3; ++c)
    r.com[static_cast<std::size_t>(c)] = s[static_cast<std::size_t>(c)] / m;
  // Elements xx, yy, zz, xy, xz, yz start at 1..6 e-10 to break exact degeneracies.
  double xx = 1e-10, yy = 2e-10, zz = 3e-10, xy = 4e-10, xz = 5e-10, yz = 6e-10;
  for (int i = 0; i < n; ++i) {
    const double w = massWeighted ? atomicWeight(z[i]) : 1.0;
    const double dx = x[3 * i] - r.com[0], dy = x[3 * i + 1] - r.com[1],
                 dz = x[3 * i + 2] - r.com[2];
    xx += w * (dy * dy + dz * dz);
    yy += w * (dx * dx + dz * dz);
    zz += w * (dx * dx + dy * dy);
    xy -= w * dx * dy;
    xz -= w * dx * dz;
    yz -= w * dy * dz;
  }
  r.tensor = {xx, xy, xz, xy, yy, yz, xz, yz, zz};
  std::array<double, 9> a = r.tensor;
  std::array<double, 3> e{};
  symmetricEigen(a.data(), 3, 3, r.moments.data(), e.data(), r.axes.data(), 3);
  for (int k = 0; k < 3; ++k) {
    const double mk = r.moments[static_cast<std::size_t>(k)];
    r.rot[static_cast<std::size_t>(k)] = mk < 0.0003 ? 0.0 : kRotConst / mk;
  }
  return r;
}

double translationalQ(double T, double M, double P) {
  const double h = kHC / kLight;
  const double kT = kBoltz * T;
  return std::pow(2.0 * kPi * M * kAmu * kT / (h * h), 1.5) * kT / (P * kAtm);
}

namespace {

void vibrations(ThermoResult& r, const double* freq, int nfreq, Io* io) {
  const double T = r.set.T;
  for (int i = 0; i < nfreq; ++i) {
    if (!(freq[i] > 0.0)) {
      ++r.nImaginary;
      continue;
    }
    const double nu = r.set.scale * freq[i];
    const double u = kHCoverK * nu / T, e = std::exp(-u);
    const double q = 1.0 / (1.0 - e);
    const double cv = kR * u * u * e / ((1.0 - e) * (1.0 - e));
    const double s = kR * (u * e / (1.0 - e) - std::log(1.0 - e));
    double ei;
    if (nu > r.set.cutoff) {
      r.zpe += kHalfNAhc * nu;
      ei = kNAhc * nu * e / (1.0 - e);
    } else {
      ei = kHalfR * T;
    }
    r.qvib *= q;
    r.evib += ei;
    r.svib += s;
    r.cvvib += cv;
    if (io)
      io->list(
          fmt::RecordWriter().F(nu, 10, 2).E(q, 14, 5).F(ei, 12, 3).F(cv, 10, 4).F(s, 10, 4).str());
  }
}

void rotation(ThermoResult& r) {
  const double T = r.set.T;
  const double sigma = r.set.sigma;
  const auto& rc = r.in.rot;
  r.rotor = r.in.rotor();
  switch (r.rotor) {
    case Rotor::Nonlinear: {
      // Logarithms summed term by term so that very small constants do not underflow.
      const double lnABC = std::log(rc[0]) + std::log(rc[1]) + std::log(rc[2]);
      const double lnQ =
          0.5 * (std::log(kPi) - 3.0 * std::log(kHCoverK / T) - lnABC) - std::log(sigma);
      r.qrot = std::exp(lnQ);
      r.erot = 1.5 * kR * T;
      r.cvrot = kThreeHalfR;
      r.srot = kHalfR *
               (3.0 - 2.0 * std::log(sigma) + 3.0 * std::log(T / kHCoverK) + std::log(kPi) - lnABC);
      break;
    }
    case Rotor::Linear: {
      // The constant of the two equal moments (the smallest nonzero one when, unusually,
      // two constants vanish).
      const double b = rc[1] != 0.0 ? rc[1] : rc[2];
      r.qrot = T / (sigma * kHCoverK * b);
      r.erot = kR * T;
      r.cvrot = kR;
      r.srot = kR * std::log(r.qrot) + kR;
      break;
    }
    case Rotor::Atom:
      r.qrot = 1.0;
      r.erot = r.cvrot = r.srot = 0.0;
      break;
  }
}

void header(const ThermoResult& r, Io& io) {
  const std::string stars = " ******************************************************";
  line(io, "");
  line(io, stars);
  line(io, " *****************  Thermochemistry  ******************");
  line(io, stars);
  line(io, "");
  line(io, " Temperature            = " + fixed(r.set.T, 6, 2) + " K");
  line(io, " Frequency Scale Factor = " + fixed(r.set.scale, 6, 2));
  line(io, " Cutoff Frequency       = " + fixed(r.set.cutoff, 6, 2) + " cm-1");
  line(io, " Number of Conformers   = " + fmt::formatI(r.set.nconf, 3));
  line(io, " Symmetry Number        = " + fmt::formatI(r.set.sigma, 3));
  line(io, " Frequencies below cutoff are treated as classical rigid rotor.");
  line(io, "");
  line(io, " Vibrational Contribution to Thermodynamic Properties.");
  line(io, "        (E in cal/mol, Cv and S in cal/mol-K)         ");
  const std::string rule = " " + std::string(55, '-');
  line(io, rule);
  line(io, "    Mode          Q        E(0->T)      Cv         S  ");
  line(io, rule);
}

}  // namespace

ThermoResult thermo(const ThermoSettings& set, double eElec, const double* freq, int nfreq, int n,
                    const double* x, const int* z, Io* io) {
  ThermoResult r;
  r.set = set;
  r.eElec = eElec;
  r.in = inertia(n, x, z, true);
  const double T = set.T;
  if (io) header(r, *io);
  vibrations(r, freq, nfreq, io);
  if (io) io->list(" " + std::string(55, '-'));
  rotation(r);
  r.qtrans = translationalQ(T, r.in.mass, set.pressure);
  r.etrans = 1.5 * kR * T;
  r.cvtrans = kThreeHalfR;
  r.strans = 2.2868 * (5.0 * std::log10(T) + 3.0 * std::log10(r.in.mass)) - 2.3135;
  r.smix = kR * std::log(static_cast<double>(set.nconf));
  r.etotal = eElec * 1000.0 + r.zpe + r.evib + r.erot + r.etrans;
  r.stotal = r.svib + r.srot + r.strans + r.smix;
  r.cvtotal = r.cvvib + r.cvrot + r.cvtrans;
  r.cptotal = r.cvvib + r.cvrot + kFiveHalfR;
  r.H = r.etotal + kR * T;
  r.G = r.H - T * r.stotal;
  if (io) wthermo(r, freq, nfreq, *io);
  return r;
}

namespace {

void valueLine(Io& io, const char* label, double v, const char* unit) {
  io.list(std::string(label) + fmt::formatF(v, 14, 6) + unit);
}

void frequencyLines(Io& io, const double* f, int n) {
  for (int i = 0; i < n; i += 8) {
    fmt::RecordWriter w;
    for (int k = i; k < std::min(n, i + 8); ++k) w.F(f[k], 10, 4);
    io.list(w.str());
  }
}

}  // namespace

void wthermo(const ThermoResult& r, const double* freq, int nfreq, Io& io) {
  const char* kcal = " kcal/mol";
  const char* eu = " cal/mol-K";
  const std::string rule = " " + std::string(40, '-');
  line(io, "");
  io.list(" Qvib       = " + fmt::formatE(r.qvib, 14, 6));
  io.list(" Qrot       = " + fmt::formatE(r.qrot, 14, 6));
  io.list(" Qtrans     = " + fmt::formatE(r.qtrans, 14, 6));
  line(io, "");
  valueLine(io, " Eelec(0)   = ", r.eElec, kcal);
  valueLine(io, " Evib(0)    = ", r.zpe / 1000.0, kcal);
  valueLine(io, " Evib(0->T) = ", r.evib / 1000.0, kcal);
  valueLine(io, " Erot       = ", r.erot / 1000.0, kcal);
  valueLine(io, " Etrans     = ", r.etrans / 1000.0, kcal);
  line(io, rule);
  valueLine(io, " Etotal     = ", r.etotal / 1000.0, kcal);
  line(io, "");
  valueLine(io, " Svib       = ", r.svib, eu);
  valueLine(io, " Srot       = ", r.srot, eu);
  valueLine(io, " Strans     = ", r.strans, eu);
  if (r.set.nconf > 1) valueLine(io, " Smix       = ", r.smix, eu);
  line(io, rule);
  valueLine(io, " Stotal     = ", r.stotal, eu);
  line(io, "");
  valueLine(io, " CVvib      = ", r.cvvib, eu);
  valueLine(io, " CVrot      = ", r.cvrot, eu);
  valueLine(io, " CVtrans    = ", r.cvtrans, eu);
  line(io, rule);
  valueLine(io, " CVtotal    = ", r.cvtotal, eu);
  valueLine(io, " CPtotal    = ", r.cptotal, " cal/mol-K (CVtotal + R)");
  line(io, "");
  valueLine(io, " H = ", r.H / 1000.0, kcal);
  valueLine(io, " S = ", r.stotal, eu);
  valueLine(io, " G = ", r.G / 1000.0, kcal);
  line(io, "");
  io.list(" Molecular Weight = " + fixed(r.in.mass, 6, 2));
  io.list(" Principal Moments of Inertia in CM-1");
  io.list(" A = " + fmt::formatF(r.in.rot[0], 12, 6) + "  B = " + fmt::formatF(r.in.rot[1], 12, 6) +
          "  C = " + fmt::formatF(r.in.rot[2], 12, 6));
  io.list(" Symmetry Number = " + fmt::formatI(r.set.sigma, 2));
  if (r.set.nconf > 1) io.list(" Number of Conformers = " + fmt::formatI(r.set.nconf, 2));
  line(io, "");
  if (r.nImaginary == 0) {
    io.list(" No imaginary frequencies are found.");
  } else {
    io.list(" The following " + fmt::formatI(r.nImaginary, 3) +
            " imaginary frequencies are ignored.");
    double im[3 * MXFATM];
    int k = 0;
    for (int i = 0; i < nfreq && k < 3 * MXFATM; ++i)
      if (!(freq[i] > 0.0)) im[k++] = freq[i];
    frequencyLines(io, im, k);
  }
  io.list(" Frequencies -----");
  frequencyLines(io, freq, nfreq);
}

}  // namespace veka::nm
