// The command line: no argument runs the refresh; --check, --help and --version are
// the only others. Anything else is refused before anything is read or opened.
#pragma once

#include <string>

namespace tiermend::app {

struct CommandLine {
  enum class Action {
    Refresh,  // the run: in a window when there is a screen, else in the console
    Check,    // the whole run, every table rolled back; always in the console
    Help,
    Version,
    Refused,  // an argument we do not know, or more than one argument
  };
  Action action = Action::Refresh;
  std::string refused;  // the argument refused, as given
};

CommandLine parseCommandLine(int argc, const char* const* argv);

// "Usage: tiermend [--check | --help | --version]" and a line end.
std::string usageLine();
// What --help prints: the usage line, what the program does, its options and exit statuses.
std::string helpText();
// What --version prints: "tiermend <version>" and a line end.
std::string versionText();
// What a refused command line prints on standard error: which argument, then the usage line.
std::string refusalText(const std::string& argument);

}  // namespace tiermend::app
