// The entry's shared steps: the answers that need no run, and the console run.
#include "app/ConsoleEntry.h"

#include <iostream>

#include "app/FailureReport.h"

namespace tiermend::app {

std::optional<int> answerWithoutRunning(const CommandLine& commandLine) {
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
  return std::nullopt;
}

int runInConsole(ConsoleRun::Mode mode, LogSink& log) {
  try {
    const data::TextSettings settings{CodePage::fromProcessLocale(),
                                      RegionalSettings::fromProcessLocale()};
    ConsoleRun run(mode, settings, log, std::cout, std::cerr);
    return run.run();
  } catch (...) {
    // What the last-resort box would say, where nobody can see a box.
    std::cerr << lastResortText(describeCurrentException());
    return 1;
  }
}

}  // namespace tiermend::app
