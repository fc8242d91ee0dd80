// The provider's text rules: UTF-16 conversion, driver messages, decimal and GUID
// text, and the statements it writes.
#include <gtest/gtest.h>

#include <algorithm>

#include "data/providers/odbc/OdbcDiagnostics.h"
#include "data/providers/odbc/OdbcSqlText.h"
#include "data/providers/odbc/OdbcText.h"
#include "data/providers/odbc/OdbcValues.h"
#include "data/value/QuotedName.h"
#include "tests/support/TestName.h"
#include "tests/support/TextCases.h"

namespace tiermend::data::odbc {
namespace {

TEST(OdbcTextTest, Utf8AndUtf16RoundTripIncludingSurrogatePairs) {
  for (std::string text : {"", "plain", "健保級距 更新完成.", "emoji \xF0\x9F\x98\x80 end"}) {
    EXPECT_EQ(toUtf8(toWide(text)), text);
  }
  EXPECT_EQ(toWide("\xF0\x9F\x98\x80").size(), 2u);
}

TEST(OdbcTextTest, MalformedInputBecomesReplacementCharacters) {
  EXPECT_EQ(toUtf8(toWide("a\xFF"
                          "b")),
            "a\xEF\xBF\xBD"
            "b");
  EXPECT_EQ(toUtf8(toWide("\xE5\x81")), "\xEF\xBF\xBD");  // cut short
  const SQLWCHAR lonely[] = {0xD800, 'x'};
  EXPECT_EQ(toUtf8(lonely, 2), "\xEF\xBF\xBDx");
}

TEST(DiagnosticTextTest, DropsOriginPrefixesOnly) {
  EXPECT_EQ(withoutOriginPrefixes("[unixODBC][Driver Manager]Data source name not found"),
            "Data source name not found");
  EXPECT_EQ(withoutOriginPrefixes("[FreeTDS][SQL Server]Invalid object name 'x'."),
            "Invalid object name 'x'.");
  EXPECT_EQ(withoutOriginPrefixes("ERROR: value [1] too long"), "ERROR: value [1] too long");
  EXPECT_EQ(withoutOriginPrefixes("[unclosed prefix"), "[unclosed prefix");
}

TEST(DiagnosticTextTest, DropsPsqlOdbcsClosingLine) {
  EXPECT_EQ(withoutDriverTrailer(
                "ERROR: relation \"x\" does not exist;\nError while executing the query"),
            "ERROR: relation \"x\" does not exist");
  EXPECT_EQ(withoutDriverTrailer(
                "ERROR: check failed\nDETAIL: row (0).;\nError while executing the query"),
            "ERROR: check failed\nDETAIL: row (0).");
  EXPECT_EQ(withoutDriverTrailer("ERROR: relation \"x\" does not exist;\nNo query has been "
                                 "executed with that handle"),
            "ERROR: relation \"x\" does not exist");
  EXPECT_EQ(withoutDriverTrailer("Error while connecting"), "Error while connecting");
}

TEST(DecimalTextTest, NormalizesDriverForms) {
  testing::expectEachText(
      [](const std::string& text) { return normalizedDecimal(text); },
      {{"12.3400", "12.3400"}, {".5", "0.5"}, {"-.5", "-0.5"}, {" +7 ", "7"}, {"42.", "42"}});
}

TEST(StatementTextTest, QuotesIdentifiersWithTheDriversQuote) {
  EXPECT_EQ(quoteIdentifier("labor", "\""), "\"labor\"");
  EXPECT_EQ(quoteIdentifier("a\"b", "\""), "\"a\"\"b\"");
  EXPECT_EQ(quoteIdentifier("labor", " "), "labor");
  EXPECT_EQ(insertStatement("t", {"a", "b c"}, "\""),
            "INSERT INTO \"t\" (\"a\", \"b c\") VALUES (?, ?)");
  EXPECT_EQ(describeStatement("t", {"a"}, "\""), "SELECT \"a\" FROM \"t\" WHERE 1 = 0");
}

TEST(StatementTextTest, AMultiRowInsertHasOneParameterListARow) {
  EXPECT_EQ(insertStatement("t", {"a", "b"}, "`", 3),
            "INSERT INTO `t` (`a`, `b`) VALUES (?, ?), (?, ?), (?, ?)");
  // SQL Server's largest statement for a table of 14 columns: 149 rows, 2,086 values.
  const std::vector<std::string> columns(14, "c");
  const std::string text = insertStatement("incom_rep", columns, "\"", 149);
  EXPECT_EQ(std::count(text.begin(), text.end(), '?'), 149 * 14);
  EXPECT_EQ(std::count(text.begin(), text.end(), '('), 150);
}

struct TableCase {
  const char* sql;
  const char* table;
};

void PrintTo(const TableCase& c, std::ostream* os) {
  *os << '"' << c.sql << '"';
}

class TableNameTest : public ::testing::TestWithParam<TableCase> {};

TEST_P(TableNameTest, FindsTheSingleTableOfASelect) {
  EXPECT_EQ(tableNameInSelect(GetParam().sql), GetParam().table);
}

INSTANTIATE_TEST_SUITE_P(
    Statements, TableNameTest,
    ::testing::Values(TableCase{"select * from health_insu\r\n", "health_insu"},
                      TableCase{"SELECT a, b FROM \"Labor\" WHERE a > 1", "Labor"},
                      TableCase{"select * from dbo.[incom rep] order by 1", "incom rep"},
                      TableCase{"select * from retire r", "retire"},
                      TableCase{"select * from retire as r where r.x = 1", "retire"},
                      TableCase{"select 'from x' as s, (select 1 from y) from t", "t"},
                      TableCase{"select * from a, b", ""},
                      TableCase{"select * from a join b on a.id = b.id", ""},
                      TableCase{"select 1", ""}),
    [](const ::testing::TestParamInfo<TableCase>& info) {
      return tiermend::testing::testNameFrom(info.param.sql);
    });

}  // namespace
}  // namespace tiermend::data::odbc
