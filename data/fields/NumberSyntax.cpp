// Splitting edit text into the parts of a number.
#include "data/fields/NumberSyntax.h"

#include "data/value/AsciiText.h"

namespace tiermend::data {

size_t skipDigits(std::string_view text, size_t i) {
  while (i < text.size() && isDecimalDigit(text[i])) ++i;
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

}  // namespace tiermend::data
