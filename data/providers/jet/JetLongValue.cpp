// Reading memo and OLE values in full.
#include "data/providers/jet/JetLongValue.h"

#include <algorithm>
#include <unordered_set>

#include "data/EngineError.h"
#include "data/providers/jet/JetValues.h"

namespace tiermend::data::jet {

namespace {

constexpr std::size_t kReferenceSize = 12;
constexpr std::uint32_t kInlineFlag = 0x80000000;
constexpr std::uint32_t kSinglePageFlag = 0x40000000;
constexpr std::uint32_t kLengthMask = 0x3FFFFFFF;
constexpr std::size_t kChainLinkSize = 4;  // each row of a chain starts with the next row's address

[[noreturn]] void damaged(const std::string& column) {
  throw EngineError("The long value in column '" + column +
                    "' cannot be read: the database file is damaged.");
}

// The bytes of the row that pageRow (page number << 8 | row number) addresses.
std::pair<const std::uint8_t*, std::size_t> findRow(MdbHandle* mdb, std::uint32_t pageRow,
                                                    const std::string& column) {
  void* page = nullptr;
  int offset = 0;
  std::size_t length = 0;
  if (pageRow == 0 ||
      mdb_find_pg_row(mdb, static_cast<int>(pageRow), &page, &offset, &length) != 0) {
    damaged(column);
  }
  const auto pageSize = static_cast<std::size_t>(mdb->fmt->pg_size);
  if (offset < 0 || static_cast<std::size_t>(offset) + length > pageSize) damaged(column);
  return {static_cast<const std::uint8_t*>(page) + offset, length};
}

void appendChain(MdbHandle* mdb, std::uint32_t pageRow, std::size_t total, Bytes& out,
                 const std::string& column) {
  std::unordered_set<std::uint32_t> visited;
  while (out.size() < total) {
    if (!visited.insert(pageRow).second) damaged(column);  // a loop in the chain
    const auto [row, length] = findRow(mdb, pageRow, column);
    if (length <= kChainLinkSize) damaged(column);
    const std::size_t take = std::min(length - kChainLinkSize, total - out.size());
    out.insert(out.end(), row + kChainLinkSize, row + kChainLinkSize + take);
    pageRow = static_cast<std::uint32_t>(readInt32(row));
    if (pageRow == 0) break;
  }
  if (out.size() != total) damaged(column);
}

}  // namespace

Bytes readLongValue(MdbHandle* mdb, const std::uint8_t* reference, std::size_t length,
                    const std::string& column) {
  if (length < kReferenceSize) damaged(column);
  const auto header = static_cast<std::uint32_t>(readInt32(reference));
  const std::size_t total = header & kLengthMask;
  const auto pageRow = static_cast<std::uint32_t>(readInt32(reference + 4));
  Bytes out;
  if (total == 0) return out;
  if (header & kInlineFlag) {
    if (length - kReferenceSize < total) damaged(column);
    out.assign(reference + kReferenceSize, reference + kReferenceSize + total);
  } else if (header & kSinglePageFlag) {
    const auto [row, rowLength] = findRow(mdb, pageRow, column);
    if (rowLength < total) damaged(column);
    out.assign(row, row + total);
  } else {
    out.reserve(std::min<std::size_t>(total, 1 << 20));  // a damaged length must not reserve 1 GiB
    appendChain(mdb, pageRow, total, out, column);
  }
  return out;
}

}  // namespace tiermend::data::jet
