// GUID and short binary columns.
// - GUID: "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}" in upper case. Writing takes the
//   same form in either case, with or without the braces.
// - Binary: two upper-case hex digits per byte. Writing takes an even count of hex
//   digits in either case; more bytes than the column's defined size are refused
//   rather than cut, since cutting would corrupt the value. An empty text writes null,
//   so an empty (zero-byte) value reaches the target as null.
#include "data/fields/EditText.h"
#include "data/fields/FieldKinds.h"

namespace tiermend::data {
namespace {

int hexDigitValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// The braced upper-case form of a GUID written with or without braces, or nothing.
std::optional<std::string> canonicalGuid(std::string_view text) {
  text = trimBlanks(text);
  if (text.size() == 38 && text.front() == '{' && text.back() == '}') text = text.substr(1, 36);
  if (text.size() != 36) return std::nullopt;
  for (size_t i = 0; i < text.size(); ++i) {
    const bool dashPlace = i == 8 || i == 13 || i == 18 || i == 23;
    if (dashPlace ? text[i] != '-' : hexDigitValue(text[i]) < 0) return std::nullopt;
  }
  return "{" + toUpperAscii(std::string(text)) + "}";
}

std::optional<Bytes> bytesOfHex(std::string_view text) {
  text = trimBlanks(text);
  if (text.size() % 2 != 0) return std::nullopt;
  Bytes bytes;
  bytes.reserve(text.size() / 2);
  for (size_t i = 0; i < text.size(); i += 2) {
    const int high = hexDigitValue(text[i]), low = hexDigitValue(text[i + 1]);
    if (high < 0 || low < 0) return std::nullopt;
    bytes.push_back(static_cast<std::uint8_t>(high * 16 + low));
  }
  return bytes;
}

}  // namespace

std::string GuidField::textOf(const Value& value) const {
  if (const auto* text = std::get_if<std::string>(&value))
    return canonicalGuid(*text).value_or(toUpperAscii(*text));
  return plainTextOf(value, settings());
}

Value GuidField::convertText(const std::string& text) const {
  if (text.empty()) return Null{};
  auto guid = canonicalGuid(text);
  if (!guid) failField("'%s' is not a valid GUID value for field '%s'", {text, displayName()});
  return *guid;
}

std::string BinaryField::textOf(const Value& value) const {
  if (const auto* bytes = std::get_if<Bytes>(&value)) return hexText(*bytes);
  return plainTextOf(value, settings());
}

Value BinaryField::convertText(const std::string& text) const {
  if (text.empty()) return Null{};
  auto bytes = bytesOfHex(text);
  if (!bytes) failField("'%s' is not a valid binary value for field '%s'", {text, displayName()});
  if (info().size > 0 && bytes->size() > static_cast<size_t>(info().size))
    failField("'%s' is too long for field '%s'", {text, displayName()});
  return *bytes;
}

}  // namespace tiermend::data
