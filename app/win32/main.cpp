// The Windows program's entry: the command line, then the run in the console, with the
// completion message on standard output and a failure's text on standard error, in the
// ANSI code page. Every run leaves its record in the Application event log.
#include "app/ConsoleEntry.h"
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
  return runInConsole(commandLine.action == CommandLine::Action::Check ? ConsoleRun::Mode::Check
                                                                       : ConsoleRun::Mode::Refresh,
                      log);
}
