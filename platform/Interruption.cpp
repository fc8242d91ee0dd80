// What both realisations of the request to stop share: the noted request, its exception.
#include "platform/Interruption.h"

#include <csignal>

namespace tiermend {
namespace {

// Written by a signal handler (or Windows's control handler thread), read by the run.
volatile std::sig_atomic_t requested = 0;

}  // namespace

EInterrupted::EInterrupted(int signal)
    : Exception("The run was interrupted (" + interruptionName(signal) +
                "); the table being refreshed keeps its old rows"),
      signal_(signal) {}

int interruptionRequested() {
  return requested;
}

void throwIfInterrupted() {
  if (const int signal = requested) throw EInterrupted(signal);
}

void noteInterruption(int signal) {
  requested = signal;
}

void forgetInterruption() {
  requested = 0;
}

}  // namespace tiermend
