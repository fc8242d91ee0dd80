// Filling failure patterns and raising them.
#include "data/fields/FieldMessage.h"

#include "platform/Exceptions.h"

namespace tiermend::data {

std::string fillMessage(std::string_view pattern, std::initializer_list<std::string_view> pieces) {
  std::string message;
  auto piece = pieces.begin();
  for (size_t i = 0; i < pattern.size(); ++i) {
    const bool placeholder = pattern[i] == '%' && i + 1 < pattern.size() &&
                             (pattern[i + 1] == 's' || pattern[i + 1] == 'g');
    if (placeholder && piece != pieces.end()) {
      message += *piece++;
      ++i;
    } else {
      message += pattern[i];
    }
  }
  return message;
}

void failField(std::string_view pattern, std::initializer_list<std::string_view> pieces) {
  throw EDatabaseError(fillMessage(pattern, pieces));
}

void failInvalidText(std::string_view text, std::string_view what, std::string_view fieldName) {
  failField("'%s' is not a valid %s value for field '%s'", {text, what, fieldName});
}

}  // namespace tiermend::data
