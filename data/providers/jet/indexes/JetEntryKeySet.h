// The keys a unique index holds so far, for the check as each row is posted: a hash
// table of positions in the index's own list of entries, so that every key is kept once
// in memory (in its entry) and looked up without being copied. The table is open
// addressing in one array, grown to keep it at most half full. Each slot keeps its key's
// 32-bit hash beside the position, so that a probe reads an entry's key only when the
// hashes agree (most probes never leave the array), and growing reads no key.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "data/providers/jet/indexes/JetIndexPage.h"

namespace tiermend::data::jet {

class JetEntryKeySet {
 public:
  // Whether an entry of entries whose position was inserted has this key.
  bool contains(const std::vector<JetIndexEntry>& entries, std::span<const std::uint8_t> key);
  // Adds the entry at position of entries.
  void insert(const std::vector<JetIndexEntry>& entries, std::uint32_t position);
  // Forgets every position.
  void clear();
  // The entries were put in another order: the positions are taken again from entries
  // when the set is next used, every entry from the first to the last.
  void reordered();

 private:
  struct Slot {
    std::uint32_t position;
    std::uint32_t hash;
  };
  static constexpr std::uint32_t kEmpty = UINT32_MAX;

  void rebuildIfReordered(const std::vector<JetIndexEntry>& entries);
  void place(std::uint32_t hash, std::uint32_t position);
  void put(Slot filled);
  void grow();

  std::vector<Slot> slots_;
  std::size_t size_ = 0;
  bool reordered_ = false;
};

}  // namespace tiermend::data::jet
