// What a refresh step needs of the window that runs it: the four buttons, the button
// action of the next button, the end of the chain, and where each table's counts go.
#pragma once

#include <cstdint>

namespace tiermend::refresh {

// What one refresh step did to its table.
struct TableCounts {
  std::int64_t replaced = 0;  // rows the delete removed: the table's old rows
  std::int64_t written = 0;   // rows posted from the update package
  bool operator==(const TableCounts&) const = default;
};

class RefreshHost {
 public:
  virtual ~RefreshHost() = default;
  // Enables or disables button index (0 for Button1 ... 3 for Button4).
  virtual void setButtonEnabled(int index, bool enabled) = 0;
  // Runs the button action of button index: its click handler, enabled or not.
  virtual void invokeButtonAction(int index) = 0;
  // Shows "更新完成." in the modal message dialog; returns once it is dismissed.
  virtual void showCompletionMessage() = 0;
  // Posts the quit request; returns at once.
  virtual void endRun() = 0;
  // The table of step index (0 for health_insu ... 3 for retire) has been refreshed,
  // or, in a check, refilled and rolled back. Called before the next step starts.
  virtual void tableDone(int index, const TableCounts& counts) = 0;
};

}  // namespace tiermend::refresh
