// The full-stop rule of the error box.
#pragma once

#include <string>

#include "platform/CodePage.h"

namespace tiermend::app {

// Appends "." when the text is not empty and the first byte of its last character
// (a double-byte character of the code page counting as one) is greater than ".".
std::string withFullStop(const std::string& text, const CodePage& codePage);

}  // namespace tiermend::app
