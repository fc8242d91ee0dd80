// Bytes written as lower-case hex pairs separated by blanks ("7f 00 ff"), the way the
// tests state the bytes they expect of index keys and pages.
#pragma once

#include <cstdint>
#include <span>
#include <string>

namespace tiermend::testing {

inline std::string spacedHex(std::span<const std::uint8_t> bytes) {
  static constexpr char kDigits[] = "0123456789abcdef";
  std::string text;
  for (const std::uint8_t byte : bytes) {
    if (!text.empty()) text += ' ';
    text += kDigits[byte >> 4];
    text += kDigits[byte & 15];
  }
  return text;
}

}  // namespace tiermend::testing
