// The Windows programs' entry, linked twice: tiermend.exe (windows subsystem) and
// tiermend.com (console subsystem). The command line first. A run with windows where the
// process can show them to someone (the application, its main window and dialogs); the
// console run, with the completion message on standard output and a failure's text on
// standard error in the ANSI code page, for a check, for tiermend.com and where no one
// could answer a box. Every run leaves its record in the Application event log.
#include "app/ConsoleEntry.h"
#include "app/win32/Application.h"
#include "app/win32/ConsoleProgram.h"
#include "app/win32/InteractiveDesktop.h"
#include "app/win32/LastResort.h"
#include "app/win32/ScreenCheck.h"
#include "platform/Interruption.h"
#include "platform/StandardStreams.h"

namespace {

using namespace tiermend;
using namespace tiermend::app;

// Where the run happens: a check is always the console's, and so is every run of
// tiermend.com (it runs in the console it was started from). A refresh of tiermend.exe
// has windows when this process can make them and someone can see them: a scheduled task
// run whether or not a user is logged on, or a service, has a window station no one sees.
bool runsInWindows(const CommandLine& commandLine) {
  return commandLine.action == CommandLine::Action::Refresh && !isConsoleProgram() &&
         hasInteractiveDesktop() && canCreateWindows();
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
  holdStandardStreams();
  const CommandLine commandLine = parseCommandLine(argc, argv);
  if (const auto status = answerWithoutRunning(commandLine)) return *status;
  // From here a request to stop ends the run cleanly: the current table rolled back.
  catchInterruptions();
  SystemLog log;
  if (runsInWindows(commandLine)) return runInWindows(log);
  return runInConsole(commandLine.action == CommandLine::Action::Check ? ConsoleRun::Mode::Check
                                                                       : ConsoleRun::Mode::Refresh,
                      log);
}
