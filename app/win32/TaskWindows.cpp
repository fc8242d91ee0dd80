// Disabling the thread's windows around a modal box, and restoring them afterwards.
#include "app/win32/TaskWindows.h"

namespace tiermend::app {

DisabledTaskWindows::DisabledTaskWindows() : active_(GetActiveWindow()), focus_(GetFocus()) {
  EnumThreadWindows(GetCurrentThreadId(), &DisabledTaskWindows::disableOne,
                    reinterpret_cast<LPARAM>(this));
}

BOOL CALLBACK DisabledTaskWindows::disableOne(HWND window, LPARAM self) {
  if (IsWindowVisible(window) && IsWindowEnabled(window)) {
    reinterpret_cast<DisabledTaskWindows*>(self)->disabled_.push_back(window);
    EnableWindow(window, FALSE);
  }
  return TRUE;
}

DisabledTaskWindows::~DisabledTaskWindows() {
  for (HWND window : disabled_) {
    if (IsWindow(window)) EnableWindow(window, TRUE);
  }
  if (active_ != nullptr && IsWindow(active_)) SetActiveWindow(active_);
  if (focus_ != nullptr && IsWindow(focus_)) SetFocus(focus_);
}

}  // namespace tiermend::app
