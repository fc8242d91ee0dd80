// SIGINT and SIGTERM noted by a handler that does nothing else (it may do only what is
// safe in a signal handler), so that the run can stop at its next check.
#include "platform/Interruption.h"

#include <signal.h>

#include <cstring>
#include <initializer_list>

namespace tiermend {
namespace {

extern "C" void noteSignal(int signal) {
  noteInterruption(signal);
}

}  // namespace

void catchInterruptions() {
  struct sigaction action {};
  action.sa_handler = noteSignal;
  sigemptyset(&action.sa_mask);
  // Calls under way go on after the handler: the run looks at the request itself.
  action.sa_flags = SA_RESTART;
  for (const int signal : {SIGINT, SIGTERM}) {
    // A signal ignored from the start stays ignored, as the shell meant it (a command
    // started in the background, or under nohup, is not to be stopped by Ctrl+C).
    struct sigaction before {};
    if (sigaction(signal, nullptr, &before) == 0 && before.sa_handler == SIG_IGN) continue;
    sigaction(signal, &action, nullptr);
  }
}

std::string interruptionName(int signal) {
  if (signal == SIGINT) return "SIGINT";
  if (signal == SIGTERM) return "SIGTERM";
  const char* name = sigabbrev_np(signal);
  return name ? std::string("SIG") + name : "signal " + std::to_string(signal);
}

int interruptedExitStatus(int signal) {
  return 128 + signal;
}

}  // namespace tiermend
