// Index pages: the bytes of a page, pages read back, damaged pages refused, and whole
// indexes built from sorted entries and read back by walking the leaves and by looking
// every key up from the root.
#include <gtest/gtest.h>

#include <map>
#include <stdexcept>

#include "data/providers/jet/format/ByteOrder.h"
#include "data/providers/jet/indexes/JetIndexBuilder.h"
#include "data/providers/jet/indexes/JetIndexKey.h"
#include "data/providers/jet/indexes/JetIndexReader.h"

namespace tiermend::data::jet {
namespace {

JetIndexKeyBytes longKey(std::int64_t value) {
  const JetIndexShape shape = {"t", "i", {{"id", JetKeyKind::Long, true}}};
  const JetKeyValue values[] = {value};
  return encodeIndexKey(shape, values);
}

// A file of index pages in memory, numbered from a first free page on.
struct PageFile {
  std::map<std::uint32_t, std::vector<std::uint8_t>> pages;
  std::uint32_t nextFree = 100;

  JetIndexPageAllocator allocator() {
    return [this] { return nextFree++; };
  }
  void store(const JetBuiltIndex& built) {
    for (const auto& page : built.pages) pages[page.number] = page.bytes;
  }
  JetIndexPageSource source() const {
    return [this](std::uint32_t number) {
      const auto found = pages.find(number);
      if (found == pages.end()) throw std::out_of_range("no page " + std::to_string(number));
      return found->second;
    };
  }
};

// A little-endian field of a page's header, at an offset the test states itself.
std::uint64_t little(const std::vector<std::uint8_t>& page, std::size_t at, std::size_t size) {
  if (at + size > page.size()) throw std::out_of_range("a field beyond the page");
  return loadLittle(page.data() + at, size);
}

TEST(JetIndexPageTest, AnEmptyIndexIsOneEmptyLeafPage) {
  PageFile file;
  const JetBuiltIndex built = buildIndexPages({}, 42, file.allocator());
  ASSERT_EQ(built.pages.size(), 1u);
  EXPECT_EQ(built.root, 100u);
  std::vector<std::uint8_t> expected(4096, 0);
  expected[0] = 0x04;
  expected[1] = 0x01;
  expected[2] = 0x20;  // 3616 bytes free
  expected[3] = 0x0e;
  expected[4] = 42;
  EXPECT_EQ(built.pages[0].bytes, expected);
}

TEST(JetIndexPageTest, ALeafPageHoldsItsEntriesAfterTheBitmapOfTheirEnds) {
  JetIndexPage page;
  page.tableDefinitionPage = 0x0102;
  page.previous = 7;
  page.next = 9;
  page.entries = {{longKey(1), {0x010203, 4}}, {longKey(2), {5, 0}}};
  const std::vector<std::uint8_t> bytes = writeIndexPage(page);
  EXPECT_EQ(little(bytes, 2, 2), 3616u - 18);
  EXPECT_EQ(little(bytes, 4, 4), 0x0102u);
  EXPECT_EQ(little(bytes, 12, 4), 7u);
  EXPECT_EQ(little(bytes, 16, 4), 9u);
  EXPECT_EQ(little(bytes, 20, 4), 0u);
  EXPECT_EQ(little(bytes, 24, 2), 0u);
  // Entries end 9 and 18 bytes in: bit 1 of byte 1 and bit 2 of byte 2.
  EXPECT_EQ(bytes[27], 0);
  EXPECT_EQ(bytes[28], 0x02);
  EXPECT_EQ(bytes[29], 0x04);
  const std::vector<std::uint8_t> entries(bytes.begin() + 480, bytes.begin() + 498);
  const std::vector<std::uint8_t> expected = {0x7f, 0x80, 0, 0, 1, 0x01, 0x02, 0x03, 4,
                                              0x7f, 0x80, 0, 0, 2, 0,    0,    5,    0};
  EXPECT_EQ(entries, expected);
  EXPECT_TRUE(std::all_of(bytes.begin() + 498, bytes.end(), [](std::uint8_t b) { return b == 0; }));
  EXPECT_EQ(readIndexPage(bytes, 1).entries, page.entries);
}

TEST(JetIndexPageTest, PagesReadBackAsWritten) {
  JetIndexPage leaf;
  leaf.entries = {{longKey(1), {3, 0}}, {longKey(1), {3, 1}}, {longKey(300), {4, 0}}};
  JetIndexPage shared = leaf;
  shared.prefixLength = 3;  // 7f 80 00
  JetIndexPage node = leaf;
  node.leaf = false;
  node.children = {11, 12, 13};
  node.tail = 14;
  node.previous = 20;
  JetIndexPage sharedNode = node;
  sharedNode.prefixLength = 3;
  for (const JetIndexPage& page : {leaf, shared, node, sharedNode}) {
    const JetIndexPage read = readIndexPage(writeIndexPage(page), 5);
    EXPECT_EQ(read.leaf, page.leaf);
    EXPECT_EQ(read.entries, page.entries);
    EXPECT_EQ(read.children, page.children);
    EXPECT_EQ(read.tail, page.tail);
    EXPECT_EQ(read.previous, page.previous);
    EXPECT_EQ(read.prefixLength, page.prefixLength);
  }
  // The shared prefix is written once: two entries lose three bytes each.
  EXPECT_EQ(little(writeIndexPage(shared), 2, 2), little(writeIndexPage(leaf), 2, 2) + 6);
}

TEST(JetIndexPageTest, PagesThatCannotBeWrittenAreRefused) {
  JetIndexPage unshared;
  unshared.entries = {{longKey(1), {3, 0}}, {longKey(70000), {3, 1}}};
  unshared.prefixLength = 4;
  JetIndexPage childless = unshared;
  childless.prefixLength = 0;
  childless.leaf = false;
  JetIndexPage farRow;
  farRow.entries = {{longKey(1), {0x1000000, 0}}};
  JetIndexPage overfull;
  for (int i = 0; i < 402; ++i) overfull.entries.push_back({longKey(i), {3, 0}});
  for (const JetIndexPage& page : {unshared, childless, farRow, overfull}) {
    EXPECT_THROW(writeIndexPage(page), std::invalid_argument);
  }
  overfull.entries.pop_back();  // 401 entries of 9 bytes fit in 3616
  EXPECT_NO_THROW(writeIndexPage(overfull));
}

TEST(JetIndexPageTest, DamagedPagesAreRefused) {
  JetIndexPage page;
  page.entries = {{longKey(1), {3, 0}}, {longKey(2), {3, 1}}};
  const std::vector<std::uint8_t> good = writeIndexPage(page);
  const struct {
    const char* what;
    std::function<void(std::vector<std::uint8_t>&)> damage;
  } cases[] = {
      {"a data page", [](auto& b) { b[0] = 0x01; }},
      {"too short", [](auto& b) { b.resize(2048); }},
      {"entries out of order",
       [](auto& b) { std::swap_ranges(b.begin() + 480, b.begin() + 489, b.begin() + 489); }},
      {"an entry shorter than its row", [](auto& b) { b[27] |= 0x04; }},
      {"an entry beyond the page", [](auto& b) { b[27 + 452] = 0x80; }},
      {"a prefix longer than the first entry", [](auto& b) { b[24] = 10; }},
  };
  for (const auto& c : cases) {
    std::vector<std::uint8_t> bytes = good;
    c.damage(bytes);
    EXPECT_THROW(readIndexPage(bytes, 8), JetIndexPageDamage) << c.what;
  }
}

TEST(JetIndexPageTest, ALeafChainThatLoopsIsReportedNotFollowed) {
  PageFile file;
  std::vector<JetIndexEntry> entries;
  for (int i = 0; i < 1000; ++i) entries.push_back({longKey(i), {3, 0}});
  const JetBuiltIndex built = buildIndexPages(entries, 2, file.allocator());
  file.store(built);
  // The second leaf page's next page: back to the first.
  file.pages[101][16] = 100;
  file.pages[101][17] = 0;
  const JetIndexReader reader(file.source(), built.root);
  EXPECT_THROW(reader.walk(), JetIndexPageDamage);
  EXPECT_FALSE(reader.faults().empty());
}

TEST(JetIndexBuilderTest, EntriesOutOfOrderOrTwiceAreRefusedBeforeAnyPageIsTaken) {
  PageFile file;
  const std::vector<JetIndexEntry> unsorted = {{longKey(2), {3, 0}}, {longKey(1), {3, 1}}};
  const std::vector<JetIndexEntry> twice = {{longKey(1), {3, 0}}, {longKey(1), {3, 0}}};
  const std::vector<JetIndexEntry> sameKeyRowsOutOfOrder = {{longKey(1), {4, 0}},
                                                            {longKey(1), {3, 0}}};
  for (const auto& entries : {unsorted, twice, sameKeyRowsOutOfOrder}) {
    EXPECT_THROW(buildIndexPages(entries, 2, file.allocator()), std::invalid_argument);
  }
  EXPECT_EQ(file.nextFree, 100u);
}

// Builds, checks the tree, walks it and looks every key up from the root.
void checkRoundTrip(const std::vector<JetIndexEntry>& entries, JetIndexBuildOptions options,
                    std::size_t minimumLevels) {
  PageFile file;
  const JetBuiltIndex built = buildIndexPages(entries, 2, file.allocator(), options);
  file.store(built);
  const JetIndexReader reader(file.source(), built.root);
  EXPECT_EQ(reader.faults(), std::vector<std::string>{});
  EXPECT_GE(built.levels, minimumLevels) << built.pages.size() << " pages";
  EXPECT_EQ(reader.levels(), built.levels);
  EXPECT_EQ(file.pages.size(), built.pages.size());
  ASSERT_EQ(reader.walk(), entries);
  std::size_t i = 0;
  while (i < entries.size()) {
    std::vector<JetRowId> expected;
    const std::size_t first = i;
    while (i < entries.size() && entries[i].key == entries[first].key) {
      expected.push_back(entries[i++].row);
    }
    ASSERT_EQ(reader.lookup(entries[first].key), expected) << "entry " << first;
  }
}

// A two-column key: a number and a text long enough that the tree has three levels.
JetIndexKeyBytes bracketKey(std::int64_t number) {
  const JetIndexShape shape = {
      "t", "i", {{"id", JetKeyKind::Long, true}, {"name", JetKeyKind::Text, false}}};
  std::u16string name = u"bracket row ";
  for (const char digit : std::to_string(number)) name += static_cast<char16_t>(digit);
  const JetKeyValue values[] = {number, name};
  return encodeIndexKey(shape, values);
}

TEST(JetIndexBuilderTest, AHundredThousandUniqueKeysMakeSeveralLevelsAndAreAllFound) {
  std::vector<JetIndexEntry> entries;
  for (std::int64_t i = 0; i < 100000; ++i) {
    entries.push_back(
        {bracketKey(i * 7 - 350000),
         {static_cast<std::uint32_t>(10 + i / 40), static_cast<std::uint8_t>(i % 40)}});
  }
  checkRoundTrip(entries, {}, 3);
  checkRoundTrip(entries, {.sharePrefixes = true}, 3);
  PageFile file;
  const JetBuiltIndex built = buildIndexPages(entries, 2, file.allocator());
  file.store(built);
  const JetIndexReader reader(file.source(), built.root);
  for (const std::int64_t absent : {1, -350001, 400000}) {
    EXPECT_TRUE(reader.lookup(bracketKey(absent)).empty()) << absent;
  }
}

TEST(JetIndexBuilderTest, AHundredThousandNumberKeysFillTwoLevels) {
  std::vector<JetIndexEntry> entries;
  for (std::int64_t i = 0; i < 100000; ++i) {
    entries.push_back(
        {longKey(i), {static_cast<std::uint32_t>(10 + i / 40), static_cast<std::uint8_t>(i % 40)}});
  }
  checkRoundTrip(entries, {}, 2);
  checkRoundTrip(entries, {.sharePrefixes = true}, 2);
}

TEST(JetIndexBuilderTest, RepeatedTextKeysAndNullsSpanPagesAndAreAllFound) {
  const JetIndexShape shape = {"t", "i", {{"name", JetKeyKind::Text, true}}};
  const std::u16string names[] = {u"部分工時", u"全時", u"abc", u"Abc ", u"é"};
  std::vector<JetIndexEntry> entries;
  for (std::uint32_t i = 0; i < 20000; ++i) {
    JetKeyValue value = std::monostate{};
    if (i % 6 != 5) value = names[i % 6] + std::u16string(i % 3, u'x');
    const JetKeyValue values[] = {value};
    entries.push_back(
        {encodeIndexKey(shape, values), {10 + i / 100, static_cast<std::uint8_t>(i % 100)}});
  }
  std::sort(entries.begin(), entries.end(), indexEntryLess);
  checkRoundTrip(entries, {}, 2);
  checkRoundTrip(entries, {.sharePrefixes = true}, 2);
}

TEST(JetIndexBuilderTest, FewEntriesMakeOneLeafRoot) {
  std::vector<JetIndexEntry> entries;
  for (int i = 0; i < 401; ++i) entries.push_back({longKey(i), {3, 0}});
  checkRoundTrip(entries, {}, 1);
  PageFile file;
  EXPECT_EQ(buildIndexPages(entries, 2, file.allocator()).levels, 1u);
  entries.push_back({longKey(401), {3, 0}});
  EXPECT_EQ(buildIndexPages(entries, 2, file.allocator()).levels, 2u);
}

}  // namespace
}  // namespace tiermend::data::jet
