// Asking the system for one hidden window to learn whether windows can be made.
#include "app/win32/ScreenCheck.h"

#include <windows.h>

namespace tiermend::app {

bool canCreateWindows() {
  HWND probe = CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr,
                               GetModuleHandleA(nullptr), nullptr);
  if (probe == nullptr) return false;
  DestroyWindow(probe);
  return true;
}

}  // namespace tiermend::app
