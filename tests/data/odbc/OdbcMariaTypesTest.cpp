// Column kinds and values of the MariaDB types the provider maps, read and written
// through MariaDB Connector/ODBC, one row at a time and in parameter arrays. BOOLEAN
// is MariaDB's name for TINYINT(1) and reads as a whole number; BIT(1) is a yes/no.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "data/ConnectionString.h"
#include "data/providers/odbc/OdbcProvider.h"
#include "data/providers/odbc/OdbcSession.h"
#include "tests/data/odbc/ColumnKindCase.h"
#include "tests/support/MariaTestDataSource.h"

namespace tiermend::data::odbc {
namespace {

using testing::expectColumnKind;
using testing::KindCase;
using testing::kindCaseName;
const char* kCreateAllTypes = R"(
CREATE TABLE kinds (
  id integer AUTO_INCREMENT PRIMARY KEY,
  tiny tinyint,
  tiny_u tinyint unsigned,
  small smallint,
  small_u smallint unsigned,
  medium mediumint,
  whole integer,
  whole_u integer unsigned,
  big bigint,
  amount decimal(12,4),
  ratio float,
  measure double,
  flag boolean,
  bit_flag bit(1),
  day date,
  clock time,
  stamp datetime(3),
  name varchar(20),
  code char(3),
  note text,
  long_note longtext,
  raw varbinary(8),
  data blob
);)";

class OdbcMariaKindsTest : public ::testing::TestWithParam<KindCase> {
 protected:
  testing::MariaTestDataSource maria;
};

TEST_P(OdbcMariaKindsTest, ReportsTheColumnKind) {
  maria.sql(kCreateAllTypes);
  auto session = openSession(ConnectionString::parse(maria.oleDbConnectionString()));
  expectColumnKind(session->query("SELECT * FROM kinds"), GetParam());
}

INSTANTIATE_TEST_SUITE_P(Types, OdbcMariaKindsTest,
                         ::testing::Values(KindCase{"id", ColumnType::Int32, 0, 0, 0, true},
                                           KindCase{"tiny", ColumnType::Int8, 0, 0, 0, false},
                                           KindCase{"tiny_u", ColumnType::UInt8, 0, 0, 0, false},
                                           KindCase{"small", ColumnType::Int16, 0, 0, 0, false},
                                           KindCase{"small_u", ColumnType::UInt16, 0, 0, 0, false},
                                           KindCase{"medium", ColumnType::Int32, 0, 0, 0, false},
                                           KindCase{"whole", ColumnType::Int32, 0, 0, 0, false},
                                           KindCase{"whole_u", ColumnType::UInt32, 0, 0, 0, false},
                                           KindCase{"big", ColumnType::Int64, 0, 0, 0, false},
                                           KindCase{"amount", ColumnType::Decimal, 0, 12, 4, false},
                                           KindCase{"ratio", ColumnType::Single, 0, 0, 0, false},
                                           KindCase{"measure", ColumnType::Double, 0, 0, 0, false},
                                           KindCase{"flag", ColumnType::Int8, 0, 0, 0, false},
                                           KindCase{"bit_flag", ColumnType::Boolean, 0, 0, 0,
                                                    false},
                                           KindCase{"day", ColumnType::Date, 0, 0, 0, false},
                                           KindCase{"clock", ColumnType::Time, 0, 0, 0, false},
                                           KindCase{"stamp", ColumnType::DateTime, 0, 0, 0, false},
                                           KindCase{"name", ColumnType::Text, 20, 0, 0, false},
                                           KindCase{"code", ColumnType::Text, 3, 0, 0, false},
                                           KindCase{"note", ColumnType::Memo, 0, 0, 0, false},
                                           KindCase{"long_note", ColumnType::Memo, 0, 0, 0, false},
                                           KindCase{"raw", ColumnType::Binary, 8, 0, 0, false},
                                           KindCase{"data", ColumnType::Blob, 0, 0, 0, false}),
                         kindCaseName);

const std::vector<std::string> kColumns = {
    "tiny",   "tiny_u", "small",   "small_u",   "medium",   "whole", "whole_u", "big",
    "amount", "ratio",  "measure", "flag",      "bit_flag", "day",   "clock",   "stamp",
    "name",   "code",   "note",    "long_note", "raw",      "data"};

std::vector<Value> sampleValues(int row) {
  return {std::int64_t{-128 + row},
          std::int64_t{255},
          std::int64_t{-32768},
          std::int64_t{65535},
          std::int64_t{-8388608},
          std::int64_t{row},
          std::int64_t{4294967295},
          std::int64_t{9007199254740993},
          Decimal{"-12345678.1234"},
          1.5,
          0.1,
          std::int64_t{1},
          true,
          DateTime{2024, 2, 29},
          DateTime{1899, 12, 30, 23, 59, 58, 0},
          DateTime{1900, 1, 1, 13, 14, 15, 678},
          std::string("健保級距表") + std::string(static_cast<std::size_t>(row), 'x'),
          std::string("ab"),
          std::string(20000, 'y') + "尾",
          std::string("長文"),
          Bytes{0, 1, 2, 255, 0},
          Bytes(static_cast<std::size_t>(row) * 100, 7)};
}

// Rows written one at a time and in arrays (with a null row among them) read back as
// they were written, every type, the Chinese text included.
TEST(OdbcMariaValuesTest, EveryValueTypeGoesInAndComesBack) {
  testing::MariaTestDataSource maria;
  maria.sql(kCreateAllTypes);
  for (std::size_t rowsPerBatch : {std::size_t{1}, std::size_t{3}}) {
    SCOPED_TRACE(rowsPerBatch);
    maria.sql("DELETE FROM kinds");
    setRowsPerBatch(rowsPerBatch);
    auto session = openSession(ConnectionString::parse(maria.oleDbConnectionString()));
    session->beginTransaction();
    const std::vector<Value> nulls(kColumns.size(), Null{});
    for (int row = 1; row <= 5; ++row)
      session->insert("kinds", kColumns, row == 3 ? nulls : sampleValues(row));
    session->commit();
    auto cursor = session->query("SELECT * FROM kinds ORDER BY id");
    ASSERT_NE(cursor, nullptr);
    std::vector<Value> read;
    for (int row = 1; row <= 5; ++row) {
      ASSERT_TRUE(cursor->fetch(read));
      read.erase(read.begin());  // the id
      EXPECT_EQ(read, row == 3 ? nulls : sampleValues(row)) << "row " << row;
    }
    EXPECT_FALSE(cursor->fetch(read));
    EXPECT_EQ(static_cast<OdbcSession&>(*session).batchCounts().replayed, 0u);
  }
  setRowsPerBatch(kRowsPerBatch);
  EXPECT_EQ(maria.sql("SELECT name, amount, hex(raw) FROM kinds WHERE whole = 1"),
            "健保級距表x|-12345678.1234|000102FF00\n");
}

}  // namespace
}  // namespace tiermend::data::odbc
