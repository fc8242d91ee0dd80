// Whole-number and auto-number columns. Edit text is decimal digits with "-" for a
// negative value. Writing takes optional surrounding blanks, an optional sign and
// decimal digits; hexadecimal and other forms are refused, so that no text is ever
// read as a number it does not plainly show.
#include <limits>
#include <optional>

#include "data/fields/FieldKinds.h"
#include "data/fields/FieldMessage.h"
#include "data/fields/GeneralNumber.h"
#include "data/value/AsciiText.h"

namespace tiermend::data {
namespace {

struct Range {
  std::int64_t lowest;
  std::int64_t highest;
};

Range rangeOf(ColumnType type) {
  switch (type) {
    case ColumnType::Int8:
    case ColumnType::Int16:
      return {-32768, 32767};
    case ColumnType::UInt8:
    case ColumnType::UInt16:
      return {0, 65535};
    case ColumnType::Int64:
      return {std::numeric_limits<std::int64_t>::min(), std::numeric_limits<std::int64_t>::max()};
    default:
      return {std::numeric_limits<std::int32_t>::min(), std::numeric_limits<std::int32_t>::max()};
  }
}

// The sign and digits of a whole number in edit text, or nothing.
struct WholeNumberText {
  bool negative = false;
  std::string_view digits;
};

std::optional<WholeNumberText> splitWholeNumber(std::string_view text) {
  text = trimBlanks(text);
  WholeNumberText number;
  if (!text.empty() && (text[0] == '+' || text[0] == '-')) {
    number.negative = text[0] == '-';
    text.remove_prefix(1);
  }
  if (text.empty()) return std::nullopt;
  for (char c : text)
    if (c < '0' || c > '9') return std::nullopt;
  number.digits = text;
  return number;
}

// The number, or nothing when it lies outside the 64-bit range.
std::optional<std::int64_t> toInt64(const WholeNumberText& number) {
  // Up to 18 digits always fit.
  if (number.digits.size() <= 18) {
    std::int64_t value = 0;
    for (char c : number.digits) value = value * 10 + (c - '0');
    return number.negative ? -value : value;
  }
  // Accumulate towards the negative side, which holds one more value.
  std::int64_t value = 0;
  constexpr std::int64_t kMin = std::numeric_limits<std::int64_t>::min();
  for (char c : number.digits) {
    const int digit = c - '0';
    if (value < (kMin + digit) / 10) return std::nullopt;
    value = value * 10 - digit;
  }
  if (number.negative) return value;
  if (value == kMin) return std::nullopt;
  return -value;
}

std::string textOf(const FieldConverter& field, const Value& value) {
  return plainTextOf(value, field.settings());
}

[[noreturn]] void failRange(const FieldConverter& field, const Range& range,
                            const std::string& numberText) {
  const char separator = field.settings().regional.decimalSeparator;
  failField(
      "%g is not a valid value for field '%s'. The allowed range is %g to %g",
      {numberText, field.displayName(), formatGeneral(static_cast<double>(range.lowest), separator),
       formatGeneral(static_cast<double>(range.highest), separator)});
}

Value valueOf(const FieldConverter& field, const std::string& text) {
  if (text.empty()) return Null{};
  const auto number = splitWholeNumber(text);
  if (!number) failInvalidText(text, "integer", field.displayName());
  const auto value = toInt64(*number);
  const char separator = field.settings().regional.decimalSeparator;
  const Range range = rangeOf(field.info().type);
  if (!value) {
    // Beyond even 64 bits: shown in the general format, as the range message shows numbers.
    const auto approximate = parseFloat(text, '.');
    failRange(field, range, formatGeneral(approximate.value_or(0), separator));
  }
  if (*value < range.lowest || *value > range.highest)
    failRange(field, range, formatGeneral(static_cast<double>(*value), separator));
  if (field.info().type == ColumnType::Decimal) return Decimal{std::to_string(*value)};
  return *value;
}

}  // namespace

const KindRules kWholeNumberRules{FieldKind::WholeNumber, textOf, valueOf};
const KindRules kAutoNumberRules{FieldKind::AutoNumber, textOf, valueOf};

}  // namespace tiermend::data
