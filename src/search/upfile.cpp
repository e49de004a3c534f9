// UPFILE: the conformer store between runs.
//
//   "VEKA" F5.3 " SEARCH" 2I8        version, tries done by all runs, NCONF
//   "RANDOM STREAM:" 5I12            the random-number stream (seed, ICON, ICNT, ICHG, JRN)
//   "VARIABLE INTERNAL COORD:" 3I4   variable bonds, angles, dihedrals; then their atoms,
//                                    20I4 per record, one list per kind
//   "OPTIONS:", then 6E12.5          CSETOL, CSRMS, CSRTOL, CSREUP, CSAELO, CSAEUP
//   "INTERNAL COORD TO SAMPLE:" 2I8  sampled coordinates, variables; then per coordinate
//                                    2I4, 2F12.6: kind, variable, Min, Max
//   "CONFORMERS:" 2I4                NCONF, variables; per conformer 2E12.5, 2I8 (energy,
//                                    R2total, Nopt, Nuse) and its values, 8E12.5 per record
//
// Sections are found by the first eight characters of a record; other records are passed
// over, so a file without the stream record still continues (from the stream's start).
#include <sys/stat.h>
#include <algorithm>
#include <cstdio>
#include <fstream>

#include "format/record.hpp"
#include "optimize/optstate.hpp"
#include "search/store.hpp"

namespace veka {

namespace {

using fmt::RecordReader;
using fmt::RecordWriter;

constexpr int kMaxRecords = 1000000;

struct Counts {
  std::array<int, 4> n{};  // by VarKind
};

Counts currentCounts(const Optim& o) {
  Counts c;
  for (int k = 1; k <= o.nvar; ++k) ++c.n[static_cast<std::size_t>(o.kind(k))];
  return c;
}

void writeList(std::string& out, const Optim& o, int kind) {
  RecordWriter w;
  int on = 0;
  for (int k = 1; k <= o.nvar; ++k) {
    if (o.kind(k) != kind) continue;
    w.I(o.atom(k), 4);
    if (++on % 20 == 0) out += w.str() + '\n', w.clear();
  }
  if (on % 20 != 0) out += w.str() + '\n';
}

void writeValues(std::string& out, const Csrch& c, int k) {
  RecordWriter w;
  for (int v = 1; v <= c.nvar; ++v) {
    w.E(c.values[static_cast<std::size_t>(k - 1) * static_cast<std::size_t>(c.nvar) +
                 static_cast<std::size_t>(v - 1)],
        12, 5);
    if (v % 8 == 0 || v == c.nvar) out += w.str() + '\n', w.clear();
  }
}

[[noreturn]] void badFile(State& s) {
  stop(s.io, "ERROR IN UPFILE FORMAT.");
}

// Records of the file with a cursor; a missing record is a format error.
class Records {
 public:
  Records(State& s, const std::vector<std::string_view>& r) : s_(s), r_(r) {}
  bool more() const { return i_ < r_.size(); }
  std::string_view next() {
    if (!more()) badFile(s_);
    return r_[i_++];
  }

 private:
  State& s_;
  const std::vector<std::string_view>& r_;
  std::size_t i_ = 0;
};

void changed(State& s, const char* what, int now, int stored) {
  stop(s.io, RecordWriter()
                 .A("DEFINITION OF VARIABLE ")
                 .A(what)
                 .A(" HAVE BEEN CHANGED.")
                 .I(now, 4)
                 .A(" --->")
                 .I(stored, 4)
                 .str());
}

void readVariables(State& s, Records& in, std::string_view head) {
  const Optim& o = *s.optim;
  const Counts now = currentCounts(o);
  RecordReader r(head);
  r.X(24);
  Counts stored;
  for (int kind = 1; kind <= 3; ++kind) stored.n[static_cast<std::size_t>(kind)] = r.I(4);
  if (stored.n != now.n) {
    RecordWriter w;
    w.A("THE NUMBER OF VARIABLE BONDS, ANGLES, AND DIHEDRALS HAVE").A(" BEEN CHANGED FROM");
    for (int kind = 1; kind <= 3; ++kind) w.I(now.n[static_cast<std::size_t>(kind)], 4);
    w.A(" TO ");
    for (int kind = 1; kind <= 3; ++kind) w.I(stored.n[static_cast<std::size_t>(kind)], 4);
    stop(s.io, w.str());
  }
  static constexpr const char* kName[4] = {"", "BONDS", "ANGLES", "DIHEDRALS"};
  for (int kind = 1; kind <= 3; ++kind) {
    RecordReader line("");
    int read = 0;
    for (int k = 1; k <= o.nvar; ++k) {
      if (o.kind(k) != kind) continue;
      if (read++ % 20 == 0) line.reset(in.next());
      const int atom = line.I(4);
      if (atom != o.atom(k)) changed(s, kName[kind], o.atom(k), atom);
    }
  }
}

void readSampled(State& s, Records& in, std::string_view head) {
  const Csrch& c = s.csrch;
  RecordReader r(head);
  r.X(25);
  const int stored = r.I(8);
  if (stored < 0 || stored > kMaxRecords) badFile(s);
  if (stored != c.nsamp)
    s.io.list(RecordWriter()
                  .A("WARNING: NUMBER OF INTERNAL COORDS. TO SAMPLE HAVE BEEN")
                  .A(" CHANGED FROM")
                  .I(c.nsamp, 3)
                  .A(" TO ")
                  .I(stored, 3)
                  .str());
  for (int k = 1; k <= stored; ++k) {
    RecordReader e(in.next());
    const int kind = e.I(4), var = e.I(4);
    e.F(12, 6), e.F(12, 6);
    if (k > c.nsamp || (kind == c.sampKind(k) && var == c.sampVar(k))) continue;
    s.io.list(RecordWriter()
                  .A("WARNING: CHANGES IN INTERNAL COORDS. TO SAMPLE: ")
                  .A("BEFORE = ")
                  .I(c.sampKind(k), 4)
                  .I(kind, 4)
                  .A(" AFTER = ")
                  .I(c.sampVar(k), 4)
                  .I(var, 4)
                  .str());
  }
}

void readConformers(State& s, Records& in, std::string_view head) {
  Csrch& c = s.csrch;
  RecordReader r(head);
  r.X(11);
  const int nconf = r.I(4), nvar = r.I(4);
  if (nconf >= MAXCNF)
    stop(s.io, RecordWriter()
                   .A("THE MAXIMUM NUMBER OF CONFORMERS (")
                   .I(MAXCNF, 4)
                   .A(")")
                   .A(" HAVE REACHED ALREADY.")
                   .str());
  if (nvar > MAXOPT)
    stop(s.io, RecordWriter()
                   .A("NUMBER OF VARIABLE INTERNAL COORD (")
                   .I(nvar, 4)
                   .A(")")
                   .A(" EXCEEDS THE MAXIMUM (")
                   .I(MAXOPT, 4)
                   .A(").")
                   .str());
  if (nvar != c.nvar)
    stop(s.io, RecordWriter()
                   .A("NUMBER OF VARIABLE INTERNAL COORD (")
                   .I(c.nvar, 4)
                   .A(")")
                   .A(" DOES NOT MATCH THE STORED NUMBER (")
                   .I(nvar, 4)
                   .A(").")
                   .str());
  if (nconf < 0) badFile(s);
  for (int k = 1; k <= nconf; ++k) {
    const std::string_view head = in.next();
    if (head.size() < 40) badFile(s);
    RecordReader e(head);
    c.energy(k) = e.F(12, 5);
    c.r2(k) = e.F(12, 5);
    c.Nopt(k) = e.I(8);
    c.Nuse(k) = e.I(8);
    RecordReader v("");
    for (int m = 1; m <= nvar; ++m) {
      if ((m - 1) % 8 == 0) {
        const std::string_view r = in.next();
        if (r.size() < static_cast<std::size_t>(12 * std::min(8, nvar - m + 1))) badFile(s);
        v.reset(r);
      }
      c.values[static_cast<std::size_t>(k - 1) * static_cast<std::size_t>(nvar) +
               static_cast<std::size_t>(m - 1)] = v.F(12, 5);
    }
  }
  c.NCONF = nconf;
}

void readStream(State& s, std::string_view head) {
  RecordReader r(head);
  r.X(14);
  Rands& st = s.csrch.stream;
  for (int* v : {&st.seed, &st.ICON, &st.ICNT, &st.ICHG, &st.JRN}) *v = r.I(12);
  s.csrch.streamStored = true;
}

}  // namespace

std::string upfileText(const State& s) {
  const Csrch& c = s.csrch;
  const Optim& o = *s.optim;
  const SearchSet& set = s.search;
  std::string out;
  auto put = [&](const RecordWriter& w) { out += w.str() + '\n'; };
  put(RecordWriter()
          .A("VEKA")
          .F(kVersion, 5, 3)
          .A(" SEARCH")
          .I(c.previous + c.done, 8)
          .I(c.NCONF, 8));
  RecordWriter rw;
  rw.A("RANDOM STREAM:");
  for (int v : {s.rands.seed, s.rands.ICON, s.rands.ICNT, s.rands.ICHG, s.rands.JRN}) rw.I(v, 12);
  put(rw);
  const Counts n = currentCounts(o);
  put(RecordWriter().A("VARIABLE INTERNAL COORD:").I(n.n[1], 4).I(n.n[2], 4).I(n.n[3], 4));
  for (int kind = 1; kind <= 3; ++kind) writeList(out, o, kind);
  out += "OPTIONS:\n";
  RecordWriter ow;
  for (double v : {set.CSETOL, set.CSRMS, set.CSRTOL, set.CSREUP, set.CSAELO, set.CSAEUP})
    ow.E(v, 12, 5);
  put(ow);
  put(RecordWriter().A("INTERNAL COORD TO SAMPLE:").I(c.nsamp, 8).I(c.nvar, 8));
  for (int k = 1; k <= c.nsamp; ++k)
    put(RecordWriter()
            .I(c.sampKind(k), 4)
            .I(c.sampVar(k), 4)
            .F(c.sampMin(k), 12, 6)
            .F(c.sampMax(k), 12, 6));
  put(RecordWriter().A("CONFORMERS:").I(c.NCONF, 4).I(c.nvar, 4));
  for (int k = 1; k <= c.NCONF; ++k) {
    put(RecordWriter().E(c.energy(k), 12, 5).E(c.r2(k), 12, 5).I(c.Nopt(k), 8).I(c.Nuse(k), 8));
    writeValues(out, c, k);
  }
  return out;
}

void cssave(State& s) {
  const std::string text = upfileText(s);
  Unit& u = s.io.upfile;
  const std::string& path = u.path();
  struct stat st {};
  const bool exists = ::stat(path.c_str(), &st) == 0;
  if (path.empty() || (exists && !S_ISREG(st.st_mode))) {
    u.rewind();
    std::size_t start = 0;
    while (start < text.size()) {
      const std::size_t nl = text.find('\n', start);
      u.write(std::string_view(text).substr(start, nl - start));
      start = nl + 1;
    }
    u.endfile();
    u.flush();
    return;
  }
  const std::string beside = path + ".new";
  {
    std::ofstream f(beside, std::ios::binary | std::ios::trunc);
    f << text;
    f.flush();
    if (!f) stop(s.io, "CANNOT WRITE THE CONFORMER FILE " + beside);
  }
  if (std::rename(beside.c_str(), path.c_str()) != 0)
    stop(s.io, "CANNOT RENAME " + beside + " TO " + path);
}

void readUpfile(State& s, const std::vector<std::string_view>& records) {
  Csrch& c = s.csrch;
  Records in(s, records);
  try {
    RecordReader first(in.next());
    const std::string_view tag = first.A(4);
    first.F(5, 3);
    first.X(7);
    c.previous = first.I(8);
    first.I(8);
    if (tag != "VEKA" || c.previous < 0) badFile(s);
    c.NCONF = 0;
    c.streamStored = false;
    while (in.more()) {
      const std::string_view r = in.next();
      const std::string_view key = r.substr(0, 8);
      if (key == "VARIABLE")
        readVariables(s, in, r);
      else if (key == "INTERNAL")
        readSampled(s, in, r);
      else if (key == "CONFORME")
        readConformers(s, in, r);
      else if (key == "RANDOM S")
        readStream(s, r);
      else if (key == "OPTIONS:") {
        RecordReader o(in.next());
        for (int k = 0; k < 6; ++k) o.F(12, 5);
      }
    }
  } catch (const fmt::InputError&) {
    badFile(s);
  }
  if (c.NCONF == 0)
    stop(s.io,
         "NUMBER OF CONFORMERS IN THE PREVIOUS RUN IS ZERO.\n"
         "TO BEGIN A NEW SEARCH, SET NEWRUN TO 1 IN THE COMMAND FILE.");
}

void cscont(State& s) {
  Unit& u = s.io.upfile;
  u.rewind();
  std::vector<std::string_view> records;
  std::string_view r;
  while (static_cast<int>(records.size()) < kMaxRecords && u.read(r)) records.push_back(r);
  readUpfile(s, records);
}

}  // namespace veka
