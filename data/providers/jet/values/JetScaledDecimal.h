// Decimal text as a whole count of 10^-scale units: the form Currency (scale 4) and
// Decimal values are stored in. The way back is data/value's decimalFromScaled.
#pragma once

#include <optional>
#include <string_view>

namespace tiermend::data::jet {

struct JetScaledDecimal {
  unsigned __int128 magnitude = 0;
  bool negative = false;
  int digits = 0;  // significant digits of magnitude
};

// The most digits a scaled value may have: what Jet's Decimal holds.
inline constexpr int kMostScaledDigits = 38;

// Decimal text ("-12.345", "+3", ".5") as a count of 10^-scale units, rounded half
// away from zero; nothing for anything but an optional sign, digits and one point, and
// for values of more than kMostScaledDigits digits.
std::optional<JetScaledDecimal> scaleDecimalText(std::string_view text, int scale);

}  // namespace tiermend::data::jet
