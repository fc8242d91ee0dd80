// Hashing rows value by value.
#include "data/providers/jet/write/JetRowDigest.h"

#include <type_traits>

#include "data/providers/jet/read/JetCursor.h"

namespace tiermend::data::jet {

namespace {

void mix(std::uint64_t& hash, const void* data, std::size_t size) {
  hash = fnv1a(hash, data, size);
}

void mixText(std::uint64_t& hash, const std::string& text) {
  const std::uint64_t size = text.size();
  mix(hash, &size, sizeof size);
  mix(hash, text.data(), text.size());
}

void mixValue(std::uint64_t& hash, const Value& value) {
  const auto kind = static_cast<std::uint8_t>(value.index());
  mix(hash, &kind, 1);
  std::visit(
      [&hash](const auto& held) {
        using Held = std::decay_t<decltype(held)>;
        if constexpr (std::is_same_v<Held, bool>) {
          const std::uint8_t truth = held ? 1 : 0;
          mix(hash, &truth, 1);
        } else if constexpr (std::is_same_v<Held, std::int64_t> || std::is_same_v<Held, double>) {
          mix(hash, &held, sizeof held);
        } else if constexpr (std::is_same_v<Held, Decimal>) {
          mixText(hash, held.text);
        } else if constexpr (std::is_same_v<Held, std::string>) {
          mixText(hash, held);
        } else if constexpr (std::is_same_v<Held, DateTime>) {
          const int parts[] = {held.year,   held.month,  held.day,        held.hour,
                               held.minute, held.second, held.millisecond};
          mix(hash, parts, sizeof parts);
        } else if constexpr (std::is_same_v<Held, Bytes>) {
          const std::uint64_t size = held.size();
          mix(hash, &size, sizeof size);
          mix(hash, held.data(), held.size());
        }
      },
      value);
}

// Spreads the row hash over all 64 bits before it is summed (splitmix64's finaliser).
std::uint64_t spread(std::uint64_t x) {
  x = (x ^ (x >> 30)) * 0xbf58476d1ce4e5b9ull;
  x = (x ^ (x >> 27)) * 0x94d049bb133111ebull;
  return x ^ (x >> 31);
}

}  // namespace

std::uint64_t fnv1a(std::uint64_t hash, const void* data, std::size_t size) {
  constexpr std::uint64_t kFnvPrime = 0x100000001b3;
  const auto* bytes = static_cast<const std::uint8_t*>(data);
  for (std::size_t i = 0; i < size; ++i) hash = (hash ^ bytes[i]) * kFnvPrime;
  return hash;
}

void JetRowDigest::add(const std::vector<Value>& row) {
  std::uint64_t hash = kFnvOffsetBasis;
  for (const Value& value : row) mixValue(hash, value);
  ++rows_;
  sum_ += spread(hash);
}

JetRowDigest digestOfTable(const std::shared_ptr<JetDatabase>& database, const std::string& table) {
  JetCursor cursor(database, table, {});
  JetRowDigest digest;
  std::vector<Value> row;
  while (cursor.fetch(row)) digest.add(row);
  return digest;
}

}  // namespace tiermend::data::jet
