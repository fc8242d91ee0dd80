// The Windows program's entry: the command line first. A run with windows where the
// process can show them (the application, its main window and dialogs); the console
// run, with the completion message on standard output and a failure's text on standard
// error in the ANSI code page, for a check and where no window can be shown. Every run
// leaves its record in the Application event log.
#include "app/ConsoleEntry.h"
#include "app/win32/Application.h"
#include "app/win32/LastResort.h"
#include "app/win32/ScreenCheck.h"

namespace {

using namespace tiermend;
using namespace tiermend::app;

// Where the run happens: a check is always the console's; a refresh has windows when
// this process can make them.
bool runsInWindows(const CommandLine& commandLine) {
  return commandLine.action == CommandLine::Action::Refresh && canCreateWindows();
}

int runInWindows(LogSink& log) {
  try {
    Application application(log);
    try {
      return application.run();
    } catch (...) {
      return application.reportLastResort();
    }
  } catch (...) {
    // The application itself could not be made: nothing records the failure but the box.
    return reportLastResort();
  }
}

}  // namespace

int main(int argc, char* argv[]) {
  const CommandLine commandLine = parseCommandLine(argc, argv);
  if (const auto status = answerWithoutRunning(commandLine)) return *status;
  SystemLog log;
  if (runsInWindows(commandLine)) return runInWindows(log);
  return runInConsole(commandLine.action == CommandLine::Action::Check ? ConsoleRun::Mode::Check
                                                                       : ConsoleRun::Mode::Refresh,
                      log);
}
