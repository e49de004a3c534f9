#include "support/command_section.hpp"

#include "support/run.hpp"

namespace veka::test {

std::string commandSection(const std::map<int, std::string>& records, const std::string& title) {
  static const std::vector<std::string> kDefault =
      lines(readFile(testData("support/data/command_section.txt")));
  std::string s = title + "\n";
  for (int n = 1; n <= 35; ++n) {
    const auto it = records.find(n);
    s += kDefault.at(static_cast<std::size_t>(2 * n - 1)) + "\n";
    s += (it != records.end() ? it->second : kDefault.at(static_cast<std::size_t>(2 * n))) + "\n";
  }
  return s;
}

}  // namespace veka::test
