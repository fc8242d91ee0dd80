// The General legacy character-to-key tables: what each UTF-16 unit contributes to a
// text key. They are facts about the file format that the project does not keep: the
// build compiles them in from the folder TIERMEND_SORT_ORDERS names, and a build that
// did not find them says so here, so that text keys in that order are refused.
#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string>
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

// The codes of every UTF-16 unit in one sort order, read from its two tables: one line
// per character, for 0x00-0xFF and for 0x100-0xFFFF without the surrogates. A line is a
// letter for the character's role (X Ignored, S Plain, I Accented, U Unprintable,
// P ExtraModifier, Z AccentedWithFlag) and its fields, comma-separated hexadecimal
// byte strings (one of odd length has lost its leading zero): S the inline bytes; I
// the inline and the extra bytes; U the code of the unprintable records; P the one
// byte added; Z the inline bytes, the extra bytes (may be empty) and "1" for flag 2 or
// nothing for flag 3.
class JetCharCodes {
 public:
  // Reads both tables (std::logic_error when they are damaged). A non-empty `missing`
  // names the tables the build did not have; the texts are then not read, and every
  // unit is Uncovered.
  JetCharCodes(std::string_view basic, std::string_view extended, std::string missing);
  ~JetCharCodes();

  // The General legacy tables as the build compiled them in, read on first use.
  static const JetCharCodes& generalLegacy();

  bool available() const { return missing_.empty(); }
  // The names of the tables the build did not have, empty when it had them all.
  const std::string& missing() const { return missing_; }
  const JetCharCode& at(char16_t unit) const;

 private:
  class Tables;
  std::unique_ptr<const Tables> tables_;
  std::string missing_;
};

// The General legacy tables as compiled in (empty when the build did not have them),
// and the names of those it did not have.
std::string_view generalLegacyCodesText();
std::string_view generalLegacyExtendedCodesText();
std::string_view generalLegacyTablesMissing();

}  // namespace tiermend::data::jet
