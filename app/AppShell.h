// What the main window needs from the application around it: the error box for a
// failure, the completion message, the end of the run, and the run's record.
#pragma once

#include "refresh/RefreshHost.h"

namespace tiermend::app {

class AppShell {
 public:
  virtual ~AppShell() = default;
  // Reports the exception being handled (call it inside a catch block): the error box
  // for a failure of the tool's family, nothing for a silent abort, the generic report
  // for anything else.
  virtual void reportCurrentFailure() = 0;
  // Shows the completion message in its modal dialog; returns once it is dismissed.
  virtual void showCompletionMessage() = 0;
  // Posts the quit request and returns at once.
  virtual void endRun() = 0;
  // Records what the refresh step of table index did, in the system log.
  virtual void recordTable(int index, const refresh::TableCounts& counts) = 0;
};

}  // namespace tiermend::app
