// The error box: the system's message box with the error icon and a single OK button,
// owned by the application window, with the tool's other windows out of use while it is up.
#pragma once

#include <windows.h>

#include <string>

namespace tiermend::app {

// caption and text: 8-bit text of the ANSI code page. Returns once the box is closed.
void showErrorBox(HWND owner, const std::string& caption, const std::string& text);

}  // namespace tiermend::app
