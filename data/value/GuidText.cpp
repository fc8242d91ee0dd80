// GUID text from bytes and from other spellings.
#include "data/value/GuidText.h"

#include <cctype>
#include <cstdio>

namespace tiermend::data {

std::string guidTextFromBytes(const std::uint8_t* b) {
  char text[40];
  std::snprintf(text, sizeof text,
                "{%02X%02X%02X%02X-%02X%02X-%02X%02X-%02X%02X-%02X%02X%02X%02X%02X%02X}", b[3],
                b[2], b[1], b[0], b[5], b[4], b[7], b[6], b[8], b[9], b[10], b[11], b[12], b[13],
                b[14], b[15]);
  return text;
}

std::string bracedGuidText(std::string_view text) {
  std::string out = "{";
  for (char c : text) {
    if (c == '{' || c == '}' || std::isspace(static_cast<unsigned char>(c))) continue;
    out += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  }
  out += '}';
  return out;
}

}  // namespace tiermend::data
