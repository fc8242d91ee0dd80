// Column kinds and values of every PostgreSQL type the provider maps, read and written.
#include "tests/data/odbc/ColumnKindCase.h"
#include "tests/data/odbc/OdbcPostgresFixture.h"

namespace tiermend::data::odbc {
namespace {

using testing::expectColumnKind;
using testing::KindCase;
using testing::kindCaseName;
using testing::OdbcPostgresTest;
const char* kCreateAllTypes = R"(
CREATE TABLE kinds (
  id serial PRIMARY KEY,
  small smallint,
  whole integer,
  big bigint,
  amount numeric(12,4),
  ratio real,
  measure double precision,
  flag boolean,
  day date,
  clock time,
  stamp timestamp,
  name varchar(20),
  open_name varchar,
  code char(3),
  note text,
  data bytea,
  tag uuid
);)";

class OdbcPostgresKindsTest : public OdbcPostgresTest,
                              public ::testing::WithParamInterface<KindCase> {};

TEST_P(OdbcPostgresKindsTest, ReportsTheColumnKind) {
  pg.psql(kCreateAllTypes);
  auto session = open();
  expectColumnKind(session->query("SELECT * FROM kinds"), GetParam());
}

INSTANTIATE_TEST_SUITE_P(Types, OdbcPostgresKindsTest,
                         ::testing::Values(KindCase{"id", ColumnType::Int32, 0, 0, 0, true},
                                           KindCase{"small", ColumnType::Int16, 0, 0, 0, false},
                                           KindCase{"whole", ColumnType::Int32, 0, 0, 0, false},
                                           KindCase{"big", ColumnType::Int64, 0, 0, 0, false},
                                           KindCase{"amount", ColumnType::Decimal, 0, 12, 4, false},
                                           KindCase{"ratio", ColumnType::Single, 0, 0, 0, false},
                                           KindCase{"measure", ColumnType::Double, 0, 0, 0, false},
                                           KindCase{"flag", ColumnType::Boolean, 0, 0, 0, false},
                                           KindCase{"day", ColumnType::Date, 0, 0, 0, false},
                                           KindCase{"clock", ColumnType::Time, 0, 0, 0, false},
                                           KindCase{"stamp", ColumnType::DateTime, 0, 0, 0, false},
                                           KindCase{"name", ColumnType::Text, 20, 0, 0, false},
                                           KindCase{"open_name", ColumnType::Text, 0, 0, 0, false},
                                           KindCase{"code", ColumnType::Text, 3, 0, 0, false},
                                           KindCase{"note", ColumnType::Text, 0, 0, 0, false},
                                           KindCase{"data", ColumnType::Blob, 0, 0, 0, false},
                                           KindCase{"tag", ColumnType::Guid, 0, 0, 0, false}),
                         kindCaseName);

// The values of one row in column order, without the id.
std::vector<Value> readRow(Session& session, const std::string& where) {
  auto cursor = session.query("SELECT * FROM kinds WHERE " + where);
  std::vector<Value> row;
  EXPECT_TRUE(cursor && cursor->fetch(row));
  if (!row.empty()) row.erase(row.begin());
  return row;
}

const std::vector<std::string> kColumns = {
    "small", "whole", "big",  "amount",    "ratio", "measure", "flag", "day",
    "clock", "stamp", "name", "open_name", "code",  "note",    "data", "tag"};

std::vector<Value> sampleValues() {
  return {std::int64_t{-32768},
          std::int64_t{2147483647},
          std::int64_t{9007199254740993},
          Decimal{"-12345678.1234"},
          1.5,
          0.1,
          true,
          DateTime{2024, 2, 29},
          DateTime{1899, 12, 30, 23, 59, 58, 0},
          DateTime{1900, 1, 1, 13, 14, 15, 678},
          std::string("健保級距表"),
          std::string(300, 'x'),
          std::string("ab "),
          std::string(20000, 'y') + "尾",
          Bytes{0, 1, 2, 255, 0},
          std::string("{A0EEBC99-9C0B-4EF8-BB6D-6BB9BD380A11}")};
}

TEST_F(OdbcPostgresTest, ReadsValuesWrittenByTheServer) {
  pg.psql(kCreateAllTypes);
  pg.psql(
      "INSERT INTO kinds (small, whole, big, amount, ratio, measure, flag, day, clock, stamp, "
      "name, open_name, code, note, data, tag) VALUES (-32768, 2147483647, 9007199254740993, "
      "-12345678.1234, 1.5, 0.1, true, '2024-02-29', '23:59:58', '1900-01-01 13:14:15.678', "
      "'健保級距表', repeat('x', 300), 'ab', repeat('y', 20000) || '尾', '\\x000102ff00', "
      "'a0eebc99-9c0b-4ef8-bb6d-6bb9bd380a11')");
  auto session = open();
  EXPECT_EQ(readRow(*session, "true"), sampleValues());
}

TEST_F(OdbcPostgresTest, InsertsEveryValueTypeAndReadsItBack) {
  pg.psql(kCreateAllTypes);
  auto session = open();
  session->insert("kinds", kColumns, sampleValues());
  EXPECT_EQ(readRow(*session, "true"), sampleValues());
  // The server holds exactly what was sent, the Chinese text included.
  EXPECT_EQ(pg.psql("SELECT name, amount, stamp, code, encode(data, 'hex'), tag FROM kinds"),
            "健保級距表|-12345678.1234|1900-01-01 13:14:15.678|ab |000102ff00|"
            "a0eebc99-9c0b-4ef8-bb6d-6bb9bd380a11\n");
}

TEST_F(OdbcPostgresTest, NullsReadAndWriteAsNull) {
  pg.psql(kCreateAllTypes);
  pg.psql("INSERT INTO kinds DEFAULT VALUES");
  auto session = open();
  std::vector<Value> nulls(kColumns.size(), Null{});
  EXPECT_EQ(readRow(*session, "true"), nulls);
  session->insert("kinds", kColumns, nulls);
  EXPECT_EQ(pg.psql("SELECT count(*) FROM kinds WHERE num_nonnulls(small, whole, big, amount, "
                    "ratio, measure, flag, day, clock, stamp, name, open_name, code, note, data, "
                    "tag) = 0"),
            "2\n");
}

TEST_F(OdbcPostgresTest, EmptyTextStaysEmptyNotNull) {
  pg.psql("CREATE TABLE t (name varchar(10), note text)");
  auto session = open();
  session->insert("t", {"name", "note"}, {std::string(), std::string()});
  EXPECT_EQ(pg.psql("SELECT name IS NULL, note IS NULL, length(name) FROM t"), "f|f|0\n");
  auto cursor = session->query("SELECT name, note FROM t");
  std::vector<Value> row;
  ASSERT_TRUE(cursor->fetch(row));
  EXPECT_EQ(row, (std::vector<Value>{std::string(), std::string()}));
}

TEST_F(OdbcPostgresTest, WholeNumbersAndTextGoIntoOtherColumnKinds) {
  // The field layer hands over values in their own form; the driver converts them
  // to the column's type.
  pg.psql("CREATE TABLE t (amount numeric(9,2), whole integer, day date, flag boolean)");
  auto session = open();
  session->insert("t", {"amount", "whole", "day", "flag"},
                  {std::int64_t{12}, std::string("42"), DateTime{2001, 2, 3, 0, 0, 0, 0}, false});
  EXPECT_EQ(pg.psql("SELECT amount, whole, day, flag FROM t"), "12.00|42|2001-02-03|f\n");
}

}  // namespace
}  // namespace tiermend::data::odbc
