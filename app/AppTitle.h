// The application title, derived from the executable's file name.
#pragma once

#include <string>

#include "platform/Process.h"

namespace tiermend::app {

// Keeps what follows the last path separator, cuts it at its first "." and lower-cases every
// byte after the first: "/opt/x/SETUP.EXE" gives "Setup", "a.b.exe" gives "a".
std::string titleFromExecutablePath(const std::string& path);

}  // namespace tiermend::app
