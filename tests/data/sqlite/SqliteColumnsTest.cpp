// Declared SQLite types as the data layer sees them, and dates in SQLite's text and
// number forms.
#include <gtest/gtest.h>

#include <tuple>

#include "data/providers/sqlite/SqliteColumns.h"
#include "data/value/Calendar.h"
#include "data/value/IsoDateText.h"
#include "tests/support/TestName.h"

namespace tiermend::data::sqlite {
namespace {

struct DeclaredCase {
  const char* declared;
  ColumnType type;
  int size = 0;
  int precision = 0;
  int scale = 0;
};

void PrintTo(const DeclaredCase& c, std::ostream* os) {
  *os << c.declared;
}

class DeclaredTypeTest : public ::testing::TestWithParam<DeclaredCase> {};

TEST_P(DeclaredTypeTest, MapsToColumnType) {
  const DeclaredCase& c = GetParam();
  ColumnInfo column;
  ASSERT_TRUE(columnFromDeclaredType(c.declared, column));
  // Kind, size, precision and scale, compared together.
  EXPECT_EQ(std::tie(column.type, column.size, column.precision, column.scale),
            std::tie(c.type, c.size, c.precision, c.scale));
}

INSTANTIATE_TEST_SUITE_P(
    Table, DeclaredTypeTest,
    ::testing::Values(
        DeclaredCase{"INTEGER", ColumnType::Int64}, DeclaredCase{"int", ColumnType::Int32},
        DeclaredCase{"SmallInt", ColumnType::Int16}, DeclaredCase{"TINYINT", ColumnType::UInt8},
        DeclaredCase{"BIGINT", ColumnType::Int64}, DeclaredCase{"REAL", ColumnType::Double},
        DeclaredCase{"double  precision", ColumnType::Double},
        DeclaredCase{"FLOAT", ColumnType::Double},
        DeclaredCase{"DECIMAL(18,6)", ColumnType::Decimal, 0, 18, 6},
        DeclaredCase{"numeric( 12 , 2 )", ColumnType::Decimal, 0, 12, 2},
        DeclaredCase{"DECIMAL(9,0)", ColumnType::Int32, 0, 9, 0},
        DeclaredCase{"NUMERIC(10)", ColumnType::Decimal, 0, 10, 0},
        DeclaredCase{"NUMERIC", ColumnType::Decimal}, DeclaredCase{"MONEY", ColumnType::Currency},
        DeclaredCase{"currency", ColumnType::Currency},
        DeclaredCase{"DATETIME", ColumnType::DateTime},
        DeclaredCase{"TIMESTAMP", ColumnType::DateTime}, DeclaredCase{"DATE", ColumnType::Date},
        DeclaredCase{"TIME", ColumnType::Time}, DeclaredCase{"BOOLEAN", ColumnType::Boolean},
        DeclaredCase{"bit", ColumnType::Boolean}, DeclaredCase{"YESNO", ColumnType::Boolean},
        DeclaredCase{"CHAR(4)", ColumnType::Text, 4},
        DeclaredCase{"VARCHAR(20)", ColumnType::Text, 20},
        DeclaredCase{"NVARCHAR(255)", ColumnType::Text, 255},
        DeclaredCase{"TEXT", ColumnType::Text}, DeclaredCase{"TEXT(50)", ColumnType::Text, 50},
        DeclaredCase{"MEMO", ColumnType::Memo}, DeclaredCase{"LONGTEXT", ColumnType::Memo},
        DeclaredCase{"BLOB", ColumnType::Blob}, DeclaredCase{"IMAGE", ColumnType::Blob},
        DeclaredCase{"LONGBINARY", ColumnType::Blob},
        DeclaredCase{"VARBINARY(16)", ColumnType::Binary, 16},
        DeclaredCase{"GUID", ColumnType::Guid},
        // Names outside the table follow SQLite's affinity rules.
        DeclaredCase{"UNSIGNED BIG INT", ColumnType::Int64},
        DeclaredCase{"VARYING CHARACTER(30)", ColumnType::Text, 30},
        DeclaredCase{"CLOBBER", ColumnType::Memo}, DeclaredCase{"FLOATING", ColumnType::Double},
        DeclaredCase{"STRING", ColumnType::Decimal}),
    [](const ::testing::TestParamInfo<DeclaredCase>& info) {
      return tiermend::testing::testNameFrom(info.param.declared);
    });

TEST(DeclaredTypeTest, EmptyDeclaredTypeIsLeftToTheValue) {
  ColumnInfo column;
  EXPECT_FALSE(columnFromDeclaredType("", column));
  EXPECT_FALSE(columnFromDeclaredType("  ", column));
}

struct DateTextCase {
  const char* text;
  DateTime expected;
};

void PrintTo(const DateTextCase& c, std::ostream* os) {
  *os << c.text;
}

class DateTextTest : public ::testing::TestWithParam<DateTextCase> {};

TEST_P(DateTextTest, Parses) {
  auto parsed = parseIsoDateTime(GetParam().text);
  ASSERT_TRUE(parsed.has_value()) << GetParam().text;
  EXPECT_EQ(*parsed, GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Forms, DateTextTest,
    ::testing::Values(DateTextCase{"2024-02-29", {2024, 2, 29, 0, 0, 0, 0}},
                      DateTextCase{"2024-02-29 13:45:30", {2024, 2, 29, 13, 45, 30, 0}},
                      DateTextCase{"2024-02-29T13:45", {2024, 2, 29, 13, 45, 0, 0}},
                      DateTextCase{"0100-01-01 00:00:00.5", {100, 1, 1, 0, 0, 0, 500}},
                      DateTextCase{"9999-12-31 23:59:59.9999", {9999, 12, 31, 23, 59, 59, 999}},
                      DateTextCase{"2024-01-15 08:00:00Z", {2024, 1, 15, 8, 0, 0, 0}},
                      DateTextCase{"18:00:00", {1899, 12, 30, 18, 0, 0, 0}}),
    [](const ::testing::TestParamInfo<DateTextCase>& info) {
      return tiermend::testing::testNameFrom(info.param.text);
    });

TEST(DateTextTest, RefusesWhatIsNotADate) {
  for (const char* text : {"", "2023-02-29", "2024-13-01", "2024-1-5", "24:00:00",
                           "2024-01-01 12:60:00", "2024-01-01x", "yesterday", "2024-01-01 12"}) {
    EXPECT_FALSE(parseIsoDateTime(text).has_value()) << text;
  }
}

TEST(DateTextTest, FormatsForTheColumnType) {
  const DateTime value{2024, 2, 9, 7, 5, 3, 0};
  EXPECT_EQ(formatIsoDateTime(value, ColumnType::DateTime), "2024-02-09 07:05:03");
  EXPECT_EQ(formatIsoDateTime(value, ColumnType::Date), "2024-02-09");
  EXPECT_EQ(formatIsoDateTime(value, ColumnType::Time), "07:05:03");
  EXPECT_EQ(formatIsoDateTime({1, 1, 1, 0, 0, 0, 7}, ColumnType::DateTime),
            "0001-01-01 00:00:00.007");
}

TEST(DateTextTest, JulianDayNumbers) {
  EXPECT_EQ(dateTimeFromJulianDay(2451545.0), (DateTime{2000, 1, 1, 12, 0, 0, 0}));
  EXPECT_EQ(dateTimeFromJulianDay(2440587.5), (DateTime{1970, 1, 1, 0, 0, 0, 0}));
  // 1899-12-29 18:00, just before the day that Access counts from.
  EXPECT_EQ(dateTimeFromJulianDay(2415018.25), (DateTime{1899, 12, 29, 18, 0, 0, 0}));
  EXPECT_FALSE(dateTimeFromJulianDay(0.0).has_value());
  EXPECT_FALSE(dateTimeFromJulianDay(1e12).has_value());
}

}  // namespace
}  // namespace tiermend::data::sqlite
