// Which of the two Windows programs is running. The same sources are linked twice:
// tiermend.com for the console subsystem, which cmd.exe and PowerShell wait for and
// whose text and exit status reach the caller, and tiermend.exe for the windows
// subsystem, which opens no console of its own when started from the desktop.
#pragma once

namespace tiermend::app {

// True in tiermend.com, the program linked for the console subsystem.
bool isConsoleProgram();

}  // namespace tiermend::app
