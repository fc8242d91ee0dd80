// Asks the system whether the process's window station is visible.
#include "app/win32/InteractiveDesktop.h"

#include <windows.h>

namespace tiermend::app {

bool hasInteractiveDesktop() {
  // The handle belongs to the process and must not be closed.
  HWINSTA station = GetProcessWindowStation();
  if (!station) return false;
  USEROBJECTFLAGS flags{};
  DWORD needed = 0;
  if (!GetUserObjectInformationW(station, UOI_FLAGS, &flags, sizeof flags, &needed)) return false;
  return (flags.dwFlags & WSF_VISIBLE) != 0;
}

}  // namespace tiermend::app
