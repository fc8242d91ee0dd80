// The Windows program's entry: the command line, then the run in the console, with the
// completion message on standard output and a failure's text on standard error, in the
// ANSI code page. Every run leaves its record in the Application event log.
#include <iostream>

#include "app/CommandLine.h"
#include "app/ConsoleRun.h"
#include "app/FailureReport.h"
#include "platform/SystemLog.h"

namespace {

using namespace tiermend;
using namespace tiermend::app;

int runInConsole(ConsoleRun::Mode mode, LogSink& log) {
  try {
    const data::TextSettings settings{CodePage::fromProcessLocale(),
                                      RegionalSettings::fromProcessLocale()};
    ConsoleRun run(mode, settings, log, std::cout, std::cerr);
    return run.run();
  } catch (...) {
    // What the last-resort box would say.
    std::cerr << lastResortText(describeCurrentException());
    return 1;
  }
}

}  // namespace

int main(int argc, char* argv[]) {
  const CommandLine commandLine = parseCommandLine(argc, argv);
  switch (commandLine.action) {
    case CommandLine::Action::Help:
      std::cout << helpText();
      return 0;
    case CommandLine::Action::Version:
      std::cout << versionText();
      return 0;
    case CommandLine::Action::Refused:
      std::cerr << refusalText(commandLine.refused);
      return 2;
    case CommandLine::Action::Check:
    case CommandLine::Action::Refresh:
      break;
  }
  SystemLog log;
  return runInConsole(commandLine.action == CommandLine::Action::Check ? ConsoleRun::Mode::Check
                                                                       : ConsoleRun::Mode::Refresh,
                      log);
}
