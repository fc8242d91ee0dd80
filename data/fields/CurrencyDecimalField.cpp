// Currency and decimal columns. Values travel as exact decimal text; edit text shows
// them rounded half away from zero to at most 4 decimals, trailing zeros removed, in
// plain (never scientific) form with the system decimal separator. Rounding works on
// the decimal digits themselves, so no digit is lost to binary floating point.
#include "data/fields/EditText.h"
#include "data/fields/FieldKinds.h"

namespace tiermend::data {
namespace {

constexpr int kDecimals = 4;
// The widest decimal that the databases hold has 38 digits.
constexpr int kMostIntegerDigits = 38;

// Whether plain decimal text (separator ".", at most 4 decimals) lies within the
// currency range, -922337203685477.5808 to 922337203685477.5807.
bool withinCurrencyRange(std::string_view plain) {
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

}  // namespace

std::string CurrencyDecimalField::textOf(const Value& value) const {
  if (isNull(value)) return {};
  const auto exact = exactDecimalOf(value);
  if (!exact) return plainTextOf(value, settings());
  const std::string plain = roundedDecimalText(*exact, kDecimals, '.');
  const bool overflow = info().type == ColumnType::Currency
                            ? !withinCurrencyRange(plain)
                            : integerDigitCount(plain) > kMostIntegerDigits;
  if (overflow) failField("BCD overflow", {});
  return roundedDecimalText(*exact, kDecimals, settings().regional.decimalSeparator);
}

Value CurrencyDecimalField::convertText(const std::string& text) const {
  if (text.empty()) return Null{};
  const auto exact = parseExactDecimal(text, settings().regional.decimalSeparator);
  std::string plain;
  if (exact) plain = roundedDecimalText(*exact, kDecimals, '.');
  const bool fits = exact && (info().type == ColumnType::Currency
                                  ? withinCurrencyRange(plain)
                                  : integerDigitCount(plain) <= kMostIntegerDigits);
  if (!fits)
    failField("'%s' is not a valid floating point value for field '%s'", {text, displayName()});
  return Decimal{plain};
}

}  // namespace tiermend::data
