// Exact decimal numbers in edit text: reading them without loss and rounding them to a
// column's decimals.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace tiermend::data {

// An exact decimal number: sign, digits without leading zeros, and the place of the
// decimal point counted from the left of the digits.
struct ExactDecimal {
  bool negative = false;
  std::string digits;  // empty for zero
  int pointPosition = 0;
};

// Reads decimal text of the edit-text number syntax (no INF or NAN) exactly.
// Nothing is given for anything else, or for a number beyond 400 integer digits;
// a number whose first digit lies more than 400 places after the point reads as zero.
std::optional<ExactDecimal> parseExactDecimal(std::string_view text, char decimalSeparator);

// The number rounded half away from zero to at most `decimals` decimals, as plain
// text: "-", integer digits, the separator and the decimals that are not trailing
// zeros. Zero is "0", never "-0".
std::string roundedDecimalText(const ExactDecimal& number, int decimals, char decimalSeparator);
// Whether text already is what roundedDecimalText gives for the number it shows: "-"
// for a number below zero, integer digits without leading zeros ("0" alone for none),
// and when there is a fraction the separator and 1 to `decimals` digits, the last not 0.
bool isRoundedDecimalText(std::string_view text, int decimals, char decimalSeparator);
// Count of integer digits of the text roundedDecimalText gives.
int integerDigitCount(std::string_view plainText);

}  // namespace tiermend::data
