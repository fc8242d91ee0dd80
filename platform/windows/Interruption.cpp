// The console's Ctrl+C, Ctrl+Break and close noted by a control handler, which Windows
// runs on a thread of its own, so that the run can stop at its next check.
#include "platform/Interruption.h"

#include <windows.h>

#include <csignal>

namespace tiermend {
namespace {

// After a close, log-off or shutdown event Windows ends the process once the handler
// returns (or after about five seconds): the handler waits that long, giving the run
// time to roll back and remove its files; the process ends as soon as the run does.
constexpr DWORD kCloseGrace = 5000;

BOOL WINAPI noteControl(DWORD event) {
  switch (event) {
    case CTRL_C_EVENT:
    case CTRL_BREAK_EVENT:
      noteInterruption(SIGINT);
      return TRUE;
    case CTRL_CLOSE_EVENT:
    case CTRL_LOGOFF_EVENT:
    case CTRL_SHUTDOWN_EVENT:
      noteInterruption(SIGTERM);
      Sleep(kCloseGrace);
      return TRUE;
    default:
      return FALSE;
  }
}

}  // namespace

void catchInterruptions() {
  SetConsoleCtrlHandler(noteControl, TRUE);
}

std::string interruptionName(int signal) {
  return signal == SIGINT ? "Ctrl+C" : "the console was closed";
}

int interruptedExitStatus(int) {
  return static_cast<int>(STATUS_CONTROL_C_EXIT);
}

}  // namespace tiermend
