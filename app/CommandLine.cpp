// Reading the command line, and the texts of --help, --version and a refused argument.
#include "app/CommandLine.h"

#include <string_view>

namespace tiermend::app {

namespace {

CommandLine::Action actionOf(std::string_view argument) {
  if (argument == "--check") return CommandLine::Action::Check;
  if (argument == "--help") return CommandLine::Action::Help;
  if (argument == "--version") return CommandLine::Action::Version;
  return CommandLine::Action::Refused;
}

// Where the run shows its outcome, and where its record goes, on this platform.
std::string runText() {
#ifdef _WIN32
  return "tiermend.exe shows its completion message or error box in a window where\n"
         "someone can see it. tiermend.com (what a console runs for \"tiermend\"), and a\n"
         "run no one can see (a scheduled task run whether or not a user is logged on, a\n"
         "service), print the completion message on standard output, or the error on\n"
         "standard error, and wait for nothing.\n";
#else
  return "With a screen the run shows its completion message or error box in a window.\n"
         "Without one (no DISPLAY or WAYLAND_DISPLAY that can be opened, or QT_QPA_PLATFORM\n"
         "offscreen or minimal) it prints the completion message on standard output, or\n"
         "the error on standard error, and waits for nothing.\n";
#endif
}

std::string logText() {
#ifdef _WIN32
  return "Every run is recorded in the\nApplication event log (source tiermend).\n";
#else
  return "Every run is recorded in the system log (tag tiermend).\n";
#endif
}

}  // namespace

CommandLine parseCommandLine(int argc, const char* const* argv) {
  if (argc <= 1) return {};
  const CommandLine::Action action = actionOf(argv[1]);
  if (action == CommandLine::Action::Refused) return {action, argv[1]};
  // One option at a time: a second argument is refused, whatever it is.
  if (argc > 2) return {CommandLine::Action::Refused, argv[2]};
  return {action, {}};
}

std::string usageLine() {
  return "Usage: tiermend [--check | --help | --version]\n";
}

std::string helpText() {
  return usageLine() +
         "Refreshes the salary-bracket tables health_insu, labor, incom_rep and retire of the\n"
         "database that ./Link.txt names, from the update package ./tiermenddb.mdb.\n"
         "\n"
         "\n" +
         runText() + "\n" +
         "  --check    do the whole run, then roll every table back: print each table's\n"
         "             rows it would replace and rows it would write, or the failure the\n"
         "             run would report; nothing is changed\n"
         "  --help     print this text\n"
         "  --version  print the version\n"
         "\n"
         "Exit status: 0 when the run (or check) completed, 1 when it failed, 2 for an\n"
         "argument it does not know. " +
         logText();
}

std::string versionText() {
  return std::string("tiermend ") + TIERMEND_VERSION + "\n";
}

std::string refusalText(const std::string& argument) {
  return "tiermend: unexpected argument '" + argument + "'\n" + usageLine();
}

}  // namespace tiermend::app
