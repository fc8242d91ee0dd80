// The entry: the locale first, then the command line. With a screen the application
// runs the tool from the creation of its main window to the end of the message loop;
// without one, and for a check, the same run happens in the console. Every run leaves
// its record in the system log.
#include <QByteArray>
#include <chrono>
#include <clocale>
#include <thread>

#include "app/CommandLine.h"
#include "app/ConsoleEntry.h"
#include "app/qt/Application.h"
#include "app/qt/ScreenChoice.h"
#include "app/qt/SystemDisplayProbe.h"
#include "platform/Interruption.h"
#include "platform/StandardStreams.h"
#include "platform/SystemLog.h"

namespace {

using namespace tiermend;
using namespace tiermend::app;

// How often Qt is started again when it could not reach the display the probe reached,
// and the pause before each new start.
constexpr int kQtStarts = 3;
constexpr std::chrono::milliseconds kPauseBeforeRestart{500};

// Qt is started on the chosen platforms with the fallback behind them. Where it landed on
// the fallback (the display stopped answering after the probe), it is started again a
// few times; a display that stays out of reach leaves the run to the console.
int runInWindow(int argc, char* argv[], LogSink& log, const std::string& platforms) {
  qputenv("QT_QPA_PLATFORM", QByteArray::fromStdString(platforms));
  for (int start = 1; start <= kQtStarts; ++start) {
    if (start > 1) std::this_thread::sleep_for(kPauseBeforeRestart);
    Application application(argc, argv, log);
    if (Application::platformName() == QLatin1String(kFallbackQtPlatform)) continue;
    try {
      return application.run();
    } catch (...) {
      application.showLastResortReport();
      return 1;
    }
  }
  return runInConsole(ConsoleRun::Mode::Refresh, log);
}

}  // namespace

int main(int argc, char* argv[]) {
  std::setlocale(LC_ALL, "");
  holdStandardStreams();
  const CommandLine commandLine = parseCommandLine(argc, argv);
  if (const auto status = answerWithoutRunning(commandLine)) return *status;
  // From here a request to stop ends the run cleanly: the current table rolled back.
  catchInterruptions();
  SystemLog log;
  if (commandLine.action == CommandLine::Action::Check) {
    return runInConsole(ConsoleRun::Mode::Check, log);
  }
  SystemDisplayProbe probe;
  const ScreenEnvironment environment = ScreenEnvironment::fromProcess();
  if (!hasScreen(environment, probe)) return runInConsole(ConsoleRun::Mode::Refresh, log);
  return runInWindow(argc, argv, log, qtPlatformsWithFallback(environment, probe));
}
