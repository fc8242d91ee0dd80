// The general number format and the reading of floating point edit text.
#include "data/fields/GeneralNumber.h"

#include <cfloat>
#include <charconv>
#include <cmath>
#include <cstdio>

#include "data/fields/NumberSyntax.h"
#include "data/value/AsciiText.h"
#include "platform/CNumbers.h"

namespace tiermend::data {
namespace {

// Numbers are shown in scientific form when their decimal exponent passes this.
constexpr int kGeneralPrecision = 15;

// Half a unit of the 15th digit above the largest double.
constexpr long double kLargestGeneralDouble = 1.797693134862325E308L;

// Lays out significant digits (no trailing zeros, first one not zero) whose value is
// 0.d1d2d3... times ten to the power `exponent`.
std::string layoutGeneral(bool negative, const std::string& digits, int exponent, char separator) {
  std::string text = negative ? "-" : "";
  if (exponent > kGeneralPrecision || exponent < -3) {
    text += digits[0];
    if (digits.size() > 1) text += separator + digits.substr(1);
    text += 'E' + std::to_string(exponent - 1);
  } else if (exponent <= 0) {
    text += std::string("0") + separator + std::string(-exponent, '0') + digits;
  } else if (static_cast<size_t>(exponent) >= digits.size()) {
    text += digits + std::string(exponent - digits.size(), '0');
  } else {
    text += digits.substr(0, exponent) + separator + digits.substr(exponent);
  }
  return text;
}

// Splits scientific text such as "1.2345e+02" into its digits without trailing
// zeros and the exponent of the 0.d1d2... form.
void splitScientific(std::string_view scientific, std::string& digits, int& exponent) {
  const size_t e = scientific.find_first_of("eE");
  digits.clear();
  for (char c : scientific.substr(0, e))
    if (isDecimalDigit(c)) digits += c;
  while (digits.size() > 1 && digits.back() == '0') digits.pop_back();
  int power = 0;
  std::string_view powerText = scientific.substr(e + 1);
  if (!powerText.empty() && powerText[0] == '+') powerText.remove_prefix(1);
  std::from_chars(powerText.data(), powerText.data() + powerText.size(), power);
  exponent = power + 1;
}

std::string specialText(double value) {
  if (std::isnan(value)) return "NAN";
  return value < 0 ? "-INF" : "INF";
}

}  // namespace

std::string formatGeneral(double value, char decimalSeparator) {
  if (!std::isfinite(value)) return specialText(value);
  if (value == 0) return "0";
  char buffer[64];
  std::snprintf(buffer, sizeof buffer, "%.*e", kGeneralPrecision - 1, std::fabs(value));
  std::string digits;
  int exponent = 0;
  splitScientific(buffer, digits, exponent);
  return layoutGeneral(value < 0, digits, exponent, decimalSeparator);
}

std::string formatGeneralSingle(float value, char decimalSeparator) {
  if (!std::isfinite(value)) return specialText(value);
  if (value == 0) return "0";
  char buffer[64];
  auto result = std::to_chars(buffer, buffer + sizeof buffer, std::fabs(value),
                              std::chars_format::scientific);
  std::string digits;
  int exponent = 0;
  splitScientific(std::string_view(buffer, result.ptr - buffer), digits, exponent);
  return layoutGeneral(value < 0, digits, exponent, decimalSeparator);
}

std::optional<double> parseFloat(std::string_view text, char decimalSeparator) {
  const std::string_view word = trimBlanks(text);
  if (equalsIgnoringCase(word, "INF") || equalsIgnoringCase(word, "+INF")) return HUGE_VAL;
  if (equalsIgnoringCase(word, "-INF")) return -HUGE_VAL;
  if (equalsIgnoringCase(word, "NAN")) return std::nan("");
  const auto parts = splitNumber(text, decimalSeparator);
  if (!parts) return std::nullopt;
  std::string plain = parts->negative ? "-" : "";
  if (parts->integerDigits.empty()) {
    plain += '0';
  } else {
    plain += parts->integerDigits;
  }
  plain += '.';
  plain += parts->fractionDigits;
  plain += '0';
  if (!parts->exponentText.empty()) {
    plain += 'e';
    plain += parts->exponentText;
  }
  bool outOfRange = false;
  const double value = cStrtod(plain, outOfRange);
  if (outOfRange && std::isinf(value)) {
    // The largest double shows as 1.79769313486232E308, just above itself: texts
    // within that rounding still mean the largest double.
    const long double wide = cStrtold(plain);
    if (std::fabs(wide) > kLargestGeneralDouble) return std::nullopt;
    return wide < 0 ? -DBL_MAX : DBL_MAX;
  }
  return value;
}

}  // namespace tiermend::data
