// An open-addressing set of index entries' positions, hashed by their keys.
#include "data/providers/jet/indexes/JetEntryKeySet.h"

#include <algorithm>
#include <functional>
#include <string_view>

namespace tiermend::data::jet {

namespace {

constexpr std::size_t kFirstSlots = 1024;  // a power of two

bool sameKey(const std::vector<std::uint8_t>& stored, std::span<const std::uint8_t> key) {
  return std::equal(stored.begin(), stored.end(), key.begin(), key.end());
}

}  // namespace

std::size_t JetEntryKeySet::slotOf(std::span<const std::uint8_t> key) const {
  const std::string_view bytes(reinterpret_cast<const char*>(key.data()), key.size());
  return std::hash<std::string_view>{}(bytes) & (slots_.size() - 1);
}

bool JetEntryKeySet::contains(const std::vector<JetIndexEntry>& entries,
                              std::span<const std::uint8_t> key) const {
  if (slots_.empty()) return false;
  for (std::size_t slot = slotOf(key);; slot = (slot + 1) & (slots_.size() - 1)) {
    const std::uint32_t position = slots_[slot];
    if (position == kEmpty) return false;
    if (sameKey(entries[position].key, key)) return true;
  }
}

void JetEntryKeySet::insert(const std::vector<JetIndexEntry>& entries, std::uint32_t position) {
  if (2 * (size_ + 1) > slots_.size()) grow(entries);
  std::size_t slot = slotOf(entries[position].key);
  while (slots_[slot] != kEmpty) slot = (slot + 1) & (slots_.size() - 1);
  slots_[slot] = position;
  ++size_;
}

void JetEntryKeySet::clear() {
  slots_.clear();
  size_ = 0;
}

void JetEntryKeySet::grow(const std::vector<JetIndexEntry>& entries) {
  std::vector<std::uint32_t> old = std::move(slots_);
  slots_.assign(std::max(kFirstSlots, 2 * old.size()), kEmpty);
  for (const std::uint32_t position : old) {
    if (position == kEmpty) continue;
    std::size_t slot = slotOf(entries[position].key);
    while (slots_[slot] != kEmpty) slot = (slot + 1) & (slots_.size() - 1);
    slots_[slot] = position;
  }
}

}  // namespace tiermend::data::jet
