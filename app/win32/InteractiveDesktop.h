// Whether anyone can see this process's windows: a process started by the Task Scheduler
// for a task set to run whether or not a user is logged on, or by the service manager,
// runs in a window station that is not visible, where a box would wait for good.
#pragma once

namespace tiermend::app {

// True when the process's window station is the visible, interactive one; false for a
// hidden window station, and when the system cannot tell (nobody to dismiss a box is
// the safer guess).
bool hasInteractiveDesktop();

}  // namespace tiermend::app
