// Patching Jet 4 files in place, page by page, for the damaged-package tests.
#include "tests/data/jet/DamagedPackages.h"

#include <fstream>
#include <stdexcept>

#include "data/providers/jet/read/JetDatabase.h"
#include "data/providers/jet/format/JetFormat.h"

namespace tiermend::data::jet::testing {
namespace {

constexpr std::size_t kPageSize = kJet4Format.pageSize;
constexpr std::size_t kRowCountOffset = kJet4Format.dataRowCountOffset;
constexpr std::size_t kDefinitionRowCountOffset = kJet4Format.rowCountOffset;
constexpr std::size_t kUsageMapOffset = kJet4Format.ownedMapOffset;

std::vector<std::uint8_t> readPage(const std::string& path, std::uint32_t page) {
  std::ifstream in(path, std::ios::binary);
  std::vector<std::uint8_t> bytes(kPageSize);
  in.seekg(static_cast<std::streamoff>(page) * kPageSize);
  in.read(reinterpret_cast<char*>(bytes.data()), kPageSize);
  if (!in) throw std::runtime_error("cannot read page " + std::to_string(page));
  return bytes;
}

void writeBytes(const std::string& path, std::uint64_t at, const std::vector<std::uint8_t>& bytes) {
  std::fstream out(path, std::ios::binary | std::ios::in | std::ios::out);
  out.seekp(static_cast<std::streamoff>(at));
  out.write(reinterpret_cast<const char*>(bytes.data()),
            static_cast<std::streamsize>(bytes.size()));
  if (!out) throw std::runtime_error("cannot write " + path);
}

std::uint32_t little(const std::vector<std::uint8_t>& page, std::size_t at, int bytes) {
  std::uint32_t value = 0;
  for (int i = bytes - 1; i >= 0; --i)
    value = (value << 8) | page[at + static_cast<std::size_t>(i)];
  return value;
}

std::vector<std::uint8_t> littleBytes(std::uint32_t value, int bytes) {
  std::vector<std::uint8_t> out;
  for (int i = 0; i < bytes; ++i) out.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
  return out;
}

std::uint32_t definitionPage(const std::string& path, const std::string& table) {
  const auto database = JetDatabase::open(path, "");  // kept open while its catalogue is read
  for (const JetCatalogEntry& entry : database->tables) {
    if (entry.name == table) return entry.definitionPage;
  }
  throw std::runtime_error("no table " + table);
}

}  // namespace

TablePages pagesOfTable(const std::string& path, const std::string& table) {
  TablePages pages;
  pages.definition = definitionPage(path, table);
  std::ifstream in(path, std::ios::binary | std::ios::ate);
  const auto count = static_cast<std::uint32_t>(static_cast<std::size_t>(in.tellg()) / kPageSize);
  for (std::uint32_t page = 1; page < count; ++page) {
    const auto bytes = readPage(path, page);
    if (bytes[0] == 1 && little(bytes, 4, 4) == pages.definition) pages.dataPages.push_back(page);
  }
  return pages;
}

void setPageRowCount(const std::string& path, std::uint32_t page, std::uint16_t count) {
  writeBytes(path, std::uint64_t{page} * kPageSize + kRowCountOffset, littleBytes(count, 2));
}

void setDefinitionRowCount(const std::string& path, std::uint32_t definitionPage,
                           std::uint32_t count) {
  writeBytes(path, std::uint64_t{definitionPage} * kPageSize + kDefinitionRowCountOffset,
             littleBytes(count, 4));
}

std::uint16_t rowOffset(const std::string& path, std::uint32_t page, int row) {
  const auto bytes = readPage(path, page);
  return static_cast<std::uint16_t>(
      little(bytes, kRowCountOffset + 2 + 2 * static_cast<std::size_t>(row), 2));
}

void setRowOffset(const std::string& path, std::uint32_t page, int row, std::uint16_t value) {
  writeBytes(
      path,
      std::uint64_t{page} * kPageSize + kRowCountOffset + 2 + 2 * static_cast<std::size_t>(row),
      littleBytes(value, 2));
}

void setPageOwner(const std::string& path, std::uint32_t page, std::uint32_t owner) {
  writeBytes(path, std::uint64_t{page} * kPageSize + 4, littleBytes(owner, 4));
}

void setPageMapByte(const std::string& path, const std::string& table, std::size_t index,
                    std::uint8_t value) {
  const auto definition = readPage(path, definitionPage(path, table));
  const std::uint32_t pointer = little(definition, kUsageMapOffset, 4);
  const std::uint32_t mapPage = pageOfPointer(pointer);
  const int mapRow = static_cast<int>(rowOfPointer(pointer));
  const std::uint16_t start = rowOffset(path, mapPage, mapRow) & kRowStartMask;
  writeBytes(path, std::uint64_t{mapPage} * kPageSize + start + index, {value});
}

void patchDefinition(const std::string& path, std::uint32_t definitionPage, std::size_t at,
                     const std::vector<std::uint8_t>& bytes) {
  writeBytes(path, std::uint64_t{definitionPage} * kPageSize + at, bytes);
}

}  // namespace tiermend::data::jet::testing
