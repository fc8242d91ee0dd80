// Every column and row of types.mdb as the fixture description gives them.
#include <gtest/gtest.h>

#include <cfloat>
#include <cstdio>

#include "JetTestSupport.h"
#include "data/providers/jet/JetProvider.h"

namespace tiermend::data::jet {
namespace {

using testing::fixture;
using testing::readAll;

const Value kNull = Null{};

DateTime date(int y, int mo, int d, int h = 0, int mi = 0, int s = 0) {
  return DateTime{y, mo, d, h, mi, s, 0};
}

Value text(const char* utf8) {
  return std::string(utf8);
}
Value dec(const char* digits) {
  return Decimal{digits};
}
Value whole(std::int64_t n) {
  return n;
}

std::string repeatedSentence() {
  const std::string sentence =
      "薪資級距表測試備註：本段文字用於驗證長備註欄位（Memo）之讀取，包含中文全形標點、英數字 "
      "ABC123 以及換行。\r\n";
  std::string memo;
  for (int i = 0; i < 6; ++i) memo += sentence;
  return memo;
}

std::string foxLines() {
  std::string memo;
  char line[80];
  for (int i = 0; i < 90; ++i) {
    std::snprintf(line, sizeof line, "line %04d: The quick brown fox jumps over the lazy dog.\n",
                  i);
    memo += line;
  }
  return memo;
}

Bytes sequenceBlob() {
  Bytes blob(5000);
  for (std::size_t i = 0; i < blob.size(); ++i)
    blob[i] = static_cast<std::uint8_t>((7 * i + 3) % 256);
  return blob;
}

// id, b, by, i16, i32, money, f32, f64, dt, txt, memo, dec, guid, ole
std::vector<std::vector<Value>> expectedRows() {
  return {
      {whole(1), true, whole(42), whole(1234), whole(123456), dec("1234.5678"), double{3.14159f},
       0.1 + 0.2, date(2024, 1, 15), text("薪資"), repeatedSentence(), dec("1234.567891"),
       text("{6F9619FF-8B86-D011-B42D-00C04FC964FF}"),
       Bytes{0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15}},
      {whole(2), false, kNull, kNull, kNull, kNull, kNull, kNull, kNull, kNull, kNull, kNull, kNull,
       kNull},
      {whole(3), true, whole(255), whole(32767), whole(2147483647), dec("922337203685477.5807"),
       double{FLT_MAX}, DBL_MAX, date(9999, 12, 31, 23, 59, 59), text("ABCDEFGHIJ"), foxLines(),
       dec("999999999999.999999"), text("{FFFFFFFF-FFFF-FFFF-FFFF-FFFFFFFFFFFF}"), sequenceBlob()},
      {whole(4), false, whole(0), whole(-32768), whole(-2147483648LL), dec("-922337203685477.5808"),
       double{-FLT_MAX}, -DBL_MAX, date(100, 1, 1), text(""), text(""), dec("-999999999999.999999"),
       text("{00000000-0000-0000-0000-000000000000}"), Bytes{}},
      {whole(5), false, whole(1), whole(-1), whole(-1), dec("-0.0001"), double{FLT_MIN}, DBL_MIN,
       date(1850, 6, 15, 12, 30, 45), text("薪資𠀋"),
       text("非 Big5 字元：𠀋（U+2000B）與表情符號 😀（U+1F600）。"), dec("0.000001"),
       text("{12345678-9ABC-DEF0-1234-56789ABCDEF0}"), Bytes{0x00, 0x01, 0xFE, 0xFF}},
      {whole(6), true, whole(128), whole(0), whole(0), dec("0.0001"), 1.5, 123456789.12345679,
       date(2024, 2, 29, 13, 45, 30), text("全民健康保險投保金額"),
       text("Line1\r\nLine2\ttab \"quoted\", comma"), dec("-1234.567891"),
       text("{A1B2C3D4-E5F6-0718-293A-4B5C6D7E8F90}"),
       Bytes{'O', 'L', 'E', ' ', 't', 'e', 'x', 't'}},
      {whole(7), false, whole(127), whole(1), whole(1), dec("0.0000"), 0.0, 0.0, date(1899, 12, 30),
       text("ok😀"), text("x"), dec("0.000000"), text("{0F1E2D3C-4B5A-6978-8796-A5B4C3D2E1F0}"),
       kNull},
      {whole(8), true, whole(200), whole(-1234), whole(-123456), dec("12.3400"), -2.5, -1e-300,
       date(1899, 12, 29, 18), text("a,b\"c"), kNull, dec("0.500000"),
       text("{DEADBEEF-0000-1111-2222-333344445555}"), kNull},
      {whole(9), false, whole(99), whole(2024), whole(20240101), dec("100.0000"), 100.0, 1.0 / 3.0,
       date(1900, 1, 1), text("Big5：薪資"), kNull, dec("1.100000"), kNull, kNull},
  };
}

class JetTypesTest : public ::testing::Test {
 protected:
  std::unique_ptr<Session> session = openSession(fixture("types.mdb"), "korvenal");
};

TEST_F(JetTypesTest, AllTypesColumnsDescribeEveryKind) {
  const auto result = readAll(*session, "select * from all_types\r\n");
  EXPECT_EQ(result.baseTable, "all_types");
  struct Expected {
    const char* name;
    ColumnType type;
    int size, precision, scale;
    bool autoIncrement;
  };
  const Expected expected[] = {
      {"id", ColumnType::Int32, 0, 0, 0, true},     {"b", ColumnType::Boolean, 0, 0, 0, false},
      {"by", ColumnType::UInt8, 0, 0, 0, false},    {"i16", ColumnType::Int16, 0, 0, 0, false},
      {"i32", ColumnType::Int32, 0, 0, 0, false},   {"money", ColumnType::Currency, 0, 0, 0, false},
      {"f32", ColumnType::Single, 0, 0, 0, false},  {"f64", ColumnType::Double, 0, 0, 0, false},
      {"dt", ColumnType::DateTime, 0, 0, 0, false}, {"txt", ColumnType::Text, 10, 0, 0, false},
      {"memo", ColumnType::Memo, 0, 0, 0, false},   {"dec", ColumnType::Decimal, 0, 18, 6, false},
      {"guid", ColumnType::Guid, 0, 0, 0, false},   {"ole", ColumnType::Blob, 0, 0, 0, false},
  };
  ASSERT_EQ(result.columns.size(), std::size(expected));
  for (std::size_t i = 0; i < result.columns.size(); ++i) {
    const ColumnInfo& column = result.columns[i];
    SCOPED_TRACE(expected[i].name);
    EXPECT_EQ(column.name, expected[i].name);
    EXPECT_EQ(column.type, expected[i].type);
    EXPECT_EQ(column.size, expected[i].size);
    EXPECT_EQ(column.precision, expected[i].precision);
    EXPECT_EQ(column.scale, expected[i].scale);
    EXPECT_EQ(column.autoIncrement, expected[i].autoIncrement);
    EXPECT_FALSE(column.hidden);
    EXPECT_TRUE(column.unicode);
  }
}

TEST_F(JetTypesTest, AllTypesRowsMatchTheStoredValues) {
  const auto result = readAll(*session, "select * from all_types");
  const auto expected = expectedRows();
  ASSERT_EQ(result.rows.size(), expected.size());
  for (std::size_t r = 0; r < expected.size(); ++r) {
    ASSERT_EQ(result.rows[r].size(), expected[r].size());
    for (std::size_t c = 0; c < expected[r].size(); ++c) {
      SCOPED_TRACE(::testing::Message() << "row " << r + 1 << " column " << result.columns[c].name);
      EXPECT_EQ(result.rows[r][c].index(), expected[r][c].index());
      EXPECT_TRUE(result.rows[r][c] == expected[r][c]);
    }
  }
}

TEST_F(JetTypesTest, LongValuesComeThroughWhole) {
  const auto result = readAll(*session, "select memo, ole from all_types");
  ASSERT_EQ(result.rows.size(), 9u);
  const auto& memo = std::get<std::string>(result.rows[2][0]);
  EXPECT_EQ(memo.size(), 5040u);
  EXPECT_EQ(memo.substr(memo.size() - 56),
            "line 0089: The quick brown fox jumps over the lazy dog.\n");
  EXPECT_EQ(std::get<Bytes>(result.rows[2][1]).size(), 5000u);
  EXPECT_EQ(std::get<std::string>(result.rows[0][0]).size(), repeatedSentence().size());
}

TEST_F(JetTypesTest, Short3HasTextOfBothStorageForms) {
  const auto result = readAll(*session, "SELECT * FROM short3;");
  ASSERT_EQ(result.columns.size(), 3u);
  EXPECT_EQ(result.columns[1].type, ColumnType::Text);
  EXPECT_EQ(result.columns[1].size, 50);
  const std::vector<std::vector<Value>> expected = {
      {whole(1), text("first"), dec("10.5000")},
      {whole(2), text("第二列"), dec("-20.2500")},
  };
  EXPECT_EQ(result.rows, expected);
}

TEST_F(JetTypesTest, Empty8HasEightColumnsAndNoRows) {
  const auto result = readAll(*session, "select * from [empty8]");
  ASSERT_EQ(result.columns.size(), 8u);
  const char* const names[] = {"c1", "c2", "c3", "c4", "c5", "c6", "c7", "c8"};
  for (std::size_t i = 0; i < 8; ++i) {
    EXPECT_EQ(result.columns[i].name, names[i]);
    EXPECT_EQ(result.columns[i].type, ColumnType::Int32);
  }
  EXPECT_TRUE(result.rows.empty());
}

TEST_F(JetTypesTest, NamedColumnsComeInTheOrderAsked) {
  const auto result = readAll(*session, "select [guid], TXT, [by] from ALL_TYPES");
  ASSERT_EQ(result.columns.size(), 3u);
  EXPECT_EQ(result.columns[0].name, "guid");
  EXPECT_EQ(result.columns[1].name, "txt");
  EXPECT_EQ(result.columns[2].name, "by");
  ASSERT_EQ(result.rows.size(), 9u);
  EXPECT_EQ(result.rows[0], (std::vector<Value>{text("{6F9619FF-8B86-D011-B42D-00C04FC964FF}"),
                                                text("薪資"), whole(42)}));
}

}  // namespace
}  // namespace tiermend::data::jet
