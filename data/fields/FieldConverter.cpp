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

FieldConverter::FieldConverter(ColumnInfo info, TextSettings settings, const KindRules& rules)
    : info_(std::move(info)),
      settings_(settings),
      displayName_(settings_.codePage.fromUtf8(info_.name)),
      rules_(&rules) {}

bool FieldConverter::readOnly() const {
  return info_.autoIncrement || !info_.updatable;
}

Value FieldConverter::valueFromText(const std::string& text) const {
  Value value = rules_->valueOf(*this, text);
  if (readOnly()) failField("Field '%s' cannot be modified", {displayName_});
  return value;
}

namespace {

// The rules of a column's kind, chosen by its type and attributes.
const KindRules& rulesOf(const ColumnInfo& info) {
  const KindRules& whole = info.autoIncrement ? kAutoNumberRules : kWholeNumberRules;
  switch (info.type) {
    case ColumnType::Text:
      return kTextRules;
    case ColumnType::Int8:
    case ColumnType::Int16:
    case ColumnType::UInt8:
    case ColumnType::UInt16:
      return kWholeNumberRules;
    case ColumnType::Int32:
    case ColumnType::UInt32:
    case ColumnType::Int64:
      return whole;
    case ColumnType::Single:
    case ColumnType::Double:
      return kFloatingRules;
    case ColumnType::Currency:
      return kCurrencyDecimalRules;
    case ColumnType::Decimal:
      return isNarrowWholeDecimal(info.precision, info.scale) ? whole : kCurrencyDecimalRules;
    case ColumnType::DateTime:
    case ColumnType::Date:
    case ColumnType::Time:
      return kDateTimeRules;
    case ColumnType::Boolean:
      return kBooleanRules;
    case ColumnType::Memo:
    case ColumnType::Blob:
      return kMemoBlobRules;
    case ColumnType::Guid:
    case ColumnType::Binary:
      break;
  }
  return info.type == ColumnType::Guid ? kGuidRules : kBinaryRules;
}

}  // namespace

FieldKind fieldKindOf(const ColumnInfo& info) {
  return rulesOf(info).kind;
}

std::unique_ptr<FieldConverter> makeFieldConverter(const ColumnInfo& info,
                                                   const TextSettings& settings) {
  return std::make_unique<FieldConverter>(info, settings, rulesOf(info));
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
