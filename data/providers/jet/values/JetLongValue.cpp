// Reading memo and OLE values in full.
#include "data/providers/jet/values/JetLongValue.h"

#include <algorithm>
#include <unordered_set>

#include "data/EngineError.h"
#include "data/providers/jet/format/JetDamage.h"
#include "data/providers/jet/pages/JetDataPage.h"

namespace tiermend::data::jet {

namespace {

[[noreturn]] void damaged(const std::string& column) {
  throw damagedFile({}, "the long value in column '" + column + "' cannot be read");
}

// Reads the long-value rows a value is stored in, each checked against its page.
class LongValueRows {
 public:
  LongValueRows(const JetPageStore& pages, const JetFormat& format, const std::string& column)
      : pages_(pages), format_(format), column_(column) {}

  // The bytes of the row that pointer addresses, valid until the next call.
  std::pair<const std::uint8_t*, std::size_t> row(std::uint32_t pointer) {
    const std::uint32_t number = pageOfPointer(pointer);
    if (number == 0 || number >= pages_.pageCount()) damaged(column_);
    if (number != loaded_) {
      pages_.read(number, page_);
      loaded_ = number;
    }
    JetRowBounds bounds;
    if (!rowBounds(page_, format_, rowOfPointer(pointer), bounds) ||
        (bounds.entry & kRowDeletedFlag) != 0) {
      damaged(column_);
    }
    return {page_.data() + bounds.start, bounds.end - bounds.start};
  }

 private:
  const JetPageStore& pages_;
  const JetFormat& format_;
  const std::string& column_;
  Page page_;
  std::uint32_t loaded_ = 0;
};

void appendChain(LongValueRows& rows, std::uint32_t pointer, std::size_t total, Bytes& out,
                 const std::string& column) {
  std::unordered_set<std::uint32_t> visited;
  while (out.size() < total) {
    if (!visited.insert(pointer).second) damaged(column);  // a loop in the chain
    const auto [row, length] = rows.row(pointer);
    if (length <= kRowPointerSize) damaged(column);
    const std::size_t take = std::min(length - kRowPointerSize, total - out.size());
    out.insert(out.end(), row + kRowPointerSize, row + kRowPointerSize + take);
    pointer = loadU32(row);
    if (pointer == 0) break;
  }
  if (out.size() != total) damaged(column);
}

}  // namespace

Bytes readLongValue(const JetPageStore& pages, const JetFormat& format,
                    const std::uint8_t* reference, std::size_t length, const std::string& column) {
  if (length < kLongValueReferenceSize) damaged(column);
  const std::uint32_t header = loadU32(reference);
  const std::size_t total = header & kLongValueLengthMask;
  const std::uint32_t pointer = loadU32(reference + 4);
  Bytes out;
  if (total == 0) return out;
  if (header & kLongValueInline) {
    if (length - kLongValueReferenceSize < total) damaged(column);
    out.assign(reference + kLongValueReferenceSize, reference + kLongValueReferenceSize + total);
    return out;
  }
  LongValueRows rows(pages, format, column);
  if (header & kLongValueSinglePage) {
    const auto [row, rowLength] = rows.row(pointer);
    if (rowLength < total) damaged(column);
    out.assign(row, row + total);
  } else {
    out.reserve(std::min<std::size_t>(total, 1 << 20));  // a damaged length must not reserve 1 GiB
    appendChain(rows, pointer, total, out, column);
  }
  return out;
}

}  // namespace tiermend::data::jet
