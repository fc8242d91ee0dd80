// Running one shell command with its input and capturing its output for the tests.
#include "tests/support/ShellCommand.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

#include "tests/support/TempFolder.h"

namespace tiermend::testing {

namespace {

std::string readFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

}  // namespace

std::string runShellCommand(const std::string& command, const std::string& input,
                            const std::string& what) {
  const TempFolder work;
  const std::string in = work.file("input.txt"), out = work.file("output.txt"),
                    errors = work.file("errors.txt");
  std::ofstream(in, std::ios::binary) << input;
  const std::string full = command + " <'" + in + "' >'" + out + "' 2>'" + errors + "'";
  if (std::system(full.c_str()) != 0)
    throw std::runtime_error(what + " failed: " + readFile(errors));
  return readFile(out);
}

}  // namespace tiermend::testing
