// The entry's shared steps: the answers that need no run, and the console run.
#include "app/ConsoleEntry.h"

#include <cerrno>
#include <cstring>
#include <iostream>

#include "app/FailureReport.h"
#include "platform/StandardStreams.h"

namespace tiermend::app {
namespace {

// As GNU programs do: output that cannot be written (a closed standard output, a full
// disk) fails the program, with a word on standard error, whatever it was doing.
int statusAfterWriting(int status) {
  errno = 0;
  std::cout.flush();
  if (std::cout && !standardOutputWasClosed()) return status;
  const int error = standardOutputWasClosed() ? EBADF : errno;
  std::cerr << "tiermend: cannot write to standard output";
  if (error != 0) std::cerr << ": " << std::strerror(error);
  std::cerr << std::endl;
  return status == 0 ? 1 : status;
}

}  // namespace

std::optional<int> answerWithoutRunning(const CommandLine& commandLine) {
  switch (commandLine.action) {
    case CommandLine::Action::Help:
      std::cout << helpText();
      return statusAfterWriting(0);
    case CommandLine::Action::Version:
      std::cout << versionText();
      return statusAfterWriting(0);
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
    const int status = run.run();
    // A check's report is its whole point; the refresh run's tables are refreshed (or
    // not) whether or not its message could be printed, and its status says which.
    return mode == ConsoleRun::Mode::Check ? statusAfterWriting(status) : status;
  } catch (...) {
    // What the last-resort box would say, where nobody can see a box.
    std::cerr << lastResortText(describeCurrentException());
    return 1;
  }
}

}  // namespace tiermend::app
