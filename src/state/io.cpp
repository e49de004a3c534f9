#include "state/io.hpp"

#include <cstdio>
#include <string>

namespace veka {

void Io::flushAll() {
  for (Unit* u : {&output, &infile, &upfile, &savefile, &avefile, &bangfil, &zmatfile, &parfile,
                  &waterfile, &org1fil, &org2fil, &pltfile, &summary, &szmatfile})
    u->flush();
  std::fflush(stdout);
  std::fflush(stderr);
}

void Io::markEnds() {
  for (Unit* u : {&output, &upfile, &savefile, &avefile, &pltfile, &summary, &infile}) u->endfile();
}

void writeFatal(Io& io, std::string_view message, Console console) {
  std::size_t start = 0;
  while (start <= message.size()) {
    std::size_t nl = message.find('\n', start);
    if (nl == std::string_view::npos) nl = message.size();
    const std::string line = " " + std::string(message.substr(start, nl - start));
    if (io.output.isOpen()) io.output.write(line);
    std::fprintf(console == Console::Stdout ? stdout : stderr, "%s\n", line.c_str());
    start = nl + 1;
  }
  io.flushAll();
}

void stop(Io& io, std::string_view message, Console console) {
  writeFatal(io, message, console);
  throw Stop{-1};
}

}  // namespace veka
