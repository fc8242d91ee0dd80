// Exact decimal numbers as text, the form currency and decimal values travel in
// (Decimal in data/Value.h): optional "-", integer digits without leading zeros ("0"
// for none), and optionally "." and fraction digits.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace tiermend::data {

// Plain decimal text ("-12.50", "+3", ".5", "007") in the Decimal form, or nullopt for
// anything else (blanks, exponents, a second point).
std::optional<std::string> canonicalDecimal(std::string_view text);

// A scaled whole number as decimal text: magnitude with scale digits after the point
// (at least one digit before it), led by "-" when negative and not zero.
std::string decimalFromScaled(unsigned __int128 magnitude, int scale, bool negative);

using ShortDecimalBuffer = char[32];
// The text of a number that reads back as exactly this double with at most four
// decimals, the fewest that do, written into buffer; nothing when there is none (or
// the number is too large to tell quickly).
std::optional<std::string_view> shortDecimalOfDouble(double number, ShortDecimalBuffer& buffer);
// The shortest plain decimal text (no exponent) that reads back as this double.
std::string decimalOfDouble(double number);

// Whether a decimal column of this precision and scale holds whole numbers in the range
// of a 32-bit integer, and so is shown and stored as one.
bool isNarrowWholeDecimal(int precision, int scale);

}  // namespace tiermend::data
