// The entry: the locale first, then the command line. With a screen the application
// runs the tool from the creation of its main window to the end of the message loop;
// without one, and for a check, the same run happens in the console. Every run leaves
// its record in the system log.
#include <clocale>

#include "app/CommandLine.h"
#include "app/ConsoleEntry.h"
#include "app/qt/Application.h"
#include "app/qt/SystemDisplayProbe.h"
#include "platform/SystemLog.h"

namespace {

using namespace tiermend;
using namespace tiermend::app;

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
  if (const auto status = answerWithoutRunning(commandLine)) return *status;
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
