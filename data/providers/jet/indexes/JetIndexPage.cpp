// Writing and reading one Jet 4 index page: its header, its entries with their shared
// prefix left out, and the bitmap of where each entry ends.
#include "data/providers/jet/indexes/JetIndexPage.h"

#include <algorithm>
#include <stdexcept>

namespace tiermend::data::jet {
namespace {

void putLittle(std::vector<std::uint8_t>& page, std::size_t at, std::uint32_t value,
               std::size_t size) {
  for (std::size_t i = 0; i < size; ++i) page[at + i] = static_cast<std::uint8_t>(value >> (8 * i));
}

std::uint32_t getLittle(std::span<const std::uint8_t> page, std::size_t at, std::size_t size) {
  std::uint32_t value = 0;
  for (std::size_t i = size; i-- > 0;) value = (value << 8) | page[at + i];
  return value;
}

void appendBig(std::vector<std::uint8_t>& out, std::uint32_t value, std::size_t size) {
  for (std::size_t i = size; i-- > 0;) out.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
}

std::uint32_t getBig(std::span<const std::uint8_t> bytes, std::size_t at, std::size_t size) {
  std::uint32_t value = 0;
  for (std::size_t i = 0; i < size; ++i) value = (value << 8) | bytes[at + i];
  return value;
}

// The entry's bytes as the page holds them before any prefix is left out.
std::vector<std::uint8_t> entryBytes(const JetIndexEntry& entry, const JetIndexPage& page,
                                     std::size_t i) {
  std::vector<std::uint8_t> bytes = entry.key;
  appendBig(bytes, entry.row.page, 3);
  bytes.push_back(entry.row.row);
  if (!page.leaf) appendBig(bytes, page.children[i], kChildBytes);
  return bytes;
}

void checkWritable(const JetIndexPage& page) {
  if (page.leaf ? !page.children.empty() : page.children.size() != page.entries.size()) {
    throw std::invalid_argument("An index node page needs one child page per entry");
  }
  if (page.leaf && page.tail != 0) {
    throw std::invalid_argument("An index leaf page has no tail page");
  }
  for (const JetIndexEntry& entry : page.entries) {
    if (entry.row.page > kMaxEntryRowPage) {
      throw std::invalid_argument("An index entry's row page " + std::to_string(entry.row.page) +
                                  " is beyond the 3 bytes an entry holds");
    }
    if (entry.key.size() < page.prefixLength ||
        !std::equal(entry.key.begin(), entry.key.begin() + page.prefixLength,
                    page.entries.front().key.begin())) {
      throw std::invalid_argument("An index page's prefix is not shared by all its keys");
    }
  }
  const std::size_t size = indexEntriesSize(page.entries, page.leaf, page.prefixLength);
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

std::size_t indexEntrySize(const JetIndexEntry& entry, bool leaf) {
  return entry.key.size() + kRowIdBytes + (leaf ? 0 : kChildBytes);
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
    : EngineError("The index page " + std::to_string(pageNumber) +
                  " of the file is damaged: " + reason + ".") {}

std::vector<std::uint8_t> writeIndexPage(const JetIndexPage& page) {
  checkWritable(page);
  std::vector<std::uint8_t> bytes(kIndexPageSize, 0);
  bytes[0] = page.leaf ? kIndexLeafPage : kIndexNodePage;
  bytes[1] = 0x01;
  putLittle(bytes, kIndexTableDefinitionAt, page.tableDefinitionPage, 4);
  putLittle(bytes, kIndexPreviousAt, page.previous, 4);
  putLittle(bytes, kIndexNextAt, page.next, 4);
  putLittle(bytes, kIndexTailAt, page.tail, 4);
  putLittle(bytes, kIndexPrefixLengthAt, static_cast<std::uint32_t>(page.prefixLength), 2);
  std::size_t used = 0;
  for (std::size_t i = 0; i < page.entries.size(); ++i) {
    const std::vector<std::uint8_t> entry = entryBytes(page.entries[i], page, i);
    const std::size_t skip = i == 0 ? 0 : page.prefixLength;
    std::copy(entry.begin() + skip, entry.end(), bytes.begin() + kIndexEntriesStart + used);
    used += entry.size() - skip;
    bytes[kIndexEntryEndsAt + used / 8] |= static_cast<std::uint8_t>(1 << (used % 8));
  }
  putLittle(bytes, kIndexFreeSpaceAt, static_cast<std::uint32_t>(kIndexEntriesSpace - used), 2);
  return bytes;
}

JetIndexPage readIndexPage(std::span<const std::uint8_t> bytes, std::uint32_t pageNumber) {
  const auto damaged = [&](const std::string& reason) {
    return JetIndexPageDamage(pageNumber, reason);
  };
  if (bytes.size() != kIndexPageSize) throw damaged("it is not 4096 bytes long");
  if (bytes[0] != kIndexLeafPage && bytes[0] != kIndexNodePage) {
    throw damaged("its type " + std::to_string(bytes[0]) + " is not that of an index page");
  }
  JetIndexPage page;
  page.leaf = bytes[0] == kIndexLeafPage;
  page.tableDefinitionPage = getLittle(bytes, kIndexTableDefinitionAt, 4);
  page.previous = getLittle(bytes, kIndexPreviousAt, 4);
  page.next = getLittle(bytes, kIndexNextAt, 4);
  page.tail = getLittle(bytes, kIndexTailAt, 4);
  page.prefixLength = getLittle(bytes, kIndexPrefixLengthAt, 2);
  const std::size_t trailer = kRowIdBytes + (page.leaf ? 0 : kChildBytes);
  std::vector<std::uint8_t> prefix;
  std::size_t start = 0;
  for (std::size_t end = 1; end < kIndexEntryEndsBytes * 8; ++end) {
    if ((bytes[kIndexEntryEndsAt + end / 8] & (1 << (end % 8))) == 0) continue;
    if (end > kIndexEntriesSpace) throw damaged("an entry ends beyond the page");
    const auto stored = bytes.subspan(kIndexEntriesStart + start, end - start);
    std::vector<std::uint8_t> whole = prefix;
    whole.insert(whole.end(), stored.begin(), stored.end());
    if (page.entries.empty()) {
      if (page.prefixLength > whole.size()) throw damaged("its shared prefix is too long");
      prefix.assign(whole.begin(), whole.begin() + page.prefixLength);
    }
    if (whole.size() < trailer) throw damaged("an entry is too short");
    const std::size_t keyLength = whole.size() - trailer;
    JetIndexEntry entry;
    entry.key.assign(whole.begin(), whole.begin() + keyLength);
    entry.row = {getBig(whole, keyLength, 3), whole[keyLength + 3]};
    if (!page.entries.empty() && !indexEntryLess(page.entries.back(), entry)) {
      throw damaged("its entries are out of order");
    }
    if (!page.leaf) page.children.push_back(getBig(whole, keyLength + kRowIdBytes, kChildBytes));
    page.entries.push_back(std::move(entry));
    start = end;
  }
  return page;
}

}  // namespace tiermend::data::jet
