// An open-addressing set of index entries' positions, hashed by their keys.
#include "data/providers/jet/indexes/JetEntryKeySet.h"

#include <algorithm>

namespace tiermend::data::jet {

namespace {

constexpr std::size_t kFirstSlots = 1024;  // a power of two

// FNV-1a over the key's bytes, then a final mix so that the low 32 bits depend on every
// byte. Keys are a few bytes long, where this is cheaper than the library's string hash.
// The slot is taken from the same bits, so the set grows without hashing keys again.
std::uint32_t hashOf(std::span<const std::uint8_t> key) {
  std::uint64_t hash = 0xcbf29ce484222325u;
  for (const std::uint8_t byte : key) hash = (hash ^ byte) * 0x100000001b3u;
  hash ^= hash >> 33;
  hash *= 0xff51afd7ed558ccdu;
  hash ^= hash >> 33;
  return static_cast<std::uint32_t>(hash);
}

bool sameKey(const JetIndexKeyBytes& stored, std::span<const std::uint8_t> key) {
  return std::equal(stored.begin(), stored.end(), key.begin(), key.end());
}

}  // namespace

bool JetEntryKeySet::contains(const std::vector<JetIndexEntry>& entries,
                              std::span<const std::uint8_t> key) {
  rebuildIfReordered(entries);
  if (slots_.empty()) return false;
  const std::uint32_t hash = hashOf(key);
  const std::size_t mask = slots_.size() - 1;
  for (std::size_t slot = hash & mask;; slot = (slot + 1) & mask) {
    const Slot& at = slots_[slot];
    if (at.position == kEmpty) return false;
    if (at.hash == hash && sameKey(entries[at.position].key, key)) return true;
  }
}

void JetEntryKeySet::insert(const std::vector<JetIndexEntry>& entries, std::uint32_t position) {
  rebuildIfReordered(entries);
  place(hashOf(entries[position].key), position);
}

void JetEntryKeySet::clear() {
  std::fill(slots_.begin(), slots_.end(), Slot{kEmpty, 0});
  size_ = 0;
  reordered_ = false;
}

void JetEntryKeySet::reordered() {
  reordered_ = true;
}

// Keeps its slots: a table refilled after being emptied needs about as many again.
void JetEntryKeySet::rebuildIfReordered(const std::vector<JetIndexEntry>& entries) {
  if (!reordered_) return;
  clear();
  for (std::size_t e = 0; e < entries.size(); ++e) {
    place(hashOf(entries[e].key), static_cast<std::uint32_t>(e));
  }
}

void JetEntryKeySet::place(std::uint32_t hash, std::uint32_t position) {
  if (2 * (size_ + 1) > slots_.size()) grow();
  put({position, hash});
  ++size_;
}

void JetEntryKeySet::put(Slot filled) {
  const std::size_t mask = slots_.size() - 1;
  std::size_t slot = filled.hash & mask;
  while (slots_[slot].position != kEmpty) slot = (slot + 1) & mask;
  slots_[slot] = filled;
}

// Each slot's hash says where it goes in the larger array: no key is read.
void JetEntryKeySet::grow() {
  std::vector<Slot> old = std::move(slots_);
  slots_.assign(std::max(kFirstSlots, 2 * old.size()), Slot{kEmpty, 0});
  for (const Slot& slot : old) {
    if (slot.position != kEmpty) put(slot);
  }
}

}  // namespace tiermend::data::jet
