// What an index key is made of: the kind of each key column, and a value in the form
// its kind stores it, before it becomes bytes (a number, a GUID's bytes, UTF-16 text).
// The column codecs give these forms (JetValueCodec::keyValue); the key encoder turns
// them into bytes that sort as the index orders its rows.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <variant>

namespace tiermend::data::jet {

// The column kinds an index key may hold.
enum class JetKeyKind {
  Byte,
  Integer,
  Long,
  Currency,
  Single,
  Double,
  DateTime,
  YesNo,
  Guid,
  Text
};

// A GUID's 16 bytes as a row stores them (the first three groups little-endian).
struct JetGuid {
  std::array<std::uint8_t, 16> stored{};
  bool operator==(const JetGuid&) const = default;
};

// One key column's value: null; Yes/No; Byte, Integer, Long or Currency (in ten
// thousandths); Single; Double or Date/Time (days since 30 December 1899); GUID; Text.
using JetKeyValue =
    std::variant<std::monostate, bool, std::int64_t, float, double, JetGuid, std::u16string>;

}  // namespace tiermend::data::jet
