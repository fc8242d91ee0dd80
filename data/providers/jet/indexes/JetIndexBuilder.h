// Builds the pages of a Jet 4 index from all its entries at once: leaf pages filled in
// index order, then levels of node pages above them until one page, the root, holds
// the top level. An index without entries is one empty leaf page, its root.
#pragma once

#include <cstdint>
#include <functional>
#include <span>
#include <vector>

#include "data/providers/jet/indexes/JetIndexPage.h"

namespace tiermend::data::jet {

struct JetIndexBuildOptions {
  // Write each page's shared key prefix once. Access leaves it out on the pages of the
  // files we have seen, so by default every entry is written whole.
  bool sharePrefixes = false;
};

struct JetBuiltIndexPage {
  std::uint32_t number = 0;
  std::vector<std::uint8_t> bytes;
};

struct JetBuiltIndex {
  std::uint32_t root = 0;
  std::size_t levels = 1;  // 1 for a root that is a leaf
  std::vector<JetBuiltIndexPage> pages;
};

// Gives the number of a free page each time it is called.
using JetIndexPageAllocator = std::function<std::uint32_t()>;

// The index's pages, for the table whose definition is on `tableDefinitionPage`.
// The entries must be in index order (indexEntryLess) without repeats and each fit a
// page; otherwise std::invalid_argument, before any page is allocated.
JetBuiltIndex buildIndexPages(std::span<const JetIndexEntry> entries,
                              std::uint32_t tableDefinitionPage,
                              const JetIndexPageAllocator& allocatePage,
                              JetIndexBuildOptions options = {});

}  // namespace tiermend::data::jet
