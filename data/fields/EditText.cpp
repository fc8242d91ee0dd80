// Shared pieces of edit text: messages, blanks, the general number format and exact
// decimal text.
#include "data/fields/EditText.h"

#include <locale.h>
#include <stdlib.h>

#include <cerrno>
#include <cfloat>
#include <charconv>
#include <cmath>
#include <cstdio>

#include "platform/Exceptions.h"

namespace tiermend::data {
namespace {

// Numbers are shown in scientific form when their decimal exponent passes this.
constexpr int kGeneralPrecision = 15;
// Exact decimals whose point lies further out than this are refused (too large) or
// taken as zero (too small to survive rounding to a few decimals).
constexpr int kExactPointLimit = 400;
// Half a unit of the 15th digit above the largest double.
constexpr long double kLargestGeneralDouble = 1.797693134862325E308L;

bool isDigit(char c) {
  return c >= '0' && c <= '9';
}

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
    if (isDigit(c)) digits += c;
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

// The parts of a number in edit-text syntax, each as written (views into the text).
struct NumberParts {
  bool negative = false;
  std::string_view integerDigits;
  std::string_view fractionDigits;
  std::string_view exponentText;  // sign and digits, empty when absent
};

size_t skipDigits(std::string_view text, size_t i) {
  while (i < text.size() && isDigit(text[i])) ++i;
  return i;
}

std::optional<NumberParts> splitNumber(std::string_view text, char separator) {
  text = trimBlanks(text);
  NumberParts parts;
  size_t i = 0;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) parts.negative = text[i++] == '-';
  const size_t integerStart = i;
  i = skipDigits(text, i);
  parts.integerDigits = text.substr(integerStart, i - integerStart);
  if (i < text.size() && text[i] == separator) {
    const size_t fractionStart = ++i;
    i = skipDigits(text, i);
    parts.fractionDigits = text.substr(fractionStart, i - fractionStart);
  }
  if (parts.integerDigits.empty() && parts.fractionDigits.empty()) return std::nullopt;
  if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
    const size_t exponentStart = ++i;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) ++i;
    const size_t digitsStart = i;
    i = skipDigits(text, i);
    if (i == digitsStart) return std::nullopt;
    parts.exponentText = text.substr(exponentStart, i - exponentStart);
  }
  if (i != text.size()) return std::nullopt;
  return parts;
}

// The C locale, so that strtod reads "." whatever the process locale says.
locale_t cLocale() {
  static locale_t locale = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(nullptr));
  return locale;
}

}  // namespace

std::string fillMessage(std::string_view pattern, std::initializer_list<std::string_view> pieces) {
  std::string message;
  auto piece = pieces.begin();
  for (size_t i = 0; i < pattern.size(); ++i) {
    const bool placeholder = pattern[i] == '%' && i + 1 < pattern.size() &&
                             (pattern[i + 1] == 's' || pattern[i + 1] == 'g');
    if (placeholder && piece != pieces.end()) {
      message += *piece++;
      ++i;
    } else {
      message += pattern[i];
    }
  }
  return message;
}

void failField(std::string_view pattern, std::initializer_list<std::string_view> pieces) {
  throw EDatabaseError(fillMessage(pattern, pieces));
}

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
  errno = 0;
  const double value = strtod_l(plain.c_str(), nullptr, cLocale());
  if (errno == ERANGE && std::isinf(value)) {
    // The largest double shows as 1.79769313486232E308, just above itself: texts
    // within that rounding still mean the largest double.
    const long double wide = strtold_l(plain.c_str(), nullptr, cLocale());
    if (std::fabs(wide) > kLargestGeneralDouble) return std::nullopt;
    return wide < 0 ? -DBL_MAX : DBL_MAX;
  }
  return value;
}

std::optional<ExactDecimal> parseExactDecimal(std::string_view text, char decimalSeparator) {
  const auto parts = splitNumber(text, decimalSeparator);
  if (!parts) return std::nullopt;
  long long exponent = 0;
  for (char c : parts->exponentText) {
    if (!isDigit(c)) continue;
    exponent = exponent * 10 + (c - '0');
    if (exponent > 1000000) break;
  }
  if (!parts->exponentText.empty() && parts->exponentText[0] == '-') exponent = -exponent;

  // The digits of integer and fraction together, without leading and trailing zeros.
  std::string_view integerDigits = parts->integerDigits;
  std::string_view fractionDigits = parts->fractionDigits;
  long long point = static_cast<long long>(integerDigits.size()) + exponent;
  size_t leadingZeros = 0;
  while (leadingZeros < integerDigits.size() && integerDigits[leadingZeros] == '0') ++leadingZeros;
  integerDigits.remove_prefix(leadingZeros);
  if (integerDigits.empty()) {
    size_t fractionZeros = 0;
    while (fractionZeros < fractionDigits.size() && fractionDigits[fractionZeros] == '0')
      ++fractionZeros;
    if (fractionZeros == fractionDigits.size()) return ExactDecimal{};
    fractionDigits.remove_prefix(fractionZeros);
    leadingZeros += fractionZeros;
  }
  if (fractionDigits.empty()) {
    while (integerDigits.back() == '0') integerDigits.remove_suffix(1);
  } else {
    while (!fractionDigits.empty() && fractionDigits.back() == '0') fractionDigits.remove_suffix(1);
    if (fractionDigits.empty())
      while (!integerDigits.empty() && integerDigits.back() == '0') integerDigits.remove_suffix(1);
  }
  point -= static_cast<long long>(leadingZeros);
  if (point > kExactPointLimit) return std::nullopt;
  if (point < -kExactPointLimit) return ExactDecimal{};

  ExactDecimal number;
  number.negative = parts->negative;
  number.digits.reserve(integerDigits.size() + fractionDigits.size());
  number.digits.append(integerDigits);
  number.digits.append(fractionDigits);
  number.pointPosition = static_cast<int>(point);
  return number;
}

std::string roundedDecimalText(const ExactDecimal& number, int decimals, char decimalSeparator) {
  const std::string& digits = number.digits;
  const int point = number.pointPosition;
  std::string all;  // integer and fraction digits together
  size_t integerLength = 0;
  if (point <= 0) {
    all.reserve(static_cast<size_t>(-point) + digits.size());
    all.append(static_cast<size_t>(-point), '0');
    all += digits;
  } else if (static_cast<size_t>(point) >= digits.size()) {
    all.reserve(static_cast<size_t>(point));
    all += digits;
    all.append(static_cast<size_t>(point) - digits.size(), '0');
    integerLength = all.size();
  } else {
    all = digits;
    integerLength = static_cast<size_t>(point);
  }
  if (all.size() - integerLength > static_cast<size_t>(decimals)) {
    const bool roundUp = all[integerLength + decimals] >= '5';
    all.resize(integerLength + decimals);
    if (roundUp) {
      size_t i = all.size();
      while (i > 0 && all[i - 1] == '9') all[--i] = '0';
      if (i == 0) {
        all.insert(all.begin(), '1');
        ++integerLength;
      } else {
        ++all[i - 1];
      }
    }
  }
  // The integer part without its leading zeros, the fraction without its trailing ones.
  size_t integerStart = 0;
  while (integerStart < integerLength && all[integerStart] == '0') ++integerStart;
  size_t fractionEnd = all.size();
  while (fractionEnd > integerLength && all[fractionEnd - 1] == '0') --fractionEnd;
  const bool integerIsZero = integerStart == integerLength;
  const bool hasFraction = fractionEnd > integerLength;
  if (integerIsZero && !hasFraction) return "0";
  std::string text;
  text.reserve(all.size() + 2);
  if (number.negative) text += '-';
  if (integerIsZero) {
    text += '0';
  } else {
    text.append(all, integerStart, integerLength - integerStart);
  }
  if (hasFraction) {
    text += decimalSeparator;
    text.append(all, integerLength, fractionEnd - integerLength);
  }
  return text;
}

bool isRoundedDecimalText(std::string_view text, int decimals, char decimalSeparator) {
  if (isDigit(decimalSeparator) || decimalSeparator == '-') return false;
  size_t i = 0;
  const bool negative = !text.empty() && text[0] == '-';
  if (negative) ++i;
  const size_t integerStart = i;
  i = skipDigits(text, i);
  const size_t integerLength = i - integerStart;
  if (integerLength == 0) return false;
  const bool integerIsZero = text[integerStart] == '0';
  if (integerIsZero && integerLength > 1) return false;
  if (i == text.size()) return !(negative && integerIsZero);  // "-0" is shown as "0"
  if (text[i] != decimalSeparator) return false;
  const size_t fractionStart = ++i;
  i = skipDigits(text, i);
  const size_t fractionLength = i - fractionStart;
  return i == text.size() && fractionLength >= 1 &&
         fractionLength <= static_cast<size_t>(decimals) && text.back() != '0';
}

std::string hexText(const Bytes& bytes) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string text;
  text.reserve(bytes.size() * 2);
  for (std::uint8_t byte : bytes) {
    text += kHex[byte >> 4];
    text += kHex[byte & 0x0F];
  }
  return text;
}

size_t utf8SequenceLength(std::string_view text, size_t pos) {
  const auto lead = static_cast<unsigned char>(text[pos]);
  const size_t length = lead >= 0xF0 && lead <= 0xF4   ? 4
                        : lead >= 0xE0 && lead <= 0xEF ? 3
                        : lead >= 0xC2 && lead <= 0xDF ? 2
                                                       : 1;
  if (pos + length > text.size()) return 1;
  for (size_t i = 1; i < length; ++i)
    if ((static_cast<unsigned char>(text[pos + i]) & 0xC0) != 0x80) return 1;
  return length;
}

int integerDigitCount(std::string_view plainText) {
  int count = 0;
  for (char c : plainText) {
    if (c == '-') continue;
    if (!isDigit(c)) break;
    ++count;
  }
  return count;
}

}  // namespace tiermend::data
