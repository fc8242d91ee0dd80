// A Jet page usage map: a bitmap of page numbers kept in a row that a 4-byte pointer
// names (row number in the low byte, page number above it). Two forms exist:
//   inline (type 0): a start page, then the bitmap in the row itself;
//   reference (type 1): page numbers of usage-map pages (type 0x05), the k-th covering
//   the k-th stretch of (page size - 4) * 8 pages, its bitmap from byte 4.
// A table has one map of the pages it owns and one of its pages with free space. The
// global map on page 1 marks the file's free pages: there a set bit means unused.
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

#include "data/providers/jet/format/JetFormat.h"
#include "data/providers/jet/pages/JetPageCache.h"

namespace tiermend::data::jet {

class JetUsageMap {
 public:
  // Appends a new page with the given bytes to the file and gives its number.
  using PageAllocator = std::function<std::uint32_t(const Page&)>;

  // Reads the map whose row pointer is pointer. Throws EngineError when the pointer
  // or the map is damaged.
  JetUsageMap(JetPageCache& cache, std::uint32_t pointer);

  bool isInline() const;
  // The pages whose bit is set, in ascending order.
  std::vector<std::uint32_t> pages();
  bool contains(std::uint32_t page);
  // Sets a page's bit. An inline map that cannot cover the page moves its start page
  // when all its pages then still fit, else it becomes a reference map (its usage-map
  // pages come from allocate).
  void add(std::uint32_t page, const PageAllocator& allocate);
  // Clears a page's bit; a page the map does not cover has none to clear.
  void remove(std::uint32_t page);
  // For the global map: records that page, just added at the end of the file, is in
  // use. An inline global map that does not reach the page moves its window forward;
  // pages it then newly covers are free only when they lie beyond the file's end.
  void markAllocated(std::uint32_t page);

 private:
  std::size_t bitmapStart() const { return rowStart_ + kInlineMapBitmapStart; }
  std::size_t bitmapBytes() const { return rowLength_ - kInlineMapBitmapStart; }
  std::uint32_t inlineStart();
  std::uint32_t pagesPerMapPage() const;
  std::size_t referenceCount() const { return (rowLength_ - 1) / 4; }
  std::uint32_t referenceAt(std::size_t index);
  bool testBit(std::uint32_t page);
  void setBit(std::uint32_t page, bool on, const PageAllocator* allocate);
  void rewriteInline(std::uint32_t start, const std::vector<std::uint32_t>& pages);
  void promoteToReference(const std::vector<std::uint32_t>& pages, const PageAllocator& allocate);
  Page& holder() { return cache_.page(holderPage_); }
  [[noreturn]] void damaged() const;

  JetPageCache& cache_;
  std::uint32_t holderPage_ = 0;
  std::size_t rowStart_ = 0;
  std::size_t rowLength_ = 0;
};

}  // namespace tiermend::data::jet
