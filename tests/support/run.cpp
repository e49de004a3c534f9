#include "support/run.hpp"

#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace veka::test {

namespace {

// The word in single quotes for /bin/sh.
std::string quoted(const std::string& word) {
  std::string q = "'";
  for (char c : word) q += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return q + "'";
}

}  // namespace

RunResult runProgram(const std::string& program, const std::vector<std::string>& args,
                     const Env& env, const std::string& cwd) {
  TempDir streams;
  std::string cmd = "cd " + quoted(cwd.empty() ? std::filesystem::current_path().string() : cwd) +
                    " && exec env -i";
  for (const char* keep : {"PATH", "HOME", "LANG"})
    if (const char* v = std::getenv(keep)) cmd += " " + quoted(std::string(keep) + "=" + v);
  for (const auto& [k, v] : env) cmd += " " + quoted(k + "=" + v);
  cmd += " " + quoted(program);
  for (const std::string& a : args) cmd += " " + quoted(a);
  cmd += " </dev/null >" + quoted(streams.file("out")) + " 2>" + quoted(streams.file("err"));
  const int ws = std::system(cmd.c_str());
  if (ws == -1) throw std::runtime_error("cannot run " + program);
  RunResult r;
  r.status = WIFEXITED(ws) ? WEXITSTATUS(ws) : 128 + WTERMSIG(ws);
  r.out = readFile(streams.file("out"));
  r.err = readFile(streams.file("err"));
  return r;
}

RunResult runVeka(const std::vector<std::string>& args, const Env& env, const std::string& cwd) {
  return runProgram(VEKA_BINARY, args, env, cwd);
}

TempDir::TempDir() {
  std::string tmpl = (std::filesystem::temp_directory_path() / "veka-test-XXXXXX").string();
  if (!::mkdtemp(tmpl.data())) throw std::runtime_error("mkdtemp failed");
  path_ = tmpl;
}

TempDir::~TempDir() {
  std::error_code ec;
  std::filesystem::remove_all(path_, ec);
}

std::string readFile(const std::string& path) {
  std::ifstream f(path, std::ios::binary);
  std::ostringstream s;
  s << f.rdbuf();
  return s.str();
}

void writeFile(const std::string& path, const std::string& content) {
  std::ofstream f(path, std::ios::binary);
  f << content;
}

bool fileExists(const std::string& path) {
  return std::filesystem::exists(path);
}

std::string testData(const std::string& relative) {
  return std::string(VEKA_TEST_DATA) + "/" + relative;
}

std::string sourceData(const std::string& relative) {
  return std::string(VEKA_SOURCE_DIR) + "/data/" + relative;
}

std::vector<std::string> lines(const std::string& text) {
  std::vector<std::string> out;
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t nl = text.find('\n', start);
    if (nl == std::string::npos) nl = text.size();
    out.push_back(text.substr(start, nl - start));
    start = nl + 1;
  }
  return out;
}

bool contains(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos;
}

int countOf(const std::string& text, const std::string& part) {
  int n = 0;
  for (std::size_t p = text.find(part); p != std::string::npos; p = text.find(part, p + 1)) ++n;
  return n;
}

int countLines(const std::string& text, const std::string& line) {
  int n = 0;
  for (const std::string& l : lines(text)) n += l == line;
  return n;
}

std::string lineStarting(const std::string& text, const std::string& head) {
  for (const std::string& l : lines(text))
    if (l.rfind(head, 0) == 0) return l;
  return "";
}

std::vector<double> numbers(const std::string& line) {
  std::istringstream in(line);
  std::vector<double> v;
  for (std::string w; in >> w;) {
    char* end = nullptr;
    const double d = std::strtod(w.c_str(), &end);
    if (end && *end == '\0') v.push_back(d);
  }
  return v;
}

std::vector<double> finalFrequencies(const std::string& listing) {
  const std::size_t at = listing.rfind(" Frequencies -----");
  std::vector<double> f;
  if (at == std::string::npos) return f;
  for (const std::string& l : lines(listing.substr(listing.find('\n', at) + 1))) {
    if (l.rfind("total CPU", 0) == 0) break;
    for (double v : numbers(l)) f.push_back(v);
  }
  return f;
}

}  // namespace veka::test
