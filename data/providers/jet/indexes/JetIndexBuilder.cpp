// Building a Jet 4 index's pages from its sorted entries, leaves first, then node levels.
#include "data/providers/jet/indexes/JetIndexBuilder.h"

#include <algorithm>
#include <stdexcept>
#include <string>

#include "data/providers/jet/indexes/JetIndexKey.h"

namespace tiermend::data::jet {
namespace {

// A page of the level below, as the level above refers to it.
struct Child {
  std::uint32_t page = 0;
  JetIndexEntry last;
};

// Adds entries to a page one by one while they fit, keeping track of the prefix they
// would share.
class PageFill {
 public:
  PageFill(bool leaf, bool sharePrefixes) : leaf_(leaf), sharePrefixes_(sharePrefixes) {}

  bool fits(const JetIndexEntry& candidate) const {
    if (count_ == 0) return indexEntrySize(candidate, leaf_) <= kIndexEntriesSpace;
    const std::size_t prefix = std::min(prefix_, sharedWithFirst(candidate));
    const std::size_t sizes = sizes_ + indexEntrySize(candidate, leaf_);
    return sizes - count_ * prefix <= kIndexEntriesSpace;
  }

  void add(const JetIndexEntry& entry) {
    if (count_ == 0) {
      first_ = &entry;
      prefix_ = sharePrefixes_ ? entry.key.size() : 0;
    } else {
      prefix_ = std::min(prefix_, sharedWithFirst(entry));
    }
    sizes_ += indexEntrySize(entry, leaf_);
    ++count_;
  }

  std::size_t prefix() const { return prefix_; }

 private:
  std::size_t sharedWithFirst(const JetIndexEntry& entry) const {
    if (!sharePrefixes_) return 0;
    const auto limit = std::min(first_->key.size(), entry.key.size());
    std::size_t length = 0;
    while (length < limit && first_->key[length] == entry.key[length]) ++length;
    return length;
  }

  bool leaf_;
  bool sharePrefixes_;
  const JetIndexEntry* first_ = nullptr;
  std::size_t prefix_ = 0;
  std::size_t sizes_ = 0;
  std::size_t count_ = 0;
};

void checkEntries(std::span<const JetIndexEntry> entries) {
  for (std::size_t i = 0; i < entries.size(); ++i) {
    if (entries[i].key.size() > kMaxIndexKeyBytes) {
      throw std::invalid_argument("An index key of " + std::to_string(entries[i].key.size()) +
                                  " bytes is too long for an index page");
    }
    if (i > 0 && !indexEntryLess(entries[i - 1], entries[i])) {
      throw std::invalid_argument("Index entries must be in index order, each row once");
    }
  }
}

// A page of a level being built: a leaf page's entries are a run of the index's sorted
// entries, not a copy of them; a node page's are its own.
struct LevelPage {
  JetIndexPage page;
  std::span<const JetIndexEntry> entries;
};

// Leaf pages: as many entries to a page as fit.
std::vector<LevelPage> leafPages(std::span<const JetIndexEntry> entries, bool sharePrefixes) {
  std::vector<LevelPage> pages;
  std::size_t i = 0;
  while (i < entries.size()) {
    PageFill fill(true, sharePrefixes);
    const std::size_t first = i;
    while (i < entries.size() && fill.fits(entries[i])) fill.add(entries[i++]);
    LevelPage leaf;
    leaf.page.prefixLength = fill.prefix();
    leaf.entries = entries.subspan(first, i - first);
    pages.push_back(std::move(leaf));
  }
  return pages;
}

// Node pages over `children`: each page has an entry for each of its children but the
// last, which is its tail. A page takes children while the entries of all but the
// newest fit.
std::vector<LevelPage> nodePages(const std::vector<Child>& children, bool sharePrefixes) {
  std::vector<LevelPage> pages;
  std::size_t i = 0;
  while (i < children.size()) {
    PageFill fill(false, sharePrefixes);
    JetIndexPage page;
    page.leaf = false;
    std::size_t tail = i++;
    while (i < children.size() && fill.fits(children[tail].last)) {
      fill.add(children[tail].last);
      page.entries.push_back(children[tail].last);
      page.children.push_back(children[tail].page);
      tail = i++;
    }
    if (page.entries.empty()) {
      // A page with one child holds it as an entry, without a tail.
      page.entries.push_back(children[tail].last);
      page.children.push_back(children[tail].page);
    } else {
      page.tail = children[tail].page;
    }
    page.prefixLength = fill.prefix();
    if (page.tail == 0) page.prefixLength = sharePrefixes ? sharedKeyPrefix(page.entries) : 0;
    pages.push_back({std::move(page), {}});
    pages.back().entries = pages.back().page.entries;
  }
  return pages;
}

// Numbers the level's pages, chains them, writes them, and says what the level above
// needs of each.
std::vector<Child> writeLevel(std::vector<LevelPage>& pages, std::uint32_t tableDefinitionPage,
                              const JetIndexPageAllocator& allocatePage,
                              const std::vector<Child>& below, JetBuiltIndex& built) {
  std::vector<std::uint32_t> numbers;
  for (std::size_t i = 0; i < pages.size(); ++i) numbers.push_back(allocatePage());
  std::vector<Child> level;
  std::size_t childIndex = 0;
  for (std::size_t i = 0; i < pages.size(); ++i) {
    JetIndexPage& page = pages[i].page;
    const std::span<const JetIndexEntry> entries = pages[i].entries;
    page.tableDefinitionPage = tableDefinitionPage;
    page.previous = i > 0 ? numbers[i - 1] : 0;
    page.next = i + 1 < pages.size() ? numbers[i + 1] : 0;
    built.pages.push_back({numbers[i], writeIndexPage(page, entries)});
    if (page.leaf) {
      level.push_back({numbers[i], entries.back()});
    } else {
      childIndex += entries.size() + (page.tail != 0 ? 1 : 0);
      level.push_back({numbers[i], below[childIndex - 1].last});
    }
  }
  return level;
}

}  // namespace

JetBuiltIndex buildIndexPages(std::span<const JetIndexEntry> entries,
                              std::uint32_t tableDefinitionPage,
                              const JetIndexPageAllocator& allocatePage,
                              JetIndexBuildOptions options) {
  checkEntries(entries);
  JetBuiltIndex built;
  if (entries.empty()) {
    built.root = allocatePage();
    JetIndexPage root;
    root.tableDefinitionPage = tableDefinitionPage;
    built.pages.push_back({built.root, writeIndexPage(root)});
    return built;
  }
  std::vector<LevelPage> pages = leafPages(entries, options.sharePrefixes);
  std::vector<Child> level = writeLevel(pages, tableDefinitionPage, allocatePage, {}, built);
  while (level.size() > 1) {
    pages = nodePages(level, options.sharePrefixes);
    level = writeLevel(pages, tableDefinitionPage, allocatePage, level, built);
    ++built.levels;
  }
  built.root = level.front().page;
  return built;
}

}  // namespace tiermend::data::jet
