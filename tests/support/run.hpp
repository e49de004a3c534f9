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

}  // namespace veka::test
