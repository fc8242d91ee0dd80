// Patching Jet 4 files in place, page by page, for the damaged-package tests.
#include "tests/data/jet/DamagedPackages.h"

#include <fstream>
#include <stdexcept>

#include "data/providers/jet/format/ByteOrder.h"
#include "data/providers/jet/format/JetFormat.h"
#include "data/providers/jet/read/JetDatabase.h"

namespace tiermend::testing {
namespace {

using data::jet::kJet4Format;
using data::jet::loadU16;
using data::jet::loadU32;

constexpr std::size_t kPageSize = kJet4Format.pageSize;
constexpr std::size_t kRowCountOffset = kJet4Format.dataRowCountOffset;
constexpr std::size_t kOwnerOffset = kJet4Format.dataOwnerOffset;
constexpr std::size_t kDefinitionRowCountOffset = kJet4Format.rowCountOffset;
constexpr std::size_t kUsageMapOffset = kJet4Format.ownedMapOffset;
constexpr auto kDataPage = static_cast<std::uint8_t>(data::jet::JetPageType::Data);

std::vector<std::uint8_t> readPage(const std::string& path, std::uint32_t page) {
  std::ifstream in(path, std::ios::binary);
  std::vector<std::uint8_t> bytes(kPageSize);
  in.seekg(static_cast<std::streamoff>(page) * kPageSize);
  in.read(reinterpret_cast<char*>(bytes.data()), kPageSize);
  if (!in) throw std::runtime_error("cannot read page " + std::to_string(page));
  return bytes;
}

void writeBytesAt(const std::string& path, std::uint64_t at,
                  const std::vector<std::uint8_t>& bytes) {
  std::fstream out(path, std::ios::binary | std::ios::in | std::ios::out);
  out.seekp(static_cast<std::streamoff>(at));
  out.write(reinterpret_cast<const char*>(bytes.data()),
            static_cast<std::streamsize>(bytes.size()));
  if (!out) throw std::runtime_error("cannot write " + path);
}

std::vector<std::uint8_t> littleBytes(std::uint32_t value, std::size_t width) {
  std::vector<std::uint8_t> out(width);
  data::jet::storeLittle(out.data(), width, value);
  return out;
}

std::uint32_t definitionPage(const std::string& path, const std::string& table) {
  // The database is kept open while its catalogue is read.
  const auto database = data::jet::JetDatabase::open(path, "");
  for (const data::jet::JetCatalogEntry& entry : database->tables) {
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
    if (bytes.at(0) == kDataPage && loadU32(&bytes.at(kOwnerOffset)) == pages.definition)
      pages.dataPages.push_back(page);
  }
  return pages;
}

void setPageRowCount(const std::string& path, std::uint32_t page, std::uint16_t count) {
  writeBytesAt(path, std::uint64_t{page} * kPageSize + kRowCountOffset, littleBytes(count, 2));
}

void setDefinitionRowCount(const std::string& path, std::uint32_t definitionPage,
                           std::uint32_t count) {
  writeBytesAt(path, std::uint64_t{definitionPage} * kPageSize + kDefinitionRowCountOffset,
               littleBytes(count, 4));
}

std::uint16_t rowOffset(const std::string& path, std::uint32_t page, int row) {
  const auto bytes = readPage(path, page);
  return loadU16(&bytes.at(kJet4Format.rowEntryOffset(static_cast<std::size_t>(row))));
}

void setRowOffset(const std::string& path, std::uint32_t page, int row, std::uint16_t value) {
  writeBytesAt(
      path,
      std::uint64_t{page} * kPageSize + kJet4Format.rowEntryOffset(static_cast<std::size_t>(row)),
      littleBytes(value, 2));
}

void setPageOwner(const std::string& path, std::uint32_t page, std::uint32_t owner) {
  writeBytesAt(path, std::uint64_t{page} * kPageSize + kOwnerOffset, littleBytes(owner, 4));
}

void setPageMapByte(const std::string& path, const std::string& table, std::size_t index,
                    std::uint8_t value) {
  const auto definition = readPage(path, definitionPage(path, table));
  const std::uint32_t pointer = loadU32(&definition.at(kUsageMapOffset));
  const std::uint32_t mapPage = data::jet::pageOfPointer(pointer);
  const int mapRow = static_cast<int>(data::jet::rowOfPointer(pointer));
  const std::uint16_t start = rowOffset(path, mapPage, mapRow) & data::jet::kRowStartMask;
  writeBytesAt(path, std::uint64_t{mapPage} * kPageSize + start + index, {value});
}

void patchDefinition(const std::string& path, std::uint32_t definitionPage, std::size_t at,
                     const std::vector<std::uint8_t>& bytes) {
  writeBytesAt(path, std::uint64_t{definitionPage} * kPageSize + at, bytes);
}

}  // namespace tiermend::testing
