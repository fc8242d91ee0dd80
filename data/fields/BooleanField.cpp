// Yes/no columns. Edit text is "True" or "False"; writing takes, without regard to
// case, any non-empty leading part of "False" as no and of "True" as yes.
#include "data/fields/FieldKinds.h"
#include "data/fields/FieldMessage.h"
#include "data/value/AsciiText.h"

namespace tiermend::data {
std::string BooleanField::textOf(const Value& value) const {
  if (const auto* flag = std::get_if<bool>(&value)) return *flag ? "True" : "False";
  if (const auto* whole = std::get_if<std::int64_t>(&value)) return *whole != 0 ? "True" : "False";
  return plainTextOf(value, settings());
}

Value BooleanField::convertText(const std::string& text) const {
  if (text.empty()) return Null{};
  if (startsWithIgnoringCase("False", text)) return false;
  if (startsWithIgnoringCase("True", text)) return true;
  failField("'%s' is not a valid boolean value for field '%s'", {text, displayName()});
}

}  // namespace tiermend::data
