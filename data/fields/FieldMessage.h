// The messages of field failures: patterns with "%s" placeholders filled in order.
#pragma once

#include <initializer_list>
#include <string>
#include <string_view>

namespace tiermend::data {

// Replaces each "%s" or "%g" of the pattern, in order, by the next piece. The pieces
// are inserted as they are, so a "%" inside a piece is never taken as a placeholder.
std::string fillMessage(std::string_view pattern, std::initializer_list<std::string_view> pieces);
// Raises an EDatabaseError with the filled pattern.
[[noreturn]] void failField(std::string_view pattern,
                            std::initializer_list<std::string_view> pieces);
// Raises "'<text>' is not a valid <what> value for field '<field>'": written edit text
// that does not read as a value of the field's kind.
[[noreturn]] void failInvalidText(std::string_view text, std::string_view what,
                                  std::string_view fieldName);

}  // namespace tiermend::data
