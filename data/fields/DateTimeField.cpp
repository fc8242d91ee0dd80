// Date-time, date-only and time-only columns. A date-time shows its time of day only
// when that is not midnight; writing a date alone gives that date at midnight. Text
// that is not a date or time fails with the date parser's own message.
#include "data/fields/DateTimeText.h"
#include "data/fields/FieldKinds.h"
#include "data/fields/FieldMessage.h"
#include "platform/Exceptions.h"

namespace tiermend::data {

namespace {

std::string textOf(const FieldConverter& field, const Value& value) {
  const auto* moment = std::get_if<DateTime>(&value);
  if (!moment) return plainTextOf(value, field.settings());
  const RegionalSettings& regional = field.settings().regional;
  switch (field.info().type) {
    case ColumnType::Date:
      return formatShortDate(*moment, regional);
    case ColumnType::Time:
      return formatLongTime(*moment, regional);
    default:
      return formatDateTime(*moment, regional);
  }
}

Value valueOf(const FieldConverter& field, const std::string& text) {
  if (text.empty()) return Null{};
  const RegionalSettings& regional = field.settings().regional;
  std::optional<DateTime> moment;
  const char* message = nullptr;
  switch (field.info().type) {
    case ColumnType::Date:
      moment = parseDate(text, regional);
      message = "'%s' is not a valid date";
      break;
    case ColumnType::Time:
      moment = parseTime(text, regional);
      message = "'%s' is not a valid time";
      break;
    default:
      moment = parseDateTime(text, regional);
      message = "'%s' is not a valid date and time";
      break;
  }
  if (!moment) throw EConvertError(fillMessage(message, {text}));
  return *moment;
}

}  // namespace

const KindRules kDateTimeRules{FieldKind::DateTime, textOf, valueOf};

}  // namespace tiermend::data
