// The report of a failure that nothing else caught: a task-modal "Application Error" box
// with the error icon, after which the process ends with status 1.
#pragma once

namespace tiermend::app {

// Shows the report of the exception being handled (call it inside a catch block) and
// gives the exit status, 1.
int reportLastResort();

}  // namespace tiermend::app
