#include "support/command_section.hpp"

#include <array>

namespace veka::test {

namespace {

struct Rec {
  const char* comment;
  const char* data;
};

// Columns follow the record layouts exactly.
const std::array<Rec, 35> kRecords = {{
    {"Solvent, GB/SA ionic strength (A5,F10.4)", "NONE     0.0000"},
    {"QM model, charge model, scale, net charges (2A4,F5.2,3I3)", "NONEOPLS 0.00  0  0  0"},
    {"Solute input format (A5)", "ZMAT "},
    {"Solvent source, SLAB, VXYZ (A5,1X,A4,1X,A4)", "NONE           "},
    {"Cap atom, radius, force constant (I4,2F10.4)", "   0    0.0000    0.0000"},
    {"Optimizer, FTOL, NEWZM, SA settings (A5,1X,F10.6,A5,2X,2I8,2F10.4)",
     "BFGS    0.001000FULL         0       0    0.0000    0.0000"},
    {"Conformational search (8I1,6F10.4)",
     "00000000    0.0000    0.0000    0.0000    0.0000    0.0000    0.0000"},
    {"Normal modes (3I3,2F10.4)", "  0  0  0    0.0000    0.0000"},
    {"NMOL, box size, layer (2I4,F6.2)", "   0   0  0.00"},
    {"Second solvent, molecules (A5,I4)", "NONE    0"},
    {"NCENT1 NCENT2 solvent centre ICUTAS(5) (18I3)", "  1  1  1  0  0  0  0  0"},
    {"Centre-atom settings (18I3)", "  1  1"},
    {"ICUT ICUTAT(15) (18I3)", "  2"},
    {"Switches (18I3)", "  0  0  0  0  0  0  0  0  0"},
    {"Number of RDFs (18I3)", "  0  0"},
    {"RDF set 1 (18I3)", "  0"},
    {"RDF set 2 (18I3)", "  0"},
    {"RDF set 3 (18I3)", "  0"},
    {"RDF set 4 (18I3)", "  0"},
    {"Histogram 1 bounds (4F10.4)", "    0.0000    0.0000"},
    {"EPARD bounds (4F10.4)", "    0.0000    0.0000"},
    {"EDISTD bounds (4F10.4)", "    0.0000    0.0000"},
    {"Histogram 5 bounds (4F10.4)", "    0.0000    0.0000"},
    {"BESOLD bounds (4F10.4)", "    0.0000    0.0000"},
    {"NVCHG NSCHG max variables (4I6)", "999999     1    15     0"},
    {"NSAVE NBUSE no-ECUT (4I6)", "999999     0     0     0"},
    {"VDEL WKC (4F10.4)", "    0.0000    0.0000"},
    {"RDEL ADEL probe radius (4F10.4)", "    0.1500   15.0000    0.0000"},
    {"RDELS1 ADELS1 (4F10.4)", "    0.1000   10.0000"},
    {"RDELS2 ADELS2 (4F10.4)", "    0.1000   10.0000"},
    {"Heated solute, temperature (I4,2F10.4)", "   0    0.0000    0.0000"},
    {"RCUT SCUT CUTNB Ewald (3F10.4,I4)", "   12.0000   12.0000  100.0000   0"},
    {"T(C) P(ATM) torsion chop LJ scale (4F10.4)", "   25.0000    1.0000    0.0000    1.0000"},
    {"DIELEC 1-4 Coul. 1-4 LJ DIELRF (4F10.4)", "    1.0000    2.0000    2.0000    1.0000"},
    {"Structure output, integer, polarisation (A5,I4,2F11.4)", "NONE    1     0.0000     0.0000"},
}};

}  // namespace

std::string defaultRecord(int n) {
  return kRecords.at(static_cast<std::size_t>(n - 1)).data;
}

std::string commandSection(const std::map<int, std::string>& records, const std::string& title) {
  std::string s = title + "\n";
  for (int n = 1; n <= 35; ++n) {
    const auto it = records.find(n);
    s += std::string(" ") + kRecords[static_cast<std::size_t>(n - 1)].comment + "\n";
    s += (it != records.end() ? it->second
                              : std::string(kRecords[static_cast<std::size_t>(n - 1)].data)) +
         "\n";
  }
  return s;
}

}  // namespace veka::test
