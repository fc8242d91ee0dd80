// The last-resort report: the failure's kind, module, address and message in a
// task-modal box of its own, owned by no window.
#include "app/win32/LastResort.h"

#include <windows.h>

#include "app/FailureReport.h"

namespace tiermend::app {

int reportLastResort() {
  const std::string text = lastResortText(describeCurrentException());
  MessageBoxA(nullptr, text.c_str(), "Application Error", MB_OK | MB_ICONERROR | MB_TASKMODAL);
  return 1;
}

}  // namespace tiermend::app
