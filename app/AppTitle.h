// The application title, derived from the executable's file name.
#pragma once

#include <string>

namespace tiermend::app {

// Keeps what follows the last "/", cuts it at its first "." and lower-cases every
// byte after the first: "/opt/x/SETUP.EXE" gives "Setup", "a.b.exe" gives "a".
std::string titleFromExecutablePath(const std::string& path);

// The full file name of the running executable as the system reports it.
std::string executablePath();

}  // namespace tiermend::app
