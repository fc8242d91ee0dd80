// The plain-text form of a message box or message dialog that Ctrl+C copies.
#pragma once

#include <string>
#include <vector>

namespace tiermend::app {

// Dash line, caption, dash line, message, dash line, the button captions (each with
// three spaces after it and every "&" removed), dash line; every line ends in CR LF.
// The texts are taken as bytes: 8-bit text of the ANSI code page on Windows, UTF-8 in
// the Qt windows; "&" and "-" are the same byte in both.
std::string dialogClipboardText(const std::string& caption, const std::string& message,
                                const std::vector<std::string>& buttonCaptions);

}  // namespace tiermend::app
