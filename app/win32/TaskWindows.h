// The tool's other windows put out of use while a modal box or dialog is up: every
// visible, enabled top-level window of this thread is disabled, and afterwards enabled
// again, with the window that was active and the control that had the focus restored.
#pragma once

#include <windows.h>

#include <vector>

namespace tiermend::app {

class DisabledTaskWindows {
 public:
  DisabledTaskWindows();
  ~DisabledTaskWindows();
  DisabledTaskWindows(const DisabledTaskWindows&) = delete;
  DisabledTaskWindows& operator=(const DisabledTaskWindows&) = delete;

 private:
  static BOOL CALLBACK disableOne(HWND window, LPARAM self);

  std::vector<HWND> disabled_;
  HWND active_;
  HWND focus_;
};

}  // namespace tiermend::app
