// Text sort orders of Jet 4 text columns, and the text part of index keys in the one
// order this program can encode: "General" in its legacy form (locale 1033, version 0),
// which Access 2000 to 2007 declare for every new text column.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "data/providers/jet/format/JetFormat.h"
#include "data/providers/jet/indexes/JetSortOrderCodes.h"

namespace tiermend::data::jet {

// A text column's sort order as its table definition declares it: a locale id and a
// version number.
struct JetSortOrder {
  std::uint16_t localeId = 0;
  std::uint8_t version = 0;

  static constexpr JetSortOrder generalLegacy() {
    return {kGeneralLegacySortLocale, kGeneralLegacySortVersion};
  }
  bool operator==(const JetSortOrder&) const = default;
  // "General (legacy, 1033)" for the order we know, the numbers for any other.
  std::string describe() const;
};

// Raised for a text that the General legacy tables cannot encode.
class JetUncoveredText : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Text keys hold at most kIndexedTextUnits (JetFormat.h) UTF-16 units of a value; the
// rest is not indexed.

// Appends the key bytes of a non-null text value (everything after the column's flag
// byte) in the General legacy order, ascending or descending. Throws JetUncoveredText
// for a character the tables do not cover (a UTF-16 surrogate, that is any character
// beyond the Basic Multilingual Plane), and for any text when the build did not have
// the tables.
void appendGeneralLegacyTextKey(std::u16string_view text, bool ascending,
                                std::vector<std::uint8_t>& out,
                                const JetCharCodes& codes = JetCharCodes::generalLegacy());

// Why a text cannot be keyed with codes that are not available, to follow the name of
// a column in a refusal: "is in the General (legacy, 1033) sort order, whose tables
// (...) were not available when this program was built".
std::string missingTablesReason(const JetCharCodes& codes);

}  // namespace tiermend::data::jet
