#include "montecarlo/dhdl.hpp"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <string>

#include "montecarlo/sums.hpp"

namespace veka {

namespace {

constexpr std::size_t kBufferBytes = 1 << 16;
constexpr std::size_t kLineBytes = 128;  // longest line: a count and three numbers

bool writeAll(int fd, const char* p, std::size_t n) {
  while (n > 0) {
    const ssize_t k = ::write(fd, p, n);
    if (k <= 0) return false;
    p += k;
    n -= static_cast<std::size_t>(k);
  }
  return true;
}

}  // namespace

DhdlWriter::DhdlWriter(State& s) : io_(&s.io) {
  const std::string& name = s.io.dhdlName;
  if (name.empty() || s.geom.noPert != 0) return;
  interval_ = std::max(s.movp.NSCHG, 1);
  base_ = s.config.NACCPT;
  const bool fresh = base_ == 0;
  fd_ = ::open(name.c_str(), O_WRONLY | O_CREAT | O_APPEND | (fresh ? O_TRUNC : 0), 0644);
  if (fd_ < 0) stop(s.io, "*** Cannot open the energy-difference file " + name + " ***");
  buf_.resize(kBufferBytes);
  // Columns in increasing coupling value; a perturbed state equal to the reference
  // (an end window) gets no column of its own.
  const double rc[3] = {s.geom.RC1, s.geom.RC0, s.geom.RC2};
  std::sort(order_, order_ + 3, [&](int a, int b) { return rc[a] < rc[b]; });
  columns_ = 0;
  for (int k : {0, 1, 2}) {
    const int c = order_[k];
    if (c != 1 && rc[c] == s.geom.RC0) continue;
    order_[columns_++] = c;
  }
  if (fresh || ::lseek(fd_, 0, SEEK_END) == 0) writeHeader(s);
}

DhdlWriter::~DhdlWriter() {
  if (fd_ >= 0) ::close(fd_);
}

void DhdlWriter::writeHeader(const State& s) {
  const double rc[3] = {s.geom.RC1, s.geom.RC0, s.geom.RC2};
  int self = 0;
  for (int k = 0; k < columns_; ++k)
    if (order_[k] == 1) self = k;
  std::string h =
      "# Energy differences of the sampled configurations to the perturbed solutes\n"
      "# time = configuration count; one equally weighted sample every NSCHG = " +
      std::to_string(interval_) +
      " configurations\n"
      "# energies in kJ/mol (kcal/mol x 4.184)\n"
      "@    title \"\\xD\\f{}H\"\n"
      "@    xaxis  label \"Configuration\"\n"
      "@    yaxis  label \"\\xD\\f{}H (kJ/mol)\"\n"
      "@TYPE xy\n";
  char line[256];
  std::snprintf(line, sizeof line,
                "@ subtitle \"T = %.2f (K) \\xl\\f{} state %d: (fep-lambda) = (%.4f)\"\n",
                s.misc.TK, self, s.geom.RC0);
  h += line;
  for (int k = 0; k < columns_; ++k) {
    std::snprintf(line, sizeof line, "@ s%d legend \"\\xD\\f{}H \\xl\\f{} to %.4f\"\n", k,
                  rc[order_[k]]);
    h += line;
  }
  if (!writeAll(fd_, h.data(), h.size()))
    stop(*io_, "*** Error writing the energy-difference file ***");
}

void DhdlWriter::append(const State& s) {
  if (used_ + kLineBytes > buf_.size()) flush();
  const PerturbationDeltas d = perturbationDeltas(s);
  const double dE[3] = {d.dE[0], 0.0, d.dE[1]};
  char* p = buf_.data() + used_;
  std::size_t room = buf_.size() - used_;
  int n = std::snprintf(p, room, "%lld", base_ + s.config.NCON);
  for (int k = 0; k < columns_; ++k)
    n += std::snprintf(p + n, room - static_cast<std::size_t>(n), " %.9g",
                       dE[order_[k]] * kKiloJoulePerKcal);
  p[n++] = '\n';
  used_ += static_cast<std::size_t>(n);
}

void DhdlWriter::flush() {
  if (fd_ < 0 || used_ == 0) return;
  const bool ok = writeAll(fd_, buf_.data(), used_);
  used_ = 0;
  if (!ok) stop(*io_, "*** Error writing the energy-difference file ***");
}

}  // namespace veka
