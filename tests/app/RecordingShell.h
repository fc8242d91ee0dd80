// An application shell that records what the main window asks of it instead of
// showing dialogs, so that tests can run the window's handlers without a user.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "app/AppShell.h"
#include "app/FailureReport.h"

namespace tiermend::testing {

class RecordingShell : public app::AppShell {
 public:
  void reportCurrentFailure() override { reported.push_back(app::describeCurrentException()); }
  void showCompletionMessage() override { ++completionMessages; }
  void endRun() override { ++endRuns; }
  void recordTable(int index, const refresh::TableCounts& counts) override {
    tables.emplace_back(index, counts);
  }

  std::vector<app::FailureInfo> reported;
  int completionMessages = 0;
  int endRuns = 0;
  std::vector<std::pair<int, refresh::TableCounts>> tables;
};

}  // namespace tiermend::testing
