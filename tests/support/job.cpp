#include "support/job.hpp"

namespace veka::test {

Job::Job(const std::string& commandSection, const std::string& solute,
         const std::string& forceField) {
  writeFile(file("par.txt"), commandSection + forceField);
  writeFile(file("zmat.txt"), solute);
  writeFile(file("bang.txt"), readFile(sourceData("forcefield/opls-aa-bonded.par")));
  for (const char* f : {"water.txt", "org1.txt", "org2.txt"}) writeFile(file(f), "");
}

std::string Job::methanol() {
  return readFile(sourceData("examples/methanol/methanol.z"));
}

std::string Job::opls() {
  return readFile(sourceData("forcefield/opls-aa.par"));
}

std::vector<std::string> Job::fileArgs() const {
  return {"-ot",      "out.txt",   "-in",     "in.txt",   "-up",      "up.txt",   "-sv",
          "save.txt", "-av",       "ave.txt", "-zm",      "zmat.txt", "-pa",      "par.txt",
          "-wa",      "water.txt", "-o1",     "org1.txt", "-o2",      "org2.txt", "-pl",
          "plt.txt",  "-su",       "sum.txt", "-ba",      "bang.txt", "-sz",      "szmat.txt"};
}

RunResult Job::run(const std::string& code, const std::string& mxcon, const std::string& rc0,
                   const std::string& rc1, const std::string& rc2, const Env& env) const {
  std::vector<std::string> args{code, mxcon, rc0, rc1, rc2};
  for (const auto& a : fileArgs()) args.push_back(a);
  return runVeka(args, env, dir());
}

}  // namespace veka::test
