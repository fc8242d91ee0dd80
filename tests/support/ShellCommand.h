// Running a server's command-line client for the tests: one shell command with its input
// given on standard input, its output captured and its errors turned into an exception.
#pragma once

#include <string>

namespace tiermend::testing {

// Runs the command with `input` on its standard input; gives what it wrote to standard
// output. Throws std::runtime_error "<what> failed: <standard error>" when it exits with
// a status other than 0.
std::string runShellCommand(const std::string& command, const std::string& input,
                            const std::string& what);

}  // namespace tiermend::testing
