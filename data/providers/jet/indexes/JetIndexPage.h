// One page of a Jet 4 index tree, as bytes and as entries. Leaf pages (type 0x04) hold
// an entry per row: its key and where the row is. Node pages (type 0x03) hold, for each
// child page but the last, an entry equal to that child's last entry plus the child's
// page number; the last child is the page's tail (offset 20). Every level is a chain
// through the previous and next page numbers.
//
// Layout of a 4096-byte page: type (0), 0x01 (1), free bytes (2, 16 bits), table
// definition page (4), zero (8), previous (12), next (16), tail (20), length of the
// prefix shared by the page's entries (24, 16 bits), zero (26), a bitmap whose bit n
// marks the end of an entry n bytes into the entries (27, 453 bytes), entries (480).
// The first entry is written whole; the others leave out the shared prefix. The
// header's numbers are little-endian; an entry's row and child numbers big-endian.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "data/EngineError.h"

namespace tiermend::data::jet {

// The layout, stated once for the writer, the reader and the tests.
constexpr std::size_t kIndexPageSize = 4096;
constexpr std::uint8_t kIndexNodePage = 0x03;
constexpr std::uint8_t kIndexLeafPage = 0x04;
constexpr std::size_t kIndexFreeSpaceAt = 2;
constexpr std::size_t kIndexTableDefinitionAt = 4;
constexpr std::size_t kIndexPreviousAt = 12;
constexpr std::size_t kIndexNextAt = 16;
constexpr std::size_t kIndexTailAt = 20;
constexpr std::size_t kIndexPrefixLengthAt = 24;
constexpr std::size_t kIndexEntryEndsAt = 27;
constexpr std::size_t kIndexEntriesStart = 480;
constexpr std::size_t kIndexEntryEndsBytes = kIndexEntriesStart - kIndexEntryEndsAt;  // 453
constexpr std::size_t kIndexEntriesSpace = kIndexPageSize - kIndexEntriesStart;       // 3616
// An entry's row: 3 bytes of page and 1 of row number; a node entry adds 4 of child.
constexpr std::size_t kRowIdBytes = 4;
constexpr std::size_t kChildBytes = 4;
constexpr std::uint32_t kMaxEntryRowPage = 0xFFFFFF;

struct JetRowId {
  std::uint32_t page = 0;  // at most 0xFFFFFF
  std::uint8_t row = 0;
  auto operator<=>(const JetRowId&) const = default;
};

struct JetIndexEntry {
  std::vector<std::uint8_t> key;
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
};

// The page's 4096 bytes. The page must fit (indexEntriesSize within
// kIndexEntriesSpace), its prefix must be shared by every entry's key, and a node page
// needs one child per entry; otherwise std::invalid_argument.
std::vector<std::uint8_t> writeIndexPage(const JetIndexPage& page);

// The page read back; JetIndexPageDamage for anything but a well-formed index page
// whose entries are in index order.
JetIndexPage readIndexPage(std::span<const std::uint8_t> bytes, std::uint32_t pageNumber);

}  // namespace tiermend::data::jet
