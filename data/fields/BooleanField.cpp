// Yes/no columns. Edit text is "True" or "False"; writing takes, without regard to
// case, any non-empty leading part of "False" as no and of "True" as yes.
#include "data/fields/EditText.h"
#include "data/fields/FieldKinds.h"

namespace tiermend::data {
namespace {

// Whether text is a leading part of word, ASCII letters compared without case.
bool isLeadingPartOf(std::string_view text, std::string_view word) {
  if (text.size() > word.size()) return false;
  for (size_t i = 0; i < text.size(); ++i) {
    char c = text[i];
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    char w = word[i];
    if (w >= 'a' && w <= 'z') w = static_cast<char>(w - 'a' + 'A');
    if (c != w) return false;
  }
  return true;
}

}  // namespace

std::string BooleanField::textOf(const Value& value) const {
  if (const auto* flag = std::get_if<bool>(&value)) return *flag ? "True" : "False";
  if (const auto* whole = std::get_if<std::int64_t>(&value)) return *whole != 0 ? "True" : "False";
  return plainTextOf(value, settings());
}

Value BooleanField::convertText(const std::string& text) const {
  if (text.empty()) return Null{};
  if (isLeadingPartOf(text, "False")) return false;
  if (isLeadingPartOf(text, "True")) return true;
  failField("'%s' is not a valid boolean value for field '%s'", {text, displayName()});
}

}  // namespace tiermend::data
