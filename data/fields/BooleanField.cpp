// Yes/no columns. Edit text is "True" or "False"; writing takes, without regard to
// case, any non-empty leading part of "False" as no and of "True" as yes.
#include "data/fields/FieldKinds.h"
#include "data/fields/FieldMessage.h"
#include "data/value/AsciiText.h"

namespace tiermend::data {

namespace {

std::string textOf(const FieldConverter& field, const Value& value) {
  if (const auto* flag = std::get_if<bool>(&value)) return *flag ? "True" : "False";
  if (const auto* whole = std::get_if<std::int64_t>(&value)) return *whole != 0 ? "True" : "False";
  return plainTextOf(value, field.settings());
}

Value valueOf(const FieldConverter& field, const std::string& text) {
  if (text.empty()) return Null{};
  if (startsWithIgnoringCase("False", text)) return false;
  if (startsWithIgnoringCase("True", text)) return true;
  failInvalidText(text, "boolean", field.displayName());
}

}  // namespace

const KindRules kBooleanRules{FieldKind::Boolean, textOf, valueOf};

}  // namespace tiermend::data
