// The conversions of stored bytes and the statement parser, case by case.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "data/EngineError.h"
#include "data/providers/jet/JetStatement.h"
#include "data/providers/jet/format/ByteOrder.h"
#include "data/providers/jet/values/JetTextCodec.h"
#include "data/providers/jet/values/JetValueCodec.h"
#include "data/value/Calendar.h"
#include "data/value/GuidText.h"

namespace tiermend::data::jet {
namespace {

TEST(JetDateTest, StoredDaysBecomeCalendarDates) {
  struct Case {
    double days;
    DateTime expected;
  };
  const Case cases[] = {
      {45306.0, {2024, 1, 15, 0, 0, 0, 0}},
      {2958465.999988426, {9999, 12, 31, 23, 59, 59, 0}},
      {-657434.0, {100, 1, 1, 0, 0, 0, 0}},
      {-18095.521354166667, {1850, 6, 15, 12, 30, 45, 0}},
      {45351.57326388889, {2024, 2, 29, 13, 45, 30, 0}},
      {0.0, {1899, 12, 30, 0, 0, 0, 0}},
      {-1.75, {1899, 12, 29, 18, 0, 0, 0}},
      {-0.5, {1899, 12, 30, 12, 0, 0, 0}},
      {2.0, {1900, 1, 1, 0, 0, 0, 0}},
      {60.0, {1900, 2, 28, 0, 0, 0, 0}},  // no 29 February in 1900
      {61.0, {1900, 3, 1, 0, 0, 0, 0}},
      {0.25 + 0.5 / 86400000.0, {1899, 12, 30, 6, 0, 0, 1}},
      {1.9999999999, {1900, 1, 1, 0, 0, 0, 0}},     // rounds up into the next day
      {-1.9999999999, {1899, 12, 30, 0, 0, 0, 0}},  // the end of 1899-12-29
      {-693593.0, {1, 1, 1, 0, 0, 0, 0}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.days);
    const auto value = dateTimeFromOleDays(c.days);
    ASSERT_TRUE(value.has_value());
    EXPECT_EQ(*value, c.expected);
  }
}

TEST(JetDateTest, ValuesOutsideTheCalendarAreNoDates) {
  for (double days : {2958466.0, -693594.0, 1e300, -1e300, std::nan(""),
                      std::numeric_limits<double>::infinity()}) {
    SCOPED_TRACE(days);
    EXPECT_FALSE(dateTimeFromOleDays(days).has_value());
  }
}

TEST(JetDateTest, EveryDayOfTheCalendarRoundTrips) {
  for (double day = -693593; day <= 2958465; day += 1) {
    const auto value = dateTimeFromOleDays(day);
    ASSERT_TRUE(value.has_value()) << day;
    ASSERT_EQ(oleDaysFromDateTime(*value), day);
  }
}

const JetTextCodec kJet4Text(false, 0);

// The value a present field of kind holds in bytes, as the cursor reads it.
Value decoded(int kind, const std::vector<std::uint8_t>& bytes, int scale = 0) {
  const JetValueCodec codec({"c", kind, 0, 0, scale, false}, kJet4Text);
  return codec.decode(true, bytes.data(), bytes.size(), nullptr);
}

std::string currencyText(std::int64_t units) {
  std::vector<std::uint8_t> bytes(8);
  storeI64(bytes.data(), units);
  return std::get<Decimal>(decoded(kJetCurrency, bytes)).text;
}

std::string decimalText(const std::vector<std::uint8_t>& bytes, int scale) {
  return std::get<Decimal>(decoded(kJetDecimal, bytes, scale)).text;
}

TEST(JetNumberTest, CurrencyKeepsEveryDigit) {
  const std::pair<std::int64_t, const char*> cases[] = {
      {std::numeric_limits<std::int64_t>::max(), "922337203685477.5807"},
      {std::numeric_limits<std::int64_t>::min(), "-922337203685477.5808"},
      {-1, "-0.0001"},
      {1, "0.0001"},
      {0, "0.0000"},
      {123, "0.0123"},
      {123450000, "12345.0000"},
  };
  for (const auto& [units, text] : cases) EXPECT_EQ(currencyText(units), text);
}

std::vector<std::uint8_t> decimalBytes(bool negative, unsigned __int128 magnitude) {
  std::vector<std::uint8_t> bytes(17, 0);
  bytes[0] = negative ? 0x80 : 0;
  for (int word = 0; word < 4; ++word) {
    const auto value = static_cast<std::uint32_t>(magnitude >> (32 * (3 - word)));
    for (int b = 0; b < 4; ++b)
      bytes[1 + 4 * word + b] = static_cast<std::uint8_t>(value >> (8 * b));
  }
  return bytes;
}

TEST(JetNumberTest, DecimalsHaveExactlyTheirScale) {
  const unsigned __int128 big = (static_cast<unsigned __int128>(1) << 96) - 1;  // 28 digits
  struct Case {
    bool negative;
    unsigned __int128 magnitude;
    int scale;
    const char* text;
  };
  const Case cases[] = {
      {false, 1234567891, 6, "1234.567891"},
      {true, 1234567891, 6, "-1234.567891"},
      {false, 1, 6, "0.000001"},
      {true, 0, 6, "0.000000"},
      {false, 42, 0, "42"},
      {false, big, 0, "79228162514264337593543950335"},
      {true, big, 28, "-7.9228162514264337593543950335"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(decimalText(decimalBytes(c.negative, c.magnitude), c.scale), c.text);
  }
  // The widest magnitude, and a scale longer than any number's digits.
  const unsigned __int128 widest = ~static_cast<unsigned __int128>(0);
  EXPECT_EQ(decimalText(decimalBytes(false, widest), 0), "340282366920938463463374607431768211455");
  EXPECT_EQ(decimalText(decimalBytes(true, widest), 20),
            "-3402823669209384634.63374607431768211455");
  EXPECT_EQ(decimalText(decimalBytes(true, 5), 130), "-0." + std::string(129, '0') + "5");
  EXPECT_EQ(decimalText(decimalBytes(false, 0), 2), "0.00");
}

TEST(JetNumberTest, GuidsUseRegistryFormat) {
  const std::uint8_t bytes[16] = {0xFF, 0x19, 0x96, 0x6F, 0x86, 0x8B, 0x11, 0xD0,
                                  0xB4, 0x2D, 0x00, 0xC0, 0x4F, 0xC9, 0x64, 0xFF};
  EXPECT_EQ(guidTextFromBytes(bytes), "{6F9619FF-8B86-D011-B42D-00C04FC964FF}");
}

std::string decode(std::initializer_list<std::uint8_t> bytes) {
  const std::vector<std::uint8_t> data(bytes);
  return kJet4Text.decode(data.data(), data.size());
}

TEST(JetTextTest, CompressedAndPlainFormsDecode) {
  EXPECT_EQ(decode({'o', 0, 'k', 0}), "ok");
  EXPECT_EQ(decode({0xFF, 0xFE, 'o', 'k'}), "ok");
  EXPECT_EQ(decode({0xFF, 0xFE, 0xE9, 't', 0xE9}), "été");  // one-byte Latin-1 characters
  // Switching to plain code units for 薪 and back to one-byte characters.
  EXPECT_EQ(decode({0xFF, 0xFE, 'a', 0x00, 0xAA, 0x85, 0x00, 'b'}), "a薪b");
  EXPECT_EQ(decode({0x3D, 0xD8, 0x00, 0xDE}), "😀");          // a surrogate pair
  EXPECT_EQ(decode({0x3D, 0xD8, 'x', 0}), "\xEF\xBF\xBDx");  // a lone surrogate
  EXPECT_EQ(decode({'a', 0, 'b'}), "a");                     // an odd final byte
  EXPECT_EQ(decode({}), "");
}

// Text written in either form reads back as it was; compression is used only where it
// can hold the text (no character above U+00FF, none U+0000, at most 1024 characters).
TEST(JetTextTest, WrittenTextReadsBackInBothForms) {
  const std::pair<std::string, bool> cases[] = {
      {"", false},
      {"plain", true},
      {"\xC3\xA9t\xC3\xA9", true},
      {"\xE8\x96\xAA\xE8\xB3\x87", false},
      {"\xF0\x9F\x98\x80 ok", false},
      {std::string(1024, 'a'), true},
      {std::string(1025, 'a'), false},
  };
  for (const auto& [text, compressible] : cases) {
    for (bool compress : {false, true}) {
      SCOPED_TRACE(text.substr(0, 20) + (compress ? " compressed" : " plain"));
      std::vector<std::uint8_t> bytes;
      kJet4Text.encode(text, compress, SIZE_MAX, "t", bytes);
      EXPECT_EQ(kJet4Text.decode(bytes.data(), bytes.size()), text);
      const bool compressed = bytes.size() >= 2 && bytes[0] == 0xFF && bytes[1] == 0xFE;
      EXPECT_EQ(compressed, compress && compressible);
    }
  }
}

TEST(JetStatementTest, SimpleSelectsAreUnderstood) {
  struct Case {
    const char* sql;
    const char* table;
    std::vector<std::string> columns;
  };
  const Case cases[] = {
      {"select * from health_insu\r\n", "health_insu", {}},
      {"SELECT * FROM labor;", "labor", {}},
      {"  Select\t*\nFrom [Order Details] ; ;\r\n", "Order Details", {}},
      {"select grade, [by],note from incom_rep", "incom_rep", {"grade", "by", "note"}},
      {"select [from] from [select]", "select", {"from"}},
      {"select 薪資 from 表", "表", {"薪資"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.sql);
    const JetStatement statement = parseStatement(c.sql);
    EXPECT_EQ(statement.kind, JetStatement::Kind::Select);
    EXPECT_EQ(statement.table, c.table);
    EXPECT_EQ(statement.columns, c.columns);
  }
}

TEST(JetStatementTest, DeletingEveryRowIsRecognisedWithItsTable) {
  const struct {
    const char* sql;
    const char* table;
  } cases[] = {{"delete from health_insu", "health_insu"},
               {"DELETE * FROM [labor];\r\n", "labor"},
               {"Delete From incom_rep ;", "incom_rep"}};
  for (const auto& c : cases) {
    const JetStatement statement = parseStatement(c.sql);
    EXPECT_EQ(statement.kind, JetStatement::Kind::DeleteAll) << c.sql;
    EXPECT_EQ(statement.table, c.table) << c.sql;
  }
}

TEST(JetStatementTest, ChangingStatementsAreRecognised) {
  for (const char* sql :
       {"delete from t where a = 1", "delete t", "delete from", "delete from t, u",
        "Insert Into t values (1)", "UPDATE t SET a=1", "drop table t", "create table t (a int)",
        "select * into t2 from t", "select a, b into t2 from t", "alter table t add b int"}) {
    EXPECT_EQ(parseStatement(sql).kind, JetStatement::Kind::Changing) << sql;
  }
}

TEST(JetStatementTest, OtherStatementsAreRefused) {
  for (const char* sql : {"", "   \r\n", "exec something", "select", "select * from",
                          "select from t", "select a b from t", "select * from t where a = 1",
                          "select * from a, b", "select * from [unclosed", "select * from []",
                          "select count(*) from t", "select * from t; delete from t"}) {
    EXPECT_THROW(parseStatement(sql), EngineError) << sql;
  }
}

}  // namespace
}  // namespace tiermend::data::jet
