// Usage maps held in memory: the pages the writer's map records are the pages the
// reader's decoder lists, in both map kinds; two map objects on one row see each other's
// change of kind, the global map's window moves to a page added at the end, a reference
// map too short for a page says so, and maps that do not add up are refused in the
// reader's words (naming the map) and the writer's (naming the map's page).
#include <gtest/gtest.h>

#include <functional>
#include <numeric>
#include <string>
#include <vector>

#include "JetTestSupport.h"
#include "data/providers/jet/pages/JetDataPage.h"
#include "data/providers/jet/pages/JetPageCache.h"
#include "data/providers/jet/pages/JetUsageMap.h"
#include "tests/support/FailureText.h"

namespace tiermend::data::jet {
namespace {

const JetFormat& kFormat = kJet4Format;
// The inline map Access makes: a kind byte, a start page and 59 bytes of bitmap.
constexpr std::size_t kInlineRowBytes = 64;
constexpr std::size_t kInlineCapacity = (kInlineRowBytes - kInlineMapBitmapStart) * 8;

std::vector<std::uint8_t> inlineRow(std::uint32_t start) {
  std::vector<std::uint8_t> row(kInlineRowBytes, 0);
  row[0] = kUsageMapInline;
  storeU32(row.data() + kInlineMapStartPageOffset, start);
  return row;
}

std::vector<std::uint8_t> referenceRow(const std::vector<std::uint32_t>& mapPages) {
  std::vector<std::uint8_t> row(kReferenceMapPagesOffset + 4 * mapPages.size(), 0);
  row[0] = kUsageMapReference;
  for (std::size_t i = 0; i < mapPages.size(); ++i) {
    storeU32(row.data() + kReferenceMapPagesOffset + 4 * i, mapPages[i]);
  }
  return row;
}

// Pages 0 to pages - 1, blank but for page 1, a data page holding mapRow as its row 0
// (where the global map lies).
JetMemoryPages storeWithMapRow(std::uint32_t pages, const std::vector<std::uint8_t>& mapRow) {
  JetMemoryPages store(static_cast<int>(kFormat.pageSize));
  const Page blank(kFormat.pageSize, 0);
  Page holder(kFormat.pageSize, 0);
  JetDataPage::initialise(holder, false, 0);
  JetDataPage(holder, false).addRow(mapRow.data(), mapRow.size());
  store.append(blank);
  store.append(holder);
  while (store.pageCount() < pages) store.append(blank);
  return store;
}

// What the reader's decoder lists from the map row as the store now holds it; pages past
// the file's end are listed too, as the writer's free-space maps may name them.
std::vector<std::uint32_t> listedByTheReader(const JetPageStore& store,
                                             bool pastTheEndIsDamage = false) {
  const Page holder = store.read(1);
  JetRowBounds bounds;
  EXPECT_TRUE(rowBounds(holder, kFormat, 0, bounds));
  const PageReader read = [&store](std::uint32_t number, std::vector<std::uint8_t>& buffer) {
    store.read(number, buffer);
    return true;
  };
  return pagesOfMap(holder.data() + bounds.start, bounds.end - bounds.start,
                    {kFormat.pageSize, store.pageCount(), pastTheEndIsDamage}, read);
}

std::vector<std::uint32_t> run(std::uint32_t first, std::uint32_t last) {
  std::vector<std::uint32_t> pages(last - first + 1);
  std::iota(pages.begin(), pages.end(), first);
  return pages;
}

TEST(JetUsageMapInMemoryTest, TheReaderListsThePagesTheWriterRecordsInBothMapForms) {
  const std::vector<std::vector<std::uint32_t>> cases = {
      {},
      {3, 10, 400},        // inside what the inline map covers
      {3, 10, 400, 1500},  // too far apart for it: the map becomes a reference map
      {600, 700, 1000},    // the inline window moves forward instead
  };
  for (const auto& wanted : cases) {
    SCOPED_TRACE(::testing::PrintToString(wanted));
    JetMemoryPages store = storeWithMapRow(2000, inlineRow(0));
    JetPageCache cache(store);
    JetUsageMap map(cache, kGlobalMapPointer);
    const JetUsageMap::PageAllocator allocate = [&store](const Page& page) {
      return store.append(page);
    };
    for (std::uint32_t page : wanted) map.add(page, allocate);
    cache.flush();
    EXPECT_EQ(map.pages(), wanted);
    EXPECT_EQ(listedByTheReader(store, true), wanted);
    if (!wanted.empty()) {
      map.remove(wanted.front());
      cache.flush();
      const std::vector<std::uint32_t> rest(wanted.begin() + 1, wanted.end());
      EXPECT_EQ(listedByTheReader(store, true), rest);
    }
  }
}

TEST(JetUsageMapTest, TwoMapObjectsOnOneRowFollowTheOthersChangeOfKind) {
  JetMemoryPages store = storeWithMapRow(2000, inlineRow(0));
  JetPageCache cache(store);
  const JetUsageMap::PageAllocator allocate = [&store](const Page& page) {
    return store.append(page);
  };
  JetUsageMap first(cache, kGlobalMapPointer);
  JetUsageMap second(cache, kGlobalMapPointer);
  first.add(3, allocate);
  first.add(1500, allocate);  // too far from page 3 for the inline window
  EXPECT_FALSE(second.isInline());
  EXPECT_TRUE(second.contains(1500));
  second.add(1600, allocate);
  second.remove(3);
  EXPECT_EQ(first.pages(), (std::vector<std::uint32_t>{1500, 1600}));
  cache.flush();
  EXPECT_EQ(listedByTheReader(store), (std::vector<std::uint32_t>{1500, 1600}));
}

TEST(JetUsageMapTest, TheGlobalMapsWindowMovesToAPageAddedPastItsEnd) {
  // The file ends with page 600, just added; the window covers pages 0 to 471.
  JetMemoryPages store = storeWithMapRow(601, inlineRow(0));
  JetPageCache cache(store);
  JetUsageMap global(cache, kGlobalMapPointer);
  global.markAllocated(600);
  // The window starts at the new page, in use; the pages after it lie past the file's
  // end and are free.
  const std::vector<std::uint32_t> free = run(601, 600 + kInlineCapacity - 1);
  EXPECT_EQ(global.pages(), free);
  global.markAllocated(20);  // before the window: counted as in use already
  global.markAllocated(601);
  cache.flush();
  EXPECT_EQ(listedByTheReader(store), run(602, 600 + kInlineCapacity - 1));
}

TEST(JetUsageMapTest, AReferenceMapWithTooFewMapPagesIsDamageForAPageBeyondThem) {
  // Two map pages' worth of pages, neither map page made yet.
  JetMemoryPages store = storeWithMapRow(10, referenceRow({0, 0}));
  JetPageCache cache(store);
  const JetUsageMap::PageAllocator allocate = [&store](const Page& page) {
    return store.append(page);
  };
  JetUsageMap map(cache, kGlobalMapPointer);
  map.add(7, allocate);
  EXPECT_EQ(map.pages(), std::vector<std::uint32_t>{7});
  const auto beyond = static_cast<std::uint32_t>(2 * kFormat.pagesPerMapPage());
  EXPECT_EQ(testing::failureOf([&] { map.add(beyond, allocate); }),
            "The database file is damaged: the page usage map on page 1 has room for " +
                std::to_string(beyond) + " pages, not for page " + std::to_string(beyond) + ".");
  EXPECT_FALSE(map.contains(beyond));
}

struct BrokenMap {
  const char* name;
  std::function<std::vector<std::uint8_t>()> row;
  const char* readerWords;  // the words the reader's decoder throws
};

class JetBrokenUsageMap : public ::testing::TestWithParam<BrokenMap> {};

TEST_P(JetBrokenUsageMap, IsRefusedByTheReaderAndTheWriter) {
  JetMemoryPages store = storeWithMapRow(10, GetParam().row());
  EXPECT_EQ(testing::failureMessageOf<std::runtime_error>([&] { listedByTheReader(store); }),
            GetParam().readerWords);
  JetPageCache cache(store);
  EXPECT_EQ(testing::failureOf([&] { JetUsageMap(cache, kGlobalMapPointer).pages(); }),
            "The database file is damaged: a page usage map on page 1 does not add up, so the "
            "file cannot be written.");
}

INSTANTIATE_TEST_SUITE_P(
    Maps, JetBrokenUsageMap,
    ::testing::Values(BrokenMap{"OfAnUnknownKind",
                                [] {
                                  std::vector<std::uint8_t> row = inlineRow(0);
                                  row[0] = 7;
                                  return row;
                                },
                                "its page map is of an unknown kind (7)"},
                      BrokenMap{"NamingABlankPageAsItsMapPage",
                                [] {
                                  return referenceRow({0, 5});
                                },
                                "its page map names page 5 as a map page, which it is not"},
                      BrokenMap{"NamingAMapPageBeyondTheFile",
                                [] {
                                  return referenceRow({9000, 0});
                                },
                                "its page map names map page 9000, beyond the end of the file"}),
    [](const ::testing::TestParamInfo<BrokenMap>& info) { return std::string(info.param.name); });

// A map whose window or pages lie beyond the file says so, naming the table whose map it
// is (the file for the global map), before the writer widens it into a map that cannot
// be written. The global map's window may reach past the end; a table's may not.
TEST(JetUsageMapTest, AMapReachingBeyondTheFileIsDamageOfItsTable) {
  struct Case {
    const char* what;
    std::vector<std::uint8_t> row;
    const char* owner;
    const char* failure;
  };
  std::vector<std::uint8_t> pastTheEnd = inlineRow(0);
  pastTheEnd[kInlineMapBitmapStart + 1] = 0x10;  // page 12 of a file of 10
  const Case cases[] = {
      {"a table's window starting past the end", inlineRow(15728640), "labor",
       "The table 'labor' in the file is damaged: its page usage map on page 1 starts at page "
       "15728640, beyond the end of the file."},
      {"the global map's window starting past the end", inlineRow(15728640), "",
       "The database file is damaged: the page usage map on page 1 starts at page 15728640, "
       "beyond the end of the file."},
      {"a table's map naming a page past the end", pastTheEnd, "labor",
       "The table 'labor' in the file is damaged: its page map names page 12, beyond the end "
       "of the file."},
      {"the global map naming a page past the end", pastTheEnd, "", "(no failure)"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    JetMemoryPages store = storeWithMapRow(10, c.row);
    JetPageCache cache(store);
    EXPECT_EQ(testing::failureOf([&] { JetUsageMap(cache, kGlobalMapPointer, c.owner).pages(); }),
              c.failure);
  }
}

}  // namespace
}  // namespace tiermend::data::jet
