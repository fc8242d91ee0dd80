// Reads a Jet 4 index tree from its root page: every entry in index order along the
// leaf chain, the rows of one key looked up from the root, and a check of the whole
// tree. Damaged or looping pages are reported (JetIndexPageDamage), never followed
// without end.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <unordered_map>
#include <vector>

#include "data/providers/jet/indexes/JetIndexPage.h"

namespace tiermend::data::jet {

// The 4096 bytes of a page of the file. The reader keeps the node pages it reads and
// reads leaf pages again when it walks them, so the pages must not change while it is
// in use.
using JetIndexPageSource = std::function<std::vector<std::uint8_t>(std::uint32_t page)>;

class JetIndexReader {
 public:
  JetIndexReader(JetIndexPageSource source, std::uint32_t rootPage);

  // Every entry, in index order: down the first children to the first leaf page, then
  // along the next-page chain.
  std::vector<JetIndexEntry> walk() const;
  // The same entries, each given to visit in turn without a copy of them all.
  void visitEntries(const std::function<void(const JetIndexEntry&)>& visit) const;

  // The rows whose key is exactly `key`, in index order, looked up from the root.
  std::vector<JetRowId> lookup(std::span<const std::uint8_t> key) const;

  // Everything wrong with the tree, one sentence each; empty for a sound tree. Checks
  // that every level is a chain both ways in order, all leaves are on one level, each
  // node entry equals its child's last entry, a node's tail is its last child, the
  // entries ascend across pages, and every page names the same table definition.
  // When visit is given, each leaf page's entries are given to it as the check reads
  // them, the leaves in the order of their level: for a sound tree, every entry in index
  // order, without a second reading of the leaves.
  std::vector<std::string> faults(
      const std::function<void(const JetIndexEntry&)>& visit = nullptr) const;

  // The number of levels, 1 for a root that is a leaf.
  std::size_t levels() const;

 private:
  // The first leaf page, down the first children from the root, and the levels passed.
  struct Descent {
    std::uint32_t leaf;
    std::size_t levels;
  };
  // What the check of the whole tree keeps of a page: a node page whole (the reader
  // keeps those), of a leaf page only its first and last entries, so that a large
  // index is never held in memory at once.
  struct PageView {
    std::uint32_t number = 0;
    bool leaf = true;
    std::uint32_t tableDefinitionPage = 0;
    std::uint32_t previous = 0;
    std::uint32_t next = 0;
    const JetIndexPage* node = nullptr;
    std::optional<JetIndexEntry> first;
    std::optional<JetIndexEntry> last;
  };
  const JetIndexPage& page(std::uint32_t number) const;
  // The page read afresh and not kept.
  JetIndexPage readUnkept(std::uint32_t number) const;
  PageView view(std::uint32_t number, const std::function<void(const JetIndexEntry&)>& visit) const;
  Descent descendToFirstLeaf() const;

  JetIndexPageSource source_;
  std::uint32_t root_;
  mutable std::unordered_map<std::uint32_t, std::unique_ptr<const JetIndexPage>> pages_;
};

}  // namespace tiermend::data::jet
