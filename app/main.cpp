// The entry: the locale first, then the command line. With a screen the application
// runs the tool from the creation of its main window to the end of the message loop;
// without one, and for a check, the same run happens in the console. Every run leaves
// its record in the system log.
#include <clocale>
#include <iostream>

#include "app/Application.h"
#include "app/CommandLine.h"
#include "app/ConsoleRun.h"
#include "app/FailureReport.h"
#include "app/SystemDisplayProbe.h"
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
    // What the last-resort box would say, where nobody can see a box.
    std::cerr << lastResortText(describeCurrentException());
    return 1;
  }
}

int runInWindow(int argc, char* argv[], LogSink& log) {
  Application application(argc, argv, log);
  try {
    return application.run();
  } catch (...) {
    application.showLastResortReport();
    return 1;
  }
}

}  // namespace

int main(int argc, char* argv[]) {
  std::setlocale(LC_ALL, "");
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
  if (commandLine.action == CommandLine::Action::Check) {
    return runInConsole(ConsoleRun::Mode::Check, log);
  }
  SystemDisplayProbe probe;
  if (!hasScreen(ScreenEnvironment::fromProcess(), probe)) {
    return runInConsole(ConsoleRun::Mode::Refresh, log);
  }
  return runInWindow(argc, argv, log);
}
