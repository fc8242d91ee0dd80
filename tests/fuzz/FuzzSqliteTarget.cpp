// Fuzz target: a SQLite target file. The input is a whole database file; through the
// connection and rowset it is opened as the tool opens basedb.mdb, every table is read
// as edit text, then emptied and given a row inside a transaction that is rolled back.
// A foreign or damaged file may fail with a message, never crash.
#include <string>
#include <vector>

#include "FuzzInput.h"
#include "data/Connection.h"
#include "data/Rowset.h"
#include "platform/Exceptions.h"

namespace {

using tiermend::data::Rowset;

constexpr std::size_t kMostTables = 8;
constexpr std::size_t kMostRows = 200;

std::vector<std::string> tableNames(Rowset& rowset) {
  std::vector<std::string> names;
  rowset.clearSql();
  rowset.addSql("select name from sqlite_master where type = 'table'");
  rowset.open();
  for (rowset.first(); !rowset.eof() && names.size() < kMostTables; rowset.next())
    names.push_back(rowset.field(0).asString());
  rowset.close();
  return names;
}

void readAsEditText(Rowset& rowset, const std::string& select) {
  rowset.clearSql();
  rowset.addSql(select);
  rowset.open();
  std::size_t rows = 0;
  for (rowset.first(); !rowset.eof() && rows < kMostRows; rowset.next(), ++rows) {
    for (int i = 0; i < rowset.fieldCount(); ++i) rowset.field(i).asString();
  }
}

// Empties the table and posts one row of edit texts, as a refresh step does.
void replaceRows(Rowset& rowset, const std::string& table, const std::string& select) {
  rowset.clearSql();
  rowset.addSql("delete from \"" + table + "\"");
  rowset.execSql();
  rowset.clearSql();
  rowset.addSql(select);
  rowset.open();
  rowset.append();
  const char* const texts[] = {"1", "", "12.5", "2024/1/31", "True", "x"};
  for (int i = 0; i < rowset.fieldCount(); ++i) {
    try {
      rowset.field(i).setAsString(texts[i % 6]);
    } catch (const tiermend::Exception&) {
      // A text the column cannot take is refused with a message.
    }
  }
  rowset.post();
}

void exercise(tiermend::data::Connection& connection, Rowset& rowset) {
  for (const std::string& table : tableNames(rowset)) {
    if (table.find('"') != std::string::npos) continue;
    const std::string select = "select * from \"" + table + "\"";
    try {
      readAsEditText(rowset, select);
      rowset.close();
      connection.beginTransaction();
      replaceRows(rowset, table, select);
    } catch (const tiermend::Exception&) {
    }
    rowset.close();
    try {
      if (connection.inTransaction()) connection.rollback();
    } catch (const tiermend::Exception&) {
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static tiermend::testing::ScratchFile file(".db");
  const std::string& path = file.write(data, size);
  std::remove((path + "-journal").c_str());
  const tiermend::data::TextSettings settings{tiermend::CodePage(950),
                                              tiermend::RegionalSettings{}};
  tiermend::data::Connection connection("ADOC2", settings);
  tiermend::data::Rowset rowset("ADOQ2", connection);
  connection.setConnectionString("Provider=Microsoft.Jet.OLEDB.4.0;Data Source=" + path);
  try {
    connection.open();
    exercise(connection, rowset);
  } catch (const tiermend::Exception&) {
  }
  return 0;
}
