#include "JetTestSupport.h"

#include <fstream>
#include <iterator>
#include <stdexcept>

#include "data/EngineError.h"
#include "data/providers/jet/JetDatabase.h"
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
  if (!table.empty()) removeIndexes(path, table, password);
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
  {
    auto database = JetDatabase::open(path, password);
    page = static_cast<std::uint32_t>(database->openTable(table)->entry->table_pg);
  }
  std::vector<unsigned char> file = fileBytes(path);
  const bool jet3 = file.at(0x14) == 0;
  const std::size_t pageSize = jet3 ? 2048 : 4096;
  std::vector<unsigned char> tdef(file.begin() + static_cast<long>(page * pageSize),
                                  file.begin() + static_cast<long>((page + 1) * pageSize));
  if (littleEndian(tdef, 4, 4) != 0) throw std::runtime_error("definition spans pages");
  const std::size_t countsAt = jet3 ? 25 : 45;  // column count; index counts follow
  const std::size_t columns = littleEndian(tdef, countsAt, 2);
  const std::size_t logical = littleEndian(tdef, countsAt + 2, 4);
  const std::size_t real = littleEndian(tdef, countsAt + 6, 4);
  const std::size_t blockEnd = jet3 ? 43 : 63;
  const std::size_t realEntry = jet3 ? 8 : 12, columnEntry = jet3 ? 18 : 25;
  const std::size_t realDefinition = jet3 ? 39 : 52, logicalDefinition = jet3 ? 20 : 28;
  const std::size_t nameLength = jet3 ? 1 : 2;
  const std::size_t length = littleEndian(tdef, 8, 4);
  std::vector<unsigned char> used(tdef.begin(), tdef.begin() + static_cast<long>(length));
  // Column names follow the column entries.
  std::size_t at = blockEnd + real * realEntry + columns * columnEntry;
  for (std::size_t i = 0; i < columns; ++i)
    at += nameLength + littleEndian(used, at, static_cast<int>(nameLength));
  const std::size_t indexesStart = at;
  at += real * realDefinition + logical * logicalDefinition;
  for (std::size_t i = 0; i < logical; ++i)
    at += nameLength + littleEndian(used, at, static_cast<int>(nameLength));
  std::vector<unsigned char> stripped(used.begin(), used.begin() + static_cast<long>(blockEnd));
  stripped.insert(stripped.end(), used.begin() + static_cast<long>(blockEnd + real * realEntry),
                  used.begin() + static_cast<long>(indexesStart));
  stripped.insert(stripped.end(), used.begin() + static_cast<long>(at), used.end());
  putLittleEndian(stripped, 8, 4, static_cast<std::uint32_t>(stripped.size()));
  putLittleEndian(stripped, countsAt + 2, 4, 0);
  putLittleEndian(stripped, countsAt + 6, 4, 0);
  if (!jet3)
    putLittleEndian(stripped, 2, 2, static_cast<std::uint32_t>(pageSize - stripped.size() - 8));
  std::fill(tdef.begin(), tdef.end(), 0);
  std::copy(stripped.begin(), stripped.end(), tdef.begin());
  std::copy(tdef.begin(), tdef.end(), file.begin() + static_cast<long>(page * pageSize));
  writeBytes(path, file);
}

}  // namespace tiermend::data::jet::testing
