// Fuzz target: arbitrary bytes as the parameter file's command section, read with the
// run mode taken from the first byte. The only acceptable outcomes are a complete read
// or the program's own stop (veka::Stop / fmt::InputError).
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "format/origin.hpp"
#include "input/command.hpp"
#include "input/setup.hpp"
#include "state/state.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  // One state for the whole run; the records the command section fills are reset.
  static auto st = std::make_unique<veka::State>();
  veka::State* s = st.get();
  s->control = {};
  s->config = {};
  s->geom = {};
  s->misc = {};
  s->sol = {};
  s->coord = {};
  s->cutoff = {};
  s->movp = {};
  s->qm = {};
  s->cap = {};
  s->optset = {};
  s->search = {};
  s->nmode = {};
  s->rdf = {};
  s->sw = {};
  s->zmat.title = {};
  s->zmat.NSATM = 0;
  s->potpar.DIELEC = 1.0;
  s->potpar.ljScale = 1.0;
  std::string text(reinterpret_cast<const char*>(data), size);
  s->control.runMode = size > 0 ? data[0] % 10 : 0;
  s->io.parfile.openText(text, "par");
  s->io.zmatfile.openText(text.substr(0, 200), "zmat");
  try {
    veka::readCommandSection(*s);
    veka::writeBanner(*s);
    veka::buildCutoffLists(*s);
  } catch (const veka::Stop&) {
  } catch (const veka::fmt::InputError&) {
  }
  return 0;
}
