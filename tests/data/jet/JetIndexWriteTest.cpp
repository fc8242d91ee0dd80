// Refreshing Access tables that have indexes: each index is rebuilt from the rows
// written, read back by our index reader (walked, every key looked up from the root,
// every entry pointing at a live row of the table) and compared key for key with the
// keys the rows call for; the rows themselves are read by our cursor, mdb-export and
// mdb-reader, which do not use indexes.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <map>

#include "JetIndexedTables.h"
#include "JetTestSupport.h"
#include "data/providers/jet/JetProvider.h"
#include "data/providers/jet/indexes/JetIndexKey.h"
#include "data/providers/jet/indexes/JetIndexReader.h"
#include "data/value/Utf16.h"
#include "tests/support/ThreeWayRead.h"

namespace tiermend::data::jet {
namespace {

using testing::addIndexes;
using testing::failureOf;
using testing::fixture;
using testing::namesOf;
using testing::readAll;
using testing::refreshTable;
using testing::TestIndex;

constexpr const char* kDuplicate =
    "The changes you requested to the table were not successful because they would create "
    "duplicate values in the index, primary key, or relationship. Change the data in the "
    "field or fields that contain duplicate data, remove the index, or redefine the index to "
    "permit duplicate entries and try again.";

// The bracket tables' indexes: a primary key each (one composite), a text index that
// allows duplicates and nulls, a descending index.
struct IndexedTable {
  const char* table;
  std::vector<TestIndex> indexes;
};
const std::vector<IndexedTable>& bracketIndexes() {
  static const std::vector<IndexedTable> tables = {
      {"health_insu", {{"PrimaryKey", {{"grade"}}, true}}},
      {"labor", {{"PrimaryKey", {{"grade"}}, true}, {"note", {{"note"}}}}},
      {"incom_rep", {{"PrimaryKey", {{"salary_from"}, {"salary_to"}}, true}}},
      {"retire",
       {{"PrimaryKey", {{"grp"}, {"grade"}}, true}, {"wage_from", {{"wage_from", false}}}}},
  };
  return tables;
}

// Fills a table in one transaction with the given rows; commits, or rolls back and
// gives the failure.
std::string fillTable(Session& target, const std::string& table,
                      const std::vector<std::string>& columns,
                      const std::vector<std::vector<Value>>& rows) {
  target.beginTransaction();
  const std::string failure = failureOf([&] {
    target.execute("delete from " + table);
    for (const auto& row : rows) target.insert(table, columns, row);
    target.commit();
  });
  if (failure != "(no failure)") target.rollback();
  return failure;
}

// Currency read back as decimal text, in ten-thousandths.
std::int64_t tenThousandths(const std::string& text) {
  const bool negative = text.starts_with("-");
  const std::string digits = negative ? text.substr(1) : text;
  const auto point = digits.find('.');
  std::string whole = digits.substr(0, point);
  std::string fraction = point == std::string::npos ? "" : digits.substr(point + 1);
  fraction.resize(4, '0');
  const std::int64_t value = std::stoll(whole) * 10000 + std::stoll(fraction);
  return negative ? -value : value;
}

// The key value of a value read back by our cursor, for a column of this kind.
JetKeyValue keyValueOf(JetKeyKind kind, const Value& value) {
  if (kind == JetKeyKind::YesNo)
    return std::holds_alternative<bool>(value) && std::get<bool>(value);
  if (isNull(value)) return std::monostate{};
  switch (kind) {
    case JetKeyKind::Currency:
      return tenThousandths(std::get<Decimal>(value).text);
    case JetKeyKind::Single:
      return static_cast<float>(std::get<double>(value));
    case JetKeyKind::Double:
      return std::get<double>(value);
    case JetKeyKind::Text:
      return data::utf8ToUtf16<char16_t>(std::get<std::string>(value));
    default:
      return std::get<std::int64_t>(value);
  }
}

// The key kind of each column kind the fixtures' key columns have; any other is Long.
JetKeyKind kindOf(const ColumnInfo& column) {
  static const std::map<ColumnType, JetKeyKind> kKinds = {
      {ColumnType::Currency, JetKeyKind::Currency}, {ColumnType::Text, JetKeyKind::Text},
      {ColumnType::Int16, JetKeyKind::Integer},     {ColumnType::UInt8, JetKeyKind::Byte},
      {ColumnType::Single, JetKeyKind::Single},     {ColumnType::Double, JetKeyKind::Double},
      {ColumnType::Boolean, JetKeyKind::YesNo}};
  const auto found = kKinds.find(column.type);
  return found == kKinds.end() ? JetKeyKind::Long : found->second;
}

// The keys the table's rows call for under this index, in index order.
std::vector<std::vector<std::uint8_t>> expectedKeys(const std::string& path,
                                                    const std::string& table,
                                                    const TestIndex& index,
                                                    std::size_t* rowCount = nullptr) {
  auto session = openSession(path, "");
  const auto result = readAll(*session, "select * from " + table);
  if (rowCount != nullptr) *rowCount = result.rows.size();
  JetIndexShape shape{table, index.name, {}};
  std::vector<std::size_t> positions;
  for (const auto& key : index.columns) {
    const auto names = namesOf(result.columns);
    const auto at =
        static_cast<std::size_t>(std::find(names.begin(), names.end(), key.column) - names.begin());
    positions.push_back(at);
    shape.columns.push_back({key.column, kindOf(result.columns.at(at)), key.ascending});
  }
  std::vector<std::vector<std::uint8_t>> keys;
  for (const auto& row : result.rows) {
    std::vector<JetKeyValue> values;
    for (std::size_t c = 0; c < positions.size(); ++c) {
      values.push_back(keyValueOf(shape.columns[c].kind, row[positions[c]]));
    }
    const JetIndexKeyBytes key = encodeIndexKey(shape, values);
    keys.emplace_back(key.begin(), key.end());
  }
  std::sort(keys.begin(), keys.end(),
            [](const auto& a, const auto& b) { return compareIndexKeys(a, b) < 0; });
  return keys;
}

// Every index of the table holds each row once under the key its values call for, is a
// sound tree, finds each key from its root, and the rows read alike three ways.
void expectIndexesRight(const std::string& path, const IndexedTable& indexed) {
  SCOPED_TRACE(indexed.table);
  for (const TestIndex& index : indexed.indexes) {
    SCOPED_TRACE(index.name);
    std::size_t rows = 0;
    const auto expected = expectedKeys(path, indexed.table, index, &rows);
    const auto back = testing::readIndexBack(path, indexed.table, index.name);
    ASSERT_EQ(back.faults, std::vector<std::string>{});
    EXPECT_EQ(back.keys, expected);
    EXPECT_EQ(back.entriesFoundByLookup, rows);
    EXPECT_EQ(back.distinctRows, rows);
  }
  EXPECT_EQ(tiermend::testing::threeWayDifference(path, indexed.table), "");
}

class JetIndexWriteTest : public testing::JetScratchTest {
 protected:
  JetIndexWriteTest() {
    for (const auto& indexed : bracketIndexes()) addIndexes(target, indexed.table, indexed.indexes);
  }
  void refreshAll() {
    auto source = openSession(fixture("tiermenddb.mdb"), "");
    auto session = openSession(target, "");
    for (const auto& indexed : bracketIndexes()) refreshTable(*session, *source, indexed.table);
  }
  std::string target = targetCopyOf("tiermenddb.mdb");
};

TEST_F(JetIndexWriteTest, TheFourBracketTablesAreRefreshedWithEveryIndexRebuilt) {
  refreshAll();
  for (const auto& indexed : bracketIndexes()) expectIndexesRight(target, indexed);
}

TEST_F(JetIndexWriteTest, ATextIndexKeepsChineseTextDuplicatesAndNullsInOrder) {
  auto session = openSession(target, "");
  const std::vector<std::string> columns = {"grade", "insured_salary", "note"};
  const std::vector<std::vector<Value>> rows = {
      {std::int64_t{1}, std::int64_t{100}, std::string("部分工時")},
      {std::int64_t{2}, std::int64_t{200}, Null{}},
      {std::int64_t{3}, std::int64_t{300}, std::string("部分工時")},
      {std::int64_t{4}, std::int64_t{400}, std::string("full time")},
      {std::int64_t{5}, std::int64_t{500}, std::string("")},
      {std::int64_t{6}, std::int64_t{600}, Null{}},
      {std::int64_t{7}, std::int64_t{700}, std::string("勞工保險 Labor")},
  };
  ASSERT_EQ(fillTable(*session, "labor", columns, rows), "(no failure)");
  session.reset();
  expectIndexesRight(target, bracketIndexes()[1]);
  // The bytes Access gives this text, flag byte first.
  const auto back = testing::readIndexBack(target, "labor", "note");
  const std::vector<std::uint8_t> access = {0x7f, 0xe2, 0xd5, 0xa3, 0x34, 0xaf,
                                            0x44, 0xb7, 0xb7, 0x01, 0x00};
  EXPECT_EQ(std::count(back.keys.begin(), back.keys.end(), access), 2);
}

TEST_F(JetIndexWriteTest, ARepeatedRefreshKeepsTheIndexesRightAndTheFileItsSize) {
  refreshAll();
  refreshAll();
  const auto size = std::filesystem::file_size(target);
  refreshAll();
  refreshAll();
  EXPECT_EQ(std::filesystem::file_size(target), size);
  for (const auto& indexed : bracketIndexes()) expectIndexesRight(target, indexed);
}

// Enough rows for a level of node pages; shrinking to a few rows frees the pages, which
// growing again takes back.
TEST_F(JetIndexWriteTest, AnIndexOfSeveralLevelsShrinksAndGrowsInTheSamePages) {
  auto rows = [](int count) {
    std::vector<std::vector<Value>> made;
    for (int i = 0; i < count; ++i) {
      made.push_back({std::int64_t{i * 100}, std::int64_t{i * 100 + 99}});
    }
    return made;
  };
  auto session = openSession(target, "");
  const std::vector<std::string> columns = {"salary_from", "salary_to"};
  ASSERT_EQ(fillTable(*session, "incom_rep", columns, rows(3000)), "(no failure)");
  const auto size = std::filesystem::file_size(target);
  EXPECT_GE(testing::readIndexBack(target, "incom_rep", "PrimaryKey").levels, 2u);
  expectIndexesRight(target, bracketIndexes()[2]);
  ASSERT_EQ(fillTable(*session, "incom_rep", columns, rows(10)), "(no failure)");
  expectIndexesRight(target, bracketIndexes()[2]);
  ASSERT_EQ(fillTable(*session, "incom_rep", columns, rows(3000)), "(no failure)");
  expectIndexesRight(target, bracketIndexes()[2]);
  EXPECT_EQ(std::filesystem::file_size(target), size);
}

TEST_F(JetIndexWriteTest, ADuplicateOrNullKeyIsRefusedWithAccesssMessageAndTheOldRowsKept) {
  auto session = openSession(target, "");
  // An earlier table of the run is refreshed and stays so.
  ASSERT_EQ(fillTable(*session, "labor", {"grade"}, {{std::int64_t{41}}, {std::int64_t{42}}}),
            "(no failure)");
  const auto before = readAll(*session, "select * from health_insu").rows;
  const std::vector<std::string> columns = {"grade", "insured_amount"};
  struct Case {
    const char* what;
    std::vector<std::vector<Value>> rows;
    std::string failure;
  };
  const Case cases[] = {
      {"a repeated key",
       {{std::int64_t{1}, std::int64_t{10}},
        {std::int64_t{2}, Null{}},
        {std::int64_t{1}, std::int64_t{30}}},
       kDuplicate + std::string(" Table 'health_insu', index 'PrimaryKey'.")},
      {"a null key",
       {{std::int64_t{1}, std::int64_t{10}}, {Null{}, std::int64_t{20}}},
       "Index or primary key cannot contain a Null value. Table 'health_insu', index "
       "'PrimaryKey'."},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(fillTable(*session, "health_insu", columns, c.rows), c.failure);
    EXPECT_EQ(readAll(*session, "select * from health_insu").rows, before);
  }
  EXPECT_EQ(readAll(*session, "select grade from labor").rows.size(), 2u);
  session.reset();
  expectIndexesRight(target, bracketIndexes()[1]);
}

TEST_F(JetIndexWriteTest, AUniqueIndexTakesManyRowsWithoutAKeyButNotTwoAlike) {
  addIndexes(target, "readme", {{"content", {{"content"}}, false, true, true}});
  auto session = openSession(target, "");
  EXPECT_EQ(fillTable(*session, "readme", {"content"}, {{Null{}}, {std::string("a")}, {Null{}}}),
            "(no failure)");
  EXPECT_EQ(fillTable(*session, "readme", {"content"}, {{std::string("a")}, {std::string("A")}}),
            kDuplicate + std::string(" Table 'readme', index 'content'."));
  session.reset();
  // Rows without a key are left out of an index that ignores nulls.
  const auto back = testing::readIndexBack(target, "readme", "content");
  EXPECT_EQ(back.faults, std::vector<std::string>{});
  EXPECT_EQ(back.keys.size(), 1u);
}

// Keys this program cannot write as Access does are refused, naming the table, the index
// and why, before the table changes: a sort order it has no tables for (before anything
// is written at all), and a character beyond the tables (when the row is posted).
TEST_F(JetIndexWriteTest, KeysThatCannotBeWrittenAsAccessWritesThemAreRefused) {
  const std::string before = target + ".before";
  testing::setSortOrder(target, "labor", "note", 2052);
  std::filesystem::copy_file(target, before);
  {
    auto session = openSession(target, "");
    const std::string failure = failureOf([&] { session->execute("delete from labor"); });
    EXPECT_NE(failure.find("Cannot update table 'labor': its index 'note' cannot be rebuilt: "
                           "its text column 'note' declares the "),
              std::string::npos)
        << failure;
  }
  EXPECT_TRUE(testing::fileBytes(target) == testing::fileBytes(before));

  testing::setSortOrder(target, "labor", "note", 1033);
  auto session = openSession(target, "");
  const auto rows = readAll(*session, "select * from labor").rows;
  const std::string failure = fillTable(*session, "labor", {"grade", "note"},
                                        {{std::int64_t{1}, std::string("a \U0001F600")}});
  EXPECT_TRUE(failure.starts_with("Cannot update table 'labor': its index 'note' ")) << failure;
  EXPECT_EQ(readAll(*session, "select * from labor").rows, rows);
}

TEST_F(JetIndexWriteTest, RowsAddedToAnIndexedTableNotEmptiedFirstAreRefused) {
  auto session = openSession(target, "");
  EXPECT_EQ(failureOf([&] { session->insert("health_insu", {"grade"}, {std::int64_t{99}}); }),
            "Cannot add rows to table 'health_insu' without emptying it first: its indexes are "
            "rebuilt from the rows this program writes.");
}

// The auto-number primary key of all_types: rows that leave it unset take the table's
// next numbers, and its index holds them.
TEST(JetIndexAutoNumberTest, RowsWithoutTheirAutoNumberAreNumberedAndIndexedByIt) {
  testing::ScratchFolder scratch;
  const std::string path = scratch.copyOf("types.mdb", "basedb.mdb");
  auto session = openSession(path, "");
  const auto last = readAll(*session, "select id from all_types").rows.size();
  ASSERT_EQ(fillTable(*session, "all_types", {"i16", "txt"},
                      {{std::int64_t{1}, std::string("a")},
                       {std::int64_t{2}, Null{}},
                       {std::int64_t{3}, std::string("c")}}),
            "(no failure)");
  const auto ids = readAll(*session, "select id from all_types").rows;
  session.reset();
  ASSERT_EQ(ids.size(), 3u);
  const JetIndexShape shape{"all_types", "PrimaryKey", {{"id", JetKeyKind::Long}}};
  std::vector<std::vector<std::uint8_t>> expected;
  for (std::size_t i = 0; i < ids.size(); ++i) {
    const auto id = static_cast<std::int64_t>(last + 1 + i);
    EXPECT_EQ(ids[i][0], Value{id});
    const JetKeyValue value = id;
    const JetIndexKeyBytes key = encodeIndexKey(shape, std::span(&value, 1));
    expected.emplace_back(key.begin(), key.end());
  }
  const auto back = testing::readIndexBack(path, "all_types", "PrimaryKey");
  EXPECT_EQ(back.faults, std::vector<std::string>{});
  EXPECT_EQ(back.keys, expected);
  EXPECT_EQ(back.distinctRows, 3u);
  EXPECT_EQ(tiermend::testing::threeWayDifference(path, "all_types"), "");
}

// Every key kind through the writer, ascending and descending, with nulls and -0: each
// index of all_types is a sound tree that finds every row from its root; the number
// kinds hold the keys the rows call for.
TEST(JetIndexKindsTest, EveryKeyKindIsRebuiltFromTheRowsWritten) {
  testing::ScratchFolder scratch;
  const std::string path = scratch.copyOf("types.mdb", "basedb.mdb");
  const std::vector<TestIndex> indexes = {
      {"by", {{"by"}}},        {"i16", {{"i16", false}}}, {"money", {{"money"}}},
      {"f32", {{"f32"}}},      {"f64", {{"f64", false}}}, {"dt", {{"dt"}}},
      {"b", {{"b"}, {"i32"}}}, {"guid", {{"guid"}}},      {"txt", {{"txt", false}}},
  };
  addIndexes(path, "all_types", indexes);
  auto session = openSession(path, "");
  const std::vector<std::string> columns = {"b",   "by",  "i16", "i32", "money",
                                            "f32", "f64", "dt",  "txt"};
  std::vector<std::vector<Value>> rows;
  for (int i = 0; i < 40; ++i) {
    const bool null = i % 7 == 3;
    rows.push_back(
        {i % 2 == 0, null ? Value{Null{}} : Value{std::int64_t{(i * 37) % 256}},
         Value{std::int64_t{(i - 20) * 1000}}, Value{std::int64_t{i % 5 - 2}},
         null ? Value{Null{}} : Value{Decimal{std::to_string(i - 20) + ".5"}},
         Value{i == 5 ? -0.0 : (i - 20) * 0.25}, Value{i == 6 ? -0.0 : 1e10 / (i - 19.5)},
         null ? Value{Null{}}
              : Value{DateTime{1899 + i * 5, 1 + i % 12, 1 + i % 28, i % 24, 0, 0, 0}},
         null ? Value{Null{}}
              : Value{std::string(i % 3 == 0 ? "部分" : "abc") + std::to_string(i % 9)}});
  }
  ASSERT_EQ(fillTable(*session, "all_types", columns, rows), "(no failure)");
  // -0 is kept as +0, so that looking the value 0 up through an index finds it.
  for (const auto& row : readAll(*session, "select f32, f64 from all_types").rows) {
    for (const Value& value : row) {
      const double number = std::get<double>(value);
      EXPECT_FALSE(number == 0.0 && std::signbit(number));
    }
  }
  session.reset();
  for (const TestIndex& index : indexes) {
    SCOPED_TRACE(index.name);
    const auto back = testing::readIndexBack(path, "all_types", index.name);
    ASSERT_EQ(back.faults, std::vector<std::string>{});
    EXPECT_EQ(back.entriesFoundByLookup, rows.size());
    EXPECT_EQ(back.distinctRows, rows.size());
    if (index.name != "dt" && index.name != "guid") {
      EXPECT_EQ(back.keys, expectedKeys(path, "all_types", index));
    }
  }
  EXPECT_EQ(tiermend::testing::threeWayDifference(path, "all_types"), "");
}

// An Access-made table rewritten with its own rows: the index holds the keys Access wrote.
TEST(JetIndexAccessMadeRewriteTest, AnAccessMadeTableRewrittenWithItsRowsHoldsAccesssKeys) {
  testing::ScratchFolder scratch;
  const std::string original = fixture("access-made/V2000_test.mdb");
  const std::string path = scratch.copyOf("access-made/V2000_test.mdb", "basedb.mdb");
  auto keysOf = [](const std::string& file, const std::string& index) {
    return testing::readIndexBack(file, "Table1", index).keys;
  };
  const auto accessPrimary = keysOf(original, "PrimaryKey");
  const auto accessB = keysOf(original, "B");
  ASSERT_FALSE(accessPrimary.empty());
  {
    auto session = openSession(path, "");
    const auto rows = readAll(*session, "select * from Table1");
    ASSERT_EQ(fillTable(*session, "Table1", namesOf(rows.columns), rows.rows), "(no failure)");
  }
  EXPECT_EQ(keysOf(path, "PrimaryKey"), accessPrimary);
  EXPECT_EQ(keysOf(path, "B"), accessB);
  EXPECT_EQ(tiermend::testing::threeWayDifference(path, "Table1"), "");
}

}  // namespace
}  // namespace tiermend::data::jet
