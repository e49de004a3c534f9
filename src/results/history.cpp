#include "results/history.hpp"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>

#include "format/format.hpp"

namespace veka {

namespace {

const fmt::Format& headFormat() {
  static const fmt::Format f("' BLOCK',I6,I10,I8");
  return f;
}
const fmt::Format& valueFormat() {
  static const fmt::Format f("4D25.16");
  return f;
}

std::vector<double> flatten(const Sums& u) {
  std::vector<double> v(u.v.begin(), u.v.end());
  for (const auto& h : u.hist) v.insert(v.end(), h.begin(), h.end());
  v.insert(v.end(), u.dih.begin(), u.dih.end());
  return v;
}

void unflatten(const std::vector<double>& v, Sums& u) {
  auto p = v.begin();
  std::copy_n(p, u.v.size(), u.v.begin());
  p += static_cast<std::ptrdiff_t>(u.v.size());
  for (auto& h : u.hist) {
    std::copy_n(p, h.size(), h.begin());
    p += static_cast<std::ptrdiff_t>(h.size());
  }
  u.dih.assign(p, v.end());
}

[[noreturn]] void failed(State& s, const std::string& path, int err) {
  stop(s.io,
       "*** The file " + path + " could not be written (" + std::strerror(err) + ") - Aborted");
}

}  // namespace

void readHistory(State& s, int count, std::vector<Sums>& blocks) {
  Unit& u = s.io.upfile;
  u.rewind();
  blocks.assign(static_cast<std::size_t>(count), Sums{});
  for (int b = 1; b <= count; ++b) {
    std::string_view rec;
    if (!u.read(rec)) {
      stop(s.io, "*** The block history " + u.path() + " holds " + std::to_string(b - 1) +
                     " blocks, " + std::to_string(count) + " expected - Aborted");
    }
    fmt::FormattedInput head(headFormat(), rec, &u.origin());
    const int number = head.readInt(), mxcon = head.readInt(), ndih = head.readInt();
    if (number != b || mxcon != s.config.MXCON || ndih < 0)
      stop(s.io, "*** Block " + std::to_string(b) + " of the block history " + u.path() +
                     " does not belong to this run (MXCON =" + std::to_string(s.config.MXCON) +
                     ") - Aborted");
    Sums& k = blocks[static_cast<std::size_t>(b - 1)];
    std::vector<double> v(k.v.size() + kNumHists * NDIST + static_cast<std::size_t>(ndih));
    fmt::readValues(u, valueFormat(), v);
    unflatten(v, k);
  }
}

void writeHistory(State& s, const std::vector<Sums>& blocks) {
  Unit& u = s.io.upfile;
  openReplacement(s, u);
  int b = 0;
  for (const Sums& k : blocks) {
    fmt::FormattedOutput(headFormat(), u)
        << ++b << s.config.MXCON << static_cast<int>(k.dih.size());
    fmt::writeValues(u, valueFormat(), flatten(k));
  }
  commitReplacement(s, u);
}

// Only a regular file (or none yet) is replaced by renaming; anything else (/dev/null, a
// pipe) is rewound and written in place, since renaming over it would replace the device.
void openReplacement(State& s, Unit& u) {
  struct stat st {};
  if (::stat(u.path().c_str(), &st) == 0 && !S_ISREG(st.st_mode)) {
    u.rewind();
    return;
  }
  const std::string tmp = u.path() + ".new";
  u.close();
  ::unlink(tmp.c_str());
  if (const int err = u.open(tmp, OpenStatus::Unknown); err != 0) failed(s, tmp, err);
}

void commitReplacement(State& s, Unit& u) {
  const std::string tmp = u.path();
  if (struct stat st{}; ::stat(tmp.c_str(), &st) == 0 && !S_ISREG(st.st_mode)) {
    u.endfile();  // written in place
    return;
  }
  const std::string path = tmp.substr(0, tmp.size() - 4);
  u.endfile();
  u.close();
  if (std::rename(tmp.c_str(), path.c_str()) != 0) failed(s, path, errno);
  if (const int err = u.open(path, OpenStatus::Unknown); err != 0) failed(s, path, err);
  std::string_view rec;
  while (u.read(rec)) {
  }
}

}  // namespace veka
