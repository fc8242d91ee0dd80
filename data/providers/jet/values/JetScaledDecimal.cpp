// Scaling decimal text to whole units, digit by digit, without floating point.
#include "data/providers/jet/values/JetScaledDecimal.h"

#include <cctype>

namespace tiermend::data::jet {

namespace {

constexpr unsigned __int128 kMostBeforeTimesTen = (~static_cast<unsigned __int128>(0)) / 100;

int digitCount(unsigned __int128 value) {
  int count = 0;
  while (value != 0) {
    value /= 10;
    ++count;
  }
  return count;
}

}  // namespace

std::optional<JetScaledDecimal> scaleDecimalText(std::string_view text, int scale) {
  JetScaledDecimal result;
  std::size_t at = 0;
  if (at < text.size() && (text[at] == '-' || text[at] == '+')) result.negative = text[at++] == '-';
  bool sawDigit = false;
  bool sawPoint = false;
  int decimals = 0;
  bool roundUp = false;
  for (; at < text.size(); ++at) {
    const char c = text[at];
    if (c == '.' && !sawPoint) {
      sawPoint = true;
      continue;
    }
    if (!std::isdigit(static_cast<unsigned char>(c))) return std::nullopt;
    sawDigit = true;
    if (sawPoint && decimals >= scale) {
      // The first dropped digit decides the rounding; the rest only need to be digits.
      if (decimals++ == scale) roundUp = c >= '5';
      continue;
    }
    if (sawPoint) ++decimals;
    if (result.magnitude > kMostBeforeTimesTen) return std::nullopt;
    result.magnitude = result.magnitude * 10 + static_cast<unsigned>(c - '0');
  }
  if (decimals > scale) decimals = scale;
  if (!sawDigit) return std::nullopt;
  for (; decimals < scale; ++decimals) {
    if (result.magnitude > kMostBeforeTimesTen) return std::nullopt;
    result.magnitude *= 10;
  }
  if (roundUp) ++result.magnitude;
  result.digits = digitCount(result.magnitude);
  if (result.digits > kMostScaledDigits) return std::nullopt;
  return result;
}

}  // namespace tiermend::data::jet
