// Reading and changing inline and reference usage maps.
#include "data/providers/jet/pages/JetUsageMap.h"

#include <algorithm>

#include "data/EngineError.h"
#include "data/providers/jet/pages/JetDataPage.h"
#include "data/providers/jet/pages/JetPageMap.h"

namespace tiermend::data::jet {

namespace {

constexpr std::uint8_t kInlineMap = kUsageMapInline;
constexpr std::uint8_t kReferenceMap = kUsageMapReference;
constexpr auto kUsageMapPageType = static_cast<std::uint8_t>(JetPageType::UsageMap);

}  // namespace

JetUsageMap::JetUsageMap(JetPageCache& cache, std::uint32_t pointer)
    : cache_(cache), holderPage_(pageOfPointer(pointer)) {
  const JetFormat& format = jetFormat(cache_.file().pageSize() == kJet3Format.pageSize);
  if (holderPage_ == 0 || holderPage_ >= cache_.file().pageCount()) damaged();
  JetRowBounds bounds;
  if (!rowBounds(holder(), format, rowOfPointer(pointer), bounds)) damaged();
  if (bounds.end <= bounds.start + kInlineMapBitmapStart) damaged();
  rowStart_ = bounds.start;
  rowLength_ = bounds.end - bounds.start;
  const std::uint8_t type = holder()[rowStart_];
  if (type != kInlineMap && type != kReferenceMap) damaged();
}

void JetUsageMap::damaged() const {
  throw EngineError(
      "A page usage map of the database file is damaged; the file cannot be written.");
}

bool JetUsageMap::isInline() const {
  return cache_.page(holderPage_)[rowStart_] == kInlineMap;
}

std::uint32_t JetUsageMap::inlineStart() {
  return getU32(holder(), rowStart_ + 1);
}

std::uint32_t JetUsageMap::pagesPerMapPage() const {
  return static_cast<std::uint32_t>((cache_.file().pageSize() - kMapPageBitmapStart) * 8);
}

std::uint32_t JetUsageMap::referenceAt(std::size_t index) {
  const std::uint32_t mapPage = getU32(holder(), rowStart_ + 1 + 4 * index);
  if (mapPage != 0) {
    if (mapPage >= cache_.file().pageCount() || cache_.page(mapPage)[0] != kUsageMapPageType) {
      damaged();
    }
  }
  return mapPage;
}

std::vector<std::uint32_t> JetUsageMap::pages() {
  const PageReader read = [this](std::uint32_t number, std::vector<std::uint8_t>& buffer) {
    buffer = cache_.page(number);
    return true;
  };
  const JetPageMapLayout layout{static_cast<std::size_t>(cache_.file().pageSize()),
                                cache_.file().pageCount(), false};
  try {
    return pagesOfMap(holder().data() + rowStart_, rowLength_, layout, read);
  } catch (const std::runtime_error&) {
    damaged();
  }
}

bool JetUsageMap::testBit(std::uint32_t page) {
  if (isInline()) {
    const std::uint32_t start = inlineStart();
    if (page < start || page - start >= bitmapBytes() * 8) return false;
    const std::uint32_t bit = page - start;
    return holder()[bitmapStart() + bit / 8] >> (bit % 8) & 1;
  }
  const std::size_t index = page / pagesPerMapPage();
  if (index >= referenceCount()) return false;
  const std::uint32_t mapPage = referenceAt(index);
  if (mapPage == 0) return false;
  const std::uint32_t bit = page % pagesPerMapPage();
  return cache_.page(mapPage)[kMapPageBitmapStart + bit / 8] >> (bit % 8) & 1;
}

bool JetUsageMap::contains(std::uint32_t page) {
  return testBit(page);
}

// Sets or clears one bit the map covers. Without an allocator a reference map page
// that does not exist yet is left alone (its pages count as clear).
void JetUsageMap::setBit(std::uint32_t page, bool on, const PageAllocator* allocate) {
  std::uint32_t holding = holderPage_;
  std::size_t byte = 0;
  std::uint32_t bit = 0;
  if (isInline()) {
    bit = page - inlineStart();
    byte = bitmapStart() + bit / 8;
  } else {
    const std::size_t index = page / pagesPerMapPage();
    if (index >= referenceCount()) {
      throw EngineError("The database file is too large for its page usage map.");
    }
    std::uint32_t mapPage = referenceAt(index);
    if (mapPage == 0) {
      if (!on || allocate == nullptr) return;
      Page fresh(static_cast<std::size_t>(cache_.file().pageSize()), 0);
      fresh[0] = kUsageMapPageType;
      fresh[1] = 0x01;
      mapPage = (*allocate)(fresh);
      putU32(holder(), rowStart_ + 1 + 4 * index, mapPage);
      cache_.changed(holderPage_);
    }
    holding = mapPage;
    bit = page % pagesPerMapPage();
    byte = kMapPageBitmapStart + bit / 8;
  }
  Page& target = cache_.page(holding);
  const auto mask = static_cast<std::uint8_t>(1u << (bit % 8));
  target[byte] = on ? static_cast<std::uint8_t>(target[byte] | mask)
                    : static_cast<std::uint8_t>(target[byte] & ~mask);
  cache_.changed(holding);
}

void JetUsageMap::rewriteInline(std::uint32_t start, const std::vector<std::uint32_t>& pages) {
  Page& page = holder();
  std::fill(page.begin() + static_cast<long>(bitmapStart()),
            page.begin() + static_cast<long>(rowStart_ + rowLength_), 0);
  putU32(page, rowStart_ + 1, start);
  cache_.changed(holderPage_);
  for (std::uint32_t number : pages) setBit(number, true, nullptr);
}

void JetUsageMap::promoteToReference(const std::vector<std::uint32_t>& pages,
                                     const PageAllocator& allocate) {
  Page& page = holder();
  page[rowStart_] = kReferenceMap;
  std::fill(page.begin() + static_cast<long>(rowStart_ + 1),
            page.begin() + static_cast<long>(rowStart_ + rowLength_), 0);
  cache_.changed(holderPage_);
  for (std::uint32_t number : pages) setBit(number, true, &allocate);
}

void JetUsageMap::add(std::uint32_t page, const PageAllocator& allocate) {
  if (!isInline()) {
    setBit(page, true, &allocate);
    return;
  }
  const std::uint32_t start = inlineStart();
  const std::size_t capacity = bitmapBytes() * 8;
  if (page >= start && page - start < capacity) {
    setBit(page, true, nullptr);
    return;
  }
  std::vector<std::uint32_t> all = pages();
  all.push_back(page);
  std::sort(all.begin(), all.end());
  if (all.back() - all.front() < capacity) {
    rewriteInline(all.front(), all);
  } else {
    promoteToReference(all, allocate);
  }
}

void JetUsageMap::remove(std::uint32_t page) {
  if (!testBit(page)) return;
  setBit(page, false, nullptr);
}

void JetUsageMap::markAllocated(std::uint32_t page) {
  if (!isInline()) {
    remove(page);
    return;
  }
  const std::uint32_t start = inlineStart();
  const std::size_t capacity = bitmapBytes() * 8;
  if (page < start) return;  // pages before the window count as in use
  if (page - start < capacity) {
    remove(page);
    return;
  }
  // Move the window so that it ends well past the new page: keep the free pages it
  // still covers, mark the pages past the file's end free and all others in use.
  const std::uint32_t fileEnd = cache_.file().pageCount();
  const std::uint32_t newStart = page;
  std::vector<std::uint32_t> free;
  for (std::uint32_t number : pages()) {
    if (number >= newStart && number != page) free.push_back(number);
  }
  for (std::uint32_t number = std::max(fileEnd, page + 1); number - newStart < capacity; ++number) {
    free.push_back(number);
  }
  std::sort(free.begin(), free.end());
  free.erase(std::unique(free.begin(), free.end()), free.end());
  rewriteInline(newStart, free);
}

}  // namespace tiermend::data::jet
