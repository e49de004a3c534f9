// The `io` record: the fourteen files of a run on their fixed unit numbers, the listing
// level and the structure-output format; and the one route by which a fatal error
// leaves the program.
#pragma once

#include <string>
#include <string_view>

#include "state/array.hpp"
#include "state/capacities.hpp"
#include "state/units.hpp"

namespace veka {

struct Io {
  Unit output{6};      // OUTPUT: main listing
  Unit infile{21};     // INFILE: restart (in) file
  Unit upfile{22};     // UPFILE: block history / conformer store
  Unit savefile{23};   // SAVEFILE: configuration snapshots
  Unit avefile{24};    // AVEFILE: averages
  Unit bangfil{25};    // BANGFIL: bond and angle parameters
  Unit zmatfile{26};   // ZMATFILE: solute Z-matrix (or PDB / free-format layout)
  Unit parfile{27};    // PARFILE: command section and force-field tables
  Unit waterfile{28};  // WATERFILE: stored water boxes
  Unit org1fil{29};    // ORG1FIL: stored boxes of organic solvents
  Unit org2fil{30};    // ORG2FIL: stored boxes of further organic solvents
  Unit pltfile{31};    // PLTFILE: PDB or MOL structure output
  Unit summary{32};    // SUMMARY: rewound before each write
  Unit szmatfile{33};  // SZMATFILE: solvent Z-matrix

  // File names in the order of the option table: OUTPUT, INFILE, UPFILE, SAVEFILE,
  // AVEFILE, ZMATFILE, PARFILE, WATERFILE, ORG1FIL, ORG2FIL, PLTFILE, SUMMARY, BANGFIL,
  // SZMATFILE. Names are kept whole, whatever their length.
  Array1<std::string, 14> fileName;

  // Energy-difference file of a perturbation run (option "-dh", environment DHDL), without
  // trailing blanks; empty = not written.
  std::string dhdlName;

  int listLevel = 0;     // third digit of the job code: 0 = full listing
  int structFormat = 0;  // 1, 2, 3 = PDB variants, 4, 5 = MOL variants, 0 = none

  // One record on the main listing.
  void list(std::string_view line) { output.write(line); }
  // Flushes every open unit.
  void flushAll();
  // The output units in the order their end-of-file marks are written at a normal end.
  void markEnds();
};

// Where a fatal message goes besides the listing.
enum class Console { Stdout, Stderr };

// Thrown once a fatal message has been written and the files flushed; the main program
// catches it and ends the process with `status` (-1 for every fatal error).
struct Stop {
  int status = -1;
};

// Writes a fatal message, after one leading blank, to the listing (when open) and to the
// console stream(s), and flushes every open unit. Each line of a multi-line message is
// written as its own record.
void writeFatal(Io& io, std::string_view message, Console console);

// The program's single exit for fatal errors: writeFatal, then throw Stop{-1}.
[[noreturn]] void stop(Io& io, std::string_view message, Console console = Console::Stderr);

}  // namespace veka
