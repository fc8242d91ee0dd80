// A Jet page usage map: a bitmap of page numbers kept in a row that a 4-byte pointer
// names (row number in the low byte, page number above it). Two kinds exist:
//   inline (type 0): a start page, then the bitmap in the row itself;
//   reference (type 1): page numbers of usage-map pages (type 0x05), the k-th covering
//   the k-th stretch of (page size - 4) * 8 pages, its bitmap from byte 4.
// A table has one map of the pages it owns and one of its pages with free space. The
// global map on page 1 marks the file's free pages: there a set bit means unused.
//
// Each kind has one handler that both decodes the map's bytes into pages and encodes
// changes into them. The reader lists the pages of a map row it has read (pagesOfMap);
// the writer reads and changes maps in place through the page cache (JetUsageMap). The
// pages are listed in ascending order, each at most once, and a map that names a page
// outside the file, a map page that is no map page, or a map of another kind is
// reported as damage instead of being guessed around.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "data/providers/jet/format/JetFormat.h"
#include "data/providers/jet/pages/JetPageCache.h"

namespace tiermend::data::jet {

struct JetPageMapLayout {
  std::size_t pageSize = 0;
  std::uint32_t pageCount = 0;  // pages in the file
  // A table's maps name only pages of the file; the writer's free-space maps may name
  // pages beyond its end, which are then listed too.
  bool pagesBeyondTheEndAreDamage = true;
};

// Reads one page of the file into a buffer of pageSize bytes; false when it cannot.
using PageReader = std::function<bool(std::uint32_t page, std::vector<std::uint8_t>& buffer)>;

// The data pages the map in map[0, mapSize) lists, ascending. Throws std::runtime_error
// that says what is wrong with the map (the caller names the table and the file).
std::vector<std::uint32_t> pagesOfMap(const std::uint8_t* map, std::size_t mapSize,
                                      const JetPageMapLayout& layout, const PageReader& read);

// The handler of one kind of map, chosen from the map's first byte (JetUsageMap.cpp).
class JetMapKind;

class JetUsageMap {
 public:
  // Appends a new page with the given bytes to the file and gives its number.
  using PageAllocator = std::function<std::uint32_t(const Page&)>;

  // Reads the map whose row pointer is pointer: a map of table owner's pages, or with
  // no owner the file's global map. A table's map names only pages of the file, and an
  // inline map's window starts inside the file (or, for the global map, at its end).
  // Throws EngineError when the pointer or the map is damaged, naming the table.
  JetUsageMap(JetPageCache& cache, std::uint32_t pointer, std::string owner = {});
  ~JetUsageMap();
  JetUsageMap(JetUsageMap&&) noexcept;
  JetUsageMap& operator=(JetUsageMap&&) noexcept;

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
  // The handler of the map's kind as its first byte now gives it.
  JetMapKind& kind();

  std::unique_ptr<JetMapKind> kind_;
};

}  // namespace tiermend::data::jet
