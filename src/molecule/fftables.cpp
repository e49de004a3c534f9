#include "molecule/fftables.hpp"

#include <array>
#include <string>

#include "format/record.hpp"

namespace veka {

namespace {

struct Synonym {
  const char* type;
  const char* syn;
};

constexpr std::array<Synonym, 92> kSynonyms = {{
    {"CT", "CT"}, {"C ", "C "}, {"CA", "CA"}, {"CM", "CA"}, {"CC", "CA"}, {"CV", "CA"},
    {"CW", "CA"}, {"CR", "CA"}, {"CB", "CA"}, {"C*", "CA"}, {"CN", "CA"}, {"CK", "CA"},
    {"CQ", "CA"}, {"N ", "N "}, {"NA", "NA"}, {"NB", "NC"}, {"NC", "NB"}, {"N*", "NA"},
    {"N2", "NA"}, {"N3", "CT"}, {"OW", "OS"}, {"OH", "OH"}, {"OS", "OS"}, {"O ", "O "},
    {"O2", "O "}, {"S ", "S "}, {"SH", "SH"}, {"P ", "S "}, {"H ", "H "}, {"HW", "H "},
    {"HO", "HO"}, {"HS", "HS"}, {"HA", "HA"}, {"HC", "HC"}, {"H1", "HC"}, {"H2", "HC"},
    {"H3", "HC"}, {"H4", "HA"}, {"H5", "HA"}, {"HP", "HC"}, {"C+", "CA"}, {"C=", "CM"},
    {"CO", "CT"}, {"NT", "CT"}, {"CY", "CT"}, {"SY", "S "}, {"OY", "O "}, {"P+", "P "},
    {"CZ", "C:"}, {"NZ", "NC"}, {"C2", "CT"}, {"C3", "CT"}, {"F ", "F "}, {"Cl", "Cl"},
    {"Br", "Br"}, {"I ", "I "}, {"LP", "LP"}, {"CS", "CA"}, {"CU", "CV"}, {"CH", "CT"},
    {"SZ", "SY"}, {"CX", "CA"}, {"C4", "CT"}, {"C7", "CM"}, {"C8", "CM"}, {"C9", "CM"},
    {"Be", "CZ"}, {"B ", "CA"}, {"Al", "S "}, {"Si", "S "}, {"NY", "N2"}, {"NO", "N "},
    {"ON", "O "}, {"C$", "C "}, {"N$", "N "}, {"C!", "CA"}, {"O$", "OS"}, {"S=", "SY"},
    {"N=", "NC"}, {"NM", "N "}, {"C:", "CZ"}, {"C#", "CM"}, {"XC", "XC"}, {"XB", "XB"},
    {"XI", "XI"}, {"NS", "NA"}, {"NX", "NA"}, {"CP", "CW"}, {"CF", "CT"}, {"OA", "OS"},
    {"SA", "S "}, {"LP", "LP"},
}};

static_assert(kSynonyms.back().type != nullptr, "every synonym entry is given");

struct Radius {
  const char* type;
  double r;
};

constexpr std::array<Radius, 92> kRadii = {{
    {"CT", 0.765}, {"C ", 0.67},  {"CA", 0.70},  {"CM", 0.67},  {"CC", 0.70},  {"CV", 0.70},
    {"CW", 0.70},  {"CR", 0.70},  {"CB", 0.70},  {"C*", 0.70},  {"CN", 0.70},  {"CK", 0.70},
    {"CQ", 0.70},  {"N ", 0.665}, {"NA", 0.68},  {"NB", 0.69},  {"NC", 0.64},  {"N*", 0.71},
    {"N2", 0.64},  {"N3", 0.71},  {"OW", 0.61},  {"OH", 0.64},  {"OS", 0.64},  {"O ", 0.56},
    {"O2", 0.58},  {"S ", 1.045}, {"SH", 1.045}, {"P ", 0.97},  {"H ", 0.34},  {"HW", 0.34},
    {"HO", 0.31},  {"HS", 0.30},  {"HA", 0.38},  {"HC", 0.33},  {"H1", 0.33},  {"H2", 0.33},
    {"H3", 0.33},  {"H4", 0.38},  {"H5", 0.38},  {"HP", 0.33},  {"C+", 0.70},  {"C=", 0.74},
    {"CO", 0.76},  {"NT", 0.68},  {"CY", 0.75},  {"F ", 0.58},  {"Cl", 1.02},  {"Br", 1.18},
    {"I ", 1.38},  {"LP", 0.0},   {"SY", 1.02},  {"OY", 0.42},  {"CZ", 0.61},  {"NZ", 0.55},
    {"P+", 1.055}, {"CH", 0.765}, {"C2", 0.765}, {"C3", 0.765}, {"CS", 0.74},  {"CU", 0.74},
    {"SZ", 1.02},  {"CX", 0.70},  {"C4", 0.765}, {"C7", 0.67},  {"C8", 0.67},  {"C9", 0.67},
    {"Be", 0.90},  {"B ", 0.83},  {"Al", 1.18},  {"Si", 1.11},  {"NY", 0.64},  {"NO", 0.72},
    {"ON", 0.50},  {"C$", 0.67},  {"N$", 0.665}, {"C!", 0.72},  {"O$", 0.70},  {"S=", 0.96},
    {"N=", 0.64},  {"NM", 0.665}, {"C:", 0.63},  {"C#", 0.67},  {"XC", 0.58},  {"XB", 0.42},
    {"XI", 0.42},  {"NS", 0.68},  {"NX", 0.68},  {"CP", 0.70},  {"CF", 0.765}, {"OA", 0.66},
    {"SA", 1.02},  {"LP", -0.3},
}};

static_assert(kRadii.back().type != nullptr, "every radius entry is given");

constexpr std::array<double, 54> kElectronegativity = {
    2.2, 0.0, 1.0, 1.5, 2.0,  2.6,  3.05, 3.5, 3.9, 0.0,  // H-Ne
    0.9, 1.2, 1.5, 1.9, 2.15, 2.6,  3.15, 0.0,            // Na-Ar
    0.8, 1.0, 1.3, 1.5, 1.6,  1.6,  1.5,  1.8, 1.8, 1.8,  // K-Ni
    1.9, 1.6, 1.6, 1.9, 2.0,  2.45, 2.85, 0.0,            // Cu-Kr
    0.8, 1.0, 1.3, 1.6, 1.6,  1.8,  1.9,  2.2, 2.2, 2.2,  // Rb-Pd
    1.9, 1.7, 1.7, 1.8, 2.05, 2.3,  2.65, 0.0,            // Ag-Xe
};

struct Polarisability {
  const char* types;  // consecutive two-character types
  double alpha;
};

constexpr std::array<Polarisability, 4> kPolarisabilities = {{
    {"CTCMC=CZC CACWCRCQCVCXC!CBCNCKCSCYCOCUC$", 1.0},
    {"NANBNCN*NTNON2NZN$NYOSOHO OYO$S Cl", 1.5},
    {"Br", 2.0},
    {"SiI ", 2.5},
}};

// Surface-area classes 1..4, each a run of two-character types.
constexpr std::array<const char*, 4> kSasaClasses = {
    "CTHCH1H2H3HPCOCYCZC2C3CHC4C7C8C9SiDMHeNeArKrXeCF",
    "C N NANBNCN*N2N3OWOHOSO O2H HWHOHSNTOYNZLPBeB AlLiNaK RbCsMgCaSrBaCuZnNYNOON"
    "C$N$O$C+P+N=NMNSNX",
    "CACMCCCVCWCRCBC*CNCKCQHAH4H5C=CSCUCXC!C:C#CP",
    "S SHP OASYSAF ClBrI SZS=XCXBXI",
};

// Number of two-character types a run of types holds.
constexpr int typeCount(const char* run) {
  int n = 0;
  while (run[n] != '\0') ++n;
  return n / 2;
}
static_assert(typeCount(kSasaClasses[0]) + typeCount(kSasaClasses[1]) + typeCount(kSasaClasses[2]) +
                  typeCount(kSasaClasses[3]) ==
              108);

// True when `type` is one of the two-character types of `run`.
bool inRun(const char* run, const FfType& type) {
  for (int k = 0; run[k] != '\0'; k += 2)
    if (run[k] == type[0] && run[k + 1] == type[1]) return true;
  return false;
}

struct SolventSites {
  std::array<int, 5> type;
  std::array<const char*, 5> name;
};

// Sites of the built-in solvent models, by solvent code 1..13.
constexpr std::array<SolventSites, kBuiltinSolvents> kSolventSites = {{
    {{111, 112, 112, 100, 0}, {"OW", "HW", "HW", "", ""}},
    {{113, 114, 114, 115, 0}, {"OW", "HW", "HW", "M", ""}},
    {{78, 79, 80, 100, 0}, {"O", "H", "CH3", "", ""}},
    {{95, 94, 96, 100, 0}, {"C", "N", "CH3", "", ""}},
    {{108, 109, 109, 100, 0}, {"O", "CH3", "CH3", "", ""}},
    {{71, 68, 68, 100, 0}, {"CH2", "CH3", "CH3", "", ""}},
    {{120, 121, 121, 121, 0}, {"CH", "CL", "CL", "CL", ""}},
    {{118, 119, 119, 100, 0}, {"CH2", "CL", "CL", "", ""}},
    {{108, 110, 71, 110, 71}, {"O", "CH2", "CH2", "CH2", "CH2"}},
    {{103, 0, 0, 0, 0}, {"AR", "", "", "", ""}},
    {{122, 123, 123, 123, 123}, {"C", "CL", "CL", "CL", "CL"}},
    {{124, 125, 126, 126, 0}, {"S", "O", "CH3", "CH3", ""}},
    {{97, 98, 98, 99, 99}, {"O", "HW", "HW", "LP", "LP"}},
}};

}  // namespace

FfType ambsyn(Io& io, const FfType& type) {
  for (const Synonym& e : kSynonyms)
    if (type == e.type) return FfType(e.syn);
  io.list(" COULD NOT FIND SYNONYM FOR AMBER TYPE " + type.str());
  return FfType();
}

double rambxy(Io& io, const FfType& type) {
  double r = 0.0;
  bool found = false;
  for (const Radius& e : kRadii) {
    if (type == e.type) {
      r += e.r;
      found = true;
    }
  }
  if (!found) io.list(" UNRECOGNIZED ATOM TYPE IN RAMBXY: " + type.str());
  return r;
}

double elneg(Io& io, int atomicNumber) {
  if (atomicNumber < 1 || atomicNumber > static_cast<int>(kElectronegativity.size())) {
    fmt::RecordWriter w;
    w.A("*** Atomic Number").I(atomicNumber, 5).A(" Out of Range in ELNEG");
    stop(io, w.str());
  }
  return kElectronegativity[static_cast<std::size_t>(atomicNumber - 1)];
}

double polarz(const FfType& type) {
  for (const Polarisability& e : kPolarisabilities)
    if (inRun(e.types, type)) return e.alpha;
  return 0.0;
}

int ichara(Io& io, const FfType& type) {
  for (int c = 0; c < 4; ++c)
    if (inRun(kSasaClasses[static_cast<std::size_t>(c)], type)) return c + 1;
  io.list(" COULD NOT FIND SASA TYPE FOR AMBER TYPE " + type.str());
  return 1;
}

int solventSiteType(int code, int site) {
  if (code < 1 || code > kBuiltinSolvents || site < 1 || site > 5) return 0;
  return kSolventSites[static_cast<std::size_t>(code - 1)].type[static_cast<std::size_t>(site - 1)];
}

Chars<3> solventSiteName(int code, int site) {
  if (code < 1 || code > kBuiltinSolvents || site < 1 || site > 5) return Chars<3>();
  return Chars<3>(
      kSolventSites[static_cast<std::size_t>(code - 1)].name[static_cast<std::size_t>(site - 1)]);
}

}  // namespace veka
