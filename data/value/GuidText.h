// GUIDs in the registry form "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}", upper case, the
// form every provider hands to the fields.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace tiermend::data {

// The 16 bytes of a GUID as Windows lays them out (the first three groups
// little-endian).
std::string guidTextFromBytes(const std::uint8_t* bytes16);
// A GUID as text with or without braces, in the registry form (braces and blanks
// dropped, hex digits upper-cased, the result braced).
std::string bracedGuidText(std::string_view text);
// A GUID written with or without braces, hex digits in either case, in the registry
// form; nothing for any other text (blanks included).
std::optional<std::string> canonicalGuidText(std::string_view text);
// The 16 bytes, laid out as guidTextFromBytes reads them, of a GUID that
// canonicalGuidText takes; false for any other text.
bool guidBytesFromText(std::string_view text, std::uint8_t* bytes16);

}  // namespace tiermend::data
