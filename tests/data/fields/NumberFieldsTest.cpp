// Whole-number, auto-number, floating and currency/decimal columns.
#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <cstdio>
#include <limits>
#include <string>

#include "FieldTestSupport.h"
#include "tests/support/ColumnTypeName.h"
#include "tests/support/TestName.h"

namespace tiermend::data {
namespace {

using namespace testing;

ColumnInfo decimalColumn(int precision, int scale, std::string name = "amount") {
  return {
      .name = std::move(name), .type = ColumnType::Decimal, .precision = precision, .scale = scale};
}

TEST(FieldKinds, ChosenByTypeAndAttributes) {
  EXPECT_EQ(fieldKindOf(column(ColumnType::Int16)), FieldKind::WholeNumber);
  EXPECT_EQ(fieldKindOf(column(ColumnType::UInt8)), FieldKind::WholeNumber);
  EXPECT_EQ(fieldKindOf(column(ColumnType::Int64)), FieldKind::WholeNumber);
  EXPECT_EQ(fieldKindOf(decimalColumn(9, 0)), FieldKind::WholeNumber);
  EXPECT_EQ(fieldKindOf(decimalColumn(10, 0)), FieldKind::CurrencyDecimal);
  EXPECT_EQ(fieldKindOf(decimalColumn(5, 2)), FieldKind::CurrencyDecimal);
  // A decimal whose precision the provider does not report is not narrowed to 32 bits.
  EXPECT_EQ(fieldKindOf(decimalColumn(0, 0)), FieldKind::CurrencyDecimal);
  EXPECT_EQ(fieldKindOf(column(ColumnType::Currency)), FieldKind::CurrencyDecimal);
  EXPECT_EQ(fieldKindOf(column(ColumnType::Single)), FieldKind::Floating);
  ColumnInfo counter = column(ColumnType::Int32);
  counter.autoIncrement = true;
  EXPECT_EQ(fieldKindOf(counter), FieldKind::AutoNumber);
  EXPECT_EQ(converter(counter)->kind(), FieldKind::AutoNumber);
  counter.type = ColumnType::Int64;
  EXPECT_EQ(fieldKindOf(counter), FieldKind::AutoNumber);
}

struct WholeCase {
  ColumnType type;
  std::string text;
  Value expected;       // when the write succeeds
  std::string failure;  // else the failure message
};

class WholeNumberWrite : public ::testing::TestWithParam<WholeCase> {};

TEST_P(WholeNumberWrite, ParsesAndChecksTheRange) {
  const WholeCase& c = GetParam();
  ColumnInfo info =
      c.type == ColumnType::Decimal ? decimalColumn(9, 0, "grade") : column(c.type, "grade");
  const auto field = converter(info);
  if (c.failure.empty()) {
    EXPECT_EQ(field->valueFromText(c.text), c.expected) << c.text;
  } else {
    EXPECT_EQ(namedFailureOf([&] { field->valueFromText(c.text); }), c.failure) << c.text;
  }
}

const std::string kInt16Range = ". The allowed range is -32768 to 32767";
const std::string kInt32Range = ". The allowed range is -2147483648 to 2147483647";
const std::string kInt64Range =
    ". The allowed range is -9.22337203685478E18 to 9.22337203685478E18";

WholeCase ok(ColumnType type, std::string text, Value value) {
  return {type, std::move(text), std::move(value), ""};
}
WholeCase range(ColumnType type, std::string text, std::string shown, const std::string& range) {
  return {type, std::move(text), Null{},
          "EDatabaseError: " + shown + " is not a valid value for field 'grade'" + range};
}
WholeCase notInteger(ColumnType type, std::string text) {
  return {type, text, Null{},
          "EDatabaseError: '" + text + "' is not a valid integer value for field 'grade'"};
}

INSTANTIATE_TEST_SUITE_P(
    Cases, WholeNumberWrite,
    ::testing::Values(
        ok(ColumnType::Int16, "", Null{}), ok(ColumnType::Int16, "32767", std::int64_t{32767}),
        ok(ColumnType::Int16, "-32768", std::int64_t{-32768}),
        ok(ColumnType::Int16, " 42 ", std::int64_t{42}),
        ok(ColumnType::Int16, "+7", std::int64_t{7}),
        ok(ColumnType::Int8, "-300", std::int64_t{-300}),
        range(ColumnType::Int16, "40000", "40000", kInt16Range),
        range(ColumnType::Int16, "32768", "32768", kInt16Range),
        range(ColumnType::Int16, "-32769", "-32769", kInt16Range),
        range(ColumnType::Int16, "99999999999999999999", "1E20", kInt16Range),
        ok(ColumnType::UInt16, "65535", std::int64_t{65535}),
        ok(ColumnType::UInt8, "0", std::int64_t{0}),
        range(ColumnType::UInt16, "65536", "65536", ". The allowed range is 0 to 65535"),
        range(ColumnType::UInt8, "-1", "-1", ". The allowed range is 0 to 65535"),
        ok(ColumnType::Int32, "2147483647", std::int64_t{2147483647}),
        ok(ColumnType::Int32, "-2147483648", std::int64_t{-2147483648LL}),
        range(ColumnType::Int32, "2147483648", "2147483648", kInt32Range),
        range(ColumnType::UInt32, "-2147483649", "-2147483649", kInt32Range),
        range(ColumnType::Int32, "12345678901234567", "1.23456789012346E16", kInt32Range),
        ok(ColumnType::Int64, "9223372036854775807", std::numeric_limits<std::int64_t>::max()),
        ok(ColumnType::Int64, "-9223372036854775808", std::numeric_limits<std::int64_t>::min()),
        range(ColumnType::Int64, "9223372036854775808", "9.22337203685478E18", kInt64Range),
        ok(ColumnType::Decimal, "-123", Decimal{"-123"}),
        range(ColumnType::Decimal, "3000000000", "3000000000", kInt32Range),
        notInteger(ColumnType::Int16, "12a"), notInteger(ColumnType::Int16, "1.5"),
        notInteger(ColumnType::Int32, "$10"), notInteger(ColumnType::Int32, "0x10"),
        notInteger(ColumnType::Int32, "-"), notInteger(ColumnType::Int32, "   "),
        notInteger(ColumnType::Int32, "1 000"), notInteger(ColumnType::Int64, "1e3")),
    [](const ::testing::TestParamInfo<WholeCase>& info) {
      return tiermend::testing::columnTypeName(info.param.type) + "_" +
             tiermend::testing::testNameSpelledOut(info.param.text);
    });

TEST(WholeNumberField, ReadsDigits) {
  const auto field = converter(column(ColumnType::Int32));
  EXPECT_EQ(field->textOf(std::int64_t{-27470}), "-27470");
  EXPECT_EQ(field->textOf(std::int64_t{219500}), "219500");
  EXPECT_EQ(field->textOf(Null{}), "");
  EXPECT_EQ(converter(decimalColumn(9, 0))->textOf(Decimal{"123456789"}), "123456789");
}

TEST(AutoNumberField, ConvertsThenRefuses) {
  ColumnInfo info = column(ColumnType::Int32, "id");
  info.autoIncrement = true;
  const auto field = converter(info);
  EXPECT_EQ(field->textOf(std::int64_t{7}), "7");
  EXPECT_EQ(writeFailure(info, "5"), "EDatabaseError: Field 'id' cannot be modified");
  EXPECT_EQ(writeFailure(info, ""), "EDatabaseError: Field 'id' cannot be modified");
  // The conversion message comes first.
  EXPECT_EQ(writeFailure(info, "x"),
            "EDatabaseError: 'x' is not a valid integer value for field 'id'");
}

struct FloatReadCase {
  double value;
  std::string expected;
};

class FloatingRead : public ::testing::TestWithParam<FloatReadCase> {};

TEST_P(FloatingRead, GeneralFormatWith15Digits) {
  EXPECT_EQ(converter(column(ColumnType::Double))->textOf(GetParam().value), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, FloatingRead,
    ::testing::Values(
        FloatReadCase{1.7976931348623157E308, "1.79769313486232E308"},
        FloatReadCase{1E-300, "1E-300"}, FloatReadCase{0.30000000000000004, "0.3"},
        FloatReadCase{123456789.12345679, "123456789.123457"}, FloatReadCase{0.0001, "0.0001"},
        FloatReadCase{0.00001, "1E-5"}, FloatReadCase{0.000123456, "0.000123456"},
        FloatReadCase{123456789012345.0, "123456789012345"}, FloatReadCase{1E15, "1E15"},
        FloatReadCase{1234567890123456.0, "1.23456789012346E15"}, FloatReadCase{-2.5, "-2.5"},
        FloatReadCase{0.0, "0"}, FloatReadCase{-0.0, "0"}, FloatReadCase{-1.5E-7, "-1.5E-7"},
        FloatReadCase{99999999999999.99, "100000000000000"}, FloatReadCase{HUGE_VAL, "INF"},
        FloatReadCase{-HUGE_VAL, "-INF"},
        FloatReadCase{std::numeric_limits<double>::quiet_NaN(), "NAN"}),
    // The value to 15 significant digits.
    [](const ::testing::TestParamInfo<FloatReadCase>& info) {
      char digits[32];
      std::snprintf(digits, sizeof digits, "%.15g", info.param.value);
      return tiermend::testing::testNameSpelledOut(digits);
    });

TEST(FloatingField, SingleShowsTheShortestText) {
  const auto field = converter(column(ColumnType::Single));
  EXPECT_EQ(field->textOf(static_cast<double>(3.14159f)), "3.14159");
  EXPECT_EQ(field->textOf(static_cast<double>(0.1f)), "0.1");
  EXPECT_EQ(field->textOf(static_cast<double>(1e10f)), "10000000000");
  EXPECT_EQ(field->textOf(static_cast<double>(FLT_MAX)), "3.4028235E38");
  EXPECT_EQ(field->textOf(static_cast<double>(-1e-10f)), "-1E-10");
  // Written back, the text gives the same single-precision value.
  EXPECT_EQ(field->valueFromText("3.14159"), Value(static_cast<double>(3.14159f)));
  EXPECT_EQ(field->valueFromText("3.4028235E38"), Value(static_cast<double>(FLT_MAX)));
  EXPECT_EQ(writeFailure(column(ColumnType::Single, "rate"), "1e39"),
            "EDatabaseError: '1e39' is not a valid floating point value for field 'rate'");
}

TEST(FloatingField, UsesTheDecimalSeparator) {
  const auto comma = converter(column(ColumnType::Double, "rate"),
                               settingsFor(65001, DateOrder::DayMonthYear, '.', ','));
  EXPECT_EQ(comma->textOf(1234.5), "1234,5");
  EXPECT_EQ(comma->textOf(1.5E20), "1,5E20");
  EXPECT_EQ(comma->valueFromText("1234,5"), Value(1234.5));
  EXPECT_EQ(namedFailureOf([&] { comma->valueFromText("1234.5"); }),
            "EDatabaseError: '1234.5' is not a valid floating point value for field 'rate'");
}

TEST(FloatingField, Writes) {
  const auto field = converter(column(ColumnType::Double, "rate"));
  EXPECT_EQ(field->valueFromText(""), Value(Null{}));
  EXPECT_EQ(field->valueFromText(" -2.5e3 "), Value(-2500.0));
  EXPECT_EQ(field->valueFromText(".5"), Value(0.5));
  EXPECT_EQ(field->valueFromText("1E-300"), Value(1E-300));
  EXPECT_EQ(field->valueFromText("INF"), Value(HUGE_VAL));
  // The largest double reads as a text a little above it, and still writes back.
  EXPECT_EQ(field->valueFromText("1.79769313486232E308"), Value(DBL_MAX));
  EXPECT_EQ(field->valueFromText("-1.79769313486232E308"), Value(-DBL_MAX));
  for (const char* bad :
       {"abc", "1,5", "1e400", "1.79769313486233E308", "1.5.2", "e5", "--1", "1e", "   "})
    EXPECT_EQ(namedFailureOf([&] { field->valueFromText(bad); }),
              std::string("EDatabaseError: '") + bad +
                  "' is not a valid floating point value for field 'rate'");
}

TEST(FloatingField, CarriesAtMost15Digits) {
  const auto field = converter(column(ColumnType::Double));
  for (double value : {0.1, 1.0 / 3.0, 123456789.12345679, 1.7976931348623157E308, 2.5e-310}) {
    const double copied = std::get<double>(field->valueFromText(field->textOf(value)));
    EXPECT_NEAR(copied, value, std::fabs(value) * 1e-14) << value;
    EXPECT_EQ(field->textOf(copied), field->textOf(value));
  }
}

struct DecimalReadCase {
  ColumnType type;
  std::string stored;
  std::string expected;
};

class CurrencyDecimalRead : public ::testing::TestWithParam<DecimalReadCase> {};

TEST_P(CurrencyDecimalRead, AtMostFourDecimals) {
  const DecimalReadCase& c = GetParam();
  ColumnInfo info = c.type == ColumnType::Decimal ? decimalColumn(38, 10) : column(c.type);
  const auto field = converter(info);
  if (c.expected == "BCD overflow")
    EXPECT_EQ(namedFailureOf([&] { field->textOf(Decimal{c.stored}); }),
              "EDatabaseError: BCD overflow");
  else
    EXPECT_EQ(field->textOf(Decimal{c.stored}), c.expected) << c.stored;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, CurrencyDecimalRead,
    ::testing::Values(
        DecimalReadCase{ColumnType::Currency, "1234.5678", "1234.5678"},
        DecimalReadCase{ColumnType::Currency, "922337203685477.5807", "922337203685477.5807"},
        DecimalReadCase{ColumnType::Currency, "-922337203685477.5808", "-922337203685477.5808"},
        DecimalReadCase{ColumnType::Currency, "922337203685477.5808", "BCD overflow"},
        DecimalReadCase{ColumnType::Currency, "100.0000", "100"},
        DecimalReadCase{ColumnType::Currency, "-0.0001", "-0.0001"},
        DecimalReadCase{ColumnType::Currency, "0", "0"},
        DecimalReadCase{ColumnType::Decimal, "1234.567891", "1234.5679"},
        DecimalReadCase{ColumnType::Decimal, "0.000001", "0"},
        DecimalReadCase{ColumnType::Decimal, "-0.00004", "0"},
        DecimalReadCase{ColumnType::Decimal, "-0.00005", "-0.0001"},
        DecimalReadCase{ColumnType::Decimal, "999999999999.999999", "1000000000000"},
        // Half away from zero on the exact digits (as a double 12.34565 lies below the half).
        DecimalReadCase{ColumnType::Decimal, "12.34565", "12.3457"},
        DecimalReadCase{ColumnType::Decimal, "0012.5000", "12.5"},
        DecimalReadCase{ColumnType::Decimal, "12345678901234567890123456789012345678",
                        "12345678901234567890123456789012345678"},
        DecimalReadCase{ColumnType::Decimal, "123456789012345678901234567890123456789",
                        "BCD overflow"}),
    [](const ::testing::TestParamInfo<DecimalReadCase>& info) {
      return tiermend::testing::columnTypeName(info.param.type) + "_" +
             tiermend::testing::testNameSpelledOut(info.param.stored);
    });

TEST(CurrencyDecimalField, ReadsOtherNumericForms) {
  const auto field = converter(column(ColumnType::Currency),
                               settingsFor(65001, DateOrder::DayMonthYear, '.', ','));
  EXPECT_EQ(field->textOf(Decimal{"1234.5678"}), "1234,5678");
  EXPECT_EQ(field->textOf(std::int64_t{27470}), "27470");
  EXPECT_EQ(field->textOf(0.1), "0,1");
  EXPECT_EQ(field->textOf(Null{}), "");
}

TEST(CurrencyDecimalField, WritesRoundedDecimals) {
  const auto currency = converter(column(ColumnType::Currency, "self"));
  EXPECT_EQ(currency->valueFromText(""), Value(Null{}));
  EXPECT_EQ(currency->valueFromText("1234.567891"), Value(Decimal{"1234.5679"}));
  EXPECT_EQ(currency->valueFromText(" 1e3 "), Value(Decimal{"1000"}));
  EXPECT_EQ(currency->valueFromText("-0.00001"), Value(Decimal{"0"}));
  EXPECT_EQ(currency->valueFromText("922337203685477.5807"),
            Value(Decimal{"922337203685477.5807"}));
  for (const char* bad : {"abc", "1,5", "922337203685477.5808", "INF", "1e500"})
    EXPECT_EQ(namedFailureOf([&] { currency->valueFromText(bad); }),
              std::string("EDatabaseError: '") + bad +
                  "' is not a valid floating point value for field 'self'");

  const auto decimal =
      converter(decimalColumn(38, 4), settingsFor(65001, DateOrder::DayMonthYear, '.', ','));
  EXPECT_EQ(decimal->valueFromText("-1,23456"), Value(Decimal{"-1.2346"}));
  EXPECT_EQ(decimal->valueFromText("1e30"), Value(Decimal{"1000000000000000000000000000000"}));
}

TEST(CurrencyDecimalField, CarriesOnlyFourDecimals) {
  const auto source = converter(decimalColumn(20, 8));
  const auto target = converter(column(ColumnType::Currency));
  const Value copied = target->valueFromText(source->textOf(Decimal{"27470.123456"}));
  EXPECT_EQ(copied, Value(Decimal{"27470.1235"}));
}

}  // namespace
}  // namespace tiermend::data
