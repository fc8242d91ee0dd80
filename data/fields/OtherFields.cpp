// GUID and short binary columns.
// - GUID: "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}" in upper case. Writing takes the
//   same form in either case, with or without the braces.
// - Binary: two upper-case hex digits per byte. Writing takes an even count of hex
//   digits in either case; more bytes than the column's defined size are refused
//   rather than cut, since cutting would corrupt the value. An empty text writes null,
//   so an empty (zero-byte) value reaches the target as null.
#include "data/fields/FieldKinds.h"
#include "data/fields/FieldMessage.h"
#include "data/value/AsciiText.h"
#include "data/value/GuidText.h"
#include "data/value/HexText.h"

namespace tiermend::data {

namespace {

std::string guidTextOf(const FieldConverter& field, const Value& value) {
  if (const auto* text = std::get_if<std::string>(&value))
    return canonicalGuidText(trimBlanks(*text)).value_or(toUpperAscii(*text));
  return plainTextOf(value, field.settings());
}

Value guidValueOf(const FieldConverter& field, const std::string& text) {
  if (text.empty()) return Null{};
  auto guid = canonicalGuidText(trimBlanks(text));
  if (!guid) failInvalidText(text, "GUID", field.displayName());
  return *guid;
}

std::string binaryTextOf(const FieldConverter& field, const Value& value) {
  if (const auto* bytes = std::get_if<Bytes>(&value)) return hexText(*bytes);
  return plainTextOf(value, field.settings());
}

Value binaryValueOf(const FieldConverter& field, const std::string& text) {
  if (text.empty()) return Null{};
  auto bytes = bytesOfHex(trimBlanks(text));
  if (!bytes) failInvalidText(text, "binary", field.displayName());
  if (field.info().size > 0 && bytes->size() > static_cast<size_t>(field.info().size))
    failField("'%s' is too long for field '%s'", {text, field.displayName()});
  return *bytes;
}

}  // namespace

const KindRules kGuidRules{FieldKind::Other, guidTextOf, guidValueOf};
const KindRules kBinaryRules{FieldKind::Other, binaryTextOf, binaryValueOf};

}  // namespace tiermend::data
