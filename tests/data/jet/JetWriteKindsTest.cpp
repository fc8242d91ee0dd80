// Every column kind the writer stores, with nulls, limits and CJK text, and tables that
// outgrow one page and the inline usage map; read back by our cursor, mdb-export and
// mdb-reader. The table is types.mdb's all_types with its primary key index removed
// (see removeIndexes), as the writer refuses indexed tables.
#include <gtest/gtest.h>

#include <regex>
#include <set>

#include "JetTestSupport.h"
#include "data/providers/jet/JetProvider.h"
#include "data/providers/jet/read/JetDatabase.h"
#include "tests/support/ThreeWayRead.h"

namespace tiermend::data::jet {
namespace {

using testing::failureOf;
using testing::readAll;

const std::vector<std::string> kColumns = {"b",   "by", "i16", "i32", "money", "f32",
                                           "f64", "dt", "txt", "dec", "guid"};

struct KindsRow {
  std::vector<Value> given;     // in kColumns order
  std::vector<Value> readBack;  // id first, then every column of all_types
};

Value dec(const char* text) {
  return Decimal{text};
}

DateTime at(int year, int month, int day, int hour = 0, int minute = 0, int second = 0) {
  DateTime value;
  value.year = year;
  value.month = month;
  value.day = day;
  value.hour = hour;
  value.minute = minute;
  value.second = second;
  return value;
}

// Given values and what they read back as, for limits, nulls and text of every kind.
std::vector<KindsRow> kindsRows() {
  const Null null;
  return {
      {{true, std::int64_t{255}, std::int64_t{32767}, std::int64_t{2147483647},
        dec("922337203685477.5807"), 3.4028234663852886e38, 1.7976931348623157e308,
        at(9999, 12, 31, 23, 59, 59), std::string("ABCDEFGHIJ"), dec("999999999999.999999"),
        std::string("{FFFFFFFF-FFFF-FFFF-FFFF-FFFFFFFFFFFF}")},
       {std::int64_t{10}, true, std::int64_t{255}, std::int64_t{32767}, std::int64_t{2147483647},
        dec("922337203685477.5807"), 3.4028234663852886e38, 1.7976931348623157e308,
        at(9999, 12, 31, 23, 59, 59), std::string("ABCDEFGHIJ"), null, dec("999999999999.999999"),
        std::string("{FFFFFFFF-FFFF-FFFF-FFFF-FFFFFFFFFFFF}"), null}},
      {{false, std::int64_t{0}, std::int64_t{-32768}, std::int64_t{-2147483648LL},
        dec("-922337203685477.5808"), -1.5, -2.2250738585072014e-308, at(100, 1, 1),
        std::string(""), dec("-0.000001"), std::string("6f9619ff-8b86-d011-b42d-00c04fc964ff")},
       {std::int64_t{11}, false, std::int64_t{0}, std::int64_t{-32768}, std::int64_t{-2147483648LL},
        dec("-922337203685477.5808"), -1.5, -2.2250738585072014e-308, at(100, 1, 1),
        std::string(""), null, dec("-0.000001"),
        std::string("{6F9619FF-8B86-D011-B42D-00C04FC964FF}"), null}},
      {{null, null, null, null, null, null, null, null, null, null, null},
       {std::int64_t{12}, false, null, null, null, null, null, null, null, null, null, null, null,
        null}},
      {{true, std::int64_t{1}, std::int64_t{-1}, std::int64_t{20240101}, dec("12.34"), 0.1, 1.0 / 3,
        at(1850, 6, 15, 12, 30, 45), std::string("全民健康保險投保金額"), dec("1234.5678915"),
        std::string("{12345678-9ABC-DEF0-1234-56789ABCDEF0}")},
       {std::int64_t{13}, true, std::int64_t{1}, std::int64_t{-1}, std::int64_t{20240101},
        dec("12.3400"), static_cast<double>(0.1f), 1.0 / 3, at(1850, 6, 15, 12, 30, 45),
        std::string("全民健康保險投保金額"), null, dec("1234.567892"),
        std::string("{12345678-9ABC-DEF0-1234-56789ABCDEF0}"), null}},
      {{false, std::int64_t{128}, std::int64_t{0}, std::int64_t{0}, dec("0"), 0.0, -1e-300,
        at(1899, 12, 29, 18), std::string("薪資𠀋"), dec("0.5"), null},
       {std::int64_t{14}, false, std::int64_t{128}, std::int64_t{0}, std::int64_t{0}, dec("0.0000"),
        0.0, -1e-300, at(1899, 12, 29, 18), std::string("薪資𠀋"), null, dec("0.500000"), null,
        null}},
      {{true, null, null, null, null, null, null, at(2024, 2, 29, 13, 45, 30),
        std::string("a,b\"c\tÉ"), null, null},
       {std::int64_t{15}, true, null, null, null, null, null, null, at(2024, 2, 29, 13, 45, 30),
        std::string("a,b\"c\tÉ"), null, null, null, null}},
  };
}

class JetWriteKindsTest : public testing::JetScratchTest {
 protected:
  std::string path = targetCopyOf("types.mdb", "all_types");
};

TEST_F(JetWriteKindsTest, TheTableWithoutItsIndexStillReadsTheSameThreeWays) {
  EXPECT_EQ(tiermend::testing::threeWayDifference(path, "all_types"), "");
  auto original = openSession(testing::fixture("types.mdb"), "");
  auto stripped = openSession(path, "");
  EXPECT_EQ(readAll(*stripped, "select * from all_types").rows,
            readAll(*original, "select * from all_types").rows);
}

TEST_F(JetWriteKindsTest, EveryKindIsWrittenWithLimitsNullsAndTextAndReadBackThreeWays) {
  auto session = openSession(path, "");
  session->beginTransaction();
  EXPECT_EQ(session->execute("delete from all_types"), 9);
  const auto rows = kindsRows();
  for (const auto& row : rows) session->insert("all_types", kColumns, row.given);
  session->commit();
  const auto found = readAll(*session, "select * from all_types").rows;
  ASSERT_EQ(found.size(), rows.size());
  for (std::size_t i = 0; i < rows.size(); ++i) EXPECT_EQ(found[i], rows[i].readBack) << i;
  EXPECT_EQ(tiermend::testing::threeWayDifference(path, "all_types"), "");
}

TEST_F(JetWriteKindsTest, LongValuesAndAutoNumbersAreRefusedAndChangeNothing) {
  const auto before = testing::fileBytes(path);
  auto session = openSession(path, "");
  struct Case {
    std::vector<std::string> columns;
    std::vector<Value> values;
    const char* message;
  };
  const Case cases[] = {
      {{"memo"},
       {std::string("x")},
       "Field 'memo' cannot be written: this program does not write long values."},
      {{"ole"},
       {Bytes{1, 2}},
       "Field 'ole' cannot be written: this program does not write long values."},
      {{"id"}, {std::int64_t{99}}, "Field 'id' cannot be modified"},
      {{"txt"}, {std::string("ABCDEFGHIJK")}, "The text is too long for field 'txt'."},
      {{"dec"},
       {dec("1000000000000")},
       "The value '1000000000000' cannot be stored in field 'dec'."},
      {{"guid"},
       {std::string("{not a guid}")},
       "The value '{not a guid}' cannot be stored in field 'guid'."},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.message);
    EXPECT_EQ(failureOf([&] { session->insert("all_types", c.columns, c.values); }), c.message);
  }
  EXPECT_TRUE(testing::fileBytes(path) == before);
}

// Gives column `name` of table the Replication ID flag: a GUID column whose values the
// engine fills in.
void makeAutoGuid(const std::string& path, const std::string& table, const std::string& name) {
  const JetFormat& format = kJet4Format;
  JetTableDefinition definition = JetDatabase::open(path, "")->openTable(table)->definition;
  int number = -1;
  for (const JetColumnDefinition& column : definition.columns) {
    if (column.name == name) number = column.number;
  }
  ASSERT_GE(number, 0) << name;
  auto bytes = testing::fileBytes(path);
  std::uint8_t* entries = bytes.data() + definition.page * format.pageSize +
                          format.realIndexCountsStart +
                          definition.realIndexes.size() * format.realIndexCountEntrySize;
  for (std::size_t i = 0; i < definition.columns.size(); ++i) {
    std::uint8_t* entry = entries + i * format.columnEntrySize;
    if (loadU16(entry + format.columnNumberOffset) == number) {
      entry[format.columnFlagsOffset] |= kColumnAutoGuid;
    }
  }
  testing::writeBytes(path, bytes);
}

TEST_F(JetWriteKindsTest, ReplicationIdsAreGivenRandomGuidsOfTheirOwnAndCannotBeSet) {
  makeAutoGuid(path, "all_types", "guid");
  auto session = openSession(path, "");
  EXPECT_EQ(failureOf([&] {
              session->insert("all_types", {"guid"},
                              {std::string("{6F9619FF-8B86-D011-B42D-00C04FC964FF}")});
            }),
            "Field 'guid' cannot be modified");
  const int count = 200;
  session->beginTransaction();
  session->execute("delete from all_types");
  for (int i = 0; i < count; ++i) session->insert("all_types", {"i32"}, {std::int64_t{i}});
  session->commit();
  const auto rows = readAll(*session, "select guid from all_types").rows;
  ASSERT_EQ(rows.size(), static_cast<std::size_t>(count));
  // Random (version 4) GUIDs in the registry format.
  const std::regex random(
      "\\{[0-9A-F]{8}-[0-9A-F]{4}-4[0-9A-F]{3}-[89AB][0-9A-F]{3}-[0-9A-F]{12}\\}");
  std::set<std::string> distinct;
  for (const auto& row : rows) {
    const auto* text = std::get_if<std::string>(&row[0]);
    ASSERT_NE(text, nullptr);
    EXPECT_TRUE(std::regex_match(*text, random)) << *text;
    distinct.insert(*text);
  }
  EXPECT_EQ(distinct.size(), rows.size());
}

// About 37 rows fit a page, so 20,000 rows take some 540 pages: more than the 512 pages
// the table's inline usage map (64 bytes from page 0) can cover, so it turns into a
// reference map.
TEST_F(JetWriteKindsTest, RowsBeyondWhatTheInlineUsageMapCoversAreAllFound) {
  auto session = openSession(path, "");
  const std::vector<Value> given = kindsRows()[3].given;
  const int count = 20'000;
  session->beginTransaction();
  for (int i = 0; i < count; ++i) {
    std::vector<Value> row = given;
    row[3] = std::int64_t{i};
    session->insert("all_types", kColumns, row);
  }
  session->commit();
  const auto found = readAll(*session, "select id, i32 from all_types").rows;
  ASSERT_EQ(found.size(), 9u + count);
  for (int i = 0; i < count; ++i) {
    ASSERT_EQ(found[9 + static_cast<std::size_t>(i)],
              (std::vector<Value>{std::int64_t{10 + i}, std::int64_t{i}}));
  }
  EXPECT_EQ(tiermend::testing::threeWayDifference(path, "all_types"), "");
}

}  // namespace
}  // namespace tiermend::data::jet
