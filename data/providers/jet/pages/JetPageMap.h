// Decoding a usage map into the pages it lists: the one decoder of both the reader
// (a table's page map, the data pages it owns) and the writer (JetUsageMap::pages).
//
// The map comes in two kinds. Kind 0 holds a first page number and a bitmap of the
// pages after it; kind 1 holds the numbers of map pages (page type 5), each a bitmap of
// a fixed run of pages. The pages are read here in ascending order, each at most once,
// and a map that names a page outside the file, a map page that is no map page, or a
// map of another kind is reported as damage instead of being guessed around.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

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

// The data pages the map lists, ascending. Throws std::runtime_error that says what is
// wrong with the map (the caller names the table and the file).
std::vector<std::uint32_t> pagesOfMap(const std::uint8_t* map, std::size_t mapSize,
                                      const JetPageMapLayout& layout, const PageReader& read);

}  // namespace tiermend::data::jet
