// The update package, the Jet 3 sample and the date sample read through the provider.
#include <gtest/gtest.h>

#include <fstream>

#include "JetTestSupport.h"
#include "data/providers/jet/JetProvider.h"

namespace tiermend::data::jet {
namespace {

using testing::fixture;
using testing::readAll;

std::size_t columnIndex(const testing::Result& result, const std::string& name) {
  for (std::size_t i = 0; i < result.columns.size(); ++i) {
    if (result.columns[i].name == name) return i;
  }
  throw std::runtime_error("no column " + name);
}

// Whole numbers, and currency values that must be whole NT$ (fraction .0000).
std::int64_t wholeValue(const Value& value) {
  if (const auto* number = std::get_if<std::int64_t>(&value)) return *number;
  const std::string& text = std::get<Decimal>(value).text;
  const auto point = text.find('.');
  EXPECT_EQ(text.substr(point), ".0000") << text;
  return std::stoll(text.substr(0, point));
}

std::int64_t columnSum(const testing::Result& result, const std::string& name) {
  const std::size_t index = columnIndex(result, name);
  std::int64_t sum = 0;
  for (const auto& row : result.rows) sum += wholeValue(row[index]);
  return sum;
}

class TiermendDbTest : public ::testing::Test {
 protected:
  std::unique_ptr<Session> session = openSession(fixture("tiermenddb.mdb"), "korvenal");
};

TEST_F(TiermendDbTest, BracketTablesHaveTheirRowCountsAndSums) {
  struct Expected {
    const char* table;
    std::size_t columns, rows;
    const char* column;
    std::int64_t sum;
  };
  const Expected expected[] = {
      {"health_insu", 8, 50, "insured_amount", 4'833'470},
      {"health_insu", 8, 50, "self", 74'966},
      {"health_insu", 8, 50, "employer", 235'397},
      {"health_insu", 8, 50, "gov_subsidy", 39'233},
      {"labor", 7, 38, "insured_salary", 1'344'824},
      {"labor", 7, 38, "worker_share", 27'682},
      {"labor", 7, 38, "ei_employer", 8'432},
      {"incom_rep", 14, 151, "dep0", 1'881'787},
      {"incom_rep", 14, 151, "dep11", 422'137},
      {"retire", 5, 62, "contribution_wage", 3'291'524},
  };
  for (const auto& e : expected) {
    SCOPED_TRACE(std::string(e.table) + "." + e.column);
    const auto result = readAll(*session, std::string("select * from ") + e.table + "\r\n");
    EXPECT_EQ(result.baseTable, e.table);
    EXPECT_EQ(result.columns.size(), e.columns);
    EXPECT_EQ(result.rows.size(), e.rows);
    EXPECT_EQ(columnSum(result, e.column), e.sum);
  }
}

TEST_F(TiermendDbTest, HealthInsuranceColumnsAndDependantShares) {
  const auto result = readAll(*session, "select * from health_insu");
  const ColumnType types[] = {ColumnType::Int16,    ColumnType::Int32,    ColumnType::Currency,
                              ColumnType::Currency, ColumnType::Currency, ColumnType::Currency,
                              ColumnType::Currency, ColumnType::Currency};
  for (std::size_t i = 0; i < 8; ++i) EXPECT_EQ(result.columns[i].type, types[i]);
  for (const auto& row : result.rows) {
    const std::int64_t self = wholeValue(row[2]);
    EXPECT_EQ(wholeValue(row[3]), 2 * self);
    EXPECT_EQ(wholeValue(row[4]), 3 * self);
    EXPECT_EQ(wholeValue(row[5]), 4 * self);
  }
  EXPECT_EQ(wholeValue(result.rows.front()[1]), 27'470);
  EXPECT_EQ(wholeValue(result.rows.back()[1]), 219'500);
}

TEST_F(TiermendDbTest, IncomeTaxSumOfAllDependantColumns) {
  const auto result = readAll(*session, "select * from incom_rep");
  std::int64_t all = 0;
  for (int n = 0; n <= 11; ++n) all += columnSum(result, "dep" + std::to_string(n));
  EXPECT_EQ(all, 12'614'986);
  EXPECT_EQ(wholeValue(result.rows.back()[2]), 35'075);
  EXPECT_EQ(wholeValue(result.rows.back()[13]), 16'275);
}

TEST_F(TiermendDbTest, LaborNotesAreChineseTextOrNull) {
  const auto result = readAll(*session, "select grade, note from labor");
  EXPECT_EQ(result.columns[1].type, ColumnType::Text);
  EXPECT_EQ(result.columns[1].size, 20);
  ASSERT_EQ(result.rows.size(), 38u);
  for (const auto& row : result.rows) {
    const std::int64_t grade = std::get<std::int64_t>(row[0]);
    SCOPED_TRACE(grade);
    if (grade <= 15) {
      EXPECT_EQ(row[1], Value(std::string("部分工時")));
    } else if (grade == 16) {
      EXPECT_EQ(row[1], Value(std::string("基本工資")));
    } else if (grade <= 28) {
      EXPECT_TRUE(isNull(row[1]));
    } else {
      EXPECT_EQ(row[1], Value(std::string("僅適用職災保險")));
    }
  }
}

TEST_F(TiermendDbTest, ReadmeHoldsTheDescription) {
  const auto result = readAll(*session, "select content from readme");
  ASSERT_EQ(result.rows.size(), 1u);
  const auto& content = std::get<std::string>(result.rows[0][0]);
  EXPECT_EQ(content.rfind("本資料庫為薪資級距更新包範例", 0), 0u);
  EXPECT_NE(content.find("匯入時請忽略。"), std::string::npos);
}

TEST(JetThreeFileTest, NorthwindTextIsDecodedFromItsCodePage) {
  auto session = openSession(fixture("jet3/nwind.mdb"), "korvenal");
  const auto customers = readAll(*session, "select CustomerID, City from Customers");
  ASSERT_EQ(customers.rows.size(), 91u);
  EXPECT_FALSE(customers.columns[1].unicode);
  EXPECT_EQ(customers.columns[1].size, 15);
  int mexicoCity = 0;
  for (const auto& row : customers.rows) {
    if (row[1] == Value(std::string("México D.F."))) ++mexicoCity;
  }
  EXPECT_GT(mexicoCity, 0);

  const auto orders =
      readAll(*session, "select OrderID, OrderDate, Freight, ShipAddress from Orders");
  ASSERT_EQ(orders.rows.size(), 830u);
  EXPECT_EQ(orders.columns[2].type, ColumnType::Currency);
  EXPECT_EQ(orders.rows[0][1], Value(DateTime{1994, 11, 16}));
  EXPECT_EQ(orders.rows[0][2], Value(Decimal{"12.7500"}));
  EXPECT_EQ(orders.rows[0][3],
            Value(std::string("Carrera 52 con Ave. Bolívar #65-98 Llano Largo")));
}

TEST(JetThreeFileTest, TableNamesMatchWithoutRegardToCase) {
  auto session = openSession(fixture("jet3/nwind.mdb"), "");
  const auto result = readAll(*session, "select * from [UMSÄTZE]");
  EXPECT_EQ(result.baseTable, "Umsätze");
  EXPECT_EQ(result.rows.size(), 830u);
  EXPECT_EQ(readAll(*session, "select * from [order details]").rows.size(), 2155u);
}

TEST(JetDateFileTest, DatesOutsideTheTwentiethCenturyKeepTheirYear) {
  auto session = openSession(fixture("DateTestDatabase.mdb"), "korvenal");
  const auto result = readAll(*session, "select * from DateTest");
  ASSERT_EQ(result.rows.size(), 6u);
  for (std::size_t c = 1; c <= 3; ++c) EXPECT_EQ(result.columns[c].type, ColumnType::DateTime);
  EXPECT_EQ(result.columns[4].type, ColumnType::Memo);
  EXPECT_EQ(result.columns[5].size, 255);
  const auto yearOf = [&](std::size_t row, std::size_t column) {
    return std::get<DateTime>(result.rows[row][column]).year;
  };
  EXPECT_EQ(result.rows[0][1], Value(DateTime{2021, 12, 2}));
  EXPECT_EQ(yearOf(1, 1), 9999);  // "Year 9999"
  EXPECT_LT(yearOf(2, 1), 1900);  // "Pre-1900 years"
  EXPECT_LT(yearOf(3, 1), 1000);  // "Pre-1000 years"
  EXPECT_EQ(result.rows[1][4], Value(std::string("Year 9999")));
  EXPECT_EQ(result.rows[5][4], Value(std::string("New line\r\nin field")));
}

TEST(JetBenchFileTest, HundredThousandRowsStreamWithExactSums) {
  const std::string path = fixture("bench_tiermenddb.mdb");
  if (!std::ifstream(path)) GTEST_SKIP() << "bench_tiermenddb.mdb is not present";
  auto session = openSession(path, "korvenal");
  auto cursor = session->query("select * from health_insu");
  std::vector<Value> row;
  std::int64_t rows = 0, insured = 0, self = 0;
  while (cursor->fetch(row)) {
    ++rows;
    insured += wholeValue(row[1]);
    self += wholeValue(row[2]);
  }
  EXPECT_EQ(rows, 100'000);
  EXPECT_EQ(insured, 15'550'876'690);
  EXPECT_EQ(self, 241'194'081);
}

}  // namespace
}  // namespace tiermend::data::jet
