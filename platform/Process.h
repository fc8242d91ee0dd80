// Facts about the running process that the operating system keeps.
#pragma once

#include <string>

namespace tiermend {

// The full file name of the running executable as the system reports it (on Windows,
// GetModuleFileNameA's, in the ANSI code page); empty when it cannot say.
std::string executablePath();

}  // namespace tiermend
