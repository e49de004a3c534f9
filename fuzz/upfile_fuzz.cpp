// Fuzz target for the readers of the conformational search: the conformer store (UPFILE)
// and the search and stochastic sections of the solute file. The first input byte picks
// the reader (byte % 3: 0 UPFILE, 1 search section, 2 stochastic section); the rest is
// the file. The system: five atoms with variable bonds of atoms 2 and 3, an angle of atom
// 3 and dihedrals of atoms 4 and 5 (five variables), two sampled coordinates. Accepted
// outcomes: a read, veka::Stop. Invariants: a store that reads holds 1..832 conformers and
// is written as a text that reads back to the same text; sampled coordinates name
// variables of their kind; the kick settings take their defaults when below 0.01.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "optimize/optstate.hpp"
#include "search/search.hpp"
#include "search/store.hpp"
#include "solute_fuzz.hpp"

namespace {

using veka::State;

void require(bool ok) {
  if (!ok) std::abort();
}

State& searchSystem() {
  State& s = veka::fuzz::fuzzState();
  static const bool ready = [&] {
    s.zmat.NSATM = 5;
    veka::Optim& o = veka::optimArea(s);
    const int kind[5] = {1, 1, 2, 3, 3}, atom[5] = {2, 3, 3, 4, 5};
    o.nvar = 5;
    for (int k = 1; k <= 5; ++k) o.kind(k) = kind[k - 1], o.atom(k) = atom[k - 1];
    veka::prepareStore(s);
    return true;
  }();
  (void)ready;
  veka::Csrch& c = s.csrch;
  c.nsamp = 2;
  c.sampKind(1) = 3, c.sampVar(1) = 4, c.sampKind(2) = 1, c.sampVar(2) = 1;
  c.NCONF = 0;
  return s;
}

std::vector<std::string_view> records(std::string_view text) {
  std::vector<std::string_view> r;
  while (!text.empty()) {
    const std::size_t nl = text.find('\n');
    r.push_back(text.substr(0, nl));
    text = nl == std::string_view::npos ? std::string_view() : text.substr(nl + 1);
  }
  return r;
}

void store(State& s, std::string_view text) {
  veka::readUpfile(s, records(text));
  require(s.csrch.NCONF >= 1 && s.csrch.NCONF < veka::MAXCNF);
  const std::string once = veka::upfileText(s);
  if (once.find('*') != std::string::npos) return;  // a value too large for its field
  veka::readUpfile(s, records(once));
  require(veka::upfileText(s) == once);
}

void section(State& s, std::string_view text, bool stochastic) {
  s.io.zmatfile.openText(std::string(text), "zmat");
  veka::Csrch& c = s.csrch;
  if (stochastic) {
    veka::readStochasticSection(s);
    require(c.RADIUS >= 0.01 && c.PUSH >= 0.01 && c.HWIDTH >= 0.01);
    return;
  }
  veka::readSearchSection(s);
  for (int k = 1; k <= c.nsamp; ++k)
    require(s.optim->kind(c.sampVar(k)) == c.sampKind(k) &&
            s.optim->atom(c.sampVar(k)) == c.sampAtom(k));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  State& s = searchSystem();
  const std::string_view text(reinterpret_cast<const char*>(data) + 1, size - 1);
  try {
    if (data[0] % 3 == 0)
      store(s, text);
    else
      section(s, text, data[0] % 3 == 2);
  } catch (const veka::Stop&) {
  }
  return 0;
}
