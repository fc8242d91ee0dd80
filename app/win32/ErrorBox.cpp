// Showing the error box: a window holding the mouse capture ends its mode first, the
// other windows are disabled, and MessageBoxA shows the text.
#include "app/win32/ErrorBox.h"

#include "app/win32/TaskWindows.h"

namespace tiermend::app {

void showErrorBox(HWND owner, const std::string& caption, const std::string& text) {
  // A button held down or a drag in progress ends before the box takes the input.
  if (HWND capture = GetCapture()) SendMessageA(capture, WM_CANCELMODE, 0, 0);
  DisabledTaskWindows disabled;
  MessageBoxA(owner, text.c_str(), caption.c_str(), MB_OK | MB_ICONERROR);
}

}  // namespace tiermend::app
