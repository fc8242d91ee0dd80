// The Windows programs' entry, linked twice: tiermend.com (console subsystem) and
// tiermend.exe (windows subsystem). The command line, then the run in the console, with
// the completion message on standard output and a failure's text on standard error, in
// the ANSI code page. Every run leaves its record in the Application event log.
#include "app/ConsoleEntry.h"
#include "app/win32/ConsoleProgram.h"
#include "app/win32/InteractiveDesktop.h"
#include "platform/Interruption.h"
#include "platform/StandardStreams.h"

int main(int argc, char* argv[]) {
  using namespace tiermend;
  using namespace tiermend::app;
  holdStandardStreams();
  const CommandLine commandLine = parseCommandLine(argc, argv);
  if (const auto status = answerWithoutRunning(commandLine)) return *status;
  // From here a request to stop ends the run cleanly: the current table rolled back.
  catchInterruptions();
  SystemLog log;
  const ConsoleRun::Mode mode = commandLine.action == CommandLine::Action::Check
                                    ? ConsoleRun::Mode::Check
                                    : ConsoleRun::Mode::Refresh;
  // tiermend.com runs in the console it was started from; so does a run that nobody
  // could answer a box in (a scheduled task run whether or not a user is logged on, a
  // service).
  if (isConsoleProgram() || !hasInteractiveDesktop()) return runInConsole(mode, log);
  // The window run's place: until it is written, tiermend.exe runs in the console too.
  return runInConsole(mode, log);
}
