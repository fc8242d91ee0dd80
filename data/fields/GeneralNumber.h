// Floating point numbers in edit text: the general number format and its reading.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace tiermend::data {

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

}  // namespace tiermend::data
