// Fixture paths, whole results, failure messages and scratch copies for the Jet tests.
#include "JetTestSupport.h"

#include <fstream>
#include <iterator>
#include <stdexcept>

#include "data/EngineError.h"
#include "data/providers/jet/format/JetFormat.h"
#include "data/providers/jet/pages/JetDataPage.h"
#include "data/providers/jet/read/JetDatabase.h"
#include "tests/support/FailureText.h"

namespace tiermend::data::jet::testing {

std::string fixture(const std::string& name) {
  return std::string(TIERMEND_TESTDATA) + "/" + name;
}

Result readAll(Session& session, const std::string& sql) {
  Result result;
  auto cursor = session.query(sql);
  if (!cursor) throw std::runtime_error("no result set for " + sql);
  result.columns = cursor->columns();
  result.baseTable = cursor->baseTable();
  std::vector<Value> row;
  while (cursor->fetch(row)) result.rows.push_back(row);
  return result;
}

std::string ScratchFolder::copyOf(const std::string& fixtureName, const std::string& as) const {
  const auto target = folder_.path() / as;
  std::filesystem::copy_file(fixture(fixtureName), target);
  std::filesystem::permissions(target, std::filesystem::perms::owner_write,
                               std::filesystem::perm_options::add);
  return target.string();
}

std::vector<std::string> namesOf(const std::vector<ColumnInfo>& columns) {
  std::vector<std::string> names;
  for (const auto& column : columns) names.push_back(column.name);
  return names;
}

std::string failureOf(const std::function<void()>& action) {
  return ::tiermend::testing::failureMessageOf<EngineError>(action);
}

std::string JetScratchTest::targetCopyOf(const std::string& fixtureName, const std::string& table,
                                         const std::string& password) const {
  const std::string path = scratch.copyOf(fixtureName, "basedb.mdb");
  if (!table.empty()) {
    removeIndexes(path, table, password);
    removeRelationships(path, password);
  }
  return path;
}

std::vector<unsigned char> fileBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void writeBytes(const std::string& path, const std::vector<unsigned char>& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()),
            static_cast<std::streamsize>(bytes.size()));
}

}  // namespace tiermend::data::jet::testing

namespace tiermend::data::jet::testing {

namespace {

std::uint32_t littleEndian(const std::vector<unsigned char>& bytes, std::size_t at, int size) {
  std::uint32_t value = 0;
  for (int i = size - 1; i >= 0; --i)
    value = value << 8 | bytes.at(at + static_cast<std::size_t>(i));
  return value;
}

void putLittleEndian(std::vector<unsigned char>& bytes, std::size_t at, int size,
                     std::uint32_t value) {
  for (int i = 0; i < size; ++i)
    bytes.at(at + static_cast<std::size_t>(i)) = static_cast<unsigned char>(value >> (8 * i));
}

}  // namespace

void removeIndexes(const std::string& path, const std::string& table, const std::string& password) {
  std::uint32_t page = 0;
  bool jet3 = false;
  {
    auto database = JetDatabase::open(path, password);
    page = database->openTable(table)->definition.page;
    jet3 = database->header.jet3;
  }
  const JetFormat& format = jetFormat(jet3);
  std::vector<unsigned char> file = fileBytes(path);
  const std::size_t pageSize = format.pageSize;
  std::vector<unsigned char> tdef(file.begin() + static_cast<long>(page * pageSize),
                                  file.begin() + static_cast<long>((page + 1) * pageSize));
  if (littleEndian(tdef, format.definitionNextPageOffset, 4) != 0)
    throw std::runtime_error("definition spans pages");
  const std::size_t columns = littleEndian(tdef, format.columnCountOffset, 2);
  const std::size_t logical = littleEndian(tdef, format.indexCountOffset, 4);
  const std::size_t real = littleEndian(tdef, format.realIndexCountOffset, 4);
  const std::size_t blockEnd = format.realIndexCountsStart;
  const std::size_t nameLength = format.columnNameLengthSize;
  const std::size_t length = littleEndian(tdef, format.definitionLengthOffset, 4);
  std::vector<unsigned char> used(tdef.begin(), tdef.begin() + static_cast<long>(length));
  // Column names follow the column entries.
  std::size_t at =
      blockEnd + real * format.realIndexCountEntrySize + columns * format.columnEntrySize;
  for (std::size_t i = 0; i < columns; ++i)
    at += nameLength + littleEndian(used, at, static_cast<int>(nameLength));
  const std::size_t indexesStart = at;
  at += real * format.realIndexEntrySize + logical * format.indexEntrySize;
  for (std::size_t i = 0; i < logical; ++i)
    at += nameLength + littleEndian(used, at, static_cast<int>(nameLength));
  std::vector<unsigned char> stripped(used.begin(), used.begin() + static_cast<long>(blockEnd));
  stripped.insert(
      stripped.end(),
      used.begin() + static_cast<long>(blockEnd + real * format.realIndexCountEntrySize),
      used.begin() + static_cast<long>(indexesStart));
  stripped.insert(stripped.end(), used.begin() + static_cast<long>(at), used.end());
  putLittleEndian(stripped, format.definitionLengthOffset, 4,
                  static_cast<std::uint32_t>(stripped.size()));
  putLittleEndian(stripped, format.indexCountOffset, 4, 0);
  putLittleEndian(stripped, format.realIndexCountOffset, 4, 0);
  if (!jet3)
    putLittleEndian(stripped, format.dataFreeSpaceOffset, 2,
                    static_cast<std::uint32_t>(pageSize - stripped.size() - 8));
  std::fill(tdef.begin(), tdef.end(), 0);
  std::copy(stripped.begin(), stripped.end(), tdef.begin());
  std::copy(tdef.begin(), tdef.end(), file.begin() + static_cast<long>(page * pageSize));
  writeBytes(path, file);
}

void removeRelationships(const std::string& path, const std::string& password) {
  std::uint32_t definition = 0;
  bool jet3 = false;
  {
    auto database = JetDatabase::open(path, password);
    if (database->header.databaseKey != 0) throw std::runtime_error("encrypted pages");
    definition = database->openTable("MSysRelationships")->definition.page;
    jet3 = database->header.jet3;
  }
  const JetFormat& format = jetFormat(jet3);
  std::vector<unsigned char> file = fileBytes(path);
  for (std::size_t start = 0; start + format.pageSize <= file.size(); start += format.pageSize) {
    Page page(file.begin() + static_cast<long>(start),
              file.begin() + static_cast<long>(start + format.pageSize));
    JetDataPage data(page, jet3);
    if (page[0] != 0x01 || !data.isDataPageOf(definition)) continue;
    data.markAllDeleted();
    std::copy(page.begin(), page.end(), file.begin() + static_cast<long>(start));
  }
  putLittleEndian(file, definition * format.pageSize + format.rowCountOffset, 4, 0);
  writeBytes(path, file);
}

}  // namespace tiermend::data::jet::testing
