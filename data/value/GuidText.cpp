// GUID text from bytes and from other spellings.
#include "data/value/GuidText.h"

#include <cctype>
#include <cstdio>

#include "data/value/AsciiText.h"
#include "data/value/HexText.h"

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

std::optional<std::string> canonicalGuidText(std::string_view text) {
  if (text.size() == 38 && text.front() == '{' && text.back() == '}') text = text.substr(1, 36);
  if (text.size() != 36) return std::nullopt;
  for (size_t i = 0; i < text.size(); ++i) {
    const bool dashPlace = i == 8 || i == 13 || i == 18 || i == 23;
    if (dashPlace ? text[i] != '-' : hexDigitValue(text[i]) < 0) return std::nullopt;
  }
  return "{" + toUpperAscii(std::string(text)) + "}";
}

bool guidBytesFromText(std::string_view text, std::uint8_t* bytes16) {
  const std::optional<std::string> canonical = canonicalGuidText(text);
  if (!canonical) return false;
  std::string hex;
  for (char c : std::string_view(*canonical).substr(1, 36)) {
    if (c != '-') hex += c;
  }
  const Bytes plain = bytesOfHex(hex).value();
  // The first three groups are stored little-endian.
  static const int kOrder[] = {3, 2, 1, 0, 5, 4, 7, 6, 8, 9, 10, 11, 12, 13, 14, 15};
  for (int i = 0; i < 16; ++i) bytes16[i] = plain[static_cast<size_t>(kOrder[i])];
  return true;
}

}  // namespace tiermend::data
