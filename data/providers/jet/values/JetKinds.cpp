// The table of column kinds.
#include "data/providers/jet/values/JetKinds.h"

#include <array>

#include "data/providers/jet/values/JetValueCodec.h"

namespace tiermend::data::jet {

namespace {

namespace codecs = kind_codecs;

struct KindRow {
  int kind;
  JetKindFacts facts;
};

// Every kind this provider knows. Attachment and multi-valued columns hold the 32-bit
// key of their hidden rows: read, never written. Large Number is read and reported
// writable, but this writer does not store it.
constexpr KindRow kKnownKinds[] = {
    {kJetBoolean,
     {.inNullMask = true,
      .columnType = ColumnType::Boolean,
      .writable = true,
      .updatable = true,
      .keyKind = JetKeyKind::YesNo,
      .codec = &codecs::yesNo}},
    {kJetByte,
     {.fixedWidth = 1,
      .columnType = ColumnType::UInt8,
      .writable = true,
      .updatable = true,
      .keyKind = JetKeyKind::Byte,
      .codec = &codecs::byte}},
    {kJetInt16,
     {.fixedWidth = 2,
      .columnType = ColumnType::Int16,
      .writable = true,
      .updatable = true,
      .keyKind = JetKeyKind::Integer,
      .codec = &codecs::integer}},
    {kJetInt32,
     {.fixedWidth = 4,
      .columnType = ColumnType::Int32,
      .writable = true,
      .updatable = true,
      .keyKind = JetKeyKind::Long,
      .codec = &codecs::longInteger}},
    {kJetCurrency,
     {.fixedWidth = 8,
      .columnType = ColumnType::Currency,
      .writable = true,
      .updatable = true,
      .keyKind = JetKeyKind::Currency,
      .codec = &codecs::currency}},
    {kJetSingle,
     {.fixedWidth = 4,
      .columnType = ColumnType::Single,
      .writable = true,
      .updatable = true,
      .keyKind = JetKeyKind::Single,
      .codec = &codecs::single}},
    {kJetDouble,
     {.fixedWidth = 8,
      .columnType = ColumnType::Double,
      .writable = true,
      .updatable = true,
      .keyKind = JetKeyKind::Double,
      .codec = &codecs::doubleFloat}},
    {kJetDateTime,
     {.fixedWidth = 8,
      .columnType = ColumnType::DateTime,
      .writable = true,
      .updatable = true,
      .keyKind = JetKeyKind::DateTime,
      .codec = &codecs::dateTime}},
    {kJetBinary,
     {.sized = true,
      .columnType = ColumnType::Binary,
      .writable = true,
      .updatable = true,
      .codec = &codecs::binary}},
    {kJetText,
     {.text = true,
      .sized = true,
      .columnType = ColumnType::Text,
      .writable = true,
      .updatable = true,
      .keyKind = JetKeyKind::Text,
      .codec = &codecs::text}},
    {kJetOle,
     {.longValue = true,
      .columnType = ColumnType::Blob,
      .writable = true,
      .updatable = true,
      .codec = &codecs::longValue}},
    {kJetMemo,
     {.longValue = true,
      .text = true,
      .columnType = ColumnType::Memo,
      .writable = true,
      .updatable = true,
      .codec = &codecs::longValue}},
    {kJetGuid,
     {.fixedWidth = 16,
      .columnType = ColumnType::Guid,
      .writable = true,
      .updatable = true,
      .keyKind = JetKeyKind::Guid,
      .codec = &codecs::guid}},
    {kJetDecimal,
     {.fixedWidth = 17,
      .columnType = ColumnType::Decimal,
      .writable = true,
      .updatable = true,
      .codec = &codecs::decimal}},
    {kJetComplex, {.fixedWidth = 4, .columnType = ColumnType::Int32, .codec = &codecs::complex}},
    {kJetInt64,
     {.fixedWidth = 8,
      .columnType = ColumnType::Int64,
      .updatable = true,
      .codec = &codecs::largeNumber}},
};

// Kinds are one byte in a column entry.
constexpr int kKindCount = 256;

constexpr JetKindFacts kUnknownKind{.columnType = ColumnType::Binary, .codec = &codecs::rawBytes};

// The facts of every kind by its number: the known ones, the rest unknown. Built by the
// compiler, so that looking a kind up costs one load.
constexpr std::array<const JetKindFacts*, kKindCount> kByNumber = [] {
  std::array<const JetKindFacts*, kKindCount> table{};
  table.fill(&kUnknownKind);
  for (const KindRow& row : kKnownKinds) table[static_cast<std::size_t>(row.kind)] = &row.facts;
  return table;
}();

}  // namespace

const JetKindFacts& jetKind(int kind) {
  if (kind < 0 || kind >= kKindCount) return kUnknownKind;
  return *kByNumber[static_cast<std::size_t>(kind)];
}

}  // namespace tiermend::data::jet
