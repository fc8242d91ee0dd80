// Each column kind's codec, both directions side by side, and the column codec that
// drives them.
#include "data/providers/jet/values/JetValueCodec.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "data/EngineError.h"
#include "data/providers/jet/format/ByteOrder.h"
#include "data/providers/jet/values/JetScaledDecimal.h"
#include "data/value/Calendar.h"
#include "data/value/DecimalText.h"
#include "data/value/GuidText.h"

namespace tiermend::data::jet {

namespace {

using Codec = JetValueCodec;

[[noreturn]] void wrongValue(const Codec& codec) {
  throw EngineError("The value given for field '" + codec.column().name + "' is not of its kind.");
}

[[noreturn]] void badValue(const std::string& text, const Codec& codec) {
  throw EngineError("The value '" + text + "' cannot be stored in field '" + codec.column().name +
                    "'.");
}

template <class T>
const T& valueOf(const Codec& codec, const Value& value) {
  const T* held = std::get_if<T>(&value);
  if (held == nullptr) wrongValue(codec);
  return *held;
}

// A whole number in [lowest, highest]; Yes is -1 and No 0, as in Access.
std::int64_t wholeNumber(const Codec& codec, const Value& value, std::int64_t lowest,
                         std::int64_t highest) {
  std::int64_t number = 0;
  if (const auto* whole = std::get_if<std::int64_t>(&value)) {
    number = *whole;
  } else if (const auto* truth = std::get_if<bool>(&value)) {
    number = *truth ? -1 : 0;
  } else {
    wrongValue(codec);
  }
  if (number < lowest || number > highest) {
    throw EngineError(std::to_string(number) + " is not a valid value for field '" +
                      codec.column().name + "'. The allowed range is " + std::to_string(lowest) +
                      " to " + std::to_string(highest));
  }
  return number;
}

double floatingNumber(const Codec& codec, const Value& value) {
  if (const auto* number = std::get_if<double>(&value)) return *number;
  if (const auto* whole = std::get_if<std::int64_t>(&value)) return static_cast<double>(*whole);
  wrongValue(codec);
}

// The decimal text of a value given for a Currency or Decimal column.
std::string decimalTextOf(const Value& value) {
  if (const auto* decimal = std::get_if<Decimal>(&value)) return decimal->text;
  if (const auto* whole = std::get_if<std::int64_t>(&value)) return std::to_string(*whole);
  if (const auto* text = std::get_if<std::string>(&value)) return *text;
  if (const auto* number = std::get_if<double>(&value)) {
    return std::isfinite(*number) ? decimalOfDouble(*number) : std::string("nan");
  }
  return {};
}

JetScaledDecimal scaled(const Codec& codec, const std::string& text, int scale) {
  const std::optional<JetScaledDecimal> scaled = scaleDecimalText(text, scale);
  if (!scaled) badValue(text, codec);
  return *scaled;
}

// Binary, and kinds this provider does not know: the bytes as they are.
Value decodeRawBytes(const Codec&, const std::uint8_t* bytes, std::size_t size) {
  return Bytes(bytes, bytes + size);
}

// Yes/No: no bytes; the value is the column's null-mask bit, set for Yes.
struct YesNoKind {
  static bool bit(const Codec& codec, const Value& value) {
    if (const auto* truth = std::get_if<bool>(&value)) return *truth;
    if (isNull(value)) return false;
    return wholeNumber(codec, value, INT64_MIN, INT64_MAX) != 0;
  }
  static JetKeyValue key(const Codec& codec, const Value& value) { return bit(codec, value); }
};

// Byte (unsigned), Integer, Long Integer and Large Number (signed): whole numbers of
// Number's width, in its range. Attachment and multi-valued columns hold a Long Integer:
// the key of their hidden rows, read only.
template <class Number>
struct WholeNumberKind {
  static Value decode(const Codec&, const std::uint8_t* at, std::size_t) {
    return std::int64_t{static_cast<Number>(loadLittle(at, sizeof(Number)))};
  }
  static std::int64_t number(const Codec& codec, const Value& value) {
    return wholeNumber(codec, value, std::numeric_limits<Number>::min(),
                       std::numeric_limits<Number>::max());
  }
  static void store(const Codec& codec, const Value& value, std::uint8_t* at) {
    storeLittle(at, sizeof(Number), static_cast<std::uint64_t>(number(codec, value)));
  }
  static JetKeyValue key(const Codec& codec, const Value& value) { return number(codec, value); }
};
using ByteKind = WholeNumberKind<std::uint8_t>;
using IntegerKind = WholeNumberKind<std::int16_t>;
using LongKind = WholeNumberKind<std::int32_t>;
using LargeNumberKind = WholeNumberKind<std::int64_t>;

// Currency: a 64-bit count of ten-thousandths, exact decimal text with 4 decimals;
// values are rounded half away from zero to 4 decimals.
struct CurrencyKind {
  static Value decode(const Codec&, const std::uint8_t* at, std::size_t) {
    const std::int64_t units = loadI64(at);
    const bool negative = units < 0;
    // Negated through the unsigned type so that the most negative value stays exact.
    const std::uint64_t magnitude =
        negative ? ~static_cast<std::uint64_t>(units) + 1 : static_cast<std::uint64_t>(units);
    return Decimal{decimalFromScaled(magnitude, kCurrencyScale, negative)};
  }
  static std::int64_t units(const Codec& codec, const Value& value) {
    const std::string text = decimalTextOf(value);
    const JetScaledDecimal number = scaled(codec, text, kCurrencyScale);
    const unsigned __int128 limit =
        static_cast<unsigned __int128>(INT64_MAX) + (number.negative ? 1 : 0);
    if (number.magnitude > limit) badValue(text, codec);
    const auto magnitude = static_cast<std::uint64_t>(number.magnitude);
    return static_cast<std::int64_t>(number.negative ? ~magnitude + 1 : magnitude);
  }
  static void store(const Codec& codec, const Value& value, std::uint8_t* at) {
    storeI64(at, units(codec, value));
  }
  static JetKeyValue key(const Codec& codec, const Value& value) { return units(codec, value); }
};

// Single: an IEEE 32-bit float; larger finite numbers are refused.
struct SingleKind {
  static Value decode(const Codec&, const std::uint8_t* at, std::size_t) {
    return static_cast<double>(loadF32(at));
  }
  static float number(const Codec& codec, const Value& value) {
    const double number = floatingNumber(codec, value);
    if (std::isfinite(number) && std::fabs(number) > std::numeric_limits<float>::max()) {
      throw EngineError("The value " + std::to_string(number) + " is too large for field '" +
                        codec.column().name + "'.");
    }
    return static_cast<float>(number);
  }
  static void store(const Codec& codec, const Value& value, std::uint8_t* at) {
    storeF32(at, number(codec, value));
  }
  static JetKeyValue key(const Codec& codec, const Value& value) { return number(codec, value); }
};

// Double: an IEEE 64-bit float.
struct DoubleKind {
  static Value decode(const Codec&, const std::uint8_t* at, std::size_t) { return loadF64(at); }
  static void store(const Codec& codec, const Value& value, std::uint8_t* at) {
    storeF64(at, floatingNumber(codec, value));
  }
  static JetKeyValue key(const Codec& codec, const Value& value) {
    return floatingNumber(codec, value);
  }
};

// Date/Time: an OLE Automation date, days since 1899-12-30 as a 64-bit float.
struct DateTimeKind {
  static Value decode(const Codec& codec, const std::uint8_t* at, std::size_t) {
    const auto value = dateTimeFromOleDays(loadF64(at));
    if (!value) {
      throw EngineError("The value in column '" + codec.column().name + "' is not a valid date.");
    }
    return *value;
  }
  static double days(const Codec& codec, const Value& value) {
    return oleDaysFromDateTime(valueOf<DateTime>(codec, value));
  }
  static void store(const Codec& codec, const Value& value, std::uint8_t* at) {
    storeF64(at, days(codec, value));
  }
  static JetKeyValue key(const Codec& codec, const Value& value) { return days(codec, value); }
};

// Replication ID: a GUID's 16 bytes, the first three groups little-endian; as text
// "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}" (braces optional when given).
struct GuidKind {
  static Value decode(const Codec&, const std::uint8_t* at, std::size_t) {
    return guidTextFromBytes(at);
  }
  static JetGuid guid(const Codec& codec, const Value& value) {
    const std::string& text = valueOf<std::string>(codec, value);
    JetGuid guid;
    if (!guidBytesFromText(text, guid.stored.data())) badValue(text, codec);
    return guid;
  }
  static void store(const Codec& codec, const Value& value, std::uint8_t* at) {
    const JetGuid bytes = guid(codec, value);
    std::copy(bytes.stored.begin(), bytes.stored.end(), at);
  }
  static JetKeyValue key(const Codec& codec, const Value& value) { return guid(codec, value); }
};

// Decimal: a sign byte (not 0: negative), then the unscaled integer as four 32-bit
// words, the most significant first; exact text with the column's scale. Values are
// rounded half away from zero to that scale; more than precision digits are refused.
struct DecimalKind {
  static Value decode(const Codec& codec, const std::uint8_t* at, std::size_t) {
    unsigned __int128 magnitude = 0;
    for (int word = 0; word < kDecimalWords; ++word)
      magnitude = magnitude << 32 | loadU32(at + kDecimalWordsStart + 4 * word);
    return Decimal{decimalFromScaled(magnitude, codec.column().scale, at[0] != 0)};
  }
  static void store(const Codec& codec, const Value& value, std::uint8_t* at) {
    const std::string text = decimalTextOf(value);
    const JetScaledDecimal number = scaled(codec, text, codec.column().scale);
    if (number.digits > codec.column().precision) badValue(text, codec);
    at[0] = number.negative && number.magnitude != 0 ? kDecimalNegative : 0x00;
    for (int word = 0; word < kDecimalWords; ++word) {
      storeU32(at + kDecimalWordsStart + 4 * word,
               static_cast<std::uint32_t>(number.magnitude >> (32 * (3 - word))));
    }
  }
};

// Text: characters in the database's text codec, at most the column's size in bytes.
struct TextKind {
  static Value decode(const Codec& codec, const std::uint8_t* bytes, std::size_t size) {
    return codec.text().decode(bytes, size);
  }
  static void append(const Codec& codec, const Value& value, std::vector<std::uint8_t>& out) {
    const JetValueColumn& column = codec.column();
    codec.text().encode(valueOf<std::string>(codec, value), column.compressed,
                        static_cast<std::size_t>(column.size), column.name, out);
  }
  static JetKeyValue key(const Codec& codec, const Value& value) {
    return codec.text().utf16(valueOf<std::string>(codec, value));
  }
};

// Binary: at most the column's size in bytes.
struct BinaryKind {
  static void append(const Codec& codec, const Value& value, std::vector<std::uint8_t>& out) {
    const Bytes& bytes = valueOf<Bytes>(codec, value);
    if (bytes.size() > static_cast<std::size_t>(codec.column().size)) {
      throw EngineError("The value is too long for field '" + codec.column().name + "'.");
    }
    out.insert(out.end(), bytes.begin(), bytes.end());
  }
};

// The codec of a fixed-width kind that an index can hold: Kind reads, stores and keys it.
template <class Kind>
constexpr JetKindCodec fixedWidthCodec() {
  return {.decode = Kind::decode, .store = Kind::store, .key = Kind::key};
}

}  // namespace

namespace kind_codecs {
const JetKindCodec yesNo{.key = YesNoKind::key, .bit = YesNoKind::bit};
const JetKindCodec byte = fixedWidthCodec<ByteKind>();
const JetKindCodec integer = fixedWidthCodec<IntegerKind>();
const JetKindCodec longInteger = fixedWidthCodec<LongKind>();
const JetKindCodec currency = fixedWidthCodec<CurrencyKind>();
const JetKindCodec single = fixedWidthCodec<SingleKind>();
const JetKindCodec doubleFloat = fixedWidthCodec<DoubleKind>();
const JetKindCodec dateTime = fixedWidthCodec<DateTimeKind>();
const JetKindCodec binary{.decode = decodeRawBytes, .append = BinaryKind::append};
const JetKindCodec text{
    .decode = TextKind::decode, .append = TextKind::append, .key = TextKind::key};
const JetKindCodec longValue{};  // read by the column codec itself; never written
const JetKindCodec guid = fixedWidthCodec<GuidKind>();
const JetKindCodec decimal{.decode = DecimalKind::decode, .store = DecimalKind::store};
const JetKindCodec complex{.decode = LongKind::decode};
const JetKindCodec largeNumber{.decode = LargeNumberKind::decode};
const JetKindCodec rawBytes{.decode = decodeRawBytes};
}  // namespace kind_codecs

JetValueCodec::JetValueCodec(JetValueColumn column, const JetTextCodec& text)
    : column_(std::move(column)), text_(text), kind_(&jetKind(column_.kind)) {}

void JetValueCodec::wrongValue() const {
  jet::wrongValue(*this);
}

bool JetValueCodec::holds(std::size_t size) const {
  return size >= static_cast<std::size_t>(kind_->fixedWidth);
}

Value JetValueCodec::decode(bool present, const std::uint8_t* bytes, std::size_t size,
                            const JetLongValueSource* longValues) const {
  if (kind_->inNullMask) return Value{present};
  if (!present) return Null{};
  if (kind_->longValue) return decodeLongValue(bytes, size, longValues);
  return kind_->codec->decode(*this, bytes, size);
}

// Memo values are text in the database's text codec; OLE values their bytes.
Value JetValueCodec::decodeLongValue(const std::uint8_t* reference, std::size_t size,
                                     const JetLongValueSource* longValues) const {
  if (longValues == nullptr) {
    throw EngineError("Internal error: the long value of field '" + column_.name +
                      "' was read without its pages.");
  }
  Bytes stored =
      readLongValue(longValues->pages, longValues->format, reference, size, column_.name);
  if (kind_->text) return text_.decode(stored.data(), stored.size());
  return stored;
}

bool JetValueCodec::encodeBit(const Value& value) const {
  if (kind_->codec->bit == nullptr) wrongValue();
  return kind_->codec->bit(*this, value);
}

void JetValueCodec::encodeFixed(const Value& value, std::uint8_t* at) const {
  if (kind_->codec->store == nullptr) wrongValue();
  kind_->codec->store(*this, value, at);
}

void JetValueCodec::appendVariable(const Value& value, std::vector<std::uint8_t>& out) const {
  if (kind_->longValue) {
    throw EngineError("Field '" + column_.name +
                      "' cannot be written: this program does not write long values.");
  }
  if (kind_->codec->append != nullptr) {
    kind_->codec->append(*this, value, out);
    return;
  }
  if (kind_->fixedWidth == 0 || kind_->codec->store == nullptr) wrongValue();
  const std::size_t at = out.size();
  out.resize(at + static_cast<std::size_t>(kind_->fixedWidth), 0);
  kind_->codec->store(*this, value, out.data() + at);
}

JetKeyValue JetValueCodec::keyValue(const Value& value) const {
  if (kind_->codec->key == nullptr) {
    throw EngineError("Internal error: field '" + column_.name +
                      "' cannot be part of an index key.");
  }
  if (!kind_->inNullMask && isNull(value)) return std::monostate{};
  return kind_->codec->key(*this, value);
}

}  // namespace tiermend::data::jet
