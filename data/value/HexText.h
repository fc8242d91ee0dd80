// Bytes as text: the form short binary values are shown in.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "data/Value.h"

namespace tiermend::data {

// Two upper-case hex digits per byte.
std::string hexText(const Bytes& bytes);
// The bytes of an even count of hex digits in either case, or nothing for any other text.
std::optional<Bytes> bytesOfHex(std::string_view text);
// The value of one hex digit in either case, or -1.
int hexDigitValue(char c);

}  // namespace tiermend::data
