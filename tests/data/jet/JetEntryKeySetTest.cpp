// The key set of a unique index: every key inserted is found and no other, through the
// set's growth, after the entries are put in another order, and after it is emptied.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "data/providers/jet/indexes/JetEntryKeySet.h"

namespace tiermend::data::jet {
namespace {

// A key of its own for each number, 3 to 42 bytes long, so that some are kept inside
// their entries and some are not; neighbours differ in one byte only.
JetIndexKeyBytes keyOf(std::uint32_t number) {
  JetIndexKeyBytes key(3 + number % 40, 0x7F);
  key[0] = static_cast<std::uint8_t>(number >> 16);
  key[1] = static_cast<std::uint8_t>(number >> 8);
  key[2] = static_cast<std::uint8_t>(number);
  return key;
}

std::vector<JetIndexEntry> entriesFor(std::uint32_t count) {
  std::vector<JetIndexEntry> entries;
  for (std::uint32_t i = 0; i < count; ++i) entries.push_back({keyOf(i), {i, 0}});
  return entries;
}

void expectExactly(JetEntryKeySet& set, const std::vector<JetIndexEntry>& entries,
                   std::uint32_t inserted, std::uint32_t absentUpTo) {
  for (std::uint32_t i = 0; i < absentUpTo; ++i) {
    EXPECT_EQ(set.contains(entries, keyOf(i)), i < inserted) << i;
  }
}

TEST(JetEntryKeySetTest, EveryInsertedKeyIsFoundAndNoOtherAsTheSetGrows) {
  const std::vector<JetIndexEntry> entries = entriesFor(20000);
  JetEntryKeySet set;
  EXPECT_FALSE(set.contains(entries, keyOf(0)));
  for (std::uint32_t i = 0; i < 15000; ++i) set.insert(entries, i);
  expectExactly(set, entries, 15000, 20000);
}

TEST(JetEntryKeySetTest, AfterTheEntriesAreReorderedTheirNewPositionsAreUsed) {
  std::vector<JetIndexEntry> entries = entriesFor(5000);
  JetEntryKeySet set;
  for (std::uint32_t i = 0; i < 3000; ++i) set.insert(entries, i);
  // The entries now hold only the first 3000 keys, in another order.
  entries.resize(3000);
  std::shuffle(entries.begin(), entries.end(), std::mt19937(7));
  set.reordered();
  expectExactly(set, entries, 3000, 5000);
  // An entry added after the reordering is found with the others.
  entries.push_back({keyOf(4000), {1, 1}});
  set.insert(entries, 3000);
  EXPECT_TRUE(set.contains(entries, keyOf(4000)));
  EXPECT_TRUE(set.contains(entries, keyOf(2999)));
  EXPECT_FALSE(set.contains(entries, keyOf(4001)));
}

TEST(JetEntryKeySetTest, AnEmptiedSetFindsNothingAndTakesKeysAgain) {
  const std::vector<JetIndexEntry> entries = entriesFor(3000);
  JetEntryKeySet set;
  for (std::uint32_t i = 0; i < 3000; ++i) set.insert(entries, i);
  set.clear();
  expectExactly(set, entries, 0, 3000);
  for (std::uint32_t i = 0; i < 100; ++i) set.insert(entries, i);
  expectExactly(set, entries, 100, 3000);
}

}  // namespace
}  // namespace tiermend::data::jet
