// Name matching as Jet does it, without regard to case: both names are read as UTF-8
// and compared character by character after the Unicode simple case folding.
#include "data/providers/jet/tables/JetNames.h"

#include <optional>
#include <string_view>

#include "data/providers/jet/tables/JetCaseFolding.h"
#include "data/value/Utf16.h"

namespace tiermend::data::jet {

namespace {

// The character at text[at], advancing at past it; nothing for malformed UTF-8.
std::optional<char32_t> nextCharacter(std::string_view text, std::size_t& at) {
  const std::size_t start = at;
  const char32_t code = nextUtf8CodePoint(text, at);
  // The decoder gives U+FFFD for malformed bytes too; only its own three bytes are it.
  if (code == kReplacementCharacter && text.substr(start, at - start) != "\xEF\xBF\xBD") {
    return std::nullopt;
  }
  return code;
}

}  // namespace

bool sameJetName(const std::string& a, const std::string& b) {
  if (a == b) return true;
  // Case folding needs valid UTF-8; anything else can only match byte for byte.
  std::size_t i = 0;
  std::size_t j = 0;
  while (i < a.size() && j < b.size()) {
    const std::optional<char32_t> x = nextCharacter(a, i);
    const std::optional<char32_t> y = nextCharacter(b, j);
    if (!x || !y || simpleCaseFold(*x) != simpleCaseFold(*y)) return false;
  }
  return i == a.size() && j == b.size();
}

}  // namespace tiermend::data::jet
