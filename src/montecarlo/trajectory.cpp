#include "montecarlo/trajectory.hpp"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <bit>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "results/labels.hpp"

namespace veka {

namespace {

constexpr int kNever = 999999;
// Header: the control record (84 bytes), two title records of 80 characters, the atom
// count; each record between its length markers.
constexpr std::size_t kCountsAt = 8, kCommittedAt = 180, kAtomsAt = 268, kHeaderBytes = 276;
constexpr std::size_t kCellBytes = 56;  // six doubles between markers
constexpr const char* kCommitted = "REMARKS frames of completed blocks =";
constexpr const char* kPending = " next";

void put32(unsigned char* p, std::uint32_t v) {
  for (int k = 0; k < 4; ++k) p[k] = static_cast<unsigned char>(v >> (8 * k));
}
std::uint32_t get32(const unsigned char* p) {
  return p[0] | (p[1] << 8u) | (p[2] << 16u) | (static_cast<std::uint32_t>(p[3]) << 24u);
}
void putInt(unsigned char* p, int v) {
  put32(p, static_cast<std::uint32_t>(v));
}
void putFloat(unsigned char* p, double v) {
  put32(p, std::bit_cast<std::uint32_t>(static_cast<float>(v)));
}
void putDouble(unsigned char* p, double v) {
  const auto u = std::bit_cast<std::uint64_t>(v);
  put32(p, static_cast<std::uint32_t>(u));
  put32(p + 4, static_cast<std::uint32_t>(u >> 32u));
}

[[noreturn]] void failed(State& s, const std::string& what, int err) {
  stop(s.io, "*** The trajectory " + what + " could not be written (" + std::strerror(err) +
                 ") - Aborted");
}

void writeAt(State& s, const unsigned char* p, std::size_t n, std::size_t at) {
  const ssize_t w = ::pwrite(s.traj.fd, p, n, static_cast<off_t>(at));
  if (w != static_cast<ssize_t>(n)) failed(s, s.traj.name + ".dcd", w < 0 ? errno : EIO);
}

std::size_t frameBytes(int atoms) {
  return kCellBytes + 3 * (8 + 4 * static_cast<std::size_t>(atoms));
}

// NSET, ISTART, NSAVC and NSTEP of the control record.
void writeCounts(State& s) {
  const Traj& t = s.traj;
  unsigned char c[16];
  putInt(c, t.frames);
  putInt(c + 4, t.interval);
  putInt(c + 8, t.interval);
  putInt(c + 12, t.frames * t.interval);
  writeAt(s, c, sizeof c, kCountsAt);
}

void putTitle(unsigned char* p, const std::string& text) {
  std::memset(p, ' ', 80);
  std::memcpy(p, text.data(), std::min<std::size_t>(text.size(), 80));
}

void writeHeader(State& s) {
  unsigned char h[kHeaderBytes] = {};
  putInt(h, 84);
  std::memcpy(h + 4, "CORD", 4);
  putFloat(h + kCountsAt + 36, 1.0);  // time step (arbitrary: one configuration)
  putInt(h + kCountsAt + 40, 1);      // a unit cell in every frame
  putInt(h + kCountsAt + 76, 24);     // CHARMM version
  putInt(h + 88, 84);
  putInt(h + 92, 164);
  putInt(h + 96, 2);
  putTitle(h + 100, "REMARKS VEKA Monte Carlo configurations");
  putTitle(h + kCommittedAt, std::string(kCommitted) + " 0");
  putInt(h + 260, 164);
  putInt(h + 264, 4);
  putInt(h + kAtomsAt, s.traj.atoms);
  putInt(h + 272, 4);
  writeAt(s, h, sizeof h, 0);
  writeCounts(s);
}

// The solute atoms written and the frame buffer with its record markers.
void prepareFrame(State& s) {
  Traj& t = s.traj;
  t.soluteAtoms.clear();
  if (s.zmat.NSATM > 0 && !s.zmat.noSolute)
    for (int i = 1; i <= s.zmat.NSATM; ++i)
      if (s.zmat.ITYPE(i) != -1) t.soluteAtoms.push_back(i);
  t.atoms = static_cast<int>(t.soluteAtoms.size());
  for (int m = 1; m <= s.coord.NMOL; ++m) t.atoms += s.sol.nsites(s.coord.solvent(m) == 2 ? 2 : 1);
  t.frame.assign(frameBytes(t.atoms), 0);
  unsigned char* f = t.frame.data();
  putInt(f, 48);
  putInt(f + 52, 48);
  const std::size_t block = 8 + 4 * static_cast<std::size_t>(t.atoms);
  for (std::size_t ax = 0; ax < 3; ++ax) {
    putInt(f + kCellBytes + ax * block, 4 * t.atoms);
    putInt(f + kCellBytes + (ax + 1) * block - 4, 4 * t.atoms);
  }
}

// One ATOM record of the topology; names of up to three characters start in column 14.
void atomRecord(std::FILE* f, int serial, std::string_view name, std::string_view res, int residue,
                double x, double y, double z, std::string_view element) {
  std::fprintf(f, "ATOM  %5d  %-3.3s %-3.3s  %4d    %8.3f%8.3f%8.3f  1.00  0.00          %2.2s\n",
               serial % 100000, std::string(name).c_str(), std::string(res).c_str(),
               residue % 10000, x, y, z, std::string(element).c_str());
}

// Solute atoms in residues keep their residue names and numbers; the other atoms of
// solute m form residue "UNK" numbered after the highest residue number, as does each
// solvent molecule ("WTR" for the water models).
void writeTopology(State& s) {
  const std::string path = s.traj.name + ".pdb";
  std::FILE* f = std::fopen(path.c_str(), "w");
  if (!f) failed(s, path, errno);
  const Coord& c = s.coord;
  const Zmat& z = s.zmat;
  std::fprintf(f, "CRYST1%9.3f%9.3f%9.3f%7.2f%7.2f%7.2f P 1           1\n", c.EDGE(1), c.EDGE(2),
               c.EDGE(3), 90.0, 90.0, 90.0);
  int top = 0, serial = 0;
  for (int i : s.traj.soluteAtoms) top = std::max(top, z.IRES(i));
  const Xyz& r = s.solcor.xyz[0];
  for (int i : s.traj.soluteAtoms) {
    const bool inResidue = z.IRES(i) > 0;
    atomRecord(f, ++serial, z.name(i).trimmed(), inResidue ? z.resTable(z.IRES(i)).view() : "UNK",
               inResidue ? z.IRES(i) : top + z.moleculeOf(i), r.x(i), r.y(i), r.z(i),
               pdbSymbol(s.potpar.NAT[0](i)));
  }
  top += s.traj.soluteAtoms.empty() ? 0 : z.NSOLUT;
  for (int m = 1; m <= c.NMOL; ++m) {
    const int sv = c.solvent(m) == 2 ? 2 : 1;
    const int code = s.sol.code(sv);
    for (int site = 1; site <= s.sol.nsites(sv); ++site) {
      const int an = s.potpar.natW(site, sv);
      const bool real = an > 0 && an != 2 && s.potpar.typeW(site, sv) > 0;
      const std::string sym = real ? solventSymbol(s.io, an) : "  ";
      const std::string name = (real ? sym.substr(sym[0] == ' ' ? 1 : 0) : "M") + base35(site - 1);
      atomRecord(f, ++serial, name, code == 1 || code == 2 ? "WTR" : "UNK", top + m, c.X(m, site),
                 c.Y(m, site), c.Z(m, site), sym);
    }
  }
  std::fputs("END\n", f);
  if (std::fclose(f) != 0) failed(s, path, errno);
}

}  // namespace

int trajectoryInterval(int nsave, int mxcon) {
  if (nsave >= 1 && nsave < kNever) return nsave;
  return std::max(mxcon / 100, 1);
}

namespace {

// The frames of the completed blocks in an existing NAME.dcd of the same atoms (the
// header's count of them, at most the complete frames present); -1 when there is no
// file to continue (missing or empty).
int keptFrames(State& s, const std::string& path) {
  const Traj& t = s.traj;
  struct stat st {};
  if (::fstat(t.fd, &st) != 0 || st.st_size == 0) return -1;
  unsigned char h[kHeaderBytes];
  const bool read = ::pread(t.fd, h, sizeof h, 0) == static_cast<ssize_t>(sizeof h);
  const std::string committed(reinterpret_cast<const char*>(h) + kCommittedAt, 80);
  if (!read || std::memcmp(h + 4, "CORD", 4) != 0 || committed.rfind(kCommitted, 0) != 0)
    stop(s.io, "*** The trajectory " + path + " is not a trajectory of VEKA - Aborted");
  const int atoms = static_cast<int>(get32(h + kAtomsAt));
  if (atoms != t.atoms)
    stop(s.io, "*** The trajectory " + path + " holds " + std::to_string(atoms) +
                   " atoms per frame, this system " + std::to_string(t.atoms) + " - Aborted");
  const auto complete =
      static_cast<std::size_t>(st.st_size) < kHeaderBytes
          ? 0
          : (static_cast<std::size_t>(st.st_size) - kHeaderBytes) / frameBytes(atoms);
  // "... = N" or, between the pending mark and the end of a block, "... = N next M S":
  // the block ending at M frames is complete when the in-file read at start-up carries S.
  char* end = nullptr;
  long kept = std::strtol(committed.c_str() + std::strlen(kCommitted), &end, 10);
  if (std::strncmp(end, kPending, std::strlen(kPending)) == 0) {
    const long next = std::strtol(end + std::strlen(kPending), &end, 10);
    if (std::strtol(end, nullptr, 10) == t.startSeed) kept = next;
  }
  return static_cast<int>(std::min<long>(kept, static_cast<long>(complete)));
}

void writeCommitted(State& s, const std::string& pending = "") {
  unsigned char title[80];
  putTitle(title, std::string(kCommitted) + " " + std::to_string(s.traj.kept) + pending);
  writeAt(s, title, sizeof title, kCommittedAt);
}

}  // namespace

void openTrajectory(State& s) {
  Traj& t = s.traj;
  if (s.traj.name.empty()) return;
  const std::string path = s.traj.name + ".dcd";
  prepareFrame(s);
  t.interval = trajectoryInterval(s.config.NSAVE, s.config.MXCON);
  const bool fresh = s.control.runMode == 1;
  t.fd = ::open(path.c_str(), O_RDWR | O_CREAT | (fresh ? O_TRUNC : 0), 0644);
  if (t.fd < 0) failed(s, path, errno);
  t.frames = fresh ? -1 : keptFrames(s, path);
  if (t.frames < 0) {
    t.frames = t.kept = 0;
    writeHeader(s);
    writeTopology(s);
    return;
  }
  const std::size_t end = kHeaderBytes + static_cast<std::size_t>(t.frames) * t.frame.size();
  if (::ftruncate(t.fd, static_cast<off_t>(end)) != 0) failed(s, path, errno);
  t.kept = t.frames;
  writeCounts(s);
  writeCommitted(s);
}

void writeFrame(State& s) {
  Traj& t = s.traj;
  unsigned char* f = t.frame.data();
  const Coord& c = s.coord;
  const double cell[6] = {c.EDGE(1), 90.0, c.EDGE(2), 90.0, 90.0, c.EDGE(3)};
  for (int k = 0; k < 6; ++k) putDouble(f + 4 + 8 * k, cell[k]);
  const std::size_t block = 8 + 4 * static_cast<std::size_t>(t.atoms);
  const Xyz& r = s.solcor.xyz[0];
  const Array1<double, MAXATM>* solute[3] = {&r.x, &r.y, &r.z};
  const Array2<double, MXS, MXSAT>* solvent[3] = {&c.X, &c.Y, &c.Z};
  for (std::size_t ax = 0; ax < 3; ++ax) {
    unsigned char* p = f + kCellBytes + ax * block + 4;
    for (int i : t.soluteAtoms) putFloat(p, (*solute[ax])(i)), p += 4;
    for (int m = 1; m <= c.NMOL; ++m) {
      const int n = s.sol.nsites(c.solvent(m) == 2 ? 2 : 1);
      for (int site = 1; site <= n; ++site) putFloat(p, (*solvent[ax])(m, site)), p += 4;
    }
  }
  writeAt(s, f, t.frame.size(), kHeaderBytes + static_cast<std::size_t>(t.frames) * t.frame.size());
  ++t.frames;
  writeCounts(s);
}

void markTrajectoryPending(State& s) {
  Traj& t = s.traj;
  if (t.fd < 0) return;
  writeCommitted(s, std::string(kPending) + " " + std::to_string(t.frames) + " " +
                        std::to_string(s.rands.seed));
  if (::fsync(t.fd) != 0) failed(s, s.traj.name + ".dcd", errno);
}

void closeTrajectory(State& s) {
  Traj& t = s.traj;
  if (t.fd < 0) return;
  t.kept = t.frames;
  writeCommitted(s);
  if (::fsync(t.fd) != 0 || ::close(t.fd) != 0) failed(s, s.traj.name + ".dcd", errno);
  t.fd = -1;
}

}  // namespace veka
