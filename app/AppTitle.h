// The application title, derived from the executable's file name.
#pragma once

#include <string>

#include "platform/CodePage.h"

namespace tiermend::app {

// Keeps what follows the last path separator, cuts it at its first "." and lower-cases
// every letter after the first character: "/opt/x/SETUP.EXE" gives "Setup", "a.b.exe"
// gives "a". The path is text of codePage, walked a character at a time, so that the
// second byte of a double-byte character is never taken for a separator, a "." or a
// letter ("\" and "A" are second bytes of Big5 characters).
std::string titleFromExecutablePath(const std::string& path, const CodePage& codePage);

}  // namespace tiermend::app
