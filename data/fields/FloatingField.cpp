// Single and double precision columns. Edit text is the general number format with the
// system decimal separator: 15 significant digits for double precision; for single
// precision the fewest digits that read back as the same value, so that the binary
// noise of widening a float to double never shows.
#include <cmath>

#include "data/fields/FieldKinds.h"
#include "data/fields/FieldMessage.h"
#include "data/fields/GeneralNumber.h"

namespace tiermend::data {

namespace {

std::string textOf(const FieldConverter& field, const Value& value) {
  const char separator = field.settings().regional.decimalSeparator;
  if (const auto* real = std::get_if<double>(&value)) {
    if (field.info().type == ColumnType::Single)
      return formatGeneralSingle(static_cast<float>(*real), separator);
    return formatGeneral(*real, separator);
  }
  return plainTextOf(value, field.settings());
}

Value valueOf(const FieldConverter& field, const std::string& text) {
  if (text.empty()) return Null{};
  auto number = parseFloat(text, field.settings().regional.decimalSeparator);
  const bool single = field.info().type == ColumnType::Single;
  // A finite number that rounds beyond the largest single-precision value would
  // silently become infinity.
  const double singleOverflow = std::ldexp(1.0, 128) - std::ldexp(1.0, 103);
  if (!number || (single && std::isfinite(*number) && std::fabs(*number) >= singleOverflow))
    failInvalidText(text, "floating point", field.displayName());
  if (single) return static_cast<double>(static_cast<float>(*number));
  return *number;
}

}  // namespace

const KindRules kFloatingRules{FieldKind::Floating, textOf, valueOf};

}  // namespace tiermend::data
