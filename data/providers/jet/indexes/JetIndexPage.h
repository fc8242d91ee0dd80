// One page of a Jet 4 index tree, as bytes and as entries. Leaf pages hold an entry per
// row: its key and where the row is. Node pages hold, for each child page but the last,
// an entry equal to that child's last entry plus the child's page number; the last child
// is the page's tail. The page layout and its numbers are in JetFormat.h.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "data/EngineError.h"
#include "data/providers/jet/format/JetFormat.h"

namespace tiermend::data::jet {

struct JetRowId {
  std::uint32_t page = 0;  // at most kMostIndexEntryRowPage
  std::uint8_t row = 0;
  auto operator<=>(const JetRowId&) const = default;
};

// An index key's bytes. Most keys (numbers, dates, short texts) are at most 15 bytes
// long and are kept inside the entry, without an allocation of their own: a table of
// 100,000 rows has 100,000 entries in each index.
using JetIndexKeyBytes = std::basic_string<std::uint8_t>;

struct JetIndexEntry {
  JetIndexKeyBytes key;
  JetRowId row;
  bool operator==(const JetIndexEntry&) const = default;
};

// The order of an index: keys byte by byte (unsigned, a shorter key first when it
// begins the other), then the row's page, then its row number.
int compareIndexKeys(std::span<const std::uint8_t> a, std::span<const std::uint8_t> b);
bool indexEntryLess(const JetIndexEntry& a, const JetIndexEntry& b);

struct JetIndexPage {
  bool leaf = true;
  std::uint32_t tableDefinitionPage = 0;
  std::uint32_t previous = 0;
  std::uint32_t next = 0;
  std::uint32_t tail = 0;  // node pages: the last child, which has no entry here
  std::vector<JetIndexEntry> entries;
  std::vector<std::uint32_t> children;  // node pages: the child of each entry
  std::size_t prefixLength = 0;         // bytes shared by all entries, written once
};

// True for the first byte of a node or a leaf index page.
bool isIndexPageType(std::uint8_t type);

// Bytes an entry takes on a page before any prefix is left out.
std::size_t indexEntrySize(const JetIndexEntry& entry, bool leaf);
// Bytes the entries of a page take with `prefixLength` shared bytes written once.
std::size_t indexEntriesSize(std::span<const JetIndexEntry> entries, bool leaf,
                             std::size_t prefixLength);
// The longest prefix of key bytes all these entries share (they are in index order, so
// the first and last entries decide it).
std::size_t sharedKeyPrefix(std::span<const JetIndexEntry> entries);

// A page that cannot be read as an index page.
class JetIndexPageDamage : public EngineError {
 public:
  JetIndexPageDamage(std::uint32_t pageNumber, const std::string& reason);
  std::uint32_t page() const { return page_; }
  const std::string& reason() const { return reason_; }

 private:
  std::uint32_t page_;
  std::string reason_;
};

// The page's bytes. The page must fit (indexEntriesSize within
// kIndexEntriesSpace), its prefix must be shared by every entry's key, and a node page
// needs one child per entry; otherwise std::invalid_argument.
std::vector<std::uint8_t> writeIndexPage(const JetIndexPage& page);
// The same for a page whose entries are given apart from it (page.entries is not
// read), so that leaf pages are written straight from an index's sorted entries.
std::vector<std::uint8_t> writeIndexPage(const JetIndexPage& page,
                                         std::span<const JetIndexEntry> entries);

// The page read back; JetIndexPageDamage for anything but a well-formed index page
// whose entries are in index order.
JetIndexPage readIndexPage(std::span<const std::uint8_t> bytes, std::uint32_t pageNumber);

}  // namespace tiermend::data::jet
