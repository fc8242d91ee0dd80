// Currency and decimal columns. Values travel as exact decimal text; edit text shows
// them rounded half away from zero to at most 4 decimals, trailing zeros removed, in
// plain (never scientific) form with the system decimal separator. Rounding works on
// the decimal digits themselves, so no digit is lost to binary floating point.
#include "data/fields/ExactDecimal.h"
#include "data/fields/FieldKinds.h"
#include "data/fields/FieldMessage.h"

namespace tiermend::data {
namespace {

constexpr int kDecimals = 4;
// The widest decimal that the databases hold has 38 digits.
constexpr int kMostIntegerDigits = 38;

// Whether plain decimal text (separator ".", at most 4 decimals) lies within the
// currency range, -922337203685477.5808 to 922337203685477.5807.
bool withinCurrencyRange(std::string_view plain) {
  // The limits have 15 integer digits: anything shorter fits without a closer look.
  if (integerDigitCount(plain) < 15) return true;
  const bool negative = !plain.empty() && plain[0] == '-';
  if (negative) plain.remove_prefix(1);
  const size_t point = plain.find('.');
  std::string scaled(plain.substr(0, point));
  std::string fraction(point == std::string_view::npos ? "" : plain.substr(point + 1));
  scaled += fraction + std::string(kDecimals - fraction.size(), '0');
  scaled.erase(0, std::min(scaled.find_first_not_of('0'), scaled.size()));
  const std::string limit = negative ? "9223372036854775808" : "9223372036854775807";
  if (scaled.size() != limit.size()) return scaled.size() < limit.size();
  return scaled <= limit;
}

// Stored decimal text without the zeros that end its fraction (and without the point
// when nothing is left after it): "12.5000" gives "12.5", "100.0000" gives "100".
std::string_view withoutTrailingFractionZeros(std::string_view text) {
  if (text.empty() || text.back() != '0' || text.find('.') == std::string_view::npos) return text;
  while (!text.empty() && text.back() == '0') text.remove_suffix(1);
  if (!text.empty() && text.back() == '.') text.remove_suffix(1);
  return text;
}

std::string textOf(const FieldConverter& field, const Value& value) {
  // Every provider hands these columns over as Decimal text; anything else is shown
  // the way every field shows a value not of its own form.
  const auto* decimal = std::get_if<Decimal>(&value);
  if (decimal == nullptr) return plainTextOf(value, field.settings());
  std::string text;
  const std::string_view shortened = withoutTrailingFractionZeros(decimal->text);
  if (isRoundedDecimalText(shortened, kDecimals, '.')) {
    text = shortened;  // rounding would give the same text back
  } else {
    const auto exact = parseExactDecimal(decimal->text, '.');
    if (!exact) return plainTextOf(value, field.settings());
    text = roundedDecimalText(*exact, kDecimals, '.');
  }
  const bool overflow = field.info().type == ColumnType::Currency
                            ? !withinCurrencyRange(text)
                            : integerDigitCount(text) > kMostIntegerDigits;
  if (overflow) failField("BCD overflow", {});
  // The same digits with the system decimal separator in place of the point.
  const char separator = field.settings().regional.decimalSeparator;
  if (separator != '.') {
    const size_t point = text.find('.');
    if (point != std::string::npos) text[point] = separator;
  }
  return text;
}

Value valueOf(const FieldConverter& field, const std::string& text) {
  if (text.empty()) return Null{};
  const char separator = field.settings().regional.decimalSeparator;
  std::string plain;
  bool isNumber = true;
  if (isRoundedDecimalText(text, kDecimals, separator)) {
    // Already rounded: only the separator changes.
    plain = text;
    const size_t point = plain.find(separator);
    if (point != std::string::npos) plain[point] = '.';
  } else {
    const auto exact = parseExactDecimal(text, separator);
    isNumber = exact.has_value();
    if (exact) plain = roundedDecimalText(*exact, kDecimals, '.');
  }
  const bool fits = isNumber && (field.info().type == ColumnType::Currency
                                     ? withinCurrencyRange(plain)
                                     : integerDigitCount(plain) <= kMostIntegerDigits);
  if (!fits) failInvalidText(text, "floating point", field.displayName());
  return Decimal{std::move(plain)};
}

}  // namespace

const KindRules kCurrencyDecimalRules{FieldKind::CurrencyDecimal, textOf, valueOf};

}  // namespace tiermend::data
