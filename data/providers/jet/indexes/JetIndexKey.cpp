// Encoding a row's key columns as the bytes of a Jet 4 index entry, kind by kind.
#include "data/providers/jet/indexes/JetIndexKey.h"

#include <bit>
#include <limits>

#include "data/providers/jet/format/ByteOrder.h"
#include "data/providers/jet/format/JetFormat.h"
#include "data/providers/jet/indexes/JetIndexRefusal.h"

namespace tiermend::data::jet {
namespace {

// A reason a column's value cannot be encoded; the caller names the table and index.
struct Unencodable {
  std::string reason;
};

void invert(std::vector<std::uint8_t>& bytes, std::size_t from) {
  for (std::size_t i = from; i < bytes.size(); ++i) bytes[i] = static_cast<std::uint8_t>(~bytes[i]);
}

void appendBigEndian(std::vector<std::uint8_t>& out, std::uint64_t value, std::size_t size) {
  out.resize(out.size() + size);
  storeBig(out.data() + out.size() - size, size, value);
}

std::int64_t wholeNumber(const JetKeyColumn& column, const JetKeyValue& value, std::int64_t min,
                         std::int64_t max) {
  const auto* number = std::get_if<std::int64_t>(&value);
  if (number == nullptr)
    throw Unencodable{"holds a value of another kind in column '" + column.name + "'"};
  if (*number < min || *number > max) {
    throw Unencodable{"cannot hold " + std::to_string(*number) + " in column '" + column.name +
                      "'"};
  }
  return *number;
}

// Two's complement, big-endian, its sign bit flipped so negatives sort first.
void appendSigned(std::vector<std::uint8_t>& out, std::int64_t value, std::size_t size) {
  const std::size_t start = out.size();
  appendBigEndian(out, static_cast<std::uint64_t>(value), size);
  out[start] ^= kKeySignBit;
}

// A whole number within the range of Whole, in its width.
template <class Whole>
void appendWhole(std::vector<std::uint8_t>& out, const JetKeyColumn& column,
                 const JetKeyValue& value) {
  using Limits = std::numeric_limits<Whole>;
  appendSigned(out, wholeNumber(column, value, Limits::min(), Limits::max()), sizeof(Whole));
}

// IEEE bits, big-endian: positives get their sign bit flipped, negatives every bit
// inverted, so the bytes sort as the numbers do (-0 just below +0, NaN above infinity).
void appendFloating(std::vector<std::uint8_t>& out, std::uint64_t bits, std::size_t size) {
  const std::size_t start = out.size();
  appendBigEndian(out, bits, size);
  if ((out[start] & kKeySignBit) == 0) {
    out[start] ^= kKeySignBit;
  } else {
    invert(out, start);
  }
}

// The GUID in its written order (first three groups big-endian), in runs of eight.
void appendGuid(std::vector<std::uint8_t>& out, const JetGuid& guid, bool ascending) {
  const auto& s = guid.stored;
  const std::array<std::uint8_t, 16> bytes = {s[3], s[2], s[1],  s[0],  s[5],  s[4],  s[7],  s[6],
                                              s[8], s[9], s[10], s[11], s[12], s[13], s[14], s[15]};
  for (std::size_t run = 0; run < bytes.size(); run += kKeyGuidRun) {
    const std::size_t start = out.size();
    out.insert(out.end(), bytes.begin() + run, bytes.begin() + run + kKeyGuidRun);
    const bool last = run + kKeyGuidRun == bytes.size();
    if (!ascending) invert(out, start);
    // The length byte of the last run is inverted with its data, the others are not.
    const std::uint8_t length = last ? kKeyGuidRun : kKeyMoreRunsFollow;
    out.push_back(last && !ascending ? static_cast<std::uint8_t>(~length) : length);
  }
}

template <class T>
const T& valueOf(const JetKeyColumn& column, const JetKeyValue& value) {
  const T* held = std::get_if<T>(&value);
  if (held == nullptr)
    throw Unencodable{"holds a value of another kind in column '" + column.name + "'"};
  return *held;
}

// The value's bytes after the flag, ascending; Text and GUID handle the direction
// themselves, as their bytes are not all inverted alike.
void appendValue(std::vector<std::uint8_t>& out, const JetKeyColumn& column,
                 const JetKeyValue& value) {
  switch (column.kind) {
    case JetKeyKind::Byte:
      out.push_back(static_cast<std::uint8_t>(wholeNumber(column, value, 0, 255)));
      break;
    case JetKeyKind::Integer:
      appendWhole<std::int16_t>(out, column, value);
      break;
    case JetKeyKind::Long:
      appendWhole<std::int32_t>(out, column, value);
      break;
    case JetKeyKind::Currency:
      appendWhole<std::int64_t>(out, column, value);
      break;
    case JetKeyKind::Single:
      appendFloating(out, std::bit_cast<std::uint32_t>(valueOf<float>(column, value)), 4);
      break;
    case JetKeyKind::Double:
    case JetKeyKind::DateTime:
      appendFloating(out, std::bit_cast<std::uint64_t>(valueOf<double>(column, value)), 8);
      break;
    case JetKeyKind::YesNo:
    case JetKeyKind::Guid:
    case JetKeyKind::Text:
      break;
  }
}

void appendColumn(std::vector<std::uint8_t>& out, const JetKeyColumn& column,
                  const JetKeyValue& value) {
  const bool isNull = std::holds_alternative<std::monostate>(value);
  // A Yes/No column cannot be null; a missing value counts as No.
  if (column.kind == JetKeyKind::YesNo) {
    const bool yes = isNull ? false : valueOf<bool>(column, value);
    out.push_back(column.ascending ? kKeyValueFlag : static_cast<std::uint8_t>(~kKeyValueFlag));
    const std::uint8_t byte = yes ? kKeyYes : kKeyNo;
    out.push_back(column.ascending ? byte : static_cast<std::uint8_t>(~byte));
    return;
  }
  const std::uint8_t flag = isNull ? kKeyNullFlag : kKeyValueFlag;
  out.push_back(column.ascending ? flag : static_cast<std::uint8_t>(~flag));
  if (isNull) return;
  if (column.kind == JetKeyKind::Guid) {
    appendGuid(out, valueOf<JetGuid>(column, value), column.ascending);
  } else if (column.kind == JetKeyKind::Text) {
    try {
      appendGeneralLegacyTextKey(valueOf<std::u16string>(column, value), column.ascending, out);
    } catch (const JetUncoveredText& uncovered) {
      throw Unencodable{"cannot be rebuilt: the text in column '" + column.name + "' " +
                        uncovered.what()};
    }
  } else {
    const std::size_t start = out.size();
    appendValue(out, column, value);
    if (!column.ascending) invert(out, start);
  }
}

}  // namespace

void checkIndexShape(const JetIndexShape& shape, const JetCharCodes& codes) {
  if (shape.columns.empty()) {
    throw JetIndexRefusal(shape.table, shape.index, "has no columns");
  }
  if (shape.columns.size() > kMaxIndexColumns) {
    throw JetIndexRefusal(shape.table, shape.index,
                          "has " + std::to_string(shape.columns.size()) +
                              " columns; an index has at most " + std::to_string(kMaxIndexColumns));
  }
  for (const JetKeyColumn& column : shape.columns) {
    if (column.kind == JetKeyKind::Text && !(column.sortOrder == JetSortOrder::generalLegacy())) {
      throw JetIndexRefusal(shape.table, shape.index,
                            "cannot be rebuilt: its text column '" + column.name +
                                "' declares the " + column.sortOrder.describe() +
                                ", and this program can only write text keys in the " +
                                JetSortOrder::generalLegacy().describe() + " sort order");
    }
    if (column.kind == JetKeyKind::Text && !codes.available()) {
      throw JetIndexRefusal(
          shape.table, shape.index,
          "cannot be rebuilt: its text column '" + column.name + "' " + missingTablesReason(codes));
    }
  }
}

JetIndexKeyBytes encodeIndexKey(const JetIndexShape& shape, std::span<const JetKeyValue> values) {
  std::vector<std::uint8_t> key;
  encodeIndexKey(shape, values, key);
  return {key.begin(), key.end()};
}

void encodeIndexKey(const JetIndexShape& shape, std::span<const JetKeyValue> values,
                    std::vector<std::uint8_t>& key) {
  checkIndexShape(shape);
  if (values.size() != shape.columns.size()) {
    throw JetIndexRefusal(shape.table, shape.index,
                          "has " + std::to_string(shape.columns.size()) + " columns, but " +
                              std::to_string(values.size()) + " values were given for a key");
  }
  key.clear();
  try {
    for (std::size_t i = 0; i < values.size(); ++i) appendColumn(key, shape.columns[i], values[i]);
  } catch (const Unencodable& unencodable) {
    throw JetIndexRefusal(shape.table, shape.index, unencodable.reason);
  }
  if (key.size() > kMaxIndexKeyBytes) {
    throw JetIndexRefusal(shape.table, shape.index,
                          "cannot be rebuilt: a key of " + std::to_string(key.size()) +
                              " bytes is longer than the " + std::to_string(kMaxIndexKeyBytes) +
                              " an index page can take");
  }
}

}  // namespace tiermend::data::jet
