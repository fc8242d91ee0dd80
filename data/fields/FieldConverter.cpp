// The common part of every field kind: the column's display name, the read-only rule,
// and the choice of a kind for a column.
#include "data/Field.h"
#include "data/fields/DateTimeText.h"
#include "data/fields/FieldKinds.h"
#include "data/fields/FieldMessage.h"
#include "data/fields/GeneralNumber.h"
#include "data/value/DecimalText.h"
#include "data/value/HexText.h"

namespace tiermend::data {

FieldConverter::FieldConverter(ColumnInfo info, TextSettings settings)
    : info_(std::move(info)),
      settings_(settings),
      displayName_(settings_.codePage.fromUtf8(info_.name)) {}

bool FieldConverter::readOnly() const {
  return info_.autoIncrement || !info_.updatable;
}

Value FieldConverter::valueFromText(const std::string& text) const {
  Value value = convertText(text);
  if (readOnly()) failField("Field '%s' cannot be modified", {displayName_});
  return value;
}

FieldKind fieldKindOf(const ColumnInfo& info) {
  switch (info.type) {
    case ColumnType::Text:
      return FieldKind::Text;
    case ColumnType::Int8:
    case ColumnType::Int16:
    case ColumnType::UInt8:
    case ColumnType::UInt16:
      return FieldKind::WholeNumber;
    case ColumnType::Int32:
    case ColumnType::UInt32:
    case ColumnType::Int64:
      return info.autoIncrement ? FieldKind::AutoNumber : FieldKind::WholeNumber;
    case ColumnType::Single:
    case ColumnType::Double:
      return FieldKind::Floating;
    case ColumnType::Currency:
      return FieldKind::CurrencyDecimal;
    case ColumnType::Decimal:
      if (!isNarrowWholeDecimal(info.precision, info.scale)) return FieldKind::CurrencyDecimal;
      return info.autoIncrement ? FieldKind::AutoNumber : FieldKind::WholeNumber;
    case ColumnType::DateTime:
    case ColumnType::Date:
    case ColumnType::Time:
      return FieldKind::DateTime;
    case ColumnType::Boolean:
      return FieldKind::Boolean;
    case ColumnType::Memo:
    case ColumnType::Blob:
      return FieldKind::MemoBlob;
    case ColumnType::Guid:
    case ColumnType::Binary:
      break;
  }
  return FieldKind::Other;
}

namespace {

// The rules of a kind that has them: every kind but the whole numbers.
const KindRules& rulesOf(FieldKind kind, ColumnType type) {
  switch (kind) {
    case FieldKind::Text:
      return kTextRules;
    case FieldKind::Floating:
      return kFloatingRules;
    case FieldKind::CurrencyDecimal:
      return kCurrencyDecimalRules;
    case FieldKind::DateTime:
      return kDateTimeRules;
    case FieldKind::Boolean:
      return kBooleanRules;
    case FieldKind::MemoBlob:
      return kMemoBlobRules;
    case FieldKind::WholeNumber:
    case FieldKind::AutoNumber:
    case FieldKind::Other:
      break;
  }
  return type == ColumnType::Guid ? kGuidRules : kBinaryRules;
}

}  // namespace

std::unique_ptr<FieldConverter> makeFieldConverter(const ColumnInfo& info,
                                                   const TextSettings& settings) {
  const FieldKind kind = fieldKindOf(info);
  if (kind == FieldKind::WholeNumber || kind == FieldKind::AutoNumber)
    return std::make_unique<WholeNumberField>(info, settings, kind);
  return std::make_unique<KindField>(info, settings, rulesOf(kind, info.type));
}

std::string plainTextOf(const Value& value, const TextSettings& settings) {
  const char separator = settings.regional.decimalSeparator;
  if (const auto* flag = std::get_if<bool>(&value)) return *flag ? "True" : "False";
  if (const auto* whole = std::get_if<std::int64_t>(&value)) return std::to_string(*whole);
  if (const auto* real = std::get_if<double>(&value)) return formatGeneral(*real, separator);
  if (const auto* decimal = std::get_if<Decimal>(&value)) {
    std::string text = decimal->text;
    for (char& c : text)
      if (c == '.') c = separator;
    return text;
  }
  if (const auto* moment = std::get_if<DateTime>(&value))
    return formatDateTime(*moment, settings.regional);
  if (const auto* text = std::get_if<std::string>(&value)) return settings.codePage.fromUtf8(*text);
  if (const auto* bytes = std::get_if<Bytes>(&value)) return hexText(*bytes);
  return {};
}

}  // namespace tiermend::data
