// The conformer store of the conformational searches.
//
// Compared atoms. The duplicate test compares the real atoms of the solutes (atomic
// number 1..98) except the hydrogens whose Z-matrix bond partner is a carbon: methyl and
// methylene hydrogens turn freely and would make copies of one conformer look distinct.
//
// Chirality. Every atom with at least four bonded neighbours gets a code from the two
// dihedrals (n1, c, n2, n3) and (n1, c, n2, n4) of its first four neighbours, in degrees
// in [0, 360): '0' when either is 0, when they are equal or differ by 360; else '2' when
// the first is not larger, '1' otherwise. The codes of the initial geometry are the
// reference; a geometry whose codes differ is a mirror image (or an inverted centre) and
// is never stored.
//
// Storing (`putgeo`) a minimised geometry of energy E (the optimiser's variables and the
// reference coordinates hold it): dropped outside [CSAELO, CSAEUP] and above
// E1 + CSREUP; dropped on a chirality change; a repeat of conformer k when some stored k
// in store order with |E - Ek| < CSETOL lies within CSRMS after superposition (RMS = the
// square root of the summed squared displacements of the compared atoms) or has
// |R2 - R2k| < CSRTOL (R2 = the sum of squared distances over pairs of compared atoms,
// the same for mirror images); a repeat counts one more find (Nopt). A new conformer
// starts with Nopt = 1 and Nuse = 0. The store is then sorted by energy (selection sort,
// the last of equal energies first) and cut to E <= E1 + CSREUP.
//
// Every stored number is rounded to what UPFILE holds (E12.5), so a search continued from
// UPFILE repeats an uninterrupted one exactly.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "state/state.hpp"

namespace veka {

inline constexpr double kVersion = 4.9;  // program version number written in UPFILE

// Results of the duplicate test.
enum GeoTest : int { kMirror = -1, kRepeat = 0, kNew = 1 };

// Marks the compared atoms and allocates the store and its work arrays for the current
// number of optimiser variables.
void prepareStore(State& s);

// Chirality code of every centre of the reference table for coordinates c, into codes
// (1..nchi).
void caldihed(const State& s, const Xyz& c, Array1<char, MAXCHI>& codes);
// Builds the reference table from the current reference coordinates and lists it. Stops
// when the centres exceed MAXCHI.
void chiralityReference(State& s);
bool sameChirality(State& s, const Xyz& c);

// R2total of coordinates c over the compared atoms.
double r2total(const State& s, const Xyz& c);

// The value as E12.5 writes it and reads it back.
double roundE12(double v);

// Duplicate test of the current geometry of energy e; `k` gets the repeated conformer.
int chkgeo(State& s, double e, int& k);

// Offers the current geometry; nopt and nuse are the counts it enters with (a new find:
// 1 and 0). Returns kNew, kRepeat, or kMirror also for a dropped geometry.
int putgeo(State& s, double e, int nopt = 1, int nuse = 0);

// Adds the current geometry as the next conformer (no tests), listing "New Conformer".
void addConformer(State& s, double e, int nopt, int nuse);

// Sets the optimiser's variables to conformer k and rebuilds the reference coordinates
// (pair list included).
void loadConformer(State& s, int k);

// The text of UPFILE for the current store.
std::string upfileText(const State& s);
// Rewrites UPFILE: a regular file (or a new one) is written beside it and renamed over it,
// so a kill never leaves half a file; anything else (a device) is rewritten in place.
void cssave(State& s);
// Restores the store from the records of UPFILE; stops with the messages of an
// unreadable, foreign or mismatched file.
void readUpfile(State& s, const std::vector<std::string_view>& records);
void cscont(State& s);

// Final refinement (BFGS at 1e-6) of every stored conformer into a new store.
void refgeo(State& s);
// The summary of the search.
void csprnt(State& s);

}  // namespace veka
