// The run without a window, for cron jobs, systemd timers and ssh sessions: the same
// start-up sequence and refresh chain as the window run, with the completion message
// on standard output and a failure's text, as the error box would show it, on standard
// error. Nothing waits for input. A check runs the same chain but rolls every table
// back, and prints each table's counts instead of the completion message.
#pragma once

#include <ostream>

#include "data/Connection.h"
#include "data/Rowset.h"
#include "data/TextSettings.h"
#include "link/LinkFields.h"
#include "platform/SystemLog.h"
#include "refresh/RefreshHost.h"
#include "refresh/RunRecord.h"

namespace tiermend::app {

class ConsoleRun : public refresh::RefreshHost {
 public:
  enum class Mode { Refresh, Check };

  // Text goes to out and err in the locale's encoding, which is settings' code page.
  ConsoleRun(Mode mode, const data::TextSettings& settings, LogSink& log, std::ostream& out,
             std::ostream& err);

  // Runs in the current working folder; gives the exit status: 0 when the chain
  // completed, 1 when a failure stopped it, interruptedExitStatus() when a request to
  // stop (SIGTERM, SIGINT) did.
  int run();

  // RefreshHost
  void setButtonEnabled(int, bool) override {}
  void invokeButtonAction(int index) override;
  void showCompletionMessage() override;
  void endRun() override { completed_ = true; }
  void tableDone(int index, const refresh::TableCounts& counts) override;

 private:
  void reportCurrentFailure();

  Mode mode_;
  data::TextSettings settings_;
  refresh::RunRecord record_;
  std::ostream& out_;
  std::ostream& err_;
  // The components the window holds, under the same names, as messages show them.
  data::Connection ADOC1;
  data::Connection ADOC2;
  data::Rowset ADOQ1;
  data::Rowset ADOQ2;
  link::LinkFields linkFields_;
  bool completed_ = false;
};

}  // namespace tiermend::app
