// Decimal values between the data layer and SQLite's storage classes: a REAL read from
// a decimal column gives the shortest text that reads back as the same double, and
// decimal text is stored as the INTEGER or REAL it reads as (or as text when a double
// would lose digits). Checked over many numbers against the standard conversions.
#include <gtest/gtest.h>
#include <locale.h>
#include <stdlib.h>

#include <charconv>
#include <cmath>
#include <cstring>
#include <random>

#include "data/providers/sqlite/SqliteHandles.h"
#include "data/providers/sqlite/SqliteValues.h"

namespace tiermend::data::sqlite {
namespace {

class SqliteDecimalValues : public ::testing::Test {
 protected:
  void SetUp() override {
    sqlite3* raw = nullptr;
    ASSERT_EQ(sqlite3_open(":memory:", &raw), SQLITE_OK);
    db_.reset(raw);
  }

  // The value readValue gives for a double stored in a decimal column.
  Value readDouble(double number) {
    StatementHandle statement = prepareStatement(db_.get(), "SELECT ?1");
    sqlite3_bind_double(statement.get(), 1, number);
    EXPECT_EQ(sqlite3_step(statement.get()), SQLITE_ROW);
    ColumnInfo column;
    column.type = ColumnType::Decimal;
    Value value = readValue(statement.get(), 0, column);
    // Read over a value of another row, as a cursor does, the result is the same.
    for (Value earlier : {Value(Decimal{"-123456.789"}), Value(Null{}), Value(std::int64_t{4})}) {
      readValueInto(statement.get(), 0, column, earlier);
      EXPECT_EQ(earlier, value) << number;
    }
    return value;
  }

  // The storage class and text SQLite keeps for decimal text bound to a decimal column.
  struct Stored {
    int storage;
    double real;
    std::string text;
  };
  Stored bindDecimalText(const std::string& text) {
    StatementHandle statement = prepareStatement(db_.get(), "SELECT ?1");
    bindValue(statement.get(), 1, Decimal{text}, ColumnType::Decimal);
    EXPECT_EQ(sqlite3_step(statement.get()), SQLITE_ROW);
    const int storage = sqlite3_column_type(statement.get(), 0);
    const double real = sqlite3_column_double(statement.get(), 0);
    const auto* chars = reinterpret_cast<const char*>(sqlite3_column_text(statement.get(), 0));
    return Stored{storage, real, chars ? chars : ""};
  }

  DatabaseHandle db_;
};

std::string shortestFixed(double number) {
  char buffer[400];
  auto result = std::to_chars(buffer, buffer + sizeof buffer, number, std::chars_format::fixed);
  return std::string(buffer, result.ptr);
}

TEST_F(SqliteDecimalValues, RealReadsAsItsShortestText) {
  std::mt19937_64 random(1208);
  std::vector<double> numbers = {0.0,
                                 2.0,
                                 1.0,
                                 -1.0,
                                 0.1,
                                 0.0001,
                                 1e-5,
                                 123.456,
                                 99999.99,
                                 1e10,
                                 1e11,
                                 1e11 + 0.5,
                                 1e15,
                                 1e22,
                                 1e300,
                                 5e-324,
                                 -2.5e-7,
                                 0.30000000000000004,
                                 1234567890.1234,
                                 4503599627370495.5,
                                 -98765432109.8765};
  for (int i = 0; i < 20000; ++i) {
    // Amounts of up to six decimals, the way money and rates are stored.
    const long long units = static_cast<long long>(random() % 2000000000000ULL) - 1000000000000LL;
    numbers.push_back(static_cast<double>(units) / std::pow(10.0, static_cast<int>(random() % 7)));
    // And any double at all.
    const std::uint64_t bits = random();
    double any = 0;
    std::memcpy(&any, &bits, sizeof any);
    if (std::isfinite(any)) numbers.push_back(any);
  }
  for (const double number : numbers) {
    EXPECT_EQ(readDouble(number), Value(Decimal{shortestFixed(number)})) << number;
  }
}

TEST_F(SqliteDecimalValues, DecimalTextIsStoredAsTheNumberItReads) {
  ASSERT_NE(setlocale(LC_NUMERIC, "C"), nullptr);
  std::mt19937_64 random(812);
  std::vector<std::string> texts = {"0.5",
                                    "-0.5",
                                    "12.3400",
                                    "100.000",
                                    "-0.000",
                                    "0.1",
                                    "1e5",
                                    "+2.5",
                                    "12345678901234.5",
                                    "0.0000000000000000000000123",
                                    "123456789012345.6"};
  for (int i = 0; i < 20000; ++i) {
    std::string text = random() % 3 == 0 ? "-" : "";
    const int integerDigits = static_cast<int>(random() % 12);
    for (int d = 0; d < integerDigits; ++d) text += static_cast<char>('0' + random() % 10);
    if (integerDigits == 0) text += '0';
    text += '.';
    const int decimals = 1 + static_cast<int>(random() % 24);
    for (int d = 0; d < decimals; ++d) text += static_cast<char>('0' + random() % 10);
    texts.push_back(text);
  }
  for (const std::string& text : texts) {
    const Stored stored = bindDecimalText(text);
    const double expected = std::strtod(text.c_str(), nullptr);
    if (stored.storage == SQLITE_FLOAT || stored.storage == SQLITE_INTEGER) {
      EXPECT_EQ(stored.real, expected) << text;
    } else {
      EXPECT_EQ(stored.storage, SQLITE_TEXT) << text;
      EXPECT_EQ(stored.text, text);  // kept whole: a double would lose digits
    }
  }
  EXPECT_EQ(bindDecimalText("100.000").storage, SQLITE_INTEGER);
  EXPECT_EQ(bindDecimalText("-0.000").storage, SQLITE_INTEGER);
  EXPECT_EQ(bindDecimalText("12.3400").storage, SQLITE_FLOAT);
  EXPECT_EQ(bindDecimalText("1234567890123.4567").storage, SQLITE_TEXT);
}

}  // namespace
}  // namespace tiermend::data::sqlite
