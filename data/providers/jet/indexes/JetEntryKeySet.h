// The keys a unique index holds so far, for the check as each row is posted: a hash
// table of positions in the index's own list of entries, so that every key is kept once
// in memory (in its entry) and looked up without being copied. The table is open
// addressing in one array, four bytes a slot, grown to keep it at most half full.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "data/providers/jet/indexes/JetIndexPage.h"

namespace tiermend::data::jet {

class JetEntryKeySet {
 public:
  // Whether an entry of entries whose position was inserted has this key.
  bool contains(const std::vector<JetIndexEntry>& entries, std::span<const std::uint8_t> key) const;
  // Adds the entry at position of entries.
  void insert(const std::vector<JetIndexEntry>& entries, std::uint32_t position);
  // Forgets every position; insert them again after the entries are reordered.
  void clear();

 private:
  static constexpr std::uint32_t kEmpty = UINT32_MAX;
  std::size_t slotOf(std::span<const std::uint8_t> key) const;
  void grow(const std::vector<JetIndexEntry>& entries);

  std::vector<std::uint32_t> slots_;
  std::size_t size_ = 0;
};

}  // namespace tiermend::data::jet
