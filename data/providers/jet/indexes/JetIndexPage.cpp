// Writing index pages from their entries and reading them back, checked.
#include "data/providers/jet/indexes/JetIndexPage.h"

#include <algorithm>
#include <stdexcept>

#include "data/providers/jet/format/JetDamage.h"

namespace tiermend::data::jet {
namespace {

// Writes the entry's bytes as the page holds them, from byte skip on (the shared prefix
// is left out of all entries but the first), at out; gives the bytes written.
std::size_t writeEntry(const JetIndexEntry& entry, const JetIndexPage& page, std::size_t i,
                       std::size_t skip, std::uint8_t* out) {
  std::copy(entry.key.begin() + static_cast<long>(skip), entry.key.end(), out);
  std::uint8_t* row = out + (entry.key.size() - skip);
  storeBig(row, kIndexEntryRowPageSize, entry.row.page);
  row[kIndexEntryRowPageSize] = entry.row.row;
  if (!page.leaf) storeBig(row + kIndexEntryRowSize, kIndexEntryChildSize, page.children[i]);
  return indexEntrySize(entry, page.leaf) - skip;
}

void checkWritable(const JetIndexPage& page, std::span<const JetIndexEntry> entries) {
  if (page.leaf ? !page.children.empty() : page.children.size() != entries.size()) {
    throw std::invalid_argument("An index node page needs one child page per entry");
  }
  if (page.leaf && page.tail != 0) {
    throw std::invalid_argument("An index leaf page has no tail page");
  }
  for (const JetIndexEntry& entry : entries) {
    if (entry.row.page > kMostIndexEntryRowPage) {
      throw std::invalid_argument("An index entry's row page " + std::to_string(entry.row.page) +
                                  " is beyond the " + std::to_string(kIndexEntryRowPageSize) +
                                  " bytes an entry holds");
    }
    if (entry.key.size() < page.prefixLength ||
        !std::equal(entry.key.begin(), entry.key.begin() + page.prefixLength,
                    entries.front().key.begin())) {
      throw std::invalid_argument("An index page's prefix is not shared by all its keys");
    }
  }
  const std::size_t size = indexEntriesSize(entries, page.leaf, page.prefixLength);
  if (size > kIndexEntriesSpace) {
    throw std::invalid_argument("Index entries of " + std::to_string(size) +
                                " bytes do not fit an index page");
  }
}

}  // namespace

int compareIndexKeys(std::span<const std::uint8_t> a, std::span<const std::uint8_t> b) {
  const auto order = std::lexicographical_compare_three_way(a.begin(), a.end(), b.begin(), b.end());
  return order < 0 ? -1 : (order > 0 ? 1 : 0);
}

bool indexEntryLess(const JetIndexEntry& a, const JetIndexEntry& b) {
  const int keys = compareIndexKeys(a.key, b.key);
  return keys != 0 ? keys < 0 : a.row < b.row;
}

bool isIndexPageType(std::uint8_t type) {
  return type == static_cast<std::uint8_t>(JetPageType::IndexNode) ||
         type == static_cast<std::uint8_t>(JetPageType::IndexLeaf);
}

std::size_t indexEntrySize(const JetIndexEntry& entry, bool leaf) {
  return entry.key.size() + kIndexEntryRowSize + (leaf ? 0 : kIndexEntryChildSize);
}

std::size_t indexEntriesSize(std::span<const JetIndexEntry> entries, bool leaf,
                             std::size_t prefixLength) {
  if (entries.empty()) return 0;
  std::size_t size = prefixLength;
  for (const JetIndexEntry& entry : entries) size += indexEntrySize(entry, leaf) - prefixLength;
  return size;
}

std::size_t sharedKeyPrefix(std::span<const JetIndexEntry> entries) {
  if (entries.empty()) return 0;
  const auto& first = entries.front().key;
  const auto& last = entries.back().key;
  const auto limit = std::min(first.size(), last.size());
  std::size_t length = 0;
  while (length < limit && first[length] == last[length]) ++length;
  return length;
}

JetIndexPageDamage::JetIndexPageDamage(std::uint32_t pageNumber, const std::string& reason)
    : EngineError(damagedPageMessage("index", pageNumber, {}, reason)),
      page_(pageNumber),
      reason_(reason) {}

std::vector<std::uint8_t> writeIndexPage(const JetIndexPage& page) {
  return writeIndexPage(page, page.entries);
}

std::vector<std::uint8_t> writeIndexPage(const JetIndexPage& page,
                                         std::span<const JetIndexEntry> entries) {
  checkWritable(page, entries);
  std::vector<std::uint8_t> bytes(kJet4Format.pageSize, 0);
  bytes[0] = static_cast<std::uint8_t>(page.leaf ? JetPageType::IndexLeaf : JetPageType::IndexNode);
  bytes[1] = kPageSecondByte;
  storeU32(bytes.data() + kIndexTableDefinitionOffset, page.tableDefinitionPage);
  storeU32(bytes.data() + kIndexPreviousOffset, page.previous);
  storeU32(bytes.data() + kIndexNextOffset, page.next);
  storeU32(bytes.data() + kIndexTailOffset, page.tail);
  storeU16(bytes.data() + kIndexPrefixLengthOffset, static_cast<std::uint16_t>(page.prefixLength));
  std::size_t used = 0;
  for (std::size_t i = 0; i < entries.size(); ++i) {
    const std::size_t skip = i == 0 ? 0 : page.prefixLength;
    used += writeEntry(entries[i], page, i, skip, bytes.data() + kIndexEntriesStart + used);
    bytes[kIndexEntryEndsOffset + used / 8] |= static_cast<std::uint8_t>(1 << (used % 8));
  }
  storeU16(bytes.data() + kIndexFreeSpaceOffset,
           static_cast<std::uint16_t>(kIndexEntriesSpace - used));
  return bytes;
}

JetIndexPage readIndexPage(std::span<const std::uint8_t> bytes, std::uint32_t pageNumber) {
  const auto damaged = [&](const std::string& reason) {
    return JetIndexPageDamage(pageNumber, reason);
  };
  if (bytes.size() != kJet4Format.pageSize) {
    throw damaged("it is not " + std::to_string(kJet4Format.pageSize) + " bytes long");
  }
  if (!isIndexPageType(bytes[0])) {
    throw damaged("its type " + std::to_string(bytes[0]) + " is not that of an index page");
  }
  JetIndexPage page;
  page.leaf = bytes[0] == static_cast<std::uint8_t>(JetPageType::IndexLeaf);
  page.tableDefinitionPage = loadU32(bytes.data() + kIndexTableDefinitionOffset);
  page.previous = loadU32(bytes.data() + kIndexPreviousOffset);
  page.next = loadU32(bytes.data() + kIndexNextOffset);
  page.tail = loadU32(bytes.data() + kIndexTailOffset);
  page.prefixLength = loadU16(bytes.data() + kIndexPrefixLengthOffset);
  const std::size_t trailer = kIndexEntryRowSize + (page.leaf ? 0 : kIndexEntryChildSize);
  std::vector<std::uint8_t> prefix;
  std::vector<std::uint8_t> whole;  // one entry with the prefix, reused for each
  std::size_t start = 0;
  for (std::size_t end = 1; end < kIndexEntryEndsBytes * 8; ++end) {
    if ((bytes[kIndexEntryEndsOffset + end / 8] & (1 << (end % 8))) == 0) continue;
    if (end > kIndexEntriesSpace) throw damaged("an entry ends beyond the page");
    const auto stored = bytes.subspan(kIndexEntriesStart + start, end - start);
    whole.assign(prefix.begin(), prefix.end());
    whole.insert(whole.end(), stored.begin(), stored.end());
    if (page.entries.empty()) {
      if (page.prefixLength > whole.size()) throw damaged("its shared prefix is too long");
      prefix.assign(whole.begin(), whole.begin() + page.prefixLength);
    }
    if (whole.size() < trailer) throw damaged("an entry is too short");
    const std::size_t keyLength = whole.size() - trailer;
    JetIndexEntry entry;
    entry.key.assign(whole.begin(), whole.begin() + keyLength);
    entry.row = {
        static_cast<std::uint32_t>(loadBig(whole.data() + keyLength, kIndexEntryRowPageSize)),
        whole[keyLength + kIndexEntryRowPageSize]};
    if (!page.entries.empty() && !indexEntryLess(page.entries.back(), entry)) {
      throw damaged("its entries are out of order");
    }
    if (!page.leaf) {
      page.children.push_back(static_cast<std::uint32_t>(
          loadBig(whole.data() + keyLength + kIndexEntryRowSize, kIndexEntryChildSize)));
    }
    page.entries.push_back(std::move(entry));
    start = end;
  }
  return page;
}

}  // namespace tiermend::data::jet
