#include "results/labels.hpp"

#include <cctype>

#include "format/record.hpp"
#include "molecule/pdb.hpp"

namespace veka {

char base35(int d) {
  const int n = static_cast<int>(kBase35.size());
  return kBase35[static_cast<std::size_t>(((d % n) + n) % n)];
}

std::string base35Pair(int count) {
  return {base35(count / 35), base35(count % 35)};
}

std::string_view writerSymbol(int z) {
  return (z < 1 || z > 98) ? elementSymbol(2) : elementSymbol(z);
}

namespace {

std::string capitalsRight(std::string_view symbol) {
  std::string s(symbol);
  for (char& c : s) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return s.size() == 1 ? " " + s : s;
}

}  // namespace

std::string pdbSymbol(int z) {
  return capitalsRight(writerSymbol(z));
}

std::string solventSymbol(Io& io, int z) {
  if (z >= 100) {
    fmt::RecordWriter w;
    w.A("*** Atomic Number").I(z, 5).A(" Out of Range in SYMBOL");
    stop(io, w.str());
  }
  return capitalsRight(z >= 1 ? elementSymbol(z) : elementSymbol(2));
}

}  // namespace veka
