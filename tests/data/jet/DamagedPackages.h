// Damaged copies of a Jet file, made the way the faults were found: a data page's row
// count raised, a page map pointing outside the file, row offsets and flags changed.
// Each function patches the file at path in place and returns what it changed, so that
// the tests can name the page in the message they expect.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace tiermend::testing {

// The file's pages as its catalogue places them.
struct TablePages {
  std::uint32_t definition = 0;          // the table definition page
  std::vector<std::uint32_t> dataPages;  // pages whose owner field names it, ascending
};

TablePages pagesOfTable(const std::string& path, const std::string& table);

// Sets the row count of data page `page` (Jet 4 layout).
void setPageRowCount(const std::string& path, std::uint32_t page, std::uint16_t count);

// Sets the row count the table definition holds.
void setDefinitionRowCount(const std::string& path, std::uint32_t definitionPage,
                           std::uint32_t count);

// Reads and writes entry `row` of a data page's row-offset table (flags included).
std::uint16_t rowOffset(const std::string& path, std::uint32_t page, int row);
void setRowOffset(const std::string& path, std::uint32_t page, int row, std::uint16_t value);

// Sets the owner field (table definition page) of a data page.
void setPageOwner(const std::string& path, std::uint32_t page, std::uint32_t owner);

// Replaces byte `index` of the table's usage map (a row of a page the definition
// points at) with value.
void setPageMapByte(const std::string& path, const std::string& table, std::size_t index,
                    std::uint8_t value);

// Writes bytes over the table definition on page definitionPage from offset at.
void patchDefinition(const std::string& path, std::uint32_t definitionPage, std::size_t at,
                     const std::vector<std::uint8_t>& bytes);

}  // namespace tiermend::testing
