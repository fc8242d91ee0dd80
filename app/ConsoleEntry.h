// What the program's entry does the same way on every platform: answering --help,
// --version and a refused command line without running anything, and the run in the
// console with the process's own text settings.
#pragma once

#include <optional>

#include "app/CommandLine.h"
#include "app/ConsoleRun.h"
#include "platform/SystemLog.h"

namespace tiermend::app {

// Prints what the command line asks for when it asks for no run (help, version, a
// refusal) and gives the exit status; nullopt for a refresh or a check.
std::optional<int> answerWithoutRunning(const CommandLine& commandLine);

// Runs in the console under the process locale's code page and regional settings;
// gives the exit status. A failure that escapes the run is reported as the last-resort
// box would report it, on standard error.
int runInConsole(ConsoleRun::Mode mode, LogSink& log);

}  // namespace tiermend::app
