// The two kinds of usage map, inline and reference, each one handler with its decoder
// and its encoder side by side; the reader's listing of a map row, and the map the
// writer changes in place, both go through them.
#include "data/providers/jet/pages/JetUsageMap.h"

#include <algorithm>
#include <stdexcept>

#include "data/EngineError.h"
#include "data/providers/jet/format/JetDamage.h"
#include "data/providers/jet/pages/JetDataPage.h"

namespace tiermend::data::jet {

// Where a map lies for the writer: its row on the holder page, read and changed through
// the page cache.
struct JetMapRow {
  JetPageCache* cache = nullptr;
  std::uint32_t holderPage = 0;
  std::size_t start = 0;
  std::size_t length = 0;
  std::string owner;  // the table whose map it is; empty for the global map

  std::uint8_t* bytes() const { return cache->page(holderPage).data() + start; }
  void changed() const { cache->changed(holderPage); }
  JetPageStore& file() const { return cache->file(); }
  std::size_t pageSize() const { return static_cast<std::size_t>(file().pageSize()); }
  // The global map may name pages past the end of the file (free, when they come);
  // a table's maps name pages of the file only.
  JetPageMapLayout layout() const { return {pageSize(), file().pageCount(), !owner.empty()}; }
  // Damage of the map, in words that follow "is damaged: ", naming the table whose map
  // it is, or the file for the global map.
  [[noreturn]] void damaged(const std::string& how) const {
    if (owner.empty()) throw damagedFile(file().shownPath(), how);
    throw damagedTable(owner, file().shownPath(), how);
  }
  [[noreturn]] void damaged() const {
    damaged((owner.empty() ? "a page usage map on page " : "its page usage map on page ") +
            std::to_string(holderPage) + " does not add up, so the file cannot be written");
  }
};

class JetMapKind {
 public:
  explicit JetMapKind(const JetMapRow& row) : row_(row) {}
  virtual ~JetMapKind() = default;

  const JetMapRow& row() const { return row_; }
  virtual std::uint8_t type() const = 0;
  // The decoder: the pages whose bit is set, ascending. Throws std::runtime_error when
  // the map does not add up.
  virtual std::vector<std::uint32_t> pages() const = 0;
  virtual bool contains(std::uint32_t page) const = 0;
  // The encoder: sets a page's bit; false when a map of this kind cannot hold the page
  // beside the pages it lists.
  virtual bool add(std::uint32_t page, const JetUsageMap::PageAllocator& allocate) = 0;
  virtual void remove(std::uint32_t page) = 0;
  virtual void markAllocated(std::uint32_t page) = 0;

 protected:
  JetMapRow row_;
};

namespace {

constexpr auto kMapPageType = static_cast<std::uint8_t>(JetPageType::UsageMap);
constexpr std::size_t kBitsPerByte = 8;

// What the reader says of a map that does not add up; the caller names the table.
[[noreturn]] void damagedMap(const std::string& what) {
  throw std::runtime_error("its page map " + what);
}

bool bitIsSet(const std::uint8_t* bitmap, std::size_t bit) {
  return (bitmap[bit / kBitsPerByte] >> (bit % kBitsPerByte) & 1) != 0;
}

void setBit(std::uint8_t* bitmap, std::size_t bit, bool on) {
  std::uint8_t& byte = bitmap[bit / kBitsPerByte];
  const auto mask = static_cast<std::uint8_t>(1u << (bit % kBitsPerByte));
  byte = on ? static_cast<std::uint8_t>(byte | mask) : static_cast<std::uint8_t>(byte & ~mask);
}

// Adds the pages whose bits are set in bitmap[0, bytes), the first bit standing for first.
void addPagesOfBitmap(const std::uint8_t* bitmap, std::size_t bytes, std::uint64_t first,
                      const JetPageMapLayout& layout, std::vector<std::uint32_t>& pages) {
  for (std::size_t byte = 0; byte < bytes; ++byte) {
    if (bitmap[byte] == 0) continue;
    for (std::size_t bit = 0; bit < kBitsPerByte; ++bit) {
      if ((bitmap[byte] & (1u << bit)) == 0) continue;
      const std::uint64_t page = first + byte * kBitsPerByte + bit;
      if (page > UINT32_MAX || (page >= layout.pageCount && layout.pagesBeyondTheEndAreDamage)) {
        damagedMap("names page " + std::to_string(page) + ", beyond the end of the file");
      }
      pages.push_back(static_cast<std::uint32_t>(page));
    }
  }
}

// Inline: the start page, then in the row itself a bitmap of the pages from it on.
class InlineMap final : public JetMapKind {
 public:
  using JetMapKind::JetMapKind;

  static void decode(const std::uint8_t* map, std::size_t mapSize, const JetPageMapLayout& layout,
                     std::vector<std::uint32_t>& pages) {
    if (mapSize < kInlineMapBitmapStart) damagedMap("is cut short");
    addPagesOfBitmap(map + kInlineMapBitmapStart, mapSize - kInlineMapBitmapStart,
                     loadU32(map + kInlineMapStartPageOffset), layout, pages);
  }

  std::uint8_t type() const override { return kUsageMapInline; }

  std::vector<std::uint32_t> pages() const override {
    std::vector<std::uint32_t> pages;
    decode(row_.bytes(), row_.length, row_.layout(), pages);
    return pages;
  }

  bool contains(std::uint32_t page) const override {
    return covers(page) && bitIsSet(bitmap(), page - start());
  }

  // A page outside the window moves it when all the pages then fit in it.
  bool add(std::uint32_t page, const JetUsageMap::PageAllocator&) override {
    if (covers(page)) {
      setPage(page, true);
      return true;
    }
    std::vector<std::uint32_t> all = pages();
    all.push_back(page);
    std::sort(all.begin(), all.end());
    if (all.back() - all.front() >= capacity()) return false;
    rewrite(all.front(), all);
    return true;
  }

  void remove(std::uint32_t page) override {
    if (contains(page)) setPage(page, false);
  }

  void markAllocated(std::uint32_t page) override {
    if (page < start()) return;  // pages before the window count as in use
    if (covers(page)) {
      remove(page);
      return;
    }
    // Move the window so that it starts at the new page: keep the free pages it still
    // covers, mark the pages past the file's end free and all others in use.
    const std::uint32_t fileEnd = row_.file().pageCount();
    const std::uint32_t newStart = page;
    std::vector<std::uint32_t> free;
    for (std::uint32_t number : pages()) {
      if (number >= newStart && number != page) free.push_back(number);
    }
    for (std::uint32_t number = std::max(fileEnd, page + 1); number - newStart < capacity();
         ++number) {
      free.push_back(number);
    }
    std::sort(free.begin(), free.end());
    free.erase(std::unique(free.begin(), free.end()), free.end());
    rewrite(newStart, free);
  }

 private:
  std::uint32_t start() const { return loadU32(row_.bytes() + kInlineMapStartPageOffset); }
  std::uint8_t* bitmap() const { return row_.bytes() + kInlineMapBitmapStart; }
  std::size_t capacity() const { return (row_.length - kInlineMapBitmapStart) * kBitsPerByte; }
  bool covers(std::uint32_t page) const {
    const std::uint32_t first = start();
    return page >= first && page - first < capacity();
  }

  void setPage(std::uint32_t page, bool on) {
    setBit(bitmap(), page - start(), on);
    row_.changed();
  }

  // Starts the window at first and sets the bits of pages, all inside it.
  void rewrite(std::uint32_t first, const std::vector<std::uint32_t>& pages) {
    std::fill(bitmap(), row_.bytes() + row_.length, 0);
    storeU32(row_.bytes() + kInlineMapStartPageOffset, first);
    for (std::uint32_t number : pages) {
      if (number >= first && number - first < capacity()) setBit(bitmap(), number - first, true);
    }
    row_.changed();
  }
};

// Reference: the page numbers of usage-map pages, the k-th holding the bitmap of the
// k-th stretch of pages.
class ReferenceMap final : public JetMapKind {
 public:
  using JetMapKind::JetMapKind;

  static void decode(const std::uint8_t* map, std::size_t mapSize, const JetPageMapLayout& layout,
                     const PageReader& read, std::vector<std::uint32_t>& pages) {
    const std::size_t bitmapBytes = layout.pageSize - kMapPageBitmapStart;
    const std::size_t entries = (mapSize - kReferenceMapPagesOffset) / kReferenceMapPageEntrySize;
    std::vector<std::uint8_t> buffer(layout.pageSize);
    for (std::size_t entry = 0; entry < entries; ++entry) {
      const auto mapPage =
          loadU32(map + kReferenceMapPagesOffset + entry * kReferenceMapPageEntrySize);
      if (mapPage == 0) continue;
      if (mapPage >= layout.pageCount) {
        damagedMap("names map page " + std::to_string(mapPage) + ", beyond the end of the file");
      }
      if (!read(mapPage, buffer)) {
        damagedMap("page " + std::to_string(mapPage) + " cannot be read");
      }
      if (buffer[0] != kMapPageType) {
        damagedMap("names page " + std::to_string(mapPage) + " as a map page, which it is not");
      }
      addPagesOfBitmap(buffer.data() + kMapPageBitmapStart, bitmapBytes,
                       static_cast<std::uint64_t>(entry) * bitmapBytes * kBitsPerByte, layout,
                       pages);
    }
  }

  // Turns the map in row into a reference map listing pages; its map pages come from
  // allocate.
  static std::unique_ptr<ReferenceMap> replacing(const JetMapRow& row,
                                                 const std::vector<std::uint32_t>& pages,
                                                 const JetUsageMap::PageAllocator& allocate) {
    std::uint8_t* bytes = row.bytes();
    bytes[0] = kUsageMapReference;
    std::fill(bytes + kReferenceMapPagesOffset, bytes + row.length, 0);
    row.changed();
    auto map = std::make_unique<ReferenceMap>(row);
    for (std::uint32_t number : pages) map->setPage(number, true, &allocate);
    return map;
  }

  std::uint8_t type() const override { return kUsageMapReference; }

  std::vector<std::uint32_t> pages() const override {
    const PageReader read = [this](std::uint32_t number, std::vector<std::uint8_t>& buffer) {
      buffer = row_.cache->page(number);
      return true;
    };
    std::vector<std::uint32_t> pages;
    decode(row_.bytes(), row_.length, row_.layout(), read, pages);
    return pages;
  }

  bool contains(std::uint32_t page) const override {
    const std::size_t index = page / pagesPerMapPage();
    if (index >= referenceCount()) return false;
    const std::uint32_t mapPage = referenceAt(index);
    if (mapPage == 0) return false;
    return bitIsSet(row_.cache->page(mapPage).data() + kMapPageBitmapStart,
                    page % pagesPerMapPage());
  }

  bool add(std::uint32_t page, const JetUsageMap::PageAllocator& allocate) override {
    setPage(page, true, &allocate);
    return true;
  }

  void remove(std::uint32_t page) override {
    if (contains(page)) setPage(page, false, nullptr);
  }

  void markAllocated(std::uint32_t page) override { remove(page); }

 private:
  std::uint32_t pagesPerMapPage() const {
    return static_cast<std::uint32_t>((row_.pageSize() - kMapPageBitmapStart) * kBitsPerByte);
  }
  std::size_t referenceCount() const {
    return (row_.length - kReferenceMapPagesOffset) / kReferenceMapPageEntrySize;
  }
  std::uint8_t* reference(std::size_t index) const {
    return row_.bytes() + kReferenceMapPagesOffset + kReferenceMapPageEntrySize * index;
  }

  // The map page of the index-th stretch (0: none yet), checked to be a map page.
  std::uint32_t referenceAt(std::size_t index) const {
    const std::uint32_t mapPage = loadU32(reference(index));
    if (mapPage != 0 &&
        (mapPage >= row_.file().pageCount() || row_.cache->page(mapPage)[0] != kMapPageType)) {
      row_.damaged();
    }
    return mapPage;
  }

  // Sets or clears one bit. Without an allocator a map page that does not exist yet is
  // left alone (its pages count as clear).
  void setPage(std::uint32_t page, bool on, const JetUsageMap::PageAllocator* allocate) {
    const std::size_t index = page / pagesPerMapPage();
    if (index >= referenceCount()) {
      // A reference map row has room for every page a file can have unless it is cut
      // short, which only damage does.
      row_.damaged(
          (row_.owner.empty() ? "the page usage map on page " : "its page usage map on page ") +
          std::to_string(row_.holderPage) + " has room for " +
          std::to_string(referenceCount() * pagesPerMapPage()) + " pages, not for page " +
          std::to_string(page));
    }
    std::uint32_t mapPage = referenceAt(index);
    if (mapPage == 0) {
      if (!on || allocate == nullptr) return;
      Page fresh(row_.pageSize(), 0);
      fresh[0] = kMapPageType;
      fresh[1] = kPageSecondByte;
      mapPage = (*allocate)(fresh);
      storeU32(reference(index), mapPage);
      row_.changed();
    }
    setBit(row_.cache->page(mapPage).data() + kMapPageBitmapStart, page % pagesPerMapPage(), on);
    row_.cache->changed(mapPage);
  }
};

// An inline map's window starts inside the file; the global map's may start at its end.
// A start past it says nothing true, and moving or widening the window from there would
// record pages the file does not have.
void checkWindow(const JetMapRow& row) {
  if (row.bytes()[0] != kUsageMapInline) return;
  const std::uint32_t start = loadU32(row.bytes() + kInlineMapStartPageOffset);
  const std::uint32_t end = row.file().pageCount();
  if (start > end || (start == end && !row.owner.empty())) {
    row.damaged(
        (row.owner.empty() ? "the page usage map on page " : "its page usage map on page ") +
        std::to_string(row.holderPage) + " starts at page " + std::to_string(start) +
        ", beyond the end of the file");
  }
}

std::unique_ptr<JetMapKind> kindOf(const JetMapRow& row) {
  switch (row.bytes()[0]) {
    case kUsageMapInline:
      return std::make_unique<InlineMap>(row);
    case kUsageMapReference:
      return std::make_unique<ReferenceMap>(row);
    default:
      row.damaged();
  }
}

}  // namespace

std::vector<std::uint32_t> pagesOfMap(const std::uint8_t* map, std::size_t mapSize,
                                      const JetPageMapLayout& layout, const PageReader& read) {
  std::vector<std::uint32_t> pages;
  if (map == nullptr || mapSize == 0) return pages;
  switch (map[0]) {
    case kUsageMapInline:
      InlineMap::decode(map, mapSize, layout, pages);
      break;
    case kUsageMapReference:
      ReferenceMap::decode(map, mapSize, layout, read, pages);
      break;
    default:
      damagedMap("is of an unknown kind (" + std::to_string(map[0]) + ")");
  }
  return pages;
}

JetUsageMap::JetUsageMap(JetPageCache& cache, std::uint32_t pointer, std::string owner) {
  JetMapRow row{&cache, pageOfPointer(pointer), 0, 0, std::move(owner)};
  const JetFormat& format = jetFormat(row.pageSize() == kJet3Format.pageSize);
  if (row.holderPage == 0 || row.holderPage >= cache.file().pageCount()) row.damaged();
  JetRowBounds bounds;
  if (!rowBounds(cache.page(row.holderPage), format, rowOfPointer(pointer), bounds) ||
      bounds.end <= bounds.start + kInlineMapBitmapStart) {
    row.damaged();
  }
  row.start = bounds.start;
  row.length = bounds.end - bounds.start;
  kind_ = kindOf(row);
  checkWindow(row);
}

JetUsageMap::~JetUsageMap() = default;
JetUsageMap::JetUsageMap(JetUsageMap&&) noexcept = default;
JetUsageMap& JetUsageMap::operator=(JetUsageMap&&) noexcept = default;

JetMapKind& JetUsageMap::kind() {
  // Another map object on the same row may have changed its kind since.
  if (kind_->row().bytes()[0] != kind_->type()) kind_ = kindOf(kind_->row());
  return *kind_;
}

bool JetUsageMap::isInline() const {
  return kind_->row().bytes()[0] == kUsageMapInline;
}

std::vector<std::uint32_t> JetUsageMap::pages() {
  try {
    return kind().pages();
  } catch (const EngineError&) {
    throw;
  } catch (const std::runtime_error& error) {
    // The decoder's words ("its page map names page 9, beyond the end of the file") for
    // a table's map; the global map keeps the file's words.
    if (kind_->row().owner.empty()) kind_->row().damaged();
    kind_->row().damaged(error.what());
  }
}

bool JetUsageMap::contains(std::uint32_t page) {
  return kind().contains(page);
}

void JetUsageMap::add(std::uint32_t page, const PageAllocator& allocate) {
  if (kind().add(page, allocate)) return;
  // An inline map too narrow for all its pages becomes a reference map listing them.
  std::vector<std::uint32_t> all = pages();
  all.push_back(page);
  std::sort(all.begin(), all.end());
  kind_ = ReferenceMap::replacing(kind_->row(), all, allocate);
}

void JetUsageMap::remove(std::uint32_t page) {
  kind().remove(page);
}

void JetUsageMap::markAllocated(std::uint32_t page) {
  kind().markAllocated(page);
}

}  // namespace tiermend::data::jet
