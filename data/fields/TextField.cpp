// Character columns. The stored text is UTF-8; edit text is in the ANSI code page.
// On write the text is cut to the column's defined size without a message:
// - a Unicode column counts its size in UTF-16 code units, as the databases do
//   (a character outside the Basic Multilingual Plane takes two, and is dropped
//   whole rather than split);
// - an 8-bit column counts bytes of the ANSI code page and never splits a double-byte
//   character (nor, when the code page is UTF-8, a multi-byte sequence).
#include "data/fields/FieldKinds.h"
#include "data/value/Utf16.h"

namespace tiermend::data {
namespace {

// Length in bytes of the longest start of the UTF-8 text that takes at most `limit`
// UTF-16 code units.
size_t prefixWithinUtf16Units(std::string_view utf8, size_t limit) {
  size_t pos = 0, units = 0;
  while (pos < utf8.size()) {
    const size_t length = utf8SequenceLength(utf8, pos);
    const size_t charUnits = length == 4 ? 2 : 1;
    if (units + charUnits > limit) break;
    units += charUnits;
    pos += length;
  }
  return pos;
}

// Length in bytes of the longest start of the ANSI text that has at most `limit`
// bytes and ends on a character boundary.
size_t prefixWithinBytes(std::string_view text, size_t limit, const CodePage& codePage) {
  size_t pos = 0;
  while (pos < text.size()) {
    const size_t length = codePage.id() == CodePage::kUtf8 ? utf8SequenceLength(text, pos)
                                                           : codePage.charLength(text, pos);
    if (pos + length > limit) break;
    pos += length;
  }
  return pos;
}

std::string textOf(const FieldConverter& field, const Value& value) {
  if (const auto* text = std::get_if<std::string>(&value))
    return field.settings().codePage.fromUtf8(*text);
  return plainTextOf(value, field.settings());
}

Value valueOf(const FieldConverter& field, const std::string& text) {
  const CodePage& codePage = field.settings().codePage;
  const size_t limit = field.info().size > 0 ? static_cast<size_t>(field.info().size) : 0;
  if (field.info().unicode) {
    std::string utf8 = codePage.toUtf8(text);
    if (limit > 0) utf8.resize(prefixWithinUtf16Units(utf8, limit));
    return utf8;
  }
  if (limit > 0)
    return codePage.toUtf8(
        std::string_view(text).substr(0, prefixWithinBytes(text, limit, codePage)));
  return codePage.toUtf8(text);
}

}  // namespace

const KindRules kTextRules{FieldKind::Text, textOf, valueOf};

}  // namespace tiermend::data
