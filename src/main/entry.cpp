#include "main/entry.hpp"

#include <sys/stat.h>

#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <memory>
#include <utility>

#include "format/record.hpp"
#include "input/command.hpp"
#include "main/dispatch.hpp"

#if defined(__x86_64__) || defined(__i386__)
#include <xmmintrin.h>
#endif

namespace veka {

const std::vector<FileSlot>& fileSlots() {
  static const std::vector<FileSlot> kSlots = {
      {"-ot", "OUTPUT"},  {"-in", "INFILE"},  {"-up", "UPFILE"},    {"-sv", "SAVE"},
      {"-av", "AVERAGE"}, {"-zm", "ZMATRIX"}, {"-pa", "PARAMETER"}, {"-wa", "WATERBOX"},
      {"-o1", "ORG1BOX"}, {"-o2", "ORG2BOX"}, {"-pl", "PLTFILE"},   {"-su", "SUMMARY"},
      {"-ba", "BANGPAR"}, {"-sz", "SLVZMAT"},
  };
  return kSlots;
}

// The optional outputs outside the fourteen units, opened by the block loop only when
// named: the trajectory (NAME.dcd and NAME.pdb) and the energy-difference file. Their
// names follow the fourteen units' rules (option first, then the variable when the name
// is blank) and are kept without trailing blanks.
const FileSlot kTrajectoryOption = {"-tr", "TRAJECTORY"}, kDhdlOption = {"-dh", "DHDL"};

namespace {

void usage(const std::string& program) {
  fmt::ListWriter a, b;
  a << "   Insufficient arguments! you need to specify";
  b << "at least five, i.e. " << program << " 001 100000 0.0 0.0 0.0";
  std::fprintf(stdout, "%s\n%s\n", a.str().c_str(), b.str().c_str());
  std::fflush(stdout);
  std::fprintf(stderr, "%s\n%s\n", a.str().c_str(), b.str().c_str());
}

bool isJobCode(const std::string& a) {
  return a.size() == 3 && std::isdigit(static_cast<unsigned char>(a[0])) &&
         std::isdigit(static_cast<unsigned char>(a[1])) &&
         std::isdigit(static_cast<unsigned char>(a[2]));
}

// A value taken from the environment, whole, with every quote character removed.
std::string unquote(const std::string& value) {
  std::string out;
  for (char c : value)
    if (c != '\'' && c != '"') out.push_back(c);
  return out;
}

// The name a file is opened under: trailing blanks do not belong to it.
std::string trimmedName(const std::string& n) {
  return n.substr(0, n.find_last_not_of(' ') + 1);
}

// A name as the open-failure message shows it: whole, blank padded to at least 80
// characters.
std::string shownName(const std::string& n) {
  return n.size() >= 80 ? n : n + std::string(80 - n.size(), ' ');
}

fmt::Origin commandLineOrigin() {
  return fmt::Origin{"command line", 0, 0};
}

int readInt(const std::string& a) {
  int v = 0;
  if (!fmt::parseInteger(a, v))
    throw fmt::InputError(commandLineOrigin(), "bad integer '" + a + "'");
  return v;
}

double readReal(const std::string& a) {
  double v = 0;
  if (!fmt::parseReal(a, 1, v))
    throw fmt::InputError(commandLineOrigin(), "bad real number '" + a + "'");
  return v;
}

}  // namespace

bool readCommandLine(State& s, const std::vector<std::string>& args, const EnvLookup& env) {
  // args[0] is the program name.
  s.programName = args.empty() ? std::string("veka") : args[0];
  const std::string& prog = s.programName;
  const int n = static_cast<int>(args.size()) - 1;
  int code = 0;
  if (n >= 5) {
    for (int i = 1; n - i >= 4; ++i) {
      if (args[static_cast<std::size_t>(i)].size() != 3) continue;
      if (isJobCode(args[static_cast<std::size_t>(i)])) code = i;
      break;
    }
  }
  if (code == 0) {
    usage(prog);
    return false;
  }
  const std::string& jc = args[static_cast<std::size_t>(code)];
  s.control.runMode = jc[0] - '0';
  s.control.startFlag = jc[1] - '0';
  s.io.listLevel = jc[2] - '0';
  s.config.MXCON = readInt(args[static_cast<std::size_t>(code) + 1]);
  s.geom.RC0 = readReal(args[static_cast<std::size_t>(code) + 2]);
  s.geom.RC1 = readReal(args[static_cast<std::size_t>(code) + 3]);
  s.geom.RC2 = readReal(args[static_cast<std::size_t>(code) + 4]);
  s.geom.noPert =
      (s.control.runMode > 1 || (s.geom.RC0 == s.geom.RC1 && s.geom.RC0 == s.geom.RC2)) ? 1 : 0;

  const auto& slots = fileSlots();
  for (std::size_t i = static_cast<std::size_t>(code) + 5; i < args.size(); ++i) {
    std::string opt = args[i].substr(0, 3);
    for (char& c : opt) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if (std::string* extra = opt == kTrajectoryOption.option ? &s.traj.name
                             : opt == kDhdlOption.option     ? &s.io.dhdlName
                                                             : nullptr) {
      if (i + 1 < args.size()) *extra = args[++i];
      continue;
    }
    for (std::size_t k = 0; k < slots.size(); ++k) {
      if (opt != slots[k].option) continue;
      if (i + 1 < args.size()) {
        s.io.fileName(static_cast<int>(k) + 1) = args[i + 1];
        ++i;
      }
      break;
    }
  }
  for (std::size_t k = 0; k < slots.size(); ++k) {
    std::string& name = s.io.fileName(static_cast<int>(k) + 1);
    if (!name.empty() && name[0] != ' ') continue;
    if (auto v = env(slots[k].envName)) name = unquote(*v);
  }
  for (auto [slot, name] :
       {std::pair{&kTrajectoryOption, &s.traj.name}, std::pair{&kDhdlOption, &s.io.dhdlName}}) {
    if (name->empty() || (*name)[0] == ' ')
      if (auto v = env(slot->envName)) *name = unquote(*v);
    *name = trimmedName(*name);
  }
  return true;
}

namespace {

struct OpenStep {
  int slot;  // index into the file-name table (1-based)
  Unit Io::*unit;
  OpenStatus status;
};

bool sameFile(const std::string& a, const std::string& b) {
  struct stat sa {
  }, sb{};
  if (::stat(a.c_str(), &sa) != 0 || ::stat(b.c_str(), &sb) != 0) return false;
  return S_ISREG(sa.st_mode) && sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
}

}  // namespace

bool openUnits(State& s) {
  static const OpenStep kOrder[] = {
      {1, &Io::output, OpenStatus::Unknown},   {2, &Io::infile, OpenStatus::Unknown},
      {3, &Io::upfile, OpenStatus::Unknown},   {4, &Io::savefile, OpenStatus::Unknown},
      {5, &Io::avefile, OpenStatus::Unknown},  {6, &Io::zmatfile, OpenStatus::Old},
      {13, &Io::bangfil, OpenStatus::Old},     {14, &Io::szmatfile, OpenStatus::Unknown},
      {7, &Io::parfile, OpenStatus::Old},      {8, &Io::waterfile, OpenStatus::Old},
      {9, &Io::org1fil, OpenStatus::Old},      {10, &Io::org2fil, OpenStatus::Old},
      {11, &Io::pltfile, OpenStatus::Unknown}, {12, &Io::summary, OpenStatus::Unknown},
  };
  std::vector<std::string> written;  // output files already open
  for (const OpenStep& step : kOrder) {
    Unit& u = s.io.*step.unit;
    const std::string& name = s.io.fileName(step.slot);
    std::string path = trimmedName(name);
    int iostat = 0;
    if (path.empty() && step.status == OpenStatus::Unknown)
      path = "fort." + std::to_string(u.number());
    if (path.empty()) {
      iostat = ENOENT;
    } else if (step.status == OpenStatus::Unknown) {
      for (const std::string& w : written)
        if (sameFile(w, path)) iostat = EBUSY;
    }
    if (iostat == 0) iostat = u.open(path, step.status);
    if (iostat != 0) {
      fmt::ListWriter l1, l2, l3, l4;
      l1 << "ERROR ENCOUNTERED WHILE OPENING A FILE IN GETUNITS:";
      l2 << shownName(name);
      l3 << "FILE IS PROBABLY MISSING";
      l4 << "IOSTAT = " << iostat;
      for (const auto* l : {&l1, &l2, &l3, &l4}) std::fprintf(stdout, "%s\n", l->str().c_str());
      std::fflush(stdout);
      for (const auto* l : {&l1, &l2, &l3, &l4}) std::fprintf(stderr, "%s\n", l->str().c_str());
      return false;
    }
    if (step.status == OpenStatus::Unknown) written.push_back(path);
  }
  return true;
}

namespace {

double cpuSeconds() {
  return static_cast<double>(std::clock()) / CLOCKS_PER_SEC;
}

void flushDenormals() {
#if defined(__x86_64__) || defined(__i386__)
  _mm_setcsr(_mm_getcsr() | 0x8040);  // flush-to-zero and denormals-are-zero
#endif
}

std::optional<std::string> processEnv(const std::string& name) {
  if (const char* v = std::getenv(name.c_str())) return std::string(v);
  return std::nullopt;
}

int runJob(State& s, const std::vector<std::string>& args) {
  if (!readCommandLine(s, args, processEnv)) return -1;
  if (!openUnits(s)) return -1;
  s.CPU = cpuSeconds();
  s.io.output.flush();
  setupSystem(s);
  s.io.output.flush();
  if (!dispatchJob(s)) return 0;  // the job ended the run itself
  const double cpu = cpuSeconds() - s.CPU;
  fmt::RecordWriter w;
  w.A("total CPU time(sec)  = ").F(static_cast<double>(static_cast<float>(cpu)), 8, 1);
  s.io.list(w.str());
  s.io.markEnds();
  s.io.flushAll();
  return 0;
}

}  // namespace

int runProgram(int argc, char** argv) {
  flushDenormals();
  const std::vector<std::string> args(argv, argv + argc);
  auto state = std::make_unique<State>();
  State& s = *state;
  try {
    return runJob(s, args);
  } catch (const Stop& st) {
    return st.status;
  } catch (const fmt::InputError& e) {
    const fmt::Origin& o = e.origin();
    std::string msg = "*** Input error";
    if (!o.file.empty()) msg += " in " + o.file;
    if (o.unit > 0) msg += " (unit " + std::to_string(o.unit) + ")";
    if (o.record > 0) msg += ", record " + std::to_string(o.record);
    msg += ": " + std::string(e.what()) + " - Aborted";
    writeFatal(s.io, msg, Console::Stderr);
    return -1;
  }
}

}  // namespace veka
