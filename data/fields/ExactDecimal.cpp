// Reading, rounding and checking exact decimal edit text.
#include "data/fields/ExactDecimal.h"

#include "data/fields/NumberSyntax.h"

namespace tiermend::data {
namespace {

// Exact decimals whose point lies further out than this are refused (too large) or
// taken as zero (too small to survive rounding to a few decimals).
constexpr int kExactPointLimit = 400;

}  // namespace

std::optional<ExactDecimal> parseExactDecimal(std::string_view text, char decimalSeparator) {
  const auto parts = splitNumber(text, decimalSeparator);
  if (!parts) return std::nullopt;
  long long exponent = 0;
  for (char c : parts->exponentText) {
    if (!isDecimalDigit(c)) continue;
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
  if (isDecimalDigit(decimalSeparator) || decimalSeparator == '-') return false;
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

int integerDigitCount(std::string_view plainText) {
  int count = 0;
  for (char c : plainText) {
    if (c == '-') continue;
    if (!isDecimalDigit(c)) break;
    ++count;
  }
  return count;
}

}  // namespace tiermend::data
