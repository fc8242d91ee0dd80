// Reading a Jet usage map into the list of pages it names.
#include "data/providers/jet/pages/JetPageMap.h"

#include <stdexcept>

#include "data/providers/jet/format/JetFormat.h"

namespace tiermend::data::jet {
namespace {

constexpr std::uint8_t kMapPageType = static_cast<std::uint8_t>(JetPageType::UsageMap);

[[noreturn]] void damagedMap(const std::string& what) {
  throw std::runtime_error("its page map " + what);
}

// Adds the pages whose bits are set in bitmap[0, bytes), the first bit standing for first.
void addPagesOfBitmap(const std::uint8_t* bitmap, std::size_t bytes, std::uint64_t first,
                      const JetPageMapLayout& layout, std::vector<std::uint32_t>& pages) {
  for (std::size_t byte = 0; byte < bytes; ++byte) {
    if (bitmap[byte] == 0) continue;
    for (int bit = 0; bit < 8; ++bit) {
      if ((bitmap[byte] & (1u << bit)) == 0) continue;
      const std::uint64_t page = first + byte * 8 + static_cast<std::uint64_t>(bit);
      if (page > UINT32_MAX || (page >= layout.pageCount && layout.pagesBeyondTheEndAreDamage)) {
        damagedMap("names page " + std::to_string(page) + ", beyond the end of the file");
      }
      pages.push_back(static_cast<std::uint32_t>(page));
    }
  }
}

void readInlineMap(const std::uint8_t* map, std::size_t mapSize, const JetPageMapLayout& layout,
                   std::vector<std::uint32_t>& pages) {
  if (mapSize < kInlineMapBitmapStart) damagedMap("is cut short");
  const auto first = loadU32(map + 1);
  addPagesOfBitmap(map + kInlineMapBitmapStart, mapSize - kInlineMapBitmapStart, first, layout,
                   pages);
}

void readPagesOfMaps(const std::uint8_t* map, std::size_t mapSize, const JetPageMapLayout& layout,
                     const PageReader& read, std::vector<std::uint32_t>& pages) {
  const std::size_t bitmapBytes = layout.pageSize - kMapPageBitmapStart;
  const std::size_t entries = (mapSize - 1) / 4;
  std::vector<std::uint8_t> buffer(layout.pageSize);
  for (std::size_t entry = 0; entry < entries; ++entry) {
    const auto mapPage = loadU32(map + 1 + entry * 4);
    if (mapPage == 0) continue;
    if (mapPage >= layout.pageCount) {
      damagedMap("names map page " + std::to_string(mapPage) + ", beyond the end of the file");
    }
    if (!read(mapPage, buffer)) damagedMap("page " + std::to_string(mapPage) + " cannot be read");
    if (buffer[0] != kMapPageType) {
      damagedMap("names page " + std::to_string(mapPage) + " as a map page, which it is not");
    }
    addPagesOfBitmap(buffer.data() + kMapPageBitmapStart, bitmapBytes,
                     static_cast<std::uint64_t>(entry) * bitmapBytes * 8, layout, pages);
  }
}

}  // namespace

std::vector<std::uint32_t> pagesOfMap(const std::uint8_t* map, std::size_t mapSize,
                                      const JetPageMapLayout& layout, const PageReader& read) {
  std::vector<std::uint32_t> pages;
  if (map == nullptr || mapSize == 0) return pages;
  switch (map[0]) {
    case kUsageMapInline:
      readInlineMap(map, mapSize, layout, pages);
      break;
    case kUsageMapReference:
      readPagesOfMaps(map, mapSize, layout, read, pages);
      break;
    default:
      damagedMap("is of an unknown kind (" + std::to_string(map[0]) + ")");
  }
  return pages;
}

}  // namespace tiermend::data::jet
