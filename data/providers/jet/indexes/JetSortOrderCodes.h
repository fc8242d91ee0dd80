// The General legacy character-to-key tables: what each UTF-16 unit contributes to a
// text key. They are facts about the file format, kept as data beside this code
// (JetSortOrderData/) with the notice of the project they come from, and compiled in.
#pragma once

#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

namespace tiermend::data::jet {

// How one character takes part in a text key.
enum class JetCharRole : std::uint8_t {
  Ignored,           // contributes nothing
  Plain,             // inline bytes only
  Accented,          // inline bytes, and extra bytes after the text (its accent)
  Unprintable,       // no inline bytes; a record of its position and code at the end
  ExtraModifier,     // no inline bytes; adds to the previous character's extra byte
  AccentedWithFlag,  // inline bytes, optional extra bytes, and a two-bit flag
  Uncovered,         // not in the tables: a key holding it cannot be encoded
};

struct JetCharCode {
  JetCharRole role = JetCharRole::Uncovered;
  std::span<const std::uint8_t> inlineBytes;
  std::span<const std::uint8_t> extraBytes;
  std::span<const std::uint8_t> unprintableBytes;
  std::uint8_t modifier = 0;  // ExtraModifier: the amount added
  std::uint8_t flag = 0;      // AccentedWithFlag: 2 or 3
};

// The codes of every UTF-16 unit, loaded once from the compiled-in tables.
const JetCharCode& generalLegacyCharCode(char16_t unit);

// The raw tables as compiled in: one line per character, for 0x00-0xFF and for
// 0x100-0xFFFF without the surrogates.
std::string_view generalLegacyCodesText();
std::string_view generalLegacyExtendedCodesText();

}  // namespace tiermend::data::jet
