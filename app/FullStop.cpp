// Ending an error box's message with a full stop, judged on its last whole character.
#include "app/FullStop.h"

namespace tiermend::app {

std::string withFullStop(const std::string& text, const CodePage& codePage) {
  if (text.empty()) return text;
  size_t lastStart = 0;
  for (size_t pos = 0; pos < text.size(); pos += codePage.charLength(text, pos)) lastStart = pos;
  const auto firstByte = static_cast<unsigned char>(text[lastStart]);
  return firstByte > '.' ? text + "." : text;
}

}  // namespace tiermend::app
