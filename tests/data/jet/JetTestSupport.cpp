// Fixture paths, whole results, failure messages and scratch copies for the Jet tests.
#include "JetTestSupport.h"

#include <stdexcept>

#include "data/EngineError.h"
#include "data/providers/jet/format/ByteOrder.h"
#include "data/providers/jet/format/JetFormat.h"
#include "data/providers/jet/pages/JetDataPage.h"
#include "data/providers/jet/read/JetDatabase.h"
#include "tests/support/FailureText.h"

namespace tiermend::testing {

using data::jet::JetDatabase;
using data::jet::JetDataPage;
using data::jet::JetFormat;
using data::jet::jetFormat;
using data::jet::loadLittle;
using data::jet::loadU16;
using data::jet::loadU32;
using data::jet::Page;
using data::jet::storeU16;
using data::jet::storeU32;

std::string fixture(const std::string& name) {
  return std::string(TIERMEND_FIXTURES) + "/" + name;
}

Result readAll(data::Session& session, const std::string& sql) {
  Result result;
  auto cursor = session.query(sql);
  if (!cursor) throw std::runtime_error("no result set for " + sql);
  result.columns = cursor->columns();
  result.baseTable = cursor->baseTable();
  std::vector<data::Value> row;
  while (cursor->fetch(row)) result.rows.push_back(row);
  return result;
}

std::string ScratchFolder::copyOf(const std::string& fixtureName, const std::string& as) const {
  return copyOfFile(fixture(fixtureName), as);
}

std::string ScratchFolder::copyOfFile(const std::string& path, const std::string& as) const {
  const auto target = folder_.path() / as;
  std::filesystem::copy_file(path, target);
  std::filesystem::permissions(target, std::filesystem::perms::owner_write,
                               std::filesystem::perm_options::add);
  return target.string();
}

std::vector<std::string> namesOf(const std::vector<data::ColumnInfo>& columns) {
  std::vector<std::string> names;
  for (const auto& column : columns) names.push_back(column.name);
  return names;
}

void refreshTable(data::Session& target, data::Session& source, const std::string& table) {
  target.beginTransaction();
  try {
    target.execute("delete from " + table);
    auto cursor = source.query("select * from " + table);
    const auto names = namesOf(cursor->columns());
    std::vector<data::Value> row;
    while (cursor->fetch(row)) target.insert(table, names, row);
    target.commit();
  } catch (...) {
    target.rollback();
    throw;
  }
}

std::string failureOf(const std::function<void()>& action) {
  return failureMessageOf<data::EngineError>(action);
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

void removeIndexes(const std::string& path, const std::string& table, const std::string& password) {
  std::uint32_t page = 0;
  bool jet3 = false;
  {
    auto database = JetDatabase::open(path, password);
    page = database->openTable(table)->definition.page;
    jet3 = database->header.jet3;
  }
  const JetFormat& format = jetFormat(jet3);
  FileBytes file = fileBytes(path);
  const std::size_t pageSize = format.pageSize;
  FileBytes tdef(file.begin() + static_cast<long>(page * pageSize),
                 file.begin() + static_cast<long>((page + 1) * pageSize));
  if (loadU32(&tdef.at(format.definitionNextPageOffset)) != 0)
    throw std::runtime_error("definition spans pages");
  const std::size_t columns = loadU16(&tdef.at(format.columnCountOffset));
  const std::size_t logical = loadU32(&tdef.at(format.indexCountOffset));
  const std::size_t real = loadU32(&tdef.at(format.realIndexCountOffset));
  const std::size_t blockEnd = format.realIndexCountsStart;
  const std::size_t nameLength = format.columnNameLengthSize;
  const std::size_t length = loadU32(&tdef.at(format.definitionLengthOffset));
  FileBytes used(tdef.begin(), tdef.begin() + static_cast<long>(length));
  // Column names follow the column entries.
  std::size_t at =
      blockEnd + real * format.realIndexCountEntrySize + columns * format.columnEntrySize;
  for (std::size_t i = 0; i < columns; ++i) at += nameLength + loadLittle(&used.at(at), nameLength);
  const std::size_t indexesStart = at;
  at += real * format.realIndexEntrySize + logical * format.indexEntrySize;
  for (std::size_t i = 0; i < logical; ++i) at += nameLength + loadLittle(&used.at(at), nameLength);
  FileBytes stripped(used.begin(), used.begin() + static_cast<long>(blockEnd));
  stripped.insert(
      stripped.end(),
      used.begin() + static_cast<long>(blockEnd + real * format.realIndexCountEntrySize),
      used.begin() + static_cast<long>(indexesStart));
  stripped.insert(stripped.end(), used.begin() + static_cast<long>(at), used.end());
  storeU32(&stripped.at(format.definitionLengthOffset),
           static_cast<std::uint32_t>(stripped.size()));
  storeU32(&stripped.at(format.indexCountOffset), 0);
  storeU32(&stripped.at(format.realIndexCountOffset), 0);
  if (!jet3)
    storeU16(&stripped.at(format.dataFreeSpaceOffset),
             static_cast<std::uint16_t>(pageSize - stripped.size() - 8));
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
  FileBytes file = fileBytes(path);
  for (std::size_t start = 0; start + format.pageSize <= file.size(); start += format.pageSize) {
    Page page(file.begin() + static_cast<long>(start),
              file.begin() + static_cast<long>(start + format.pageSize));
    JetDataPage data(page, jet3);
    if (page[0] != 0x01 || !data.isDataPageOf(definition)) continue;
    data.markAllDeleted();
    std::copy(page.begin(), page.end(), file.begin() + static_cast<long>(start));
  }
  storeU32(&file.at(definition * format.pageSize + format.rowCountOffset), 0);
  writeBytes(path, file);
}

}  // namespace tiermend::testing
