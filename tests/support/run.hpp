// Helpers for process-level tests: run the real veka binary (or any program) with given
// arguments, environment and working directory, and temporary directories for its files.
#pragma once

#include <string>
#include <utility>
#include <vector>

namespace veka::test {

struct RunResult {
  int status = -1;  // exit status (0..255), or 128 + signal number
  std::string out, err;
};

using Env = std::vector<std::pair<std::string, std::string>>;

// Runs `program` with `args` in `cwd` (empty = current directory). The child sees only
// PATH, HOME, LANG and the variables in `env`, so a caller's file variables never leak in.
RunResult runProgram(const std::string& program, const std::vector<std::string>& args,
                     const Env& env = {}, const std::string& cwd = "");

// Runs the veka binary built with the tests.
RunResult runVeka(const std::vector<std::string>& args, const Env& env = {},
                  const std::string& cwd = "");

// A fresh directory under the system temporary directory, removed with its contents.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  const std::string& path() const { return path_; }
  std::string file(const std::string& name) const { return path_ + "/" + name; }

 private:
  std::string path_;
};

std::string readFile(const std::string& path);
void writeFile(const std::string& path, const std::string& content);
bool fileExists(const std::string& path);
// Path of a file under tests/ in the source tree.
std::string testData(const std::string& relative);
// Path of a file under data/ in the source tree.
std::string sourceData(const std::string& relative);
// The lines of a text (without their newline characters).
std::vector<std::string> lines(const std::string& text);

// Reading listings: whether `part` occurs, how often, how many lines equal `line`; the
// first line that starts with `head` (or ""); the numbers among the words of a line; the
// frequencies listed after the last " Frequencies -----".
bool contains(const std::string& text, const std::string& part);
int countOf(const std::string& text, const std::string& part);
int countLines(const std::string& text, const std::string& line);
std::string lineStarting(const std::string& text, const std::string& head);
std::vector<double> numbers(const std::string& line);
std::vector<double> finalFrequencies(const std::string& listing);

}  // namespace veka::test
