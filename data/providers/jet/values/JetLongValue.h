// Memo and OLE values ("long values"): a 12-byte reference in the row that either holds
// the data inline or points to one or a chain of rows on long-value pages. Read here in
// full, with every length and page reference checked.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "data/Value.h"
#include "data/providers/jet/format/JetFormat.h"
#include "data/providers/jet/pages/JetPageStore.h"

namespace tiermend::data::jet {

// Where long values are read from: the file's pages, in its format.
struct JetLongValueSource {
  const JetPageStore& pages;
  const JetFormat& format;
};

// The stored bytes of a long value whose reference starts at reference (length bytes
// of the row, at least 12). Throws EngineError naming column when the file is damaged.
Bytes readLongValue(const JetPageStore& pages, const JetFormat& format,
                    const std::uint8_t* reference, std::size_t length, const std::string& column);

}  // namespace tiermend::data::jet
