#pragma once
// Files and command lines as the install tests look at them.

#include <stdlib.h>
#include <sys/wait.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

namespace velloran::testing {

inline std::string contents(const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

struct Outcome {
  int status = -1;
  std::string out, err;
};

// Runs a shell command line; its output and errors are kept apart, in files in `scratch`.
inline Outcome run(const std::string& command, const std::filesystem::path& scratch) {
  const std::filesystem::path out = scratch / "out.txt", err = scratch / "err.txt";
  const int raw =
      std::system((command + " >'" + out.string() + "' 2>'" + err.string() + "'").c_str());
  Outcome result{WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, contents(out), contents(err)};
  std::filesystem::remove(out);
  std::filesystem::remove(err);
  return result;
}

}  // namespace velloran::testing
