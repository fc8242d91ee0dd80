// Requests from outside to stop the run: SIGINT and SIGTERM on POSIX systems (Ctrl+C, what
// systemd and timeout send), the console's Ctrl+C, Ctrl+Break and close on Windows. The
// handler only notes the request; the run looks at it between rows, between tables and
// while it waits, and stops there by throwing EInterrupted, so that the table being
// refreshed is rolled back and every file it made is removed on the way out.
#pragma once

#include <string>

#include "platform/Exceptions.h"

namespace tiermend {

// The run was asked to stop. Its message says so and names the request.
class EInterrupted : public Exception {
 public:
  explicit EInterrupted(int signal);
  int signal() const noexcept { return signal_; }
  const char* className() const noexcept override { return "EInterrupted"; }

 private:
  int signal_;
};

// Installs the handlers that note a request to stop (once per process).
void catchInterruptions();
// The request noted so far: the signal's number (SIGINT, SIGTERM), or 0 for none.
int interruptionRequested();
// Throws EInterrupted when a request has been noted.
void throwIfInterrupted();
// The request's name as the user knows it: "SIGTERM", "Ctrl+C", ...
std::string interruptionName(int signal);
// The exit status of a run stopped by the request: 128 + the signal's number on POSIX
// systems, as a shell reports it; STATUS_CONTROL_C_EXIT on Windows.
int interruptedExitStatus(int signal);
// Notes a request as the handler does, or forgets it (tests).
void noteInterruption(int signal);
void forgetInterruption();

}  // namespace tiermend
