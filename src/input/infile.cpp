#include "input/infile.hpp"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <vector>

#include "format/record.hpp"
#include "montecarlo/random.hpp"

namespace veka {

namespace {

constexpr const char* kVersion = "493";

// Record 1 and the temperature and pressure of record 2: read into this, checked, and only
// then taken over.
struct Header {
  int nmol = 0, natoms = 0, nsolutes = 0, nvdih = 0, nvbnd = 0, nvang = 0;
  int naccpt = 0, nrject = 0, seed = 0, version = 0, rdf1 = 0, rdf2 = 0;
  double tc = 0.0, patm = 0.0;
};

// `count` values starting at one of the pointers (all null: values read and dropped).
struct Field {
  enum class Kind : std::uint8_t { Int, Real, Byte, Tag };
  Kind kind = Kind::Real;
  int* i = nullptr;
  double* d = nullptr;
  std::uint8_t* b = nullptr;
  int count = 1;
  double scale = 1.0;  // file value = held value * scale
};

struct Record {
  const fmt::Format* format;
  std::vector<Field> fields;
};

Field ints(int* p, int n) {
  return {Field::Kind::Int, p, nullptr, nullptr, n, 1.0};
}
Field reals(double* p, int n, double scale = 1.0) {
  return {Field::Kind::Real, nullptr, p, nullptr, n, scale};
}

const fmt::Format& fmtOf(const char* text) {
  // The few layouts of the file, parsed once.
  static const fmt::Format k1("6I5,3I9,1X,A3,2I3"), k2("2F9.2,3F13.8"), kE("4D20.12"), kC("6F13.8"),
      kI("11I7"), kF("80I1"), kH("I7,3D20.12");
  switch (text[0]) {
    case '1':
      return k1;
    case '2':
      return k2;
    case 'E':
      return kE;
    case 'C':
      return kC;
    case 'I':
      return kI;
    case 'F':
      return kF;
    default:
      return kH;
  }
}

// ------------------------------------------------------------------ the record list

Record header(Header& h) {
  return {&fmtOf("1"),
          {ints(&h.nmol, 1), ints(&h.natoms, 1), ints(&h.nsolutes, 1), ints(&h.nvdih, 1),
           ints(&h.nvbnd, 1), ints(&h.nvang, 1), ints(&h.naccpt, 1), ints(&h.nrject, 1),
           ints(&h.seed, 1), Field{Field::Kind::Tag, &h.version, nullptr, nullptr, 1, 1.0},
           ints(&h.rdf1, 1), ints(&h.rdf2, 1)}};
}

Record energies(State& s, bool all) {
  auto st = [&](PerState& e) { return reals(all ? e.data() : nullptr, 3); };
  return {&fmtOf("E"),
          {reals(all ? &s.energy.EOLD : nullptr, 1), reals(all ? &s.slvrun.sampled : nullptr, 1),
           st(s.energy.ESOLD), st(s.energy.EXXOLD), st(s.dihcom.EDIHOL), st(s.nbcom.ENBOL),
           st(s.nbcon.EBCOLD), st(s.bndcom.EBNDOL), st(s.angcom.EANGOL), st(s.energy.EPOOLD)}};
}

Record flexEnergies(State& s, bool all) {
  Flexe& f = s.flexe;
  std::vector<Field> v;
  for (double* p : {&f.ESBNOL, &f.ESANOL, &f.ESDIOL, &f.ESNBOL, &f.ESTOT})
    v.push_back(reals(all ? p : nullptr, 1));
  return {&fmtOf("E"), v};
}

Record solute(State& s, const Header& h, bool all) {
  const double toDeg = 1.0 / s.misc.DTORAD;
  Record r{&fmtOf("C"), {}};
  for (Xyz& c : s.solcor.xyz)
    for (auto* a : {&c.x, &c.y, &c.z})
      r.fields.push_back(reals(all ? a->data() : nullptr, h.natoms));
  Zmat& z = s.zmat;
  for (int n = 1; n <= h.nvdih; ++n)
    r.fields.push_back(reals(all ? &z.DIH(s.dihcom.ID4(n)) : nullptr, 1, toDeg));
  for (int n = 1; n <= h.nvbnd; ++n)
    r.fields.push_back(reals(all ? &z.BND(s.bndcom.IB1(n)) : nullptr, 1));
  for (int n = 1; n <= h.nvang; ++n)
    r.fields.push_back(reals(all ? &z.ANG(s.angcom.IA1(n)) : nullptr, 1, toDeg));
  return r;
}

Record solvent(State& s, const Header& h) {
  Record r{&fmtOf("C"), {}};
  Coord& c = s.coord;
  for (int k = 1; k <= solventSites(s); ++k)
    for (auto* a : {&c.X, &c.Y, &c.Z}) r.fields.push_back(reals(a->column(k), h.nmol));
  return r;
}

std::vector<Record> records(State& s, Header& h, bool all) {
  Mcrec& m = s.mcrec;
  auto keep = [&](auto* p) { return all ? p : nullptr; };
  std::vector<Record> l;
  l.push_back(header(h));
  l.push_back({&fmtOf("2"), {reals(&h.tc, 1), reals(&h.patm, 1), reals(s.coord.HALF.data(), 3)}});
  l.push_back(energies(s, all));
  l.push_back({&fmtOf("E"), {reals(keep(s.slvrun.E.data()), 4)}});
  l.push_back(flexEnergies(s, all));
  l.push_back(solute(s, h, all));
  if (h.nsolutes > 2)
    l.push_back({&fmtOf("C"),
                 {reals(keep(&s.movp.RDELS(3)), h.nsolutes - 2),
                  reals(keep(&s.movp.ADELS(3)), h.nsolutes - 2)}});
  l.push_back(solvent(s, h));
  Record rdf{&fmtOf("I"), {}};
  for (int k = 1; k <= h.rdf1; ++k) rdf.fields.push_back(ints(keep(m.IRDF1.column(k)), NRDFBIN));
  for (int k = 1; k <= h.rdf2; ++k) rdf.fields.push_back(ints(keep(m.IRDF2.column(k)), NRDFBIN));
  l.push_back(rdf);
  l.push_back(
      {&fmtOf("I"), {ints(keep(m.IEDIST.data()), NDIST), ints(keep(m.IEPAIR.data()), NDIST)}});
  l.push_back(
      {&fmtOf("I"),
       {ints(keep(m.soluteTried.data()), MAXSOL), ints(keep(m.soluteAccepted.data()), MAXSOL)}});
  l.push_back({&fmtOf("F"),
               {Field{Field::Kind::Byte, nullptr, nullptr, s.coord.solvent.data(), h.nmol, 1.0}}});
  l.push_back(
      {&fmtOf("I"),
       {ints(keep(m.stepTried.data()), MAXSOL), ints(keep(m.stepAccepted.data()), MAXSOL)}});
  l.push_back({&fmtOf("I"), {ints(keep(m.IHB.data()), NHBCNT)}});
  l.push_back({&fmtOf("H"),
               {ints(keep(&m.hbSamples), 1), reals(keep(&m.hbDonor), 1),
                reals(keep(&m.hbAcceptor), 1), reals(keep(&m.dipoleSum), 1)}});
  return l;
}

// ------------------------------------------------------------------ writing

void writeRecord(const Record& r, std::vector<std::string>& out) {
  fmt::FormattedOutput o(*r.format, out);
  for (const Field& f : r.fields)
    for (int k = 0; k < f.count; ++k) {
      switch (f.kind) {
        case Field::Kind::Int:
          o << f.i[k];
          break;
        case Field::Kind::Real:
          o << f.d[k] * f.scale;
          break;
        case Field::Kind::Byte:
          o << (f.b[k] == 0 ? 1 : static_cast<int>(f.b[k]));
          break;
        case Field::Kind::Tag:
          o << kVersion;
          break;
      }
    }
  o.finish();
}

Header headerOf(const State& s) {
  Header h;
  h.nmol = s.coord.NMOL;
  h.natoms = s.zmat.NSATM;
  h.nsolutes = s.zmat.NSOLUT;
  h.nvdih = s.dihcom.NVDIH;
  h.nvbnd = s.bndcom.NVBND;
  h.nvang = s.angcom.NVANG;
  h.naccpt = s.config.NACCPT;
  h.nrject = s.config.NRJECT;
  h.seed = s.rands.seed;
  h.rdf1 = MAXRDF1;
  h.rdf2 = MAXRDF2;
  h.tc = s.misc.TC;
  h.patm = s.misc.PATM;
  return h;
}

[[noreturn]] void writeFailed(State& s, const std::string& path, int err) {
  stop(s.io,
       "*** The in-file " + path + " could not be written (" + std::strerror(err) + ") - Aborted");
}

// Writes the text to path.new beside the target, flushes it to the disk and renames it
// over the target.
void replaceFile(State& s, const std::string& path, const std::string& text) {
  const std::string tmp = path + ".new";
  const int fd = ::open(tmp.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  if (fd < 0) writeFailed(s, path, errno);
  std::size_t done = 0;
  while (done < text.size()) {
    const ssize_t n = ::write(fd, text.data() + done, text.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      const int err = n < 0 ? errno : EIO;
      ::close(fd);
      ::unlink(tmp.c_str());
      writeFailed(s, path, err);
    }
    done += static_cast<std::size_t>(n);
  }
  if (::fsync(fd) != 0 || ::close(fd) != 0 || ::rename(tmp.c_str(), path.c_str()) != 0) {
    const int err = errno;
    ::unlink(tmp.c_str());
    writeFailed(s, path, err);
  }
  const std::size_t slash = path.rfind('/');
  const std::string dir = slash == std::string::npos ? "." : path.substr(0, slash + 1);
  if (const int dfd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY); dfd >= 0) {
    ::fsync(dfd);
    ::close(dfd);
  }
}

// ------------------------------------------------------------------ reading

// The values of the records read, kept apart until the whole file has been read.
struct Staged {
  std::vector<int> i;
  std::vector<double> d;
};

int readTag(fmt::FormattedInput& in, const Unit& u) {
  const std::string_view t = in.readChars();
  int v = 0;
  if (!fmt::parseInteger(t, v))
    throw fmt::InputError(u.origin(), "bad version tag '" + std::string(t) + "'");
  return v;
}

void readRecord(const Record& r, Unit& u, Staged& st) {
  fmt::FormattedInput in(*r.format, u);
  for (const Field& f : r.fields)
    for (int k = 0; k < f.count; ++k) {
      switch (f.kind) {
        case Field::Kind::Real:
          st.d.push_back(in.readReal());
          break;
        case Field::Kind::Tag:
          st.i.push_back(readTag(in, u));
          break;
        default:
          st.i.push_back(in.readInt());
          if (f.kind == Field::Kind::Byte && (st.i.back() < 0 || st.i.back() > 2))
            throw fmt::InputError(u.origin(), "solvent flag " + std::to_string(st.i.back()) +
                                                  " of a molecule (0, 1 or 2 allowed)");
      }
    }
  in.finish();
}

// Stores the staged values of records [first, end) through their fields.
void commit(const std::vector<Record>& l, std::size_t first, const Staged& st) {
  std::size_t ni = 0, nd = 0;
  for (std::size_t r = first; r < l.size(); ++r)
    for (const Field& f : l[r].fields)
      for (int k = 0; k < f.count; ++k) {
        if (f.kind == Field::Kind::Real) {
          const double v = st.d[nd++];
          if (f.d) f.d[k] = v / f.scale;
          continue;
        }
        const int v = st.i[ni++];
        if (f.i) f.i[k] = v;
        if (f.b) f.b[k] = static_cast<std::uint8_t>(v == 0 ? 1 : v);
      }
}

void checkCounts(State& s, const Header& h, InfileUse use, const Unit& u) {
  auto bad = [&](const std::string& what) { throw fmt::InputError(u.origin(), what); };
  auto within = [&](const char* what, int v, int cap) {
    if (v < 0 || v > cap)
      bad(std::string("count of ") + what + " " + std::to_string(v) + " outside 0.." +
          std::to_string(cap));
  };
  within("solvent molecules", h.nmol, MXS);
  within("solute atoms", h.natoms, MAXATM);
  within("solutes", h.nsolutes, MAXSOL);
  within("variable dihedrals", h.nvdih, MAXDIH);
  within("variable bonds", h.nvbnd, MAXBND);
  within("variable angles", h.nvang, MAXANG);
  if (h.rdf1 < 0 || h.rdf2 < 0) bad("negative radial-distribution capacity");
  if (h.seed < 0 || h.seed >= kRanIMOD)
    bad("random-number seed " + std::to_string(h.seed) + " outside 0.." +
        std::to_string(kRanIMOD - 1));
  if (use != InfileUse::Continue) return;
  auto same = [&](const char* what, int file, int system) {
    if (file != system)
      bad(std::string("count of ") + what + " " + std::to_string(file) + " differs from the " +
          std::to_string(system) + " of the system");
  };
  same("solute atoms", h.natoms, s.zmat.NSATM);
  same("solutes", h.nsolutes, s.zmat.NSOLUT);
  same("variable dihedrals", h.nvdih, s.dihcom.NVDIH);
  same("variable bonds", h.nvbnd, s.bndcom.NVBND);
  same("variable angles", h.nvang, s.angcom.NVANG);
}

// The stops of the header, after its counts have been checked.
void checkHeader(State& s, const Header& h, InfileUse use, bool zeroCounters) {
  if (h.rdf1 > MAXRDF1 || h.rdf2 > MAXRDF2)
    stop(s.io, "*** Incompatability in No. of RDFs in INIT ***", Console::Stdout);
  if (use == InfileUse::Continue && !zeroCounters && s.config.MXCON > 0 &&
      h.naccpt / s.config.MXCON >= MR)
    stop(s.io, "*** INCREASE MR IN OUTAVE AND INIT & RECOMPILE ***", Console::Stdout);
  if (use == InfileUse::Solvent && h.nmol < s.coord.NMOL)
    stop(s.io,
         "The number of requested solvent molecules, NMOL =" + fmt::formatI(s.coord.NMOL, 5) +
             " is greater than the number in the in-file, IB =" + fmt::formatI(h.nmol, 5),
         Console::Stdout);
}

void takeHeader(State& s, const Header& h, InfileUse use, bool zeroCounters) {
  Coord& c = s.coord;
  for (int a = 1; a <= 3; ++a) c.EDGE(a) = 2.0 * c.HALF(a);
  if (use == InfileUse::Solvent) {
    s.slvbox.requested = c.NMOL;
    c.NMOL = h.nmol;
    return;
  }
  c.NMOL = h.nmol;
  s.config.NACCPT = zeroCounters ? 0 : h.naccpt;
  s.config.NRJECT = zeroCounters ? 0 : h.nrject;
  if (zeroCounters) s.config.NCON = 0;
  seedRands(s.rands, h.seed);
  s.mcrec.version = h.version;
}

}  // namespace

std::string infileText(State& s) {
  Header h = headerOf(s);
  std::vector<std::string> lines;
  for (const Record& r : records(s, h, true)) writeRecord(r, lines);
  std::string text;
  for (const std::string& l : lines) text.append(l).push_back('\n');
  return text;
}

void writeInfile(State& s) {
  const std::string path = s.io.infile.path();
  const std::string text = infileText(s);
  s.io.infile.close();
  replaceFile(s, path, text);
  Unit& u = s.io.infile;
  if (u.open(path, OpenStatus::Unknown) != 0) writeFailed(s, path, errno);
  // The unit stands after the records written, as it would after writing them itself, so
  // that the end-of-file mark at the end of the run keeps them.
  std::string_view rec;
  while (u.read(rec)) {
  }
}

void readInfile(State& s, InfileUse use, bool zeroCounters) {
  Unit& u = s.io.infile;
  u.rewind();
  Header h;
  {
    Staged st;
    const std::vector<Record> first{header(h)};
    readRecord(first[0], u, st);
    commit(first, 0, st);
  }
  checkCounts(s, h, use, u);
  checkHeader(s, h, use, zeroCounters);
  const std::vector<Record> l = records(s, h, use == InfileUse::Continue);
  Staged st;
  for (std::size_t r = 1; r < l.size(); ++r) readRecord(l[r], u, st);
  commit(l, 1, st);
  takeHeader(s, h, use, zeroCounters);
}

int solventSites(const State& s) {
  int n = 0;
  for (int sv = 1; sv <= 2; ++sv) {
    const int code = s.sol.code(sv);
    if (code == 20) n = std::max(n, s.szmat.NSAT);
    if (code >= 1 && code <= 13) n = std::max(n, s.sol.nsites(sv));
  }
  return std::min(n, MXSAT);
}

}  // namespace veka
