// Pieces that several field kinds share when they form or take edit text: message
// building, blank trimming, the general number format and exact decimal text.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>

#include "data/Value.h"
#include "data/value/AsciiText.h"
#include "platform/RegionalSettings.h"

namespace tiermend::data {

// Replaces each "%s" or "%g" of the pattern, in order, by the next piece. The pieces
// are inserted as they are, so a "%" inside a piece is never taken as a placeholder.
std::string fillMessage(std::string_view pattern, std::initializer_list<std::string_view> pieces);
// Raises an EDatabaseError with the filled pattern.
[[noreturn]] void failField(std::string_view pattern,
                            std::initializer_list<std::string_view> pieces);

// The general number format: at most 15 significant digits, trailing zeros dropped,
// scientific form ("1.5E20", "1E-5") only for very large or very small magnitudes.
// Infinity and NaN read "INF", "-INF" and "NAN".
std::string formatGeneral(double value, char decimalSeparator);
// The same layout for a single-precision value, with the fewest digits that read
// back as the same single-precision value (a float widened to double would show
// binary noise in the 15th digit).
std::string formatGeneralSingle(float value, char decimalSeparator);

// A floating point number in edit text: optional blanks, sign, digits with the
// given decimal separator, optional exponent ("E" or "e", sign, digits); "INF",
// "-INF" and "NAN" in any case. Nothing is given for anything else, or a number
// beyond the double range.
std::optional<double> parseFloat(std::string_view text, char decimalSeparator);

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

// Two upper-case hex digits per byte.
std::string hexText(const Bytes& bytes);

// Byte length of the UTF-8 sequence that starts at text[pos]: 1 to 4, and 1 for a byte
// that does not start a well-formed sequence.
size_t utf8SequenceLength(std::string_view text, size_t pos);

}  // namespace tiermend::data
