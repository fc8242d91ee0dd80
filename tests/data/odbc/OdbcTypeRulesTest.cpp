// Column kinds from driver descriptions, and how insert values are bound, for the
// types the PostgreSQL tests cannot show (SQL Server's, through FreeTDS).
#include <gtest/gtest.h>

#include "data/providers/odbc/OdbcColumns.h"
#include "data/providers/odbc/OdbcParameters.h"
#include "tests/support/TestName.h"

namespace tiermend::data::odbc {
namespace {

struct DescriptionCase {
  const char* label;
  SQLSMALLINT sqlType;
  SQLULEN size;
  SQLSMALLINT digits;
  const char* typeName;
  bool isUnsigned;
  bool postgres;
  ColumnType type;
  int expectedSize;
  bool unicode;
};

void PrintTo(const DescriptionCase& c, std::ostream* os) {
  *os << c.label;
}

class ColumnKindTest : public ::testing::TestWithParam<DescriptionCase> {};

TEST_P(ColumnKindTest, FollowsTheReportedType) {
  const DescriptionCase& c = GetParam();
  ColumnDescription d;
  d.name = "c";
  d.sqlType = c.sqlType;
  d.size = c.size;
  d.digits = c.digits;
  d.typeName = c.typeName;
  d.isUnsigned = c.isUnsigned;
  DriverTraits traits;
  traits.longTextIsOrdinaryText = c.postgres;
  ColumnInfo info = toColumnInfo(d, traits);
  EXPECT_EQ(info.type, c.type);
  EXPECT_EQ(info.size, c.expectedSize);
  if (info.type == ColumnType::Text || info.type == ColumnType::Memo) {
    EXPECT_EQ(info.unicode, c.unicode);
  }
}

INSTANTIATE_TEST_SUITE_P(
    SqlServerAndPostgres, ColumnKindTest,
    ::testing::Values(DescriptionCase{"varchar", SQL_VARCHAR, 40, 0, "varchar", false, false,
                                      ColumnType::Text, 40, false},
                      DescriptionCase{"nchar", SQL_WCHAR, 5, 0, "nchar", false, false,
                                      ColumnType::Text, 5, true},
                      DescriptionCase{"text", SQL_LONGVARCHAR, 2147483647, 0, "text", false, false,
                                      ColumnType::Memo, 0, false},
                      DescriptionCase{"ntext", SQL_WLONGVARCHAR, 1073741823, 0, "ntext", false,
                                      false, ColumnType::Memo, 0, true},
                      DescriptionCase{"pg_text", SQL_WLONGVARCHAR, 8190, 0, "text", false, true,
                                      ColumnType::Text, 0, true},
                      DescriptionCase{"pg_open_varchar", SQL_WVARCHAR, 10485760, 0, "varchar",
                                      false, true, ColumnType::Text, 0, true},
                      DescriptionCase{"pg_varchar", SQL_WVARCHAR, 30, 0, "varchar", false, true,
                                      ColumnType::Text, 30, true},
                      DescriptionCase{"tinyint", SQL_TINYINT, 3, 0, "tinyint", true, false,
                                      ColumnType::UInt8, 0, false},
                      DescriptionCase{"signed_tinyint", SQL_TINYINT, 3, 0, "tinyint", false, false,
                                      ColumnType::Int8, 0, false},
                      DescriptionCase{"unsigned_int", SQL_INTEGER, 10, 0, "int", true, false,
                                      ColumnType::UInt32, 0, false},
                      DescriptionCase{"money", SQL_DECIMAL, 19, 4, "money", false, false,
                                      ColumnType::Currency, 0, false},
                      DescriptionCase{"decimal", SQL_DECIMAL, 9, 0, "decimal", false, false,
                                      ColumnType::Decimal, 0, false},
                      DescriptionCase{"float", SQL_FLOAT, 53, 0, "float", false, false,
                                      ColumnType::Double, 0, false},
                      DescriptionCase{"sqlserver_time", -154, 16, 7, "time", false, false,
                                      ColumnType::Time, 0, false},
                      DescriptionCase{"datetime", SQL_TYPE_TIMESTAMP, 23, 3, "datetime", false,
                                      false, ColumnType::DateTime, 0, false},
                      DescriptionCase{"binary", SQL_BINARY, 8, 0, "binary", false, false,
                                      ColumnType::Binary, 8, false},
                      DescriptionCase{"image", SQL_LONGVARBINARY, 2147483647, 0, "image", false,
                                      false, ColumnType::Blob, 0, false},
                      DescriptionCase{"uniqueidentifier", SQL_GUID, 36, 0, "uniqueidentifier",
                                      false, false, ColumnType::Guid, 0, false},
                      DescriptionCase{"bool_as_char", SQL_CHAR, 5, 0, "bool", false, true,
                                      ColumnType::Boolean, 0, false},
                      DescriptionCase{"sql_variant", -150, 8000, 0, "sql_variant", false, false,
                                      ColumnType::Text, 0, true}),
    [](const auto& info) { return tiermend::testing::testNameFrom(info.param.label); });

TEST(ColumnKindTest, DecimalCarriesPrecisionAndScaleAndFlagsPassThrough) {
  ColumnDescription d;
  d.sqlType = SQL_NUMERIC;
  d.size = 12;
  d.precision = 12;
  d.digits = 4;
  d.autoUnique = true;
  d.readOnly = true;
  ColumnInfo info = toColumnInfo(d, {});
  EXPECT_EQ(info.precision, 12);
  EXPECT_EQ(info.scale, 4);
  EXPECT_TRUE(info.autoIncrement);
  EXPECT_FALSE(info.updatable);
}

ParameterSet::Slot bound(const Value& value, ParameterTarget target) {
  ParameterSet set({value}, {target});
  return set.slots().front();
}

TEST(ParameterBindingTest, TextTravelsWideWithItsOwnLength) {
  auto slot = bound(std::string("薪資"), {SQL_VARCHAR, 10, 0});
  EXPECT_EQ(slot.cType, SQL_C_WCHAR);
  EXPECT_EQ(slot.sqlType, SQL_WVARCHAR);
  EXPECT_EQ(slot.size, 2u);
  EXPECT_EQ(slot.indicator, static_cast<SQLLEN>(2 * sizeof(SQLWCHAR)));
  // An empty text is a text of length 0, never a zero-sized parameter.
  auto empty = bound(std::string(), {SQL_CHAR, 3, 0});
  EXPECT_EQ(empty.sqlType, SQL_WCHAR);
  EXPECT_EQ(empty.size, 1u);
  EXPECT_EQ(empty.indicator, 0);
}

TEST(ParameterBindingTest, GuidLosesItsBraces) {
  auto slot = bound(std::string("{A0EEBC99-9C0B-4EF8-BB6D-6BB9BD380A11}"), {SQL_GUID, 36, 0});
  EXPECT_EQ(slot.wide.size(), 36u);
  EXPECT_EQ(slot.sqlType, SQL_GUID);
}

TEST(ParameterBindingTest, FractionsOfASecondAreCutToTheColumnsDigits) {
  DateTime value{2024, 5, 6, 7, 8, 9, 678};
  EXPECT_EQ(bound(value, {SQL_TYPE_TIMESTAMP, 23, 3}).timestamp.fraction, 678000000u);
  EXPECT_EQ(bound(value, {SQL_TYPE_TIMESTAMP, 16, 0}).timestamp.fraction, 0u);
  EXPECT_EQ(bound(value, {SQL_TYPE_TIMESTAMP, 22, 2}).timestamp.fraction, 670000000u);
  auto date = bound(value, {SQL_TYPE_DATE, 10, 0});
  EXPECT_EQ(date.cType, SQL_C_TYPE_DATE);
  EXPECT_EQ(date.date.day, 6);
  auto time = bound(value, {-154, 16, 7});
  EXPECT_EQ(time.cType, SQL_C_TYPE_TIME);
  EXPECT_EQ(time.time.second, 9);
}

TEST(ParameterBindingTest, NullsKeepTheColumnsType) {
  auto slot = bound(Null{}, {SQL_VARBINARY, 16, 0});
  EXPECT_EQ(slot.indicator, SQL_NULL_DATA);
  EXPECT_EQ(slot.cType, SQL_C_BINARY);
  EXPECT_EQ(slot.sqlType, SQL_VARBINARY);
  EXPECT_EQ(bound(Null{}, {SQL_NUMERIC, 12, 4}).digits, 4);
}

TEST(ParameterBindingTest, DecimalsTravelAsExactText) {
  auto slot = bound(Decimal{"-12345678.1234"}, {SQL_NUMERIC, 12, 4});
  EXPECT_EQ(slot.cType, SQL_C_CHAR);
  EXPECT_EQ(slot.narrow, "-12345678.1234");
  EXPECT_EQ(slot.size, 12u);
  EXPECT_EQ(slot.digits, 4);
}

}  // namespace
}  // namespace tiermend::data::odbc
