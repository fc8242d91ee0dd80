// Reading a table's write layout from libmdb's definition and the raw pages.
#include "data/providers/jet/JetTableLayout.h"

#include <algorithm>

#include "data/EngineError.h"
#include "data/providers/jet/JetColumns.h"
#include "data/providers/jet/JetDataPage.h"

namespace tiermend::data::jet {

namespace {

constexpr std::uint8_t kFixedColumnFlag = 0x01;
constexpr std::uint8_t kAutoLongFlag = 0x04;
constexpr std::uint8_t kAutoGuidFlag = 0x40;
constexpr std::uint8_t kCompressedUnicodeFlag = 0x01;  // Jet 4: the byte after the flags
constexpr std::size_t kContinuationHeader = 8;

[[noreturn]] void refuse(const std::string& table, const std::string& why) {
  throw EngineError("Cannot update table '" + table + "': " + why + ".");
}

// The definition as one run of bytes: the first page whole, then each continuation
// page after its 8-byte header, as the engine reads it.
std::vector<std::uint8_t> definitionBytes(JetPageCache& cache, std::uint32_t first,
                                          const std::string& table) {
  std::vector<std::uint8_t> bytes;
  std::uint32_t next = first;
  for (int pages = 0; next != 0; ++pages) {
    if (next >= cache.file().pageCount() || pages > 64) refuse(table, "its definition is damaged");
    const Page& page = cache.page(next);
    if (page[0] != 0x02) refuse(table, "its definition is damaged");
    bytes.insert(bytes.end(), page.begin() + (pages == 0 ? 0 : kContinuationHeader), page.end());
    next = getU32(page, 4);
  }
  return bytes;
}

bool writableKind(int type) {
  switch (type) {
    case MDB_BOOL:
    case MDB_BYTE:
    case MDB_INT:
    case MDB_LONGINT:
    case MDB_MONEY:
    case MDB_FLOAT:
    case MDB_DOUBLE:
    case MDB_DATETIME:
    case MDB_BINARY:
    case MDB_TEXT:
    case MDB_MEMO:
    case MDB_OLE:
    case MDB_REPID:
    case MDB_NUMERIC:
      return true;
    default:
      return false;
  }
}

MdbColumn& libmdbColumn(MdbTableDef& table, guint index) {
  return *static_cast<MdbColumn*>(g_ptr_array_index(table.columns, index));
}

}  // namespace

JetTableLayout readTableLayout(JetDatabase& database, JetPageCache& cache,
                               const std::string& table) {
  const MdbTableDefPtr definition = database.openTable(table);
  const MdbFormatConstants& format = *database.handle->fmt;
  JetTableLayout layout;
  layout.name = definition->name;
  layout.jet3 = database.header.jet3;
  layout.definitionPage = static_cast<std::uint32_t>(definition->entry->table_pg);
  if (definition->num_idxs > 0 || definition->num_real_idxs > 0) {
    refuse(layout.name, "it has indexes, which this program cannot rebuild");
  }
  const std::vector<std::uint8_t> raw = definitionBytes(cache, layout.definitionPage, layout.name);
  const Page& first = cache.page(layout.definitionPage);
  layout.rowCountOffset = format.tab_num_rows_offset;
  layout.autoNumberOffset = format.tab_num_rows_offset + 4u;
  layout.rowColumnCount = getU16(first, format.tab_num_cols_offset - 4u);
  layout.ownedMap = getU32(first, format.tab_usage_map_offset);
  layout.freeMap = getU32(first, format.tab_free_map_offset);

  const std::size_t entriesStart =
      format.tab_cols_start_offset +
      static_cast<std::size_t>(definition->num_real_idxs) * format.tab_ridx_entry_size;
  for (guint i = 0; i < definition->num_cols; ++i) {
    const MdbColumn& parsed = libmdbColumn(*definition, i);
    JetColumnLayout column;
    column.name = parsed.name;
    column.type = parsed.col_type;
    if (!writableKind(column.type)) {
      refuse(layout.name,
             "its column '" + column.name + "' is of a kind this program cannot write");
    }
    // libmdb keeps the columns in its own order; find this one's raw entry.
    const std::uint8_t* entry = nullptr;
    for (guint k = 0; k < definition->num_cols && entry == nullptr; ++k) {
      const std::size_t at = entriesStart + k * format.tab_col_entry_size;
      if (at + format.tab_col_entry_size > raw.size())
        refuse(layout.name, "its definition is damaged");
      if (raw[at + format.col_num_offset] == static_cast<std::uint8_t>(parsed.col_num) &&
          raw[at] == static_cast<std::uint8_t>(parsed.col_type)) {
        entry = raw.data() + at;
      }
    }
    if (entry == nullptr) refuse(layout.name, "its definition is damaged");
    const std::uint8_t flags = entry[format.col_flags_offset];
    column.number = parsed.col_num;
    column.varIndex = static_cast<int>(parsed.var_col_num);
    column.fixedOffset = parsed.fixed_offset;
    column.size = parsed.col_size;
    column.fixed = (flags & kFixedColumnFlag) != 0;
    column.compressed =
        !layout.jet3 && (entry[format.col_flags_offset + 1] & kCompressedUnicodeFlag);
    column.autoNumber = (flags & kAutoLongFlag) != 0 && column.type == MDB_LONGINT;
    column.autoGuid = (flags & kAutoGuidFlag) != 0 && column.type == MDB_REPID;
    column.precision = entry[format.col_scale_offset];  // libmdb names these the wrong way round
    column.scale = entry[format.col_prec_offset];
    if ((flags & kAutoLongFlag) != 0 && !column.autoNumber) {
      refuse(layout.name,
             "its auto-number column '" + column.name + "' is of a kind this program cannot fill");
    }
    if (column.number >= layout.rowColumnCount) refuse(layout.name, "its definition is damaged");
    if (column.fixed && column.type != MDB_BOOL) {
      const int width =
          fixedValueWidth(column.type) > 0 ? fixedValueWidth(column.type) : column.size;
      if (column.type == MDB_TEXT || column.type == MDB_BINARY) {
        refuse(layout.name, "its fixed-length column '" + column.name +
                                "' is of a layout this program cannot write");
      }
      layout.fixedSize = std::max(layout.fixedSize, column.fixedOffset + width);
    }
    if (!column.fixed) layout.varCount = std::max(layout.varCount, column.varIndex + 1);
    layout.columns.push_back(std::move(column));
  }
  if (definition->num_var_cols > 0) {
    layout.varCount = std::max(layout.varCount, static_cast<int>(definition->num_var_cols));
  }
  return layout;
}

}  // namespace tiermend::data::jet
